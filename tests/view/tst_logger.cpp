// The logger screen end to end against the simulator: its pages and back
// steps, the memory table with the device's figures, how often it refreshes,
// rights, the name of the next measurement and the start/stop button.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/DeviceConfigUtil.h"
#include "util/LoggerUtil.h"
#include "view/HistMeasureList.h"
#include "view/Logger.h"
#include "view/StatusBar.h"
#include "view/TableObject.h"
#include "widgets/ZClickLabel.h"

#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabWidget>
#include <QtTest>

namespace {

const QString NAME_PATH = QStringLiteral("$.SERV.STAT.MEAS.FILE.VAL");
const QString START_STOP_PATH = QStringLiteral("$.SERV.FCT.STST.VAL");
const int NAME_ROW = LoggerUtil::NAME_ROW;
const int VALUE = LoggerUtil::VALUE_COLUMN;

} // namespace

class TestLogger : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    Logger* logger() { return session->dataMain()->getLogger(); }
    TableObject* memory() { return logger()->memoryTable(); }
    QStackedWidget* pages() { return session->find<QStackedWidget>(QStringLiteral("stackedWidgetLogger")); }
    QTabWidget* tabs() { return session->find<QTabWidget>(QStringLiteral("tabwgtLoggerDisplay")); }
    QAbstractButton* loggerButton() { return session->find<QAbstractButton>(QStringLiteral("btnLoggerStartStop")); }
    QAbstractButton* chartButton() { return session->find<QAbstractButton>(QStringLiteral("btnDataStartStop")); }
    HistMeasureList* listOn(int page) { return pages()->widget(page)->findChild<HistMeasureList*>(); }
    bool at(int page, int tab) { return pages()->currentIndex() == page && tabs()->currentIndex() == tab; }

    QString shown(int row) { return tabletest::itemText(memory(), row, VALUE); }

    TableCell nameCell()
    {
        const TableStructure table = memory()->getTable();
        return table.contains(NAME_ROW, VALUE) ? table.cellAt(NAME_ROW, VALUE) : TableCell();
    }

    bool nameEditable()
    {
        const QTableWidgetItem* item = memory()->item(NAME_ROW, VALUE);
        return item && (item->flags() & Qt::ItemIsEditable) && memory()->isInputEnabled()
               && nameCell().getRights() == TableCell::EDITABLE;
    }

    int deviceCount(const char* listPath)
    {
        return int(session->deviceValue(QLatin1String(listPath)).size());
    }

    void clickLink(TableObject* table, int row)
    {
        QTRY_VERIFY(qobject_cast<ZClickLabel*>(table->cellWidget(row, VALUE)));
        QVERIFY(tabletest::clickLink(*table, row, VALUE));
    }

    void openFromHome()
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeLogger")));
        QVERIFY(session->window->isCurrentPage(MainWindow::DATA_MAIN));
        QVERIFY(at(Logger::STATUS_PAGE, Logger::MEMORY_TAB));
    }

    // Opens the name cell's line editor, types text and presses Return.
    void typeName(const QString& text)
    {
        QTRY_VERIFY(nameEditable());
        QVERIFY(tabletest::typeIntoCell(memory(), NAME_ROW, VALUE, text));
    }

    static int switchedOn(const QSignalSpy& input)
    {
        int count = 0;
        for (const QList<QVariant>& arguments : input)
            count += arguments.at(0).toBool() ? 1 : 0;
        return count;
    }

    // Ten change telegrams at once, each setting the memory-status percentage.
    void injectBurst(int firstPercent)
    {
        Json::Value burst(Json::arrayValue);
        for (int i = 0; i < 10; ++i)
            burst.append(SimulatorProcess::setTelegram(QStringLiteral("$.MEM.SFP.VAL"), firstPercent + i));
        QVERIFY(session->inject(burst, false));
    }

