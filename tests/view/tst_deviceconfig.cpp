// The sensor list and the device configuration end to end in one session: the
// list from the device's description (also broken, empty or late), refreshes,
// sensors opened; the tables walked, writes and answers, rights, deletions.
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "common/PathRelation.h"
#include "util/DeviceConfigUtil.h"
#include "util/SensorListUtil.h"
#include "view/DeviceConfig.h"
#include "view/SensorList.h"
#include "view/StatusBar.h"
#include "widgets/ZComboBox.h"

#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <utility>

using namespace tabletest;

namespace {

const QString ROOT = QStringLiteral("$.DISP");
const QString GENERAL = QStringLiteral("$.DISP.GEN.MEN");
const QString INPUTS = QStringLiteral("$.DISP.AIN.MEN");
const QString ALARMS = QStringLiteral("$.DISP.ALRM.MEN");
const QString NAME_PATH = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");
const QStringList DEVICES{QStringLiteral(" 17 Pumpe"), QStringLiteral(" 18 Tank"), QStringLiteral(" 19 Kessel"),
                          QStringLiteral(" 20 Reserve")};
const QStringList UNNAMED{QString(), QString(), QString(), QString()};
const QString DEVICE_INDEX = QStringLiteral("$.CLNT.IDX.DEV");
const char* const DEVICE_COUNT = "$.DATA.DEVCNT";
const int LINK_COLUMN = 3;
const int NAME_COLUMN = 2;

} // namespace

class TestDeviceConfig : public QObject
{
    Q_OBJECT

    static constexpr int WRITE_TIMEOUT_MS = 2000;   // a confirmation's wait, unless a test says otherwise
    std::unique_ptr<ScreenSession> session;

    DataMain* screen() { return session->dataMain(); }
    DeviceConfig* config() { return screen()->getDeviceConfig(); }
    TableObject* table() { return config()->tableObject(); }

    // The table shown is the one built for path (with rows, unless it may be empty).
    bool showing(const QString& path, bool mayBeEmpty = false)
    {
        const TableStructure shown = table()->getTable();
        return shown.getPath() == path && (mayBeEmpty || !shown.getRows().isEmpty())
               && config()->historyPaths().last() == path;
    }

    CellPlace placeOf(const QString& path) { return cellWithPath(table()->getTable(), path); }
    // The cell of path in the table shown; an empty one while it has none.
    TableCell cellOf(const QString& path)
    {
        const CellPlace place = placeOf(path);
        return place.found() ? table()->getTable().cellAt(place.row, place.column) : TableCell();
    }

    void openLink(const QString& target, bool mayBeEmpty = false)
    {
        const auto clicked = [&] {
            const CellPlace place = findCell(table()->getTable(), [&](const TableCell& cell) {
                return cell.getCellType() == TableCell::LINK && cell.getValue().toString() == target;
            });
            return place.found() && clickLink(*table(), place.row, place.column);
        };
        QTRY_VERIFY2(clicked(), qPrintable(target));
        QTRY_VERIFY(showing(target, mayBeEmpty));
    }

    // Types text into the cell of path once it shows and takes input.
    void typeInto(const QString& path, const QString& text)
    {
        QTRY_VERIFY(table()->isInputEnabled() && cellOf(path).getRights() == TableCell::EDITABLE
                    && table()->item(placeOf(path).row, placeOf(path).column));
        QVERIFY(typeIntoCell(table(), placeOf(path).row, placeOf(path).column, text));
    }

    // typeInto, for a write the device leaves unconfirmed: it is read back after expiryMs, and
    // that read is given up only after a minute. The long time-out is set at the save itself, so
    // no load can give the expiry the long one or the read back the short one.
    void typeUnconfirmed(const QString& path, const QString& text, int expiryMs)
    {
        DeviceConfigUtil::setPendingWriteTimeout(expiryMs);
        bool saved = false;
        QObject saving;
        connect(table(), &TableObject::changeValue, &saving, [&saved] {
            DeviceConfigUtil::setPendingWriteTimeout(60000);   // after the screen's save
            saved = true;
        });
        typeInto(path, text);
        QTRY_VERIFY(saved);   // the editor commits on the next turn of the event loop
    }

