// The logger screen end to end against the simulator: its pages and back steps, the memory table with
// the device's figures, how often it refreshes, rights, the name of the next measurement, the start/stop
// button, and the stored-measurement lists it opens: what each mode shows, check states, rights and
// reloads, the delete and export requests and the device's answers, the choose dialog, repeated logins.
// The table's texts: tst_loggerutil; the export dialog itself: tst_exportmeasuredialog.
#include "../util/TestJson.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/DeviceConfigUtil.h"
#include "util/HistMeasureListUtil.h"
#include "util/LoggerUtil.h"
#include "view/ExportMeasureDialog.h"
#include "view/HistMeasureList.h"
#include "view/Logger.h"
#include "view/StatusBar.h"
#include "view/TableObject.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZHorizontalHeader.h"

#include <QLineEdit>
#include <QPushButton>

#include <atomic>
#include <QStackedWidget>
#include <QTabWidget>
#include <QtTest>

namespace {

using Check = ZCheckButton::CheckState;

QTableWidget* tableOf(QWidget* list) { return list->findChild<QTableWidget*>(QStringLiteral("tblHistMeasureList")); }
QPushButton* buttonOf(QWidget* parent, const char* name) { return parent->findChild<QPushButton*>(QLatin1String(name)); }
QPushButton* actionOf(QWidget* list) { return buttonOf(list, "btnHistMeasureDelete"); }
ZCheckButton* headerCheck(QWidget* list) { return tableOf(list)->horizontalHeader()->findChild<ZCheckButton*>(); }
ZCheckButton* rowCheck(QWidget* list, int row)
{
    return qobject_cast<ZCheckButton*>(tableOf(list)->cellWidget(row, tableOf(list)->columnCount() - 1));
}
QStringList columnOf(QWidget* list, int column) { return tabletest::columnTexts(tableOf(list), column); }
void clickRow(QWidget* list, int row) { tabletest::tapCell(tableOf(list), row, 0); }

QList<int> idsOf(const HistMeasureList* list)
{
    QList<int> ids;
    for (const Measure& measure : list->shownMeasures())
        ids << measure.getId();
    return ids;
}

// "c" checked, "u" unchecked, "-" disabled, per row.
QString checksOf(QWidget* list)
{
    QString states;
    for (int row = 0; row < tableOf(list)->rowCount(); ++row) {
        ZCheckButton* check = rowCheck(list, row);
        states += !check ? '?' : !check->isEnabled() ? '-' : check->getButtonCheckState() == Check::Checked ? 'c' : 'u';
    }
    return states;
}

bool press(QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return false;
    QTest::mouseClick(widget, Qt::LeftButton);
    return true;
}

const QString NAME_PATH = QStringLiteral("$.SERV.STAT.MEAS.FILE.VAL");
const QString START_STOP_PATH = QStringLiteral("$.SERV.FCT.STST.VAL");
const int NAME_ROW = LoggerUtil::NAME_ROW;
const int VALUE = LoggerUtil::VALUE_COLUMN;

} // namespace

class TestLogger : public QObject
{
    Q_OBJECT

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

    int deviceCount(const char* listPath) { return int(session->deviceValue(QLatin1String(listPath)).size()); }

    void clickLink(TableObject* table, int row)
    {
        QTRY_VERIFY(qobject_cast<ZClickLabel*>(table->cellWidget(row, VALUE)));
        QVERIFY(tabletest::clickLink(*table, row, VALUE));
    }

