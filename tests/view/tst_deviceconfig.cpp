// The device configuration end to end, through the real device link and the
// simulator: walking the tables, writing values back and what the device
// answers, rights, deletions and the measurement screen's frame around it.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/DeviceConfigUtil.h"
#include "view/DeviceConfig.h"
#include "view/StatusBar.h"

#include <QLabel>
#include <QtTest>

using namespace tabletest;

namespace {

const QString ROOT = QStringLiteral("$.DISP");
const QString GENERAL = QStringLiteral("$.DISP.GEN.MEN");
const QString INPUTS = QStringLiteral("$.DISP.AIN.MEN");
const QString ALARMS = QStringLiteral("$.DISP.ALRM.MEN");
const QString NAME_PATH = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");

} // namespace

class TestDeviceConfig : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    DeviceConfig* config() { return session->dataMain()->getDeviceConfig(); }
    TableObject* table() { return config()->tableObject(); }

    // The table shown is the one built for path (with rows, unless it may be empty).
    bool showing(const QString& path, bool mayBeEmpty = false)
    {
        const TableStructure shown = table()->getTable();
        return shown.getPath() == path && (mayBeEmpty || !shown.getRows().isEmpty())
               && config()->historyPaths().last() == path;
    }

    CellPlace placeOf(const QString& path) { return cellWithPath(table()->getTable(), path); }
    TableCell cellOf(const QString& path)
    {
        const CellPlace place = placeOf(path);
        return table()->getTable().cellAt(place.row, place.column);
    }

    void openLink(const QString& target)
    {
        const auto clicked = [&] {
            const CellPlace place = findCell(table()->getTable(), [&](const TableCell& cell) {
                return cell.getCellType() == TableCell::LINK && cell.getValue().toString() == target;
            });
            return place.found() && clickLink(*table(), place.row, place.column);
        };
        QTRY_VERIFY2(clicked(), qPrintable(target));
        QTRY_VERIFY(showing(target, true));
    }

    // Types text into the cell of path once it takes input.
    void typeInto(const QString& path, const QString& text)
    {
        QTRY_VERIFY(table()->isInputEnabled() && cellOf(path).getRights() == TableCell::EDITABLE);
        QVERIFY(typeIntoCell(table(), placeOf(path).row, placeOf(path).column, text));
    }

    // The root from the home page, then the table of link when one is given.
    void openTable(const QString& link = QString(), bool mayBeEmpty = false)
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSettings")));
        QTRY_VERIFY(showing(ROOT));
        if (!link.isEmpty()) {
            openLink(link);
            QTRY_VERIFY(showing(link, mayBeEmpty));
        }
    }