private slots:
    void initTestCase()
    {
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void pagesAndBackSteps()
    {
        openFromHome();
        tabs()->setCurrentIndex(Logger::EXPORT_TAB);
        QTRY_VERIFY(loggerButton()->isEnabled());   // the device's start/stop function is known
        QVERIFY(grabScreenshot(session->window, QStringLiteral("logger_export_tab.png")));

        clickLink(logger()->exportTable(), 0);
        QVERIFY(at(Logger::EXPORT_PAGE, Logger::EXPORT_TAB));
        QTRY_COMPARE(listOn(Logger::EXPORT_PAGE)->shownMeasures().size(), deviceCount("$.MEM.MTAB"));
        // Left on a list, the side button opens the start page again.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadLogger")));
        QVERIFY(at(Logger::STATUS_PAGE, Logger::MEMORY_TAB));

        tabs()->setCurrentIndex(Logger::EXPORT_TAB);
        clickLink(logger()->exportTable(), 1);
        QTRY_COMPARE(listOn(Logger::DELETE_EXPORTS_PAGE)->shownMeasures().size(), deviceCount("$.EXP.MTAB"));
        session->dataMain()->goBack();
        QVERIFY(at(Logger::STATUS_PAGE, Logger::EXPORT_TAB));

        // The simulator's tree: 42 % used of 3.8 GB, 3723 s left, next "Messung_0014".
        // The nodes reach the mirror one by one; each refresh shows what is there.
        openFromHome();
        QTRY_COMPARE(shown(NAME_ROW), QStringLiteral("Messung_0014"));
        QTRY_COMPARE(shown(0), QStringLiteral("42 %"));
        QTRY_COMPARE(shown(6), QStringLiteral("01:02:03 (3723 s)"));
        QTRY_VERIFY(nameEditable());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("logger_memory_idle.png")));
    }

    void aBurstOfChangesRefreshesOnce()
    {
        openFromHome();
        QSignalSpy tables(logger()->worker(), SIGNAL(updateLogger(TableStructure)));
        QSignalSpy input(memory(), SIGNAL(enablingInput(bool)));
        const auto settle = [] { QTest::qWait(3 * Logger::REFRESH_MS); };
        settle();

        for (int round = 0; round < 2; ++round) {
            if (round > 0) {
                // Hidden, the screen does not follow; shown again, it catches up.
                QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
                tables.clear();
                injectBurst(70);
                settle();
                QCOMPARE(tables.count(), 0);
                QVERIFY(session->click(QStringLiteral("tbtnDataHeadLogger")));
                QTRY_COMPARE(shown(0), QStringLiteral("79 %"));
                settle();
            }
            tables.clear();
            input.clear();
            injectBurst(30 + 10 * round);
            QTRY_COMPARE(shown(0), QStringLiteral("%1 %").arg(39 + 10 * round));
            settle();
            QCOMPARE(tables.count(), 1);
            QCOMPARE(switchedOn(input), 1);   // one connection: the table is shown once
        }
        injectBurst(33);   // the device's own 42 % again
        QTRY_COMPARE(shown(0), QStringLiteral("42 %"));
    }

    void rightsChangeTurnsInputOffUntilTheNextTable()
    {
        openFromHome();
        // A probe that sees each table before the screen does: connected while the screen is hidden.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QVector<bool> inputWhenTableCame;
        QObject probe;   // ends the connection with this function
        connect(logger()->worker(), QOverload<TableStructure>::of(&LoggerUtil::updateLogger), &probe,
                [&] { inputWhenTableCame.append(memory()->isInputEnabled()); });
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadLogger")));
        QTRY_VERIFY(!inputWhenTableCame.isEmpty() && nameEditable());

        inputWhenTableCame.clear();
        emit logger()->worker()->updateRights();
        QCOMPARE(inputWhenTableCame, QVector<bool>({false}));
        QVERIFY(nameEditable());
    }

    void nameOfTheNextMeasurement()
    {
        openFromHome();
        QVERIFY(session->simulator.clearRequestLog());
        // Only the device's echo may free the cell here.
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        QVERIFY(session->simulator.setDelay(600, QStringLiteral("data")));   // holds the echo back a while
        typeName(QStringLiteral("Kessel_A"));
        QTRY_COMPARE(session->configSets().size(), 1);
        QVERIFY(!nameEditable());
        QVERIFY(session->simulator.setDelay(0));
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_A") && nameEditable());
        QCOMPARE(session->configSets(), (QVector<std::pair<QString, Json::Value>>{{NAME_PATH, Json::Value("Kessel_A")}}));

        // The client hears of a looser pattern than the device checks: the
        // device refuses, says so, and the cell is freed after the wait.
        DeviceConfigUtil::setPendingWriteTimeout(1000);
        const QString loose = QStringLiteral("^.{1,40}$");
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.STAT.MEAS.FILE.INP.REGX"), loose.toStdString(), false));
        QTRY_COMPARE(nameCell().getRegx(), loose);
        QVERIFY(session->simulator.clearRequestLog());
        typeName(QStringLiteral("Kessel A!"));
        QTRY_COMPARE(session->configSets().size(), 1);
        QCOMPARE(session->configSets().first().second, Json::Value("Kessel A!"));
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_A") && nameEditable());
        QCOMPARE(session->deviceValue(NAME_PATH), Json::Value("Kessel_A"));
        DeviceConfigUtil::setPendingWriteTimeout(5000);

        // A plain text where the entry was is the device's label: shown, no editor opens on it.
        const QString file = QStringLiteral("$.SERV.STAT.MEAS.FILE");
        const Json::Value entry = session->deviceValue(file);
        QVERIFY(session->injectSet(file, "Messung_Label", false));
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Messung_Label") && memory()->isInputEnabled());
        QVERIFY(!tabletest::typeIntoCell(memory(), NAME_ROW, VALUE, QStringLiteral("x")));
        // The entry back: a text takes no members, so the node above brings it, and the name
        // follows where the device confirms names.
        Json::Value measurement(Json::objectValue);
        measurement["FILE"] = entry;
        Json::Value restored = SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS"), measurement);
        const Json::Value name = SimulatorProcess::setTelegram(NAME_PATH, entry["VAL"]);
        restored["INST"]["SET"]["VAL"].append(name["INST"]["SET"]["VAL"][0]);
        QVERIFY(session->inject(restored, false));
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_A") && nameEditable());
    }

    void startAndStopFromTheLogger()
    {
        openFromHome();
        QTRY_VERIFY(loggerButton()->isEnabled() && chartButton()->isEnabled());
        // While the device's function value is not 0, neither button can be pressed.
        QVERIFY(session->injectSet(START_STOP_PATH, 1, false));
        QTRY_VERIFY(!loggerButton()->isEnabled() && !chartButton()->isEnabled());
        QVERIFY(session->injectSet(START_STOP_PATH, 0, false));
        QTRY_VERIFY(loggerButton()->isEnabled() && chartButton()->isEnabled());

        QVERIFY(session->simulator.clearRequestLog());
        QTest::mouseClick(loggerButton(), Qt::LeftButton);
        QVERIFY(!loggerButton()->isEnabled() && !chartButton()->isEnabled());
        QTRY_VERIFY(loggerButton()->isEnabled() && loggerButton()->text() == QStringLiteral("Messung stoppen"));
        QCOMPARE(chartButton()->text(), loggerButton()->text());
        QCOMPARE(session->configSets().size(), 1);
        QCOMPARE(session->configSets().first().second.asInt(), 1);
        // The running measurement's start, as the device keeps it.
        const Json::Value start = session->deviceValue(QStringLiteral("$.SERV.STAT.MEAS.STAT"));
        QVERIFY(start.isInt64());
        const QDateTime startTime = QDateTime::fromMSecsSinceEpoch(start.asInt64());
        QTRY_COMPARE(shown(4), startTime.toString(QStringLiteral("dd.MM.yyyy / HH:mm:ss")));
        // The running measurement's memory, reported by the device each step, shows as short figures.
        QVERIFY(session->simulator.pauseLiveValues(false));
        QTRY_VERIFY(shown(6) != QStringLiteral("01:02:03 (3723 s)"));
        QVERIFY(session->simulator.pauseLiveValues(true));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+(\\.\\d{1,3})? GB$")).match(shown(2)).hasMatch(),
                 qPrintable(shown(2)));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("logger_memory_measuring.png")));

        const int recordings = deviceCount("$.MEM.MTAB");
        QTest::mouseClick(loggerButton(), Qt::LeftButton);
        QTRY_VERIFY(loggerButton()->isEnabled() && loggerButton()->text() == QStringLiteral("Messung starten"));
        QCOMPARE(session->configSets().size(), 2);
        QCOMPARE(deviceCount("$.MEM.MTAB"), recordings + 1);
        QTRY_COMPARE(shown(NAME_ROW), QStringLiteral("Messung_0015"));

        // The new recording, named as set before, is in the list to manage.
        clickLink(memory(), LoggerUtil::MANAGE_ROW);
        QTRY_COMPARE(listOn(Logger::MANAGE_PAGE)->shownMeasures().size(), recordings + 1);
        bool found = false;
        for (const Measure& record : listOn(Logger::MANAGE_PAGE)->shownMeasures())
            found = found || (record.getId() == 14 && record.getName() == QStringLiteral("Kessel_A"));
        QVERIFY(found);
    }
};

QTEST_MAIN(TestLogger)
#include "tst_logger.moc"