    void openFromHome()
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeLogger")) && at(Logger::STATUS_PAGE, Logger::MEMORY_TAB));
    }

    // Opens the name cell's line editor, types text and presses Return.
    void typeName(const QString& text)
    {
        QTRY_VERIFY(nameEditable());
        QVERIFY(tabletest::typeIntoCell(memory(), NAME_ROW, VALUE, text));
    }

    static int switchedOn(const QSignalSpy& input)
    {
        return int(std::count_if(input.begin(), input.end(), [](const QList<QVariant>& on) { return on.at(0).toBool(); }));
    }

    // Ten change telegrams at once, each setting the memory-status percentage.
    void injectBurst(int firstPercent)
    {
        Json::Value burst(Json::arrayValue);
        for (int i = 0; i < 10; ++i)
            burst.append(SimulatorProcess::setTelegram(QStringLiteral("$.MEM.SFP.VAL"), firstPercent + i));
        QVERIFY(session->inject(burst, false));
    }

    bool inject(const QString& path, const Json::Value& value, bool toDevice = true)
    {
        return session->injectSet(path, value, toDevice);
    }
    static bool waitFor(const std::function<bool()>& condition, int ms = 5000)
    {
        return ScreenSession::waitUntil(condition, ms);
    }

    // The list of a logger page, opened with the link of the memory or export table; null when it did not open.
    HistMeasureList* openList(Logger::Page page, int rows)
    {
        session->window->setPage(MainWindow::DATA_MAIN);
        session->dataMain()->setLoggerWidget();
        const bool manage = page == Logger::MANAGE_PAGE;
        tabs()->setCurrentIndex(manage ? Logger::MEMORY_TAB : Logger::EXPORT_TAB);
        QTest::qWait(120);   // a link swallows presses closer than 100 ms to its last one (touch bounce)
        clickLink(manage ? memory() : logger()->exportTable(),
                  manage ? LoggerUtil::MANAGE_ROW : page == Logger::EXPORT_PAGE ? 0 : 1);
        HistMeasureList* list = listOn(page);
        return pages()->currentIndex() == page && waitFor([&] {
            return list->shownMeasures().size() == rows && tableOf(list)->rowCount() == rows
                   && (page != Logger::EXPORT_PAGE || list->worker()->getExportState() == 1);
        }) ? list : nullptr;
    }

    // The choose dialog as the chart opens it, with the list in it.
    HistMeasureList* openChooseDialog(QPointer<ZDialog>& dialog)
    {
        session->dataMain()->showHistMeasureList();
        for (HistMeasureList* list : session->window->findChildren<HistMeasureList*>())
            if ((dialog = qobject_cast<ZDialog*>(list->parentWidget())))
                return list;
        return nullptr;
    }

    void back() { QVERIFY(session->click(QStringLiteral("tbtnDataBack"))); }

    // Opens the exported files' delete page; true when, once the list has read the rights,
    // every row's tick takes input (deletable) or none does.
    bool exportsDeletable(bool deletable)
    {
        HistMeasureList* list = listOn(Logger::DELETE_EXPORTS_PAGE);
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        const int exported = deviceCount("$.EXP.MTAB");
        return openList(Logger::DELETE_EXPORTS_PAGE, exported) == list && waitFor([&] { return reloads.count() > 0; })
               && waitFor([&] { return checksOf(list) == QString(exported, QLatin1Char(deletable ? 'u' : '-')); });
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        session.reset(new ScreenSession({"--paused", "--export-ms", "300"}));
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    // Whatever the test before changed or left when it failed.
    void init()
    {
        DeviceConfigUtil::setPendingWriteTimeout(DeviceConfigUtil::DEFAULT_PENDING_WRITE_TIMEOUT_MS);
        QVERIFY(session->simulator.clearFaults() && session->simulator.setEchoMode(QStringLiteral("exact")));
    }

    // The lists first: the logger's own steps below add a recording.
    void modesShowTheStoredData()
    {
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 5);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 0),
                 QStringList({"Messung_0012", "Messung_0013", "Messung_0009", "Messung_0010", "Messung_0011"}));
        QCOMPARE(columnOf(list, 1).first(), QStringLiteral("01.03.2024 10.15.00 - 01.03.2024 11.45.30"));
        QCOMPARE(columnOf(list, 2), QStringList({"1.50 MB", "0.75 MB", "350.00 kB", "2.50 Mb", "1.20 GB"}));
        QCOMPARE(checksOf(list), QStringLiteral("uuuuu"));
        QVERIFY(!actionOf(list)->isEnabled());

        back();
        list = openList(Logger::EXPORT_PAGE, 5);
        QVERIFY(list && tableOf(list)->findChildren<ZCheckButton*>().isEmpty() && !actionOf(list)->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode2.png")));

        back();
        list = openList(Logger::DELETE_EXPORTS_PAGE, 2);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 0), QStringList({"Messung_0011.csv", "Messung_0010.csv"}));   // oldest export first
        QCOMPARE(columnOf(list, 3),
                 QStringList({"Netzlaufwerk (\\\\server\\share\\logger)", "USB-Stick (/media/usb0/export)"}));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode3.png")));
    }

    void checkStatesAndDeletingRecordings()
    {
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 5);
        QVERIFY(list);
        QPushButton* action = actionOf(list);
        for (int row = 0; row < 5; ++row)
            QVERIFY(press(rowCheck(list, row)) && action->isEnabled());
        QCOMPARE(headerCheck(list)->getButtonCheckState(), Check::Checked);
        for (const char* expected : {"uuuuu", "ccccc", "uuuuu"}) {
            QVERIFY(press(headerCheck(list)));
            QCOMPARE(checksOf(list), QLatin1String(expected));
            QCOMPARE(action->isEnabled(), expected[0] == 'c');
        }

        // Reloads keep the ticks of the recordings still listed (the client's view only):
        // the rights sent again, recording 10 gone (its tick with it), recording 10 back.
        QVERIFY(press(rowCheck(list, 3)) && press(rowCheck(list, 2)));
        const QString table = QStringLiteral("$.MEM.MTAB");
        const Json::Value recordings = session->deviceValue(table);
        Json::Value without10(Json::arrayValue);
        for (const Json::Value& recording : recordings)
            if (recording["ID"].asInt() != 10)
                without10.append(recording);
        // The device replaces a list as it does after a delete: DEL and SET in one telegram.
        const auto replaced = [&](const Json::Value& records) {
            Json::Value telegram = SimulatorProcess::delTelegram(table);
            telegram["INST"]["SET"] = SimulatorProcess::setTelegram(table, records)["INST"]["SET"];
            return telegram;
        };
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        const struct { Json::Value telegram; const char* checks; } reloaded[] = {
            {SimulatorProcess::setTelegram(QStringLiteral("$.MEM.INP"), parseQuoted("{'AUT':3}")), "uuccu"},
            {replaced(without10), "uucu"},
            {replaced(recordings), "uucuu"},
        };
        for (const auto& reload : reloaded) {
            reloads.clear();
            QVERIFY(session->inject(reload.telegram, false) && waitFor([&] { return reloads.count() > 0; }));
            QCOMPARE(checksOf(list), QLatin1String(reload.checks));
            QVERIFY(headerCheck(list)->getButtonCheckState() == Check::Tristate && action->isEnabled());
        }
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode1_checked.png")));

        // Recordings 9 and 10, sent in row order; the device's new list removes them.
        QVERIFY(press(rowCheck(list, 3)) && session->simulator.clearRequestLog() && press(action));
        QCOMPARE(checksOf(list), QStringLiteral("-----"));
        QVERIFY(waitFor([&] { return idsOf(list) == QList<int>({12, 13, 11}); }));
        QCOMPARE(checksOf(list), QStringLiteral("uuu"));
        const QVector<Json::Value> deletes = session->sentElements(QStringLiteral("measure"), "DEL");
        QCOMPARE(deletes.size(), 1);
        QVERIFY(deletes.first()["VAL"] == parseQuoted("{'ID':'9,10'}"));
    }

    void exportingAndDeletingExports()
    {
        HistMeasureList* list = openList(Logger::EXPORT_PAGE, 3);
        QVERIFY(list);
        // Only an idle exporter takes a new export.
        QVERIFY(inject(QStringLiteral("$.EXP.STAS"), 2));
        QVERIFY(waitFor([&] { return list->worker()->getExportState() == 2; }));
        clickRow(list, 0);
        QVERIFY(!actionOf(list)->isEnabled() && inject(QStringLiteral("$.EXP.STAS"), 1));
        QVERIFY(waitFor([&] { return list->worker()->getExportState() == 1; }));
        clickRow(list, 0);
        QVERIFY(actionOf(list)->isEnabled());
        // A reload (a destination's free space changed) keeps the selected row, and the button with it.
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        QVERIFY(inject(QStringLiteral("$.EXP.DEST[0].SIZE.VAL"), 7.2, false));
        QVERIFY(waitFor([&] { return reloads.count() > 0; }));
        QVERIFY(tableOf(list)->selectionModel()->isRowSelected(0, QModelIndex()) && actionOf(list)->isEnabled());

        // The export goes out for the chosen recording and destination; the exporter runs and ends.
        QVERIFY(press(actionOf(list)));
        QPointer<ExportMeasureDialog> dialog = session->window->findChild<ExportMeasureDialog*>();
        QVERIFY(dialog && grabScreenshot(session->window, QStringLiteral("export_dialog_allowed.png")));
        // The exporter's busy state lasts a moment only: it is caught where the client takes it in.
        std::atomic<bool> sawBusy{false};
        QObject watching;
        connect(session->json(), QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable),
                &watching, [&](GlobalEnums::InstructionType, QString path) {
                    if (path == QLatin1String("$.EXP.STAS") && session->mirrorValue(path) == 2)
                        sawBusy = true;
                }, Qt::DirectConnection);
        QVERIFY(session->simulator.clearRequestLog() && press(buttonOf(dialog, "btnExportMeasureDialog_ExportFile")));
        QVERIFY(waitFor([&] { return dialog.isNull() && sawBusy && list->worker()->getExportState() == 1; }));
        const QVector<Json::Value> gets = session->sentElements(QStringLiteral("export"), "GET");
        QCOMPARE(gets.size(), 1);
        QVERIFY(gets.first()["VAL"] == parseQuoted("{'DEST':{'ID':1},'MTAB':{'ID':12}}"));

        back();
        list = openList(Logger::DELETE_EXPORTS_PAGE, 3);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 0).last(), QStringLiteral("Messung_0012.csv"));
        const QList<int> ids = idsOf(list);
        QVERIFY(press(rowCheck(list, 0)) && press(rowCheck(list, 2)) && session->simulator.clearRequestLog());
        QVERIFY(press(actionOf(list)) && waitFor([&] { return idsOf(list) == QList<int>({ids.at(1)}); }));
        const QVector<Json::Value> deletes = session->sentElements(QStringLiteral("export"), "DEL");
        QCOMPARE(deletes.size(), 1);
        QCOMPARE(QString::fromStdString(deletes.first()["VAL"]["ID"].asString()),
                 QStringLiteral("%1,%2").arg(ids.at(0)).arg(ids.at(2)));
    }

    void chooseDialog()
    {
        QPointer<ZDialog> dialog;
        HistMeasureList* list = openChooseDialog(dialog);
        QVERIFY(list && waitFor([&] { return idsOf(list) == QList<int>({12, 13, 11}); }));
        QPushButton* load = buttonOf(list, "btnHistMeasureLoad");
        QVERIFY(!load->isEnabled());
        clickRow(list, 1);
        QVERIFY(load->isEnabled() && grabScreenshot(session->window, QStringLiteral("list_mode0_dialog.png")));
        // A reload (a change on the device) keeps the chosen recording.
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        list->requestHistMeasures();
        QVERIFY(waitFor([&] { return reloads.count() > 0; }) && load->isEnabled());

        QSignalSpy loaded(list, &HistMeasureList::loadingHistMeasure);
        QVERIFY(press(load));
        QCOMPARE(loaded.size(), 1);
        QStringList channels;
        for (const CharacteristicLine& line : loaded.first().first().value<Measure>().getChannels())
            channels << QStringLiteral("%1 %2/%3").arg(line.getMeasureId()).arg(line.getChannel(), line.getDimension());
        QCOMPARE(channels, QStringList({"13 CH01/°C", "13 CH04/%rF", "13 CH02/"}));
        QVERIFY(waitFor([&] { return dialog.isNull(); }));

        // The end of the session closes an open one.
        QVERIFY(openChooseDialog(dialog) && session->logout() && waitFor([&] { return dialog.isNull(); }));
    }

    void destinationsInTheUsersLanguage()
    {
        // The export dialog names them as the list does: tst_exportmeasuredialog.
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        HistMeasureList* list = openList(Logger::DELETE_EXPORTS_PAGE, 1);
        QVERIFY(list);
        QCOMPARE(columnOf(list, 3), QStringList{"USB stick (/media/usb0/export)"});
        QVERIFY(grabScreenshot(session->window, QStringLiteral("list_mode3_en.png")));
    }

    void userWithoutTheRight()
    {
        // Settled: no late start-up answer reloads the list while its reloads are timed.
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234"), QStringLiteral("Deutsch"))
                && session->settled());
        HistMeasureList* list = openList(Logger::MANAGE_PAGE, 3);
        QVERIFY(list);
        QCOMPARE(checksOf(list), QStringLiteral("---"));
        QVERIFY(!headerCheck(list)->isEnabled());

        // The client is told the user may delete; the device refuses, and sends no new list.
        QVERIFY(inject(QStringLiteral("$.MEM.INP"), parseQuoted("{'AUT':7}"), false));
        QVERIFY(waitFor([&] { return checksOf(list) == QLatin1String("uuu"); }) && press(rowCheck(list, 0)));
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        // Five seconds after the unanswered delete the list reads itself again. Timed by two timers
        // of this thread, due 4.5 s before the delete and 5.5 s after it: a busy machine delays them
        // as much as the list's, and due timers fire in the order they are due.
        QStringList order;
        QObject watching;
        connect(list->worker(), QOverload<QVector<Measure>, bool>::of(&HistMeasureListUtil::updateHistMeasure),
                &watching, [&order] { order << QStringLiteral("reload"); });
        QVERIFY(session->simulator.clearRequestLog());
        QTimer::singleShot(4500, Qt::PreciseTimer, &watching, [&order] { order << QStringLiteral("4.5 s"); });
        QVERIFY(press(actionOf(list)));
        QTimer::singleShot(5500, Qt::PreciseTimer, &watching, [&order] { order << QStringLiteral("5.5 s"); });
        QCOMPARE(checksOf(list), QStringLiteral("---"));
        // The delete reached the device, which kept every recording.
        QVERIFY(waitFor([&] { return session->sentElements(QStringLiteral("measure"), "DEL").size() == 1; }));
        QVERIFY(session->sentElements(QStringLiteral("measure"), "DEL").first()["VAL"] == parseQuoted("{'ID':'12'}"));
        QCOMPARE(session->simulator.treeValues(QStringLiteral("$.MEM.MTAB[*].ID")), parse("[12,13,11]"));
        QVERIFY(waitFor([&] { return order.contains(QStringLiteral("5.5 s")); }, 60000));
        QCOMPARE(order, (QStringList{"4.5 s", "reload", "5.5 s"}));
        QCOMPARE(checksOf(list), QStringLiteral("uuu"));
        QCOMPARE(reloads.count(), 1);
        QVERIFY(inject(QStringLiteral("$.MEM.INP"), parseQuoted("{'AUT':3}"), false));
    }

    // Without the right on the export table the export button stays off, row chosen, exporter idle or not.
    void exportWithoutTheRight()
    {
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234"), QStringLiteral("Deutsch")));
        HistMeasureList* list = openList(Logger::EXPORT_PAGE, 3);
        QVERIFY(list);
        clickRow(list, 0);
        QVERIFY(tableOf(list)->selectionModel()->isRowSelected(0, QModelIndex()) && !actionOf(list)->isEnabled());
        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        QVERIFY(inject(QStringLiteral("$.EXP.STAS"), 2) && waitFor([&] { return list->worker()->getExportState() == 2; }));
        QVERIFY(inject(QStringLiteral("$.EXP.STAS"), 1) && waitFor([&] { return list->worker()->getExportState() == 1; }));
        list->requestHistMeasures();
        QVERIFY(waitFor([&] { return reloads.count() > 0; }));
        QVERIFY(tableOf(list)->selectionModel()->isRowSelected(0, QModelIndex()) && !actionOf(list)->isEnabled());
        QVERIFY(session->relogin());
    }

    void repeatedLoginsLeaveOneReload()
    {
        for (int login = 0; login < 50; ++login)
            QVERIFY(session->relogin());
        QVERIFY(session->settled());   // no late start-up answer adds a reload to the one counted
        // Rebuilt while hidden, as after a login; the header widgets of every round but the last go.
        auto* list =
            session->find<QWidget>(QStringLiteral("pLoggerDeleteExportedMeasure"))->findChild<HistMeasureList*>();
        for (int round = 0; round < 50; ++round)
            list->setDefault();
        QCOMPARE(openList(Logger::DELETE_EXPORTS_PAGE, 1), list);
        QCOMPARE(list->findChildren<ZHorizontalHeader*>().size(), 1);
        QCOMPARE(list->findChildren<ZCheckButton*>().size(), 2);
        QVERIFY(press(headerCheck(list)));

        QSignalSpy reloads(list->worker(), SIGNAL(updateHistMeasure(QVector<Measure>,bool)));
        QVERIFY(inject(QStringLiteral("$.EXP.INP"), parseQuoted("{'AUT':65537}"), false) && reloads.wait());
        QVERIFY(session->pollCycles());
        QCOMPARE(reloads.count(), 1);
        QCOMPARE(checksOf(list), QStringLiteral("c"));   // the reload keeps the tick
    }
    void pagesAndBackSteps()
    {
        openFromHome();
        tabs()->setCurrentIndex(Logger::EXPORT_TAB);
        QTRY_VERIFY(loggerButton()->isEnabled());   // the device's start/stop function is known
        QVERIFY(grabScreenshot(session->window, QStringLiteral("logger_export_tab.png")));

        clickLink(logger()->exportTable(), 0);
        QVERIFY(at(Logger::EXPORT_PAGE, Logger::EXPORT_TAB));
        // Left on a list, the side button opens the start page again.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")) && session->click(QStringLiteral("tbtnDataHeadLogger")));
        QVERIFY(at(Logger::STATUS_PAGE, Logger::MEMORY_TAB));

        tabs()->setCurrentIndex(Logger::EXPORT_TAB);
        clickLink(logger()->exportTable(), 1);
        QVERIFY(at(Logger::DELETE_EXPORTS_PAGE, Logger::EXPORT_TAB));
        session->dataMain()->goBack();
        QVERIFY(at(Logger::STATUS_PAGE, Logger::EXPORT_TAB));

        // The simulator's tree: 42 % used, next "Messung_0014"; the time left as the device has it (the deletes
        // above freed memory). The durations' form is tst_loggerutil's.
        // The nodes reach the mirror one by one; each refresh shows what is there.
        openFromHome();
        QTRY_COMPARE(shown(NAME_ROW), QStringLiteral("Messung_0014"));
        QTRY_COMPARE(shown(0), QStringLiteral("42 %"));
        QTRY_VERIFY(shown(6).endsWith(QStringLiteral("(%1 s)").arg(session->deviceValue("$.MEM.TRE.VAL").asInt64())));
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
                QTRY_COMPARE(session->mirrorValue(QStringLiteral("$.MEM.SFP.VAL")), Json::Value(79));
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

    // A change of the device while the name is edited shows once the editor closes.
    void aChangeDuringAnEditShowsWhenTheEditorCloses()
    {
        openFromHome();
        QTRY_VERIFY(nameEditable());
        const QString before = shown(0);
        const int percent = before == QLatin1String("61 %") ? 62 : 61;
        memory()->editItem(memory()->item(NAME_ROW, VALUE));
        QVERIFY(memory()->isEditing());
        QVERIFY(inject(QStringLiteral("$.MEM.SFP.VAL"), percent, false));
        QTRY_VERIFY(memory()->holdsRefresh());
        QCOMPARE(shown(0), before);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(shown(0), QStringLiteral("%1 %").arg(percent));
        QVERIFY(nameEditable());

        // A table that comes during the edit (a change of rights asks at once) is asked for anew once
        // the editor closes: it turns input on again.
        memory()->editItem(memory()->item(NAME_ROW, VALUE));
        emit logger()->worker()->updateRights();
        QVERIFY(memory()->isEditing() && !memory()->isInputEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(nameEditable());
    }

    // The name's write as any configuration write: shown as typed, read-only, whatever refresh comes,
    // until the device confirms it. Unconfirmed in time, the status bar says so and the name is read
    // back: the notice goes when the read shows the device took the name after all, and stays when
    // the device answered without taking it (the cell then shows the device's name, editable).
    // Each write is read back after 1 s; only the read's answer lets it go (its own wait is a minute).
    void aNameWriteIsHeldAndToldAsEveryWrite()
    {
        openFromHome();
        QTRY_VERIFY(nameEditable());
        StatusBar* bar = session->window->statusBarObject();
        const QString notice = QStringLiteral("Das Gerät hat den Wert nicht bestätigt.");
        int told = 0;
        QObject listening;
        connect(bar, &StatusBar::showMessage, &listening, [&](QString text, Severity, int) { told += text == notice; });
        connect(memory(), &TableObject::changeValue, &listening, [] { DeviceConfigUtil::setPendingWriteTimeout(60000); });
        QSignalSpy confirmedAfterAll(logger()->worker(), SIGNAL(writesConfirmedAfterAll()));

        // The device takes the name; what confirms it (the data requests) is held back until the faults go.
        DeviceConfigUtil::setPendingWriteTimeout(1000);
        QVERIFY(session->simulator.clearRequestLog());
        QVERIFY(session->simulator.setFailure(SimulatorProcess::Failure::Status, 1000000, 503, QStringLiteral("data")));
        typeName(QStringLiteral("Probe_X"));
        QTRY_COMPARE(session->configSets().size(), 1);
        const auto heldAsTyped = [this] {
            return shown(NAME_ROW) == QStringLiteral("Probe_X") && nameCell().getRights() == TableCell::READ_ONLY;
        };
        QVERIFY(heldAsTyped());
        logger()->worker()->updateMemoryTable();   // a refresh of the page meanwhile
        QVERIFY2(heldAsTyped(), qPrintable(shown(NAME_ROW)));
        QTRY_COMPARE_WITH_TIMEOUT(told, 1, 10000);
        QVERIFY(heldAsTyped());
        QVERIFY(session->simulator.clearFaults());
        QTRY_VERIFY_WITH_TIMEOUT(nameEditable(), 10000);
        QCOMPARE(shown(NAME_ROW), QStringLiteral("Probe_X"));
        QCOMPARE(confirmedAfterAll.count(), 1);
        QTRY_VERIFY(bar->message() != notice);   // taken back

        // Answered without being taken: the read back shows the device's name; the notice stays.
        DeviceConfigUtil::setPendingWriteTimeout(1000);
        QVERIFY(session->simulator.setFailure(SimulatorProcess::Failure::EmptyBody, 1, 200, QStringLiteral("config")));
        typeName(QStringLiteral("Probe_Y"));
        QTRY_COMPARE_WITH_TIMEOUT(told, 2, 10000);
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Probe_X") && nameEditable());
        QCOMPARE(confirmedAfterAll.count(), 1);
        QCOMPARE(session->deviceValue(NAME_PATH), Json::Value("Probe_X"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("logger_name_not_confirmed.png")));
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
        QVERIFY(!nameEditable() && session->simulator.setDelay(0));
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_A") && nameEditable());
        QCOMPARE(session->configSets(), (QVector<std::pair<QString, Json::Value>>{{NAME_PATH, Json::Value("Kessel_A")}}));

        // A name the pattern refuses stays as typed, none of it is written; leaving keeps the name.
        typeName(QStringLiteral("Kessel B!"));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && editor->text() == QStringLiteral("Kessel B!") && memory()->isEditing());
        memory()->setFocus();
        QTRY_VERIFY(!memory()->isEditing());
        QVERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_A") && nameEditable());
        QCOMPARE(session->configSets().size(), 1);

        // Mended in the editor and written: the notice of the refused text goes.
        StatusBar* bar = session->window->statusBarObject();
        const auto told = [bar] { return bar->message().startsWith(QStringLiteral("Eingabe nicht übernommen.")); };
        typeName(QStringLiteral("Kessel B!"));
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor && told());
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Kessel_B"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(session->configSets().size(), 2);
        QVERIFY2(!told(), qPrintable(bar->text()));
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_B") && nameEditable());

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
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_B") && nameEditable());
        QCOMPARE(session->deviceValue(NAME_PATH), Json::Value("Kessel_B"));
        DeviceConfigUtil::setPendingWriteTimeout(DeviceConfigUtil::DEFAULT_PENDING_WRITE_TIMEOUT_MS);

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
        QTRY_VERIFY(shown(NAME_ROW) == QStringLiteral("Kessel_B") && nameEditable());
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
        const QString idle = shown(6);
        QVERIFY(session->simulator.pauseLiveValues(false));
        QTRY_VERIFY(shown(6) != idle);
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
            found = found || (record.getId() == 14 && record.getName() == QStringLiteral("Kessel_B"));
        QVERIFY(found);
    }

    // Deleting recordings follows the right on the memory ($.MEM.INP), exporting the right on the
    // exports ($.EXP.INP), each as the device judges it; last, as it records a measurement.
    void memoryAndExportRightsApart()
    {
        // The device lets the administrator change the memory but not the exports. A list reads
        // the rights when it opens: the mask is in the client's copy first.
        const QString exportMask = QStringLiteral("$.EXP.INP.AUT");
        QVERIFY(inject(QStringLiteral("$.EXP.INP"), parseQuoted("{'AUT':2}")));
        QTRY_COMPARE(session->mirrorValue(exportMask), Json::Value(2));
        int recordings = deviceCount("$.MEM.MTAB");
        HistMeasureList* list = openList(Logger::EXPORT_PAGE, recordings);
        QVERIFY(list);
        clickRow(list, 0);
        QVERIFY(tableOf(list)->selectionModel()->isRowSelected(0, QModelIndex()) && !actionOf(list)->isEnabled());
        back();
        // Nor delete exported files: that page follows the export right too, not the memory's.
        QVERIFY(exportsDeletable(false));
        back();
        list = openList(Logger::MANAGE_PAGE, recordings);
        QVERIFY(list);
        QTRY_COMPARE(checksOf(list), QString(recordings, QLatin1Char('u')));
        QVERIFY(inject(QStringLiteral("$.EXP.INP"), parseQuoted("{'AUT':65539}")));
        QTRY_COMPARE(session->mirrorValue(exportMask), Json::Value(65539));

        // During a measurement it may export (the export mask carries the measurement bit,
        // 65539) but not delete recordings (3 lacks it).
        openFromHome();
        QTRY_VERIFY(loggerButton()->isEnabled());
        QTest::mouseClick(loggerButton(), Qt::LeftButton);
        QTRY_VERIFY(loggerButton()->isEnabled() && loggerButton()->text() == QStringLiteral("Messung stoppen"));
        QTRY_COMPARE(session->rights()->checkRights(3), int(UserRoleUtil::READ_ONLY));   // the client saw it start
        recordings = deviceCount("$.MEM.MTAB");
        list = openList(Logger::MANAGE_PAGE, recordings);
        QVERIFY(list);
        QCOMPARE(checksOf(list), QString(recordings, QLatin1Char('-')));
        back();
        list = openList(Logger::EXPORT_PAGE, recordings);
        QVERIFY(list);
        clickRow(list, 0);
        QVERIFY(actionOf(list)->isEnabled() && press(actionOf(list)));
        QPointer<ExportMeasureDialog> dialog = session->window->findChild<ExportMeasureDialog*>();
        const int exports = deviceCount("$.EXP.MTAB");
        QVERIFY(dialog && press(buttonOf(dialog, "btnExportMeasureDialog_ExportFile")));
        // The device, measuring, takes the export: one exported file more.
        QVERIFY(waitFor([&] { return dialog.isNull() && deviceCount("$.EXP.MTAB") == exports + 1; }));
        QVERIFY(session->deviceValue(QStringLiteral("$.SERV.STAT.MEAS.VAL")) == "START");
        back();
        QVERIFY(exportsDeletable(true));   // and delete exported files

        openFromHome();
        QTest::mouseClick(loggerButton(), Qt::LeftButton);
        QTRY_VERIFY(loggerButton()->isEnabled() && loggerButton()->text() == QStringLiteral("Messung starten"));
    }
};

QTEST_MAIN(TestLogger)
#include "tst_logger.moc"
