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
const QString NAME_PATH = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");

} // namespace

class TestDeviceConfig : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    DeviceConfig* config() { return session->dataMain()->getDeviceConfig(); }
    TableObject* table() { return config()->tableObject(); }
    QString title() { return session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(); }

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
        const CellPlace place = findCell(table()->getTable(), [&](const TableCell& cell) {
            return cell.getCellType() == TableCell::LINK && cell.getValue().toString() == target;
        });
        QVERIFY2(place.found() && clickLink(*table(), place.row, place.column), qPrintable(target));
    }

    // Types text into the cell of path once it takes input.
    void typeInto(const QString& path, const QString& text)
    {
        QTRY_VERIFY(table()->isInputEnabled() && cellOf(path).getRights() == TableCell::EDITABLE);
        QVERIFY(typeIntoCell(table(), placeOf(path).row, placeOf(path).column, text));
    }

    void openSettings()
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSettings")));
        QTRY_VERIFY(showing(ROOT));
    }

    void openTable(const QString& link, const QString& path, bool mayBeEmpty = false)
    {
        openSettings();
        openLink(link);
        QTRY_VERIFY(showing(path, mayBeEmpty));
    }

private slots:
    void initTestCase()
    {
        DeviceConfigUtil::setPendingWriteTimeout(2000);
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void init()
    {
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("exact")));
    }

    void walkingTheTables()
    {
        openSettings();
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-root.png")));

        openLink(GENERAL);
        QTRY_VERIFY(showing(GENERAL));
        QCOMPARE(title(), QStringLiteral("Allgemein"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-allgemein.png")));

        // The side button keeps the table left; pressed again it restarts at the root.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadSettings")));
        QTRY_VERIFY(showing(GENERAL));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadSettings")));
        QTRY_VERIFY(showing(ROOT));
        QCOMPARE(config()->historyPaths(), QStringList({ROOT}));

        openLink(GENERAL);
        QTRY_VERIFY(showing(GENERAL));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QTRY_VERIFY(showing(ROOT));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QVERIFY(session->window->isCurrentPage(MainWindow::HOME));
    }

    void nameIsWrittenAndReadOnlyUntilTheEcho()
    {
        openTable(GENERAL, GENERAL);
        QVERIFY(session->simulator.clearRequestLog());
        session->simulator.setDelay(600, QStringLiteral("data"));   // holds the echo back a while
        typeInto(NAME_PATH, QStringLiteral(" Halle 4 "));
        QTRY_COMPARE(session->configSets().size(), 1);
        QCOMPARE(session->configSets().first().first, NAME_PATH);
        QCOMPARE(session->configSets().first().second, Json::Value("Halle 4"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-write-pending.png")));
        session->simulator.setDelay(0);

        QTRY_VERIFY(cellOf(NAME_PATH).getValue().toString() == QStringLiteral("Halle 4")
                    && cellOf(NAME_PATH).getRights() == TableCell::EDITABLE
                    && table()->isInputEnabled());
        QCOMPARE(session->configSets().size(), 1);
    }

    void unconfirmedWritesAreReleased()
    {
        enum Answer { ECHOED, SILENT, REFUSED };
        struct Case { const char* echo; QString path, typed, shownAfter; Answer answer; QString screenshot; };
        // Beyond the device's own limit it keeps its value and says nothing; without an
        // echo it takes the value and says nothing. Either way the cell then shows what
        // the device holds, read once, and the user is told. A refused write is only let go.
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        const QString place = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");
        const Case cases[] = {{"exact", rate, "5000", "10", SILENT, ""},
                              {"entry", place, "Linie 5", "Linie 5", ECHOED, ""},
                              {"none", place, "Linie 6", "Linie 6", SILENT, "config-not-confirmed.png"},
                              {"exact", place, "Linie 7", "Linie 6", REFUSED, ""}};
        const QString notConfirmed = QStringLiteral("Das Gerät hat den Wert nicht bestätigt.");
        StatusBar* bar = session->window->statusBarObject();
        QStringList shown;
        QObject listening;   // the connection ends with this function, however it ends
        connect(bar, &StatusBar::showMessage, &listening, [&shown](QString text, Severity, int) { shown << text; });
        for (const Case& c : cases) {
            openTable(GENERAL, GENERAL);
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
            QTRY_VERIFY(table()->isInputEnabled() && cellOf(c.path).getRights() == TableCell::EDITABLE);
            QTRY_COMPARE(cellOf(c.path).getValue().toString(), c.shownAfter);
            QTRY_COMPARE(session->reads().count(c.path), c.answer == SILENT ? 1 : 0);
            QCOMPARE(shown.contains(notConfirmed), c.answer == SILENT);
            if (c.answer == SILENT)   // the table built after the read leaves the notice standing
                QVERIFY2(bar->text().endsWith(notConfirmed), qPrintable(bar->text()));
            if (!c.screenshot.isEmpty())
                QVERIFY(grabScreenshot(session->window, c.screenshot));
        }
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("exact")));
    }

    // Each table in a fresh session, then the other: "Analogeingänge" reads only
    // $.DATA.AIN[*].KB.VAL, which must not pass for the inline entries $.DATA.AIN[*].KB.
    void tablesSharingAListFillInEitherOrder()
    {
        const QString inputs = QStringLiteral("$.DISP.AIN.MEN");
        const QString limits = QStringLiteral("$.DISP.ALRM.MEN");
        const QStringList names{"Temperatur Halle", "Feuchte Halle", "Vorlauf"};
        auto namesShown = [&] {
            for (int i = 0; i < names.size(); ++i) {
                const QString path = QStringLiteral("$.DATA.AIN[%1].KB.VAL").arg(i);
                if (!placeOf(path).found() || cellOf(path).getValue().toString() != names.at(i))
                    return false;
            }
            return true;
        };
        for (const auto& [first, second] : {std::pair{inputs, limits}, std::pair{limits, inputs}}) {
            QVERIFY(session->relogin());
            QVERIFY(session->simulator.clearRequestLog());
            openTable(first, first);
            QTRY_VERIFY2(namesShown(), qPrintable(first));
            openTable(second, second);
            QTRY_VERIFY2(namesShown(), qPrintable(second + " after " + first));
            if (second == limits)
                QVERIFY(grabScreenshot(session->window, QStringLiteral("config-alarmgrenzen.png")));
            const QStringList reads = session->reads();
            QCOMPARE(reads.count(QStringLiteral("$.DATA.AIN[*].KB")), 1);
            for (const QString& path : reads)
                QVERIFY2(reads.count(path) == 1, qPrintable(path + " read more than once"));
        }
    }

    void selectionTableOpensTheChosenInput()
    {
        openTable(QStringLiteral("$.DISP.AIN.MEN"), QStringLiteral("$.DISP.AIN.MEN"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-analogeingaenge.png")));
        QVERIFY(session->simulator.clearRequestLog());

        openLink(QStringLiteral("$.DATA.AIN[1].CFG"));
        QTRY_VERIFY(showing(QStringLiteral("$.DATA.AIN[1].CFG")));
        QCOMPARE(session->mirrorValue(QStringLiteral("$.CLNT.IDX.AIN")).asInt(), 1);
        QVERIFY(session->configSets().isEmpty());   // the index stays local
        QVERIFY(placeOf(QStringLiteral("$.DATA.AIN[1].KB.VAL")).found());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-ain1.png")));

        // The device removes the opened input: back to the selection table.
        QVERIFY(session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.AIN[1]"))));
        QTRY_VERIFY(showing(QStringLiteral("$.DISP.AIN.MEN")));
        QCOMPARE(config()->historyPaths().size(), 2);
    }

    void dataTablesWriteTheValueShown()
    {
        struct Case { QString link, path, typed, screenshot; };
        // Nested lists, two wildcards: the third sensor is the first of the second device.
        const Case cases[] = {{"$.DISP.ALRM.MEN", "$.DATA.AIN[0].LIM.HI", "85.5", ""},
                              {"$.DISP.ALRM.MEN", "$.DATA.AIN[1].KB.VAL", "Kessel", ""},
                              {"$.DISP.SENA.MEN", "$.DATA.DEV[1].SEN[0].KB", "Tankboden", "config-alle-fuehler.png"}};
        for (const Case& c : cases) {
            openTable(c.link, c.link);
            // Columns fill in as their values arrive.
            QTRY_VERIFY2(placeOf(c.path).found(), qPrintable(c.path));
            if (!c.screenshot.isEmpty())
                QVERIFY(grabScreenshot(session->window, c.screenshot));
            QVERIFY(session->simulator.clearRequestLog());
            typeInto(c.path, c.typed);
            QTRY_COMPARE(session->configSets().size(), 1);
            QCOMPARE(session->configSets().first().first, c.path);
            QCOMPARE(QString::fromStdString(session->configSets().first().second.asString()), c.typed);
            QTRY_COMPARE(cellOf(c.path).getValue().toString(), c.typed);
        }
    }

    void rightsFollowTheUserAndTheMeasurement()
    {
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234")));
        openTable(GENERAL, GENERAL);
        QCOMPARE(cellOf(NAME_PATH).getRights(), int(TableCell::EDITABLE));
        QCOMPARE(cellOf(QStringLiteral("$.DISP.GEN.MEN.LOC.VAL")).getRights(), int(TableCell::READ_ONLY));
        QCOMPARE(cellOf(QStringLiteral("$.DISP.GEN.MEN.EXPT.VAL")).getRights(), int(TableCell::NO_ACCESS));

        session->rights()->setMeasurementRunning(true);
        QTRY_COMPARE(cellOf(NAME_PATH).getRights(), int(TableCell::READ_ONLY));
        QCOMPARE(cellOf(QStringLiteral("$.DISP.GEN.MEN.BEEP.VAL")).getRights(), int(TableCell::EDITABLE));
        session->rights()->setMeasurementRunning(false);
        QTRY_COMPARE(cellOf(NAME_PATH).getRights(), int(TableCell::EDITABLE));
        QVERIFY(session->relogin());
    }

    void aChangeDuringAnEditWaits()
    {
        openTable(GENERAL, GENERAL);
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
        openTable(QStringLiteral("$.DISP.EVT.MEN"), QStringLiteral("$.DISP.EVT.MEN"), true);
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
        openTable(GENERAL, GENERAL);
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