    // The root from the home page, then the table of link when one is given.
    void openTable(const QString& link = QString(), bool mayBeEmpty = false)
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSettings")));
        QTRY_VERIFY(showing(ROOT));
        if (!link.isEmpty())
            openLink(link, mayBeEmpty);
    }

    SensorList* list() { return screen()->getSensorList(); }
    TableObject* listTable() { return list()->tableObject(); }
    QComboBox* devices() { return session->find<QComboBox>(QStringLiteral("cmbDeviceListMenu")); }
    bool onSensorPage() { return screen()->getCurrentPage() == DataMain::SENSOR_PAGE; }
    bool mirrorHolds(const QString& path, int value) { return session->mirrorValue(path) == value; }

    QStringList deviceNames()
    {
        QStringList names;
        for (int i = 0; i < devices()->count(); ++i)
            names << devices()->itemText(i);
        return names;
    }

    // The cell of the table on screen at (r, c); an empty one when it has none.
    TableCell shown(int r, int c)
    {
        const TableStructure onScreen = listTable()->getTable();
        return onScreen.contains(r, c) ? onScreen.cellAt(r, c) : TableCell();
    }
    QString sensorName(int r) { return shown(r, NAME_COLUMN).getValue().toString(); }

    // The table on screen is the one of device index (its links point into its first sensor).
    bool showsDevice(int index, int rows)
    {
        return listTable()->getTable().rowCount() == rows
               && (rows == 0 || pathCovers(QStringLiteral("$.DATA.DEV[%1].SEN[0]").arg(index), shown(0, LINK_COLUMN).getPath()));
    }

    // The device sets these values, then (mark) bumps device 0's change marker so the list refreshes.
    void change(std::initializer_list<std::pair<const char*, Json::Value>> values, bool mark = true)
    {
        static int marker = 100;
        Json::Value telegrams(Json::arrayValue);
        for (const auto& value : values)
            telegrams.append(SimulatorProcess::setTelegram(QLatin1String(value.first), value.second));
        if (mark)
            telegrams.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[0].CHG"), ++marker));
        QVERIFY(session->inject(telegrams));
    }

    void showList(int device = -1, int rows = 0)
    {
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSensor")) && onSensorPage());
        QTRY_COMPARE(deviceNames(), DEVICES);
        if (device >= 0)
            choose(device, rows);
    }

    void choose(int index, int rows)
    {
        devices()->setCurrentIndex(index);
        QTRY_VERIFY(showsDevice(index, rows));
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QStringList>("QStringList&");   // for the signal spy
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    // Whatever the test before changed or left when it failed.
    void init()
    {
        DeviceConfigUtil::setPendingWriteTimeout(WRITE_TIMEOUT_MS);
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("exact")) && session->simulator.clearFaults());
    }

    void devicesChosenAndStaleRows()
    {
        showList(0, 2);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("sensorlist_pumpe.png")));

        // Choosing a device selects it in the local mirror only, with its first sensor.
        session->json()->appendJson(Json::Value(1), QStringLiteral("$.CLNT.IDX.SEN"));
        QVERIFY(session->simulator.clearRequestLog());
        choose(1, 1);
        QVERIFY(mirrorHolds(DEVICE_INDEX, 1) && mirrorHolds(QStringLiteral("$.CLNT.IDX.SEN"), 0));
        QVERIFY(!session->sentText(QStringLiteral("CLNT")));

        // Another device chosen: the old rows open nothing until its table shows.
        devices()->setCurrentIndex(0);
        QVERIFY(clickLink(*listTable(), 0, LINK_COLUMN));
        QTRY_VERIFY(showsDevice(0, 2));
        QVERIFY(onSensorPage());
        // The mirror's selection moved under the table on screen: its rows open nothing either.
        session->json()->appendJson(Json::Value(1), DEVICE_INDEX);
        QVERIFY(clickLink(*listTable(), 1, LINK_COLUMN));
        QVERIFY(session->pollCycles() && onSensorPage());
    }

    // Hidden, the list neither reads nor rebuilds; showing it catches up; shown, a
    // sensor's change marker refreshes the table. Device counts and names.
    void refreshesCountsAndNames()
    {
        showList(0, 2);
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QSignalSpy lists(list()->sensorListUtil(), SIGNAL(updateDeviceList(QStringList&)));
        change({{"$.DATA.DEV[0].SEN[1].KB", "Rücklauf 2"}});
        QTRY_COMPARE(session->mirrorValue(QStringLiteral("$.DATA.DEV[0].SEN[1].KB")), Json::Value("Rücklauf 2"));
        QVERIFY(session->pollCycles());
        QCOMPARE(lists.count(), 0);
        QCOMPARE(sensorName(1), QStringLiteral("Rücklauf"));
        showList();
        QTRY_COMPARE(sensorName(1), QStringLiteral("Rücklauf 2"));
        change({{"$.DATA.DEV[0].SEN[1].KB", "Rücklauf"}, {"$.DATA.DEV[0].SEN[1].CHG", 7}}, false);
        QTRY_COMPARE(sensorName(1), QStringLiteral("Rücklauf"));

        LogCapture log;
        // A description path with more matches than devices adds nothing.
        change({{DEVICE_COUNT, 3}});
        QTRY_COMPARE(deviceNames(), UNNAMED.mid(1));

        // Counts that are no device count give no list and one warning each, never an allocation.
        lists.clear();
        const auto warnings = [&log] { return log.matching(QStringLiteral("no devices are listed")).size(); };
        for (const Json::Value& count : {Json::Value(2000000000), Json::Value(2.5)}) {
            log.clear();
            change({{DEVICE_COUNT, count}});
            QTRY_VERIFY(devices()->count() == 0 && warnings() == 1);
            const int shown = lists.count();
            change({});
            QTRY_VERIFY(lists.count() > shown);
            QCOMPARE(warnings(), 1);
        }
        change({{DEVICE_COUNT, 4}});
        QTRY_COMPARE(deviceNames(), DEVICES);

        // Two devices of one name: the chosen one stays chosen while its place keeps the name.
        change({{"$.DATA.DEV[1].ADR", "17"}, {"$.DATA.DEV[1].NAME", "Pumpe"}});
        QTRY_COMPARE(devices()->itemText(1), QStringLiteral(" 17 Pumpe"));
        choose(1, 1);
        change({{"$.DATA.DEV[3].NAME", "Reserve 2"}});
        QTRY_COMPARE(devices()->itemText(3), QStringLiteral(" 20 Reserve 2"));
        QVERIFY(mirrorHolds(DEVICE_INDEX, 1));
        change({{"$.DATA.DEV[1].ADR", "18"}, {"$.DATA.DEV[1].NAME", "Tank"}, {"$.DATA.DEV[3].NAME", "Reserve"}});
        QTRY_COMPARE(deviceNames(), DEVICES);
    }

    void openSensorsAndRenameOnKessel()
    {
        // Links name each sensor's settings inside it; ones naming the sensor open it the same.
        const QString sensor = QStringLiteral("$.DATA.DEV[2].SEN[2].CFG");
        const QString linkColumn = QStringLiteral("$.DISP.SEM.TD[3].PATH");
        const struct { Json::Value column; QString link; } shapes[] = {
            {"$.DATA.DEV[($.CLNT.IDX.DEV)].SEN[*]", QStringLiteral("$.DATA.DEV[2].SEN[2]")},
            {session->deviceValue(linkColumn), sensor},
        };
        for (const auto& shape : shapes) {
            QVERIFY(session->injectSet(linkColumn, shape.column, false));
            showList(2, 8);
            QTRY_COMPARE(shown(2, LINK_COLUMN).getPath(), shape.link);
            QVERIFY(clickLink(*listTable(), 2, LINK_COLUMN));
            QCOMPARE(screen()->getCurrentPage(), int(DataMain::CONFIG_PAGE));
            QCOMPARE(config()->historyPaths(), QStringList{sensor});
        }
        // A rename there shows in the list.
        typeInto(sensor + QStringLiteral(".KB.VAL"), QStringLiteral("Druck neu"));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")) && onSensorPage());
        QTRY_COMPARE(sensorName(2), QStringLiteral("Druck neu"));
    }

    // "Alle Fühler" makes the devices in the mirror with their sensors only: the list still
    // reads their container for the names, in either order, each path once.
    void deviceChoiceAfterAllSensorsInEitherOrder()
    {
        const QString allSensors = QStringLiteral("$.DISP.SENA.MEN");
        for (const bool tableFirst : {true, false}) {
            QVERIFY(session->relogin() && session->simulator.clearRequestLog());
            if (!tableFirst)
                showList(0, 2);
            openTable(allSensors);
            showList(0, 2);
            QVERIFY(deviceNames() == DEVICES && grabScreenshot(session->window, tableFirst
                                                                   ? QStringLiteral("sensorlist-after-all-sensors.png")
                                                                   : QStringLiteral("sensorlist-before-all-sensors.png")));
            QVERIFY(session->pollCycles());
            const QStringList reads = session->reads();
            QCOMPARE(reads.count(QStringLiteral("$.DATA.DEV")), 1);
            for (const QString& path : reads)
                QVERIFY2(reads.count(path) == 1, qPrintable(path + " read more than once: " + reads.join(QLatin1Char(' '))));
        }
    }

    // Empty or missing data is asked for once, however often the list refreshes.
    void emptyDataStaysQuiet()
    {
        showList(3, 0);
        QVERIFY(session->simulator.clearRequestLog());
        const QString marker = QStringLiteral("$.DATA.DEV[0].CHG");
        for (int refresh = 0; refresh < 3; ++refresh) {
            change({});
            QTRY_COMPARE(session->mirrorValue(marker), session->deviceValue(marker));
        }
        QVERIFY(session->pollCycles());
        QVERIFY2(session->reads().isEmpty(), qPrintable(session->reads().join(QLatin1Char(' '))));

        // Empty reads answered with an empty container change the list's data: no reading loop.
        const Json::Value all = session->deviceValue(QStringLiteral("$.DATA.DEV"));
        QVERIFY(session->simulator.setEmptyReadsAsContainer(true) && session->simulator.clearRequestLog());
        change({{"$.DATA.DEV", Json::Value(Json::arrayValue)}, {DEVICE_COUNT, 0}}, false);
        QTRY_COMPARE(devices()->count(), 0);
        // Devices counted, their list gone: what the list and its table show is asked for once.
        change({{DEVICE_COUNT, 4}}, false);
        QVERIFY(session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.DEV"))));
        QTRY_VERIFY(session->reads().contains(QStringLiteral("$.DATA.DEV")));
        QVERIFY(session->pollCycles());
        // The list exactly once; the table's columns, when it was built before the list came, once each.
        const QStringList reads = session->reads();
        QCOMPARE(reads.count(QStringLiteral("$.DATA.DEV")), 1);
        for (const QString& path : reads)
            QVERIFY2(reads.count(path) == 1, qPrintable(path + " read more than once: " + reads.join(QLatin1Char(' '))));
        QVERIFY(session->simulator.setEmptyReadsAsContainer(false));
        change({{"$.DATA.DEV", all}}, false);
        QTRY_COMPARE(deviceNames(), DEVICES);
    }

    // Logs in again to a device whose description comes late and in parts.
    void lateAndPartialDescription()
    {
        const Json::Value description = session->deviceValue(QStringLiteral("$.DATA.SE"));
        QVERIFY(description.isObject() && session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.SE"))));
        QVERIFY(session->relogin());
        QSignalSpy tables(list()->sensorListUtil(), SIGNAL(updateSensorTable(TableStructure&)));
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSensor")) && session->pollCycles());
        QCOMPARE(devices()->count(), 0);

        // A part of the wrong type and one missing: devices without names, no table, nothing selected.
        Json::Value partial = description;
        partial["DESC"] = "$.DATA.DEV[*].ADR";
        partial.removeMember("TAB");
        change({{"$.DATA.SE", partial}}, false);
        QTRY_COMPARE(deviceNames(), UNNAMED);
        devices()->setCurrentIndex(2);
        QVERIFY(session->pollCycles() && mirrorHolds(DEVICE_INDEX, 0));
        QCOMPARE(tables.count(), 0);

        // The missing parts arrive: names and table follow, the first device chosen.
        change({{"$.DATA.SE.DESC", description["DESC"]}, {"$.DATA.SE.TAB", description["TAB"]}}, false);
        QTRY_VERIFY(deviceNames() == DEVICES && showsDevice(0, 2));
    }

    void walkingTheTables()
    {
        openTable();
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-root.png")));
        openLink(GENERAL);
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
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")) && session->window->isCurrentPage(MainWindow::HOME));

        // A table built before a login's reset is dropped: the button opens the root.
        openTable(GENERAL);
        TableStructure late = table()->getTable();
        config()->resetConfig();
        config()->setConfigTable(late);
        QVERIFY(config()->historyPaths().isEmpty() && session->click(QStringLiteral("tbtnDataHeadChart")));
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadSettings")));
        QTRY_VERIFY(showing(ROOT));
    }

    // Each table in a fresh session, then the other: "Analogeingänge" reads only
    // $.DATA.AIN[*].KB.VAL, which must not pass for the inline entries $.DATA.AIN[*].KB.
    void tablesSharingAListFillInEitherOrder()
    {
        const QStringList names{"Temperatur Halle", "Feuchte Halle", "Vorlauf"};
        auto namesShown = [&] {
            for (int i = 0; i < names.size(); ++i)
                if (cellOf(QStringLiteral("$.DATA.AIN[%1].KB.VAL").arg(i)).getValue().toString() != names.at(i))
                    return false;
            return true;
        };
        for (const auto& [first, second] : {std::pair{INPUTS, ALARMS}, std::pair{ALARMS, INPUTS}}) {
            QVERIFY(session->relogin() && session->simulator.clearRequestLog());
            openTable(first);
            QTRY_VERIFY2(namesShown(), qPrintable(first));
            openTable(second);
            QTRY_VERIFY2(namesShown(), qPrintable(second + " after " + first));
            QVERIFY(grabScreenshot(session->window, second == ALARMS ? QStringLiteral("config-alarmgrenzen.png")
                                                                     : QStringLiteral("config-analogeingaenge.png")));
            const QStringList reads = session->reads();
            QCOMPARE(reads.count(QStringLiteral("$.DATA.AIN[*].KB")), 1);
            for (const QString& path : reads)
                QVERIFY2(reads.count(path) == 1, qPrintable(path + " read more than once: " + reads.join(QLatin1Char(' '))));
        }

        // The selection opens the chosen input (index kept local); removed: back to the selection.
        QVERIFY(session->simulator.clearRequestLog());
        openLink(QStringLiteral("$.DATA.AIN[1].CFG"));
        QCOMPARE(session->mirrorValue(QStringLiteral("$.CLNT.IDX.AIN")).asInt(), 1);
        QVERIFY(session->configSets().isEmpty() && placeOf(QStringLiteral("$.DATA.AIN[1].KB.VAL")).found());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("config-ain1.png")));
        QVERIFY(session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.AIN[1]"))));
        QTRY_VERIFY(showing(INPUTS));
        QCOMPARE(config()->historyPaths().size(), 2);
    }

    // A write sends the value (trimmed); the cell takes input again. Unconfirmed (no echo): the
    // cell shows what the device holds, read once, and the user is told until the read shows
    // the device holds the value after all; refused (403): let go
    // at once, showing the device's value; a value the device refuses (over its limit, emptied):
    // its own value comes back at once with the device's reason. The third sensor is device 2's first.
    void writesAndWhatTheDeviceAnswers()
    {
        enum Answer { ECHOED, SILENT, REFUSED, KEPT };
        // sent: what the device gets when it is not the typed text trimmed.
        struct Case { QString link; const char* echo; QString path, typed, shownAfter; Answer answer; QString screenshot;
                      QString sent = QString(); };
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        const QString place = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");
        const QString lowAlarm = QStringLiteral("$.DATA.AIN[0].LIM.LO");
        const Case cases[] = {{GENERAL, "exact", NAME_PATH, " Halle 4 ", "Halle 4", ECHOED, ""},
                              {GENERAL, "exact", rate, "5000", "10", KEPT, ""},
                              // A decimal comma is the decimal point, in a checked cell and in a data table.
                              {GENERAL, "exact", rate, "2,5", "2.5", ECHOED, "config-messrate-comma.png", "2.5"},
                              {GENERAL, "exact", QStringLiteral("$.DISP.GEN.MEN.OFFS.VAL"), "1,5", "1.5", ECHOED, "", "1.5"},
                              {ALARMS, "exact", lowAlarm, "-12,5", "-12.5", ECHOED, "", "-12.5"},
                              // Beyond the column's limits, or emptied: the device keeps its value.
                              {ALARMS, "exact", lowAlarm, "99999999999999999999", "-12.5", KEPT,
                               "config-alarm-out-of-limits.png"},
                              {ALARMS, "exact", lowAlarm, "", "-12.5", KEPT, "config-alarm-emptied.png"},
                              {GENERAL, "entry", place, "Linie 5", "Linie 5", ECHOED, ""},
                              {GENERAL, "none", place, "Linie 6", "Linie 6", SILENT, "config-not-confirmed.png"},
                              {GENERAL, "exact", place, "Linie 7", "Linie 6", REFUSED, "config-refused.png"},
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
            if (!showing(c.link))   // the table of the last case serves the next one
                openTable(c.link);
            QVERIFY(session->simulator.setEchoMode(QLatin1String(c.echo)));
            if (c.path == rate) {
                // Only the client hears of a higher limit; the device keeps 3600.
                QVERIFY(session->injectSet(QStringLiteral("$.SERV.LIM.RMAX"), 9999, false));
                QTRY_VERIFY(cellOf(c.path).getMax() == 9999 && table()->isInputEnabled());
            }
            // A refused write is let go at once: no release by time can pass for it.
            // Only a write the device leaves unconfirmed may be let go by time: a slow echo must not pass for one.
            DeviceConfigUtil::setPendingWriteTimeout(c.answer == SILENT ? 500 : 60000);
            if (c.answer == REFUSED)
                QVERIFY(session->simulator.setFailure(SimulatorProcess::Failure::Status, 1, 403,
                                                      QStringLiteral("config")));
            if (c.answer == SILENT)   // the read back takes its time: the notice shows meanwhile
                QVERIFY(session->simulator.setDelay(1500, QStringLiteral("path")));
            QVERIFY(session->simulator.clearRequestLog());
            shown.clear();
            typeInto(c.path, c.typed);
            QTRY_COMPARE(session->configSets().size(), 1);   // saved: the table waits for the device
            QCOMPARE(session->configSets().first().first, c.path);
            const Json::Value sent = session->configSets().first().second;
            QVERIFY(c.typed.isEmpty() ? sent.isNull() : sent.isString());   // an emptied number is sent as null
            QCOMPARE(QString::fromStdString(sent.asString()), c.sent.isNull() ? c.typed.trimmed() : c.sent);
            if (c.answer == SILENT) {
                QTRY_VERIFY(bar->message() == notConfirmed);
                QCOMPARE(cellOf(c.path).getRights(), int(TableCell::READ_ONLY));
                QVERIFY(grabScreenshot(session->window, c.screenshot));
                QVERIFY(session->simulator.setDelay(0, QStringLiteral("path")));
            }
            QTRY_VERIFY(table()->isInputEnabled() && cellOf(c.path).getRights() == TableCell::EDITABLE);
            QTRY_COMPARE(cellOf(c.path).getValue().toString(), c.shownAfter);
            // An answered write is never read back nor told as unconfirmed: with the expiry
            // a minute away here, that is checked in aRefusedValueComesBackWithTheReason.
            if (c.answer == SILENT) {   // the read shows the device took the value: the notice goes
                QTRY_COMPARE(session->reads().count(c.path), 1);
                QVERIFY(shown.contains(notConfirmed));
                QTRY_VERIFY2(bar->message() != notConfirmed, qPrintable(bar->text()));
            }
            if (c.answer == ECHOED)   // the table rebuilt on the echo says so, replacing the saving note
                QTRY_COMPARE(bar->message(), QStringLiteral("Aktualisierung der Einstellung"));
            if (c.answer == REFUSED)   // and the one built at the refusal leaves the device link's
                QVERIFY2(bar->text().contains(QStringLiteral("abgelehnt (HTTP 403)")), qPrintable(bar->text()));
            if (c.answer == KEPT)   // the device's own reason
                QTRY_VERIFY2(bar->text().endsWith(QStringLiteral(", nicht übernommen.")), qPrintable(bar->text()));
            QCOMPARE(session->configSets().size(), 1);
            if (!c.screenshot.isEmpty() && c.answer != SILENT)
                QVERIFY(grabScreenshot(session->window, c.screenshot));
        }
    }

    // A text a checked cell does not take stays as typed, framed red: Enter writes nothing and
    // says what the cell takes, leaving the cell keeps the device's value. No keystroke is
    // dropped so that the rest makes another number. A comma pasted whole or typed between
    // digits is the decimal point, and a value the cell takes is still written.
    void aTextTheCellDoesNotTakeIsNotWritten()
    {
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        const QString offset = QStringLiteral("$.DISP.GEN.MEN.OFFS.VAL");
        const QString rateHint = QStringLiteral("Erlaubt: eine Zahl von 1 bis ");
        const QString offsetHint = QStringLiteral("Erlaubt: eine Zahl von -5 bis 5, Nachkommastellen: höchstens 2");
        struct Case { QString path, typed, hint; };
        const Case notTaken[] = {{rate, "-3", rateHint}, {rate, "1,2,3", rateHint}, {rate, "1.000,5", rateHint},
                                 {rate, "1234567", rateHint}, {rate, "2,55", rateHint}, {rate, "1x", rateHint},
                                 {offset, "1,2,3", offsetHint}, {offset, "1.000,5", offsetHint},
                                 {offset, "1,234", offsetHint}, {offset, "-7", offsetHint},
                                 {NAME_PATH, "Halle 4 an der Nordseite", "Erlaubt: ein Text nach der Vorgabe des Geräts"}};
        openTable(GENERAL);
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("exact")) && session->simulator.clearRequestLog());
        StatusBar* bar = session->window->statusBarObject();
        const auto toldWhatItTakes = [bar](const QString& hint) {
            return bar->message().startsWith(QStringLiteral("Eingabe nicht übernommen. ") + hint);
        };
        for (const Case& c : notTaken) {
            const QByteArray what = (c.path + " " + c.typed).toUtf8();
            const Json::Value held = session->deviceValue(c.path);
            const QString shown = cellOf(c.path).getValue().toString();
            bar->update();   // no row passes on the notice of the row before
            typeInto(c.path, c.typed);   // and Enter
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY2(editor && table()->isEditing(), what);
            const QString kept = c.path == NAME_PATH ? c.typed : QString(c.typed).replace(QLatin1Char(','), QLatin1Char('.'));
            QVERIFY2(editor->text() == kept && editor->styleSheet().contains(QLatin1String("red")), what);
            QVERIFY2(toldWhatItTakes(c.hint), qPrintable(bar->text()));
            if (c.typed == QLatin1String("1,2,3") && c.path == rate)
                QVERIFY(grabScreenshot(session->window, QStringLiteral("config-not-taken.png")));
            bar->update();
            table()->setFocus();   // leaving the cell: told again
            QTRY_VERIFY2(!table()->isEditing(), what);
            QVERIFY2(toldWhatItTakes(c.hint), qPrintable(bar->text()));
            QVERIFY2(cellOf(c.path).getValue().toString() == shown && session->deviceValue(c.path) == held, what);
        }

        // Taken: pasted whole, a comma typed between digits, a plain value.
        const auto edit = [this](const QString& path, const std::function<void(QLineEdit*)>& typing) {
            QTRY_VERIFY(table()->isInputEnabled() && cellOf(path).getRights() == TableCell::EDITABLE);
            table()->editItem(table()->item(placeOf(path).row, placeOf(path).column));
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(editor);
            editor->selectAll();
            typing(editor);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!table()->isEditing());
        };
        const double pasted = session->deviceValue(rate).asDouble() == 7.5 ? 8.5 : 7.5;
        edit(rate, [pasted](QLineEdit* editor) {
            QApplication::clipboard()->setText(QString::number(pasted).replace(QLatin1Char('.'), QLatin1Char(',')));
            QTest::keySequence(editor, QKeySequence::Paste);
        });
        QTRY_COMPARE(session->deviceValue(rate).asDouble(), pasted);
        edit(rate, [](QLineEdit* editor) {
            QTest::keyClicks(editor, QStringLiteral("35"));
            QTest::keyClick(editor, Qt::Key_Left);
            QTest::keyClicks(editor, QStringLiteral(","));
        });
        QTRY_COMPARE(session->deviceValue(rate).asDouble(), 3.5);
        typeInto(offset, QStringLiteral("-0,25"));
        QTRY_COMPARE(session->deviceValue(offset).asDouble(), -0.25);
        // Only these three reached the device, as typed with a full stop.
        const QVector<std::pair<QString, Json::Value>> sets{
            {rate, QString::number(pasted).toStdString()},
            {rate, "3.5"}, {offset, "-0.25"}};
        QCOMPARE(session->configSets(), sets);
    }

    // An editor holding a text its cell does not take writes nothing however it is left, and
    // each way out says what the cell takes. Tab keeps the editor, as Enter does.
    void noWayOutOfAnEditorWritesATextTheCellDoesNotTake()
    {
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        const QString offset = QStringLiteral("$.DISP.GEN.MEN.OFFS.VAL");
        const Json::Value held = session->deviceValue(rate);
        openTable(GENERAL);
        QVERIFY(session->simulator.clearRequestLog());
        StatusBar* bar = session->window->statusBarObject();
        const std::pair<const char*, std::function<void(QLineEdit*)>> ways[] = {
            {"Enter", [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Return); }},
            {"Tab", [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Tab); }},
            {"arrow key", [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Down); }},
            {"click on another cell", [this, offset](QLineEdit*) {
                 const QRect other = table()->visualRect(table()->model()->index(placeOf(offset).row, placeOf(offset).column));
                 QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, other.center());
             }}};
        for (const auto& way : ways) {
            QTRY_VERIFY(table()->isInputEnabled() && !table()->isEditing());
            table()->setCurrentCell(placeOf(rate).row, placeOf(rate).column);   // as a click on it makes it
            table()->editItem(table()->item(placeOf(rate).row, placeOf(rate).column));
            auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY2(editor, way.first);
            editor->selectAll();
            QTest::keyClicks(editor, QStringLiteral("1,2,3"));
            bar->update();
            way.second(editor);
            QVERIFY2(bar->message().startsWith(QStringLiteral("Eingabe nicht übernommen. Erlaubt: eine Zahl von 1 bis")),
                     way.first);
            if (table()->isEditing())   // Enter and Tab keep the editor; Escape leaves it
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QTRY_VERIFY2(!table()->isEditing(), way.first);
            QVERIFY2(session->pollCycles(), way.first);   // a write queued by the way out has reached the device
            QVERIFY2(session->configSets().isEmpty() && session->mirrorValue(rate) == held, way.first);
        }
    }

    // The "not taken" notice stands only while it is true: another table (Zurück) or another
    // screen ends it.
    void theNotTakenNoticeGoesWhenNoLongerTrue()
    {
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        StatusBar* bar = session->window->statusBarObject();
        const auto told = [bar] { return bar->message().startsWith(QStringLiteral("Eingabe nicht übernommen.")); };
        const auto refuseRate = [&] {
            typeInto(rate, QStringLiteral("1,2,3"));
            QVERIFY(told() && table()->isEditing());
        };
        openTable(GENERAL);

        // Escape, then Zurück to the root table. (A text mended and written: tst_logger.)
        refuseRate();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(told());
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QTRY_VERIFY(showing(ROOT));
        QVERIFY2(!told(), qPrintable(bar->text()));

        // Escape, then the chart.
        openLink(GENERAL);
        refuseRate();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QVERIFY2(!told(), qPrintable(bar->text()));

        // The editor still open: it goes with its table or screen and tells nothing as it goes.
        for (const char* way : {"tbtnDataBack", "tbtnDataHeadLogger", "tbtnDataHeadChart"}) {
            openTable(GENERAL);
            refuseRate();
            QVERIFY2(session->click(QLatin1String(way)), way);
            QTRY_VERIFY2(!table()->isEditing(), way);
            QCoreApplication::processEvents();   // a notice the editor would post as it goes
            QVERIFY2(!told(), qPrintable(QLatin1String(way) + QStringLiteral(": ") + bar->text()));
        }

        // Shift+Tab says what the cell takes, as Tab does; a refresh of the same table leaves that true.
        openTable(GENERAL);
        refuseRate();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        bar->update();
        QVERIFY(!told());
        const CellPlace place = placeOf(rate);
        table()->editItem(table()->item(place.row, place.column));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("-3"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QVERIFY(told() && table()->isEditing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        const QString serial = QStringLiteral("$.DISP.GEN.MEN.SER.VAL");
        QVERIFY(session->injectSet(serial, "SN-4711"));
        QTRY_COMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-4711"));
        QVERIFY2(told(), qPrintable(bar->text()));
    }

    // A value the device refuses for its column's limits, or emptied (sent as null), comes back
    // at once: the cell shows the device's value and takes input again, and the status bar says
    // why. The client's own time-out is long here, so only the device's answer lets the cell go.
    void aRefusedValueComesBackWithTheReason_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<bool>("expiryPasses");   // the client's time-out runs out after the answer
        const QString range = QStringLiteral("Wert außerhalb des zulässigen Bereichs (-200 … 850), nicht übernommen.");
        QTest::newRow("far above") << QStringLiteral("$.DATA.AIN[0].LIM.HI") << QStringLiteral("1e+20") << range
                                   << QStringLiteral("config-alarm-refused.png") << true;
        QTest::newRow("below") << QStringLiteral("$.DATA.AIN[1].LIM.LO") << QStringLiteral("-250") << range << QString()
                               << false;
        QTest::newRow("emptied") << QStringLiteral("$.DATA.AIN[1].LIM.HI") << QString()
                                 << QStringLiteral("Ungültiger Wert, nicht übernommen.") << QString() << false;
    }

    void aRefusedValueComesBackWithTheReason()
    {
        QFETCH(QString, path);
        QFETCH(QString, typed);
        QFETCH(QString, reason);
        QFETCH(QString, screenshot);
        QFETCH(bool, expiryPasses);
        if (!showing(ALARMS))
            openTable(ALARMS);
        QTRY_VERIFY(table()->isInputEnabled() && placeOf(path).found());
        const QString before = cellOf(path).getValue().toString();
        QVERIFY(!before.isEmpty() && before != typed);
        StatusBar* bar = session->window->statusBarObject();
        QStringList shown;
        QObject listening;
        connect(bar, &StatusBar::showMessage, &listening, [&shown](QString text, Severity, int) { shown << text; });
        // The device answers at its next poll, 20 ms away; 2 s leave room for any load.
        const int expiryMs = expiryPasses ? 2000 : 60000;
        DeviceConfigUtil::setPendingWriteTimeout(expiryMs);
        QVERIFY(session->simulator.clearRequestLog());
        // Due after the screen's expiry, which starts with the save.
        QTimer expiryOver;
        expiryOver.setSingleShot(true);
        connect(table(), &TableObject::changeValue, &expiryOver, [&] { expiryOver.start(expiryMs + 500); });
        QSignalSpy over(&expiryOver, &QTimer::timeout);
        typeInto(path, typed);
        QTRY_COMPARE(session->configSets().size(), 1);
        QCOMPARE(session->configSets().first().first, path);
        QTRY_VERIFY(table()->isInputEnabled() && cellOf(path).getRights() == TableCell::EDITABLE
                    && cellOf(path).getValue().toString() == before);
        QTRY_VERIFY2(shown.contains(reason) && bar->message() == reason, qPrintable(shown.join(QLatin1String(" | "))));
        if (expiryPasses) {
            // Answered, the write is neither read back nor told as unconfirmed when its time-out ends.
            QTRY_VERIFY_WITH_TIMEOUT(over.count() == 1, expiryMs + 5000);
            QVERIFY(session->pollCycles());   // a read back asked for at the expiry has reached the device
            QVERIFY(!shown.contains(QStringLiteral("Das Gerät hat den Wert nicht bestätigt.")));
            QVERIFY(!session->reads().contains(path));
        }
        if (!screenshot.isEmpty())
            QVERIFY(grabScreenshot(session->window, screenshot));
    }

    // An unconfirmed write is read back; until the answer, which comes late here, the cell
    // shows the written value, never the older one the mirror still holds.
    void anUnconfirmedWriteShowsItsValueUntilTheReadAnswers()
    {
        const QString place = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");
        const QString notConfirmed = QStringLiteral("Das Gerät hat den Wert nicht bestätigt.");
        openTable(GENERAL);
        QTRY_VERIFY(table()->isInputEnabled() && placeOf(place).found());
        const QString typed = cellOf(place).getValue().toString() == QLatin1String("Linie 8") ? QStringLiteral("Linie 9")
                                                                                             : QStringLiteral("Linie 8");
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("none")) && session->simulator.clearRequestLog());
        QVERIFY(session->simulator.setDelay(1000, QStringLiteral("path")));
        bool released = false;
        QObject listening;
        connect(session->window->statusBarObject(), &StatusBar::showMessage, &listening,
                [&](QString text, Severity, int) { released = released || text == notConfirmed; });
        // The write is released after 1 s; its read back is never given up by time here.
        typeUnconfirmed(place, typed, 1000);

        QStringList seen;
        bool sampledWhileReading = false;
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            const TableCell cell = cellOf(place);
            const bool editable = table()->isInputEnabled() && cell.getRights() == TableCell::EDITABLE;
            if (seen.isEmpty() || seen.last() != cell.getValue().toString())
                seen << cell.getValue().toString();
            if (released && editable)
                break;
            sampledWhileReading = sampledWhileReading || released;
            QVERIFY2(waited.elapsed() < 20000, qPrintable(seen.join(QLatin1String(", "))));
            QTest::qWait(10);
        }
        QVERIFY(session->simulator.setDelay(0, QStringLiteral("path")));
        QVERIFY2(seen == QStringList{typed} && sampledWhileReading, qPrintable(seen.join(QLatin1String(", "))));
        QCOMPARE(session->reads().count(place), 1);
        QCOMPARE(session->deviceValue(place), Json::Value(typed.toStdString()));
    }

    // A read back the device refuses lets the unconfirmed write go at once: the cell shows the
    // mirror's value and the device link's notice stands.
    void aRefusedReadBackLetsTheWriteGo()
    {
        const QString place = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");
        openTable(GENERAL);
        QTRY_VERIFY(table()->isInputEnabled() && placeOf(place).found());
        const QString before = cellOf(place).getValue().toString();
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("none")) && session->simulator.clearRequestLog());
        // Armed before the write, for the read of this path only: no other request spends it.
        QVERIFY(session->simulator.setFailure(SimulatorProcess::Failure::Status, 1, 403, QStringLiteral("path"),
                                              QLatin1Char('"') + place + QLatin1Char('"')));
        // Only the time-out of the read back is long: a release by time cannot pass for the refusal.
        typeUnconfirmed(place, before + QStringLiteral(" neu"), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(table()->isInputEnabled() && cellOf(place).getRights() == TableCell::EDITABLE, 20000);
        QCOMPARE(cellOf(place).getValue().toString(), before);
        QCOMPARE(session->configSets().size(), 1);
        QCOMPARE(session->reads().count(place), 1);
        const QString notice = session->window->statusBarObject()->text();
        QVERIFY2(notice.contains(QStringLiteral("abgelehnt (HTTP 403)")), qPrintable(notice));
        QVERIFY(session->injectSet(place, before.toStdString()));   // the device's value, known to both again
        QTRY_COMPARE(session->mirrorValue(place), Json::Value(before.toStdString()));
    }

    // A table rebuilt while a write waits (another of its entries changed on the device) shows
    // the waiting cell with the written value, read-only, though the mirror holds the older one.
    void aRebuildWhileAWriteWaitsKeepsTheWrittenValue()
    {
        const QString place = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");
        const QString serial = QStringLiteral("$.DISP.GEN.MEN.SER.VAL");
        openTable(GENERAL);
        QTRY_VERIFY(table()->isInputEnabled() && placeOf(place).found() && placeOf(serial).found());
        const QString before = cellOf(place).getValue().toString();
        const QString typed = before + QStringLiteral(" neu");
        // Unconfirmed (no echo), and not let go by time while the step runs.
        QVERIFY(session->simulator.setEchoMode(QStringLiteral("none")) && session->simulator.clearRequestLog());
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        typeInto(place, typed);
        QTRY_VERIFY(!table()->isInputEnabled() && session->configSets().size() == 1);

        const QString newSerial = cellOf(serial).getValue().toString() + QStringLiteral("-2");
        QVERIFY(session->injectSet(serial, newSerial.toStdString()));
        QTRY_COMPARE(cellOf(serial).getValue().toString(), newSerial);   // rebuilt
        QCOMPARE(session->mirrorValue(place), Json::Value(before.toStdString()));
        QCOMPARE(cellOf(place).getValue().toString(), typed);
        QCOMPARE(cellOf(place).getRights(), int(TableCell::READ_ONLY));
        QCOMPARE(itemText(table(), placeOf(place).row, placeOf(place).column), typed);   // as the user sees it

        // The device confirms: the cell takes input again, with the value written.
        QVERIFY(session->injectSet(place, typed.toStdString()));
        QTRY_VERIFY(table()->isInputEnabled() && cellOf(place).getRights() == TableCell::EDITABLE);
        QCOMPARE(cellOf(place).getValue().toString(), typed);
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

        // A measurement started and stopped on the device (by another client) does the same.
        const QString state = QStringLiteral("$.SERV.STAT.MEAS.VAL");
        const QString other = session->simulator.login(QStringLiteral("service"), QStringLiteral("service"));
        for (const char* running : {"START", "STOP"}) {
            QCOMPARE(session->simulator.post(QStringLiteral("config"), other,
                                             SimulatorProcess::setTelegram(QStringLiteral("$.SERV.FCT.STST.VAL"), 1)), 200);
            QTRY_COMPARE(session->mirrorValue(state), Json::Value(running));
            QTRY_COMPARE(rightsOf("NAME"), int(running == std::string("START") ? TableCell::READ_ONLY : TableCell::EDITABLE));
        }
        QVERIFY(session->relogin());
    }

    // On a slow link the written value shows read-only at once, not only with the device's answer,
    // and stays so while the write waits at the device, also once its wait and its read back's are up.
    // Once the device answers, the read back goes out: the cell goes from the written value straight
    // to the device's (the read's answer comes late here), never to the older value between.
    void aWriteOnASlowLinkIsHeldAtOnce()
    {
        const QString rate = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        openTable(GENERAL);
        const QString before = cellOf(rate).getValue().toString();
        const QString typed = before == QLatin1String("25") ? QStringLiteral("30") : QStringLiteral("25");
        DeviceConfigUtil::setPendingWriteTimeout(500);
        QVERIFY(session->simulator.setDelay(8000, QStringLiteral("config")));
        QStringList afterGiveUp;   // looked at once the read back's time is up too
        QObject timing;
        connect(session->window->statusBarObject(), &StatusBar::showMessage, &timing, [&](QString text, Severity, int) {
            if (text == QStringLiteral("Das Gerät hat den Wert nicht bestätigt.") && afterGiveUp.isEmpty())
                QTimer::singleShot(1000, Qt::PreciseTimer, &timing, [&] {
                    afterGiveUp << cellOf(rate).getValue().toString() << QString::number(cellOf(rate).getRights());
                    // Only the read back's answer may free the cell after the device's answer.
                    DeviceConfigUtil::setPendingWriteTimeout(60000);
                });
        });
        typeInto(rate, typed);
        QTRY_VERIFY(!table()->isEditing());
        QCOMPARE(cellOf(rate).getValue().toString(), typed);
        QCOMPARE(cellOf(rate).getRights(), int(TableCell::READ_ONLY));
        QTRY_VERIFY_WITH_TIMEOUT(!afterGiveUp.isEmpty(), 10000);
        QCOMPARE(afterGiveUp, (QStringList{typed, QString::number(TableCell::READ_ONLY)}));
        QVERIFY(session->simulator.setDelay(600, QStringLiteral("data")));
        QTRY_VERIFY_WITH_TIMEOUT(cellOf(rate).getRights() == TableCell::EDITABLE && table()->isInputEnabled(), 30000);
        QCOMPARE(cellOf(rate).getValue().toString(), typed);
        QVERIFY(session->simulator.clearFaults());
        DeviceConfigUtil::setPendingWriteTimeout(WRITE_TIMEOUT_MS);
        typeInto(rate, before);
        QTRY_VERIFY(cellOf(rate).getValue().toString() == before && cellOf(rate).getRights() == TableCell::EDITABLE);
    }

    // A change of the device during an edit shows once the editor closes, whichever editor it is:
    // a line editor, or a combo's list. A table of the shown path arriving during the edit (asked
    // for before it began) neither ends the edit nor shows, and what it carries is not lost.
    void aChangeDuringAnEditWaits()
    {
        openTable(GENERAL);
        const CellPlace name = placeOf(NAME_PATH);
        table()->editItem(table()->item(name.row, name.column));
        QVERIFY(table()->isEditing());
        const QString serial = QStringLiteral("$.DISP.GEN.MEN.SER.VAL");
        const QString before = cellOf(serial).getValue().toString();
        QVERIFY(session->injectSet(serial, "SN-999"));
        QTRY_VERIFY(table()->holdsRefresh());
        QCOMPARE(cellOf(serial).getValue().toString(), before);
        // A table of this path asked for before the editor opened arrives: it waits too.
        TableStructure stale = table()->getTable();
        stale.getRow(placeOf(serial).row)[placeOf(serial).column].setValue(QStringLiteral("SN-1"));
        config()->setConfigTable(stale);
        QVERIFY(table()->isEditing() && cellOf(serial).getValue().toString() == before);
        // Closed, the editor lets the held refresh show what the device holds now.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-999"));

        // The only carrier of a change is a table asked for just before the editor opened: the
        // mirror holds a value no notice told the screen of, and the refresh goes out now.
        session->json()->appendJson(Json::Value("SN-LOCAL"), serial);
        QTRY_VERIFY(table()->isInputEnabled());
        config()->updateConfigTable();
        table()->editItem(table()->item(name.row, name.column));
        QVERIFY(table()->isEditing());
        QTRY_VERIFY(table()->holdsRefresh());   // the table has come
        QCOMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-999"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-LOCAL"));

        // A combo's list open.
        const CellPlace unit = placeOf(QStringLiteral("$.DISP.GEN.MEN.TUNIT.VAL"));
        QTRY_VERIFY(table()->isInputEnabled());
        auto* combo = reportingAs<ZComboBox>(*table(), unit.row, unit.column);
        QVERIFY(combo);
        combo->showPopup();
        QVERIFY(table()->isEditing());
        QVERIFY(session->injectSet(serial, "SN-1000"));
        QTRY_VERIFY(table()->holdsRefresh());
        QCOMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-LOCAL"));
        combo->hidePopup();
        QTRY_COMPARE(cellOf(serial).getValue().toString(), QStringLiteral("SN-1000"));
    }

    void anEmptyListIsAskedForOnce()
    {
        QVERIFY(session->simulator.setEmptyReadsAsContainer(true) && session->simulator.clearRequestLog());
        openTable(QStringLiteral("$.DISP.EVT.MEN"), true);
        const QStringList columns{"$.DATA.EVT[*].DU", "$.DATA.EVT[*].TXT"};
        QTRY_VERIFY(session->reads().contains(columns[0]) && session->reads().contains(columns[1]));
        QVERIFY(session->pollCycles());
        QCOMPARE(session->reads(), columns);   // each column exactly once, nothing else
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
};

QTEST_MAIN(TestDeviceConfig)
#include "tst_deviceconfig.moc"