private slots:
    void initTestCase()
    {
        DeviceConfigUtil::setPendingWriteTimeout(2000);
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void init() { QVERIFY(session->simulator.setEchoMode(QStringLiteral("exact"))); }

    void walkingTheTables()
    {
        openTable();
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-root.png")));
        openLink(GENERAL);
        QTRY_VERIFY(showing(GENERAL));
        QCOMPARE(session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(), QStringLiteral("Allgemein"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-allgemein.png")));

        // The side button keeps the table left; pressed again it restarts at the root.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadSettings")));
        QTRY_VERIFY(showing(GENERAL));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadSettings")));
        QTRY_VERIFY(showing(ROOT));
        QCOMPARE(config()->historyPaths(), QStringList({ROOT}));

        openLink(GENERAL);
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QTRY_VERIFY(showing(ROOT));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QVERIFY(session->window->isCurrentPage(MainWindow::HOME));
    }

    // Each table in a fresh session, then the other: "Analogeingänge" reads only
    // $.DATA.AIN[*].KB.VAL, which must not pass for the inline entries $.DATA.AIN[*].KB.
    void tablesSharingAListFillInEitherOrder()
    {
        const QStringList names{"Temperatur Halle", "Feuchte Halle", "Vorlauf"};
        auto namesShown = [&] {
            for (int i = 0; i < names.size(); ++i) {
                const QString path = QStringLiteral("$.DATA.AIN[%1].KB.VAL").arg(i);
                if (!placeOf(path).found() || cellOf(path).getValue().toString() != names.at(i))
                    return false;
            }
            return true;
        };
        for (const auto& [first, second] : {std::pair{INPUTS, ALARMS}, std::pair{ALARMS, INPUTS}}) {
            QVERIFY(session->relogin());
            QVERIFY(session->simulator.clearRequestLog());
            openTable(first);
            QTRY_VERIFY2(namesShown(), qPrintable(first));
            openTable(second);
            QTRY_VERIFY2(namesShown(), qPrintable(second + " after " + first));
            QVERIFY(grabScreenshot(session->window, second == ALARMS ? QStringLiteral("config-alarmgrenzen.png")
                                                                     : QStringLiteral("config-analogeingaenge.png")));
            const QStringList reads = session->reads();
            QCOMPARE(reads.count(QStringLiteral("$.DATA.AIN[*].KB")), 1);
            for (const QString& path : reads)
                QVERIFY2(reads.count(path) == 1, qPrintable(path + " read more than once"));
        }
    }

    void selectionTableOpensTheChosenInput()
    {
        openTable(INPUTS);
        QVERIFY(session->simulator.clearRequestLog());
        openLink(QStringLiteral("$.DATA.AIN[1].CFG"));
        QTRY_VERIFY(showing(QStringLiteral("$.DATA.AIN[1].CFG")));
        QCOMPARE(session->mirrorValue(QStringLiteral("$.CLNT.IDX.AIN")).asInt(), 1);
        QVERIFY(session->configSets().isEmpty());   // the index stays local
        QVERIFY(placeOf(QStringLiteral("$.DATA.AIN[1].KB.VAL")).found());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-ain1.png")));

        // The device removes the opened input: back to the selection table.
        QVERIFY(session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.AIN[1]"))));
        QTRY_VERIFY(showing(INPUTS));
        QCOMPARE(config()->historyPaths().size(), 2);
    }

    // Each write sends the value shown (trimmed) and ends with the cell taking input
    // again. Beyond the device's own limit it keeps its value and says nothing; without
    // an echo it takes the value and says nothing. Either way the cell then shows what
    // the device holds, read once, and the user is told. A refused write is only let go.
    // Data tables resolve nested lists: the third sensor is the first of the second device.
    void writesAndWhatTheDeviceAnswers()
    {
        enum Answer { ECHOED, SILENT, REFUSED };
        struct Case { QString link; const char* echo; QString path, typed, shownAfter; Answer answer; QString screenshot; };
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        const QString place = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");
        const Case cases[] = {{GENERAL, "exact", NAME_PATH, " Halle 4 ", "Halle 4", ECHOED, ""},
                              {GENERAL, "exact", rate, "5000", "10", SILENT, ""},
                              {GENERAL, "entry", place, "Linie 5", "Linie 5", ECHOED, ""},
                              {GENERAL, "none", place, "Linie 6", "Linie 6", SILENT, "config-not-confirmed.png"},
                              {GENERAL, "exact", place, "Linie 7", "Linie 6", REFUSED, ""},
                              {ALARMS, "exact", "$.DATA.AIN[0].LIM.HI", "85.5", "85.5", ECHOED, ""},
                              {ALARMS, "exact", "$.DATA.AIN[1].KB.VAL", "Kessel", "Kessel", ECHOED, ""},
                              {"$.DISP.SENA.MEN", "exact", "$.DATA.DEV[1].SEN[0].KB", "Tankboden", "Tankboden", ECHOED,
                               "config-alle-fuehler.png"}};
        const QString notConfirmed = QStringLiteral("Das Gerät hat den Wert nicht bestätigt.");
        StatusBar* bar = session->window->statusBarObject();
        QStringList shown;
        QObject listening;   // the connection ends with this function, however it ends
        connect(bar, &StatusBar::showMessage, &listening, [&shown](QString text, Severity, int) { shown << text; });
        for (const Case& c : cases) {
            openTable(c.link);
            QVERIFY(session->simulator.setEchoMode(QLatin1String(c.echo)));
            if (c.path == rate) {
                // Only the client hears of a higher limit; the device keeps 3600.
                QVERIFY(session->injectSet(QStringLiteral("$.SERV.LIM.RMAX"), 9999, false));
                QTRY_VERIFY(cellOf(c.path).getMax() == 9999 && table()->isInputEnabled());
            }
            if (c.answer == REFUSED)
                QVERIFY(session->simulator.setFailure(SimulatorProcess::Failure::Status, 1, 403,
                                                      QStringLiteral("config")));
            QVERIFY(session->simulator.clearRequestLog());
            shown.clear();
            typeInto(c.path, c.typed);
            QTRY_COMPARE(session->configSets().size(), 1);   // saved: the table waits for the device
            QCOMPARE(session->configSets().first().first, c.path);
            QCOMPARE(QString::fromStdString(session->configSets().first().second.asString()), c.typed.trimmed());
            QTRY_VERIFY(table()->isInputEnabled() && cellOf(c.path).getRights() == TableCell::EDITABLE);
            QTRY_COMPARE(cellOf(c.path).getValue().toString(), c.shownAfter);
            QTRY_COMPARE(session->reads().count(c.path), c.answer == SILENT ? 1 : 0);
            QCOMPARE(shown.contains(notConfirmed), c.answer == SILENT);
            if (c.answer == SILENT)   // the table built after the read leaves the notice standing
                QVERIFY2(bar->text().endsWith(notConfirmed), qPrintable(bar->text()));
            QCOMPARE(session->configSets().size(), 1);
            if (!c.screenshot.isEmpty())
                QVERIFY(grabScreenshot(session->window, c.screenshot));
        }
    }

    void rightsFollowTheUserAndTheMeasurement()
    {
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234")));
        openTable(GENERAL);
        const auto rightsOf = [this](const char* entry) { return cellOf(GENERAL + "." + entry + ".VAL").getRights(); };
        QCOMPARE(QVector<int>({rightsOf("NAME"), rightsOf("LOC"), rightsOf("EXPT")}),
                 QVector<int>({TableCell::EDITABLE, TableCell::READ_ONLY, TableCell::NO_ACCESS}));
        session->rights()->setMeasurementRunning(true);
        QTRY_COMPARE(rightsOf("NAME"), int(TableCell::READ_ONLY));
        QCOMPARE(rightsOf("BEEP"), int(TableCell::EDITABLE));
        session->rights()->setMeasurementRunning(false);
        QTRY_COMPARE(rightsOf("NAME"), int(TableCell::EDITABLE));
        QVERIFY(session->relogin());
    }

    void aChangeDuringAnEditWaits()
    {
        openTable(GENERAL);
        const CellPlace name = placeOf(NAME_PATH);
        table()->editItem(table()->item(name.row, name.column));
        QVERIFY(table()->isEditing());
        const QString serial = QStringLiteral("$.DISP.GEN.MEN.SER.VAL");
        const QString before = cellOf(serial).getValue().toString();
        QVERIFY(session->injectSet(serial, "SN-999"));
        QTest::qWait(600);
        QCOMPARE(cellOf(serial).getValue().toString(), before);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        // The next change rebuilds.
        QVERIFY(session->injectSet(serial, "SN-1000"));
        QTRY_COMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-1000"));
    }

    void anEmptyListIsAskedForOnce()
    {
        QVERIFY(session->simulator.setEmptyReadsAsContainer(true));
        QVERIFY(session->simulator.clearRequestLog());
        openTable(QStringLiteral("$.DISP.EVT.MEN"), true);
        QTest::qWait(3000);
        const QStringList reads = session->reads();
        for (const QString& path : reads)
            QVERIFY2(reads.count(path) == 1, qPrintable(QStringLiteral("%1 read %2 times").arg(path).arg(reads.count(path))));
        QVERIFY(session->simulator.setEmptyReadsAsContainer(false));
    }

    void sensorConfigurationEndsWithItsSensor()
    {
        // (sensor, deleted node): the sensor itself, then the device of another sensor.
        const std::pair<QString, QString> cases[] = {{"$.DATA.DEV[0].SEN[1]", "$.DATA.DEV[0].SEN[1]"},
                                                     {"$.DATA.DEV[1].SEN[0]", "$.DATA.DEV[1]"}};
        for (auto [sensor, deleted] : cases) {
            QString path = sensor + QStringLiteral(".CFG");
            session->window->setPage(MainWindow::DATA_MAIN);
            session->dataMain()->setDeviceConfigFromSensorList(path, sensor);
            QTRY_VERIFY(showing(path));
            QVERIFY(session->inject(SimulatorProcess::delTelegram(deleted)));
            QTRY_COMPARE(session->dataMain()->getCurrentPage(), int(DataMain::SENSOR_PAGE));
        }
    }

    void aTableFromBeforeAResetIsDropped()
    {
        openTable(GENERAL);
        // The build of the table left arrives after the reset of a new login.
        TableStructure late = table()->getTable();
        config()->resetConfig();
        config()->setConfigTable(late);
        QVERIFY(config()->historyPaths().isEmpty());
        // The configuration button then opens the root, not the previous session's table.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadSettings")));
        QTRY_VERIFY(showing(ROOT));
    }
};

QTEST_MAIN(TestDeviceConfig)
#include "tst_deviceconfig.moc"
