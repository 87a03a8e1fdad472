// The sensor list end to end on the simulator: device names and sensor
// tables from the device's description, choosing devices, opening a sensor
// in the configuration screen, refreshes and what the list makes of a broken,
// empty or late description.
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "common/PathRelation.h"
#include "util/SensorListUtil.h"
#include "view/DeviceConfig.h"
#include "view/SensorList.h"
#include "widgets/ZClickLabel.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

#include <utility>

using namespace tabletest;

namespace {

const QStringList DEVICES{QStringLiteral(" 17 Pumpe"), QStringLiteral(" 18 Tank"), QStringLiteral(" 19 Kessel"),
                          QStringLiteral(" 20 Reserve")};
const QStringList UNNAMED{QString(), QString(), QString(), QString()};
const QString DEVICE_INDEX = QStringLiteral("$.CLNT.IDX.DEV");
const char* const DEVICE_COUNT = "$.DATA.DEVCNT";
const int LINK_COLUMN = 3;
const int NAME_COLUMN = 2;

} // namespace

class TestSensorList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    DataMain* screen() { return session->dataMain(); }
    SensorList* list() { return screen()->getSensorList(); }
    TableObject* table() { return list()->tableObject(); }
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
        const TableStructure onScreen = table()->getTable();
        return onScreen.contains(r, c) ? onScreen.cellAt(r, c) : TableCell();
    }
    QString sensorName(int r) { return shown(r, NAME_COLUMN).getValue().toString(); }

    // The table on screen is the one of device index (its links point into its first sensor).
    bool showsDevice(int index, int rows)
    {
        return table()->getTable().rowCount() == rows
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
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSensor")));
        QVERIFY(onSensorPage());
        QTRY_COMPARE(deviceNames(), DEVICES);
        if (device >= 0)
            choose(device, rows);
    }

    void choose(int index, int rows)
    {
        devices()->setCurrentIndex(index);
        QTRY_VERIFY(showsDevice(index, rows));
    }

    void clickLink(int row)
    {
        auto* link = reportingAs<ZClickLabel>(*table(), row, LINK_COLUMN);
        QVERIFY(link);
        QTest::mouseClick(link, Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QStringList>("QStringList&");   // for the signal spy
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void devicesChosenAndStaleRows()
    {
        showList();
        QTRY_VERIFY(showsDevice(0, 2));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("sensorlist_pumpe.png")));

        // Choosing a device selects it in the local mirror only, with its first sensor.
        session->json()->appendJson(Json::Value(1), QStringLiteral("$.CLNT.IDX.SEN"));
        QVERIFY(session->simulator.clearRequestLog());
        choose(1, 1);
        QVERIFY(mirrorHolds(DEVICE_INDEX, 1) && mirrorHolds(QStringLiteral("$.CLNT.IDX.SEN"), 0));
        QVERIFY(!session->sentText(QStringLiteral("CLNT")));

        // Another device chosen: the old rows open nothing until its table shows.
        devices()->setCurrentIndex(0);
        clickLink(0);
        QTRY_VERIFY(showsDevice(0, 2));
        QVERIFY(onSensorPage());
        // The mirror's selection moved under the table on screen: its rows open nothing either.
        session->json()->appendJson(Json::Value(1), DEVICE_INDEX);
        clickLink(1);
        QTest::qWait(300);
        QVERIFY(onSensorPage());
    }

    void refreshesOnlyWhileShown()
    {
        showList(0, 2);
        // Hidden, the list neither reads nor rebuilds; showing it catches up.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QSignalSpy lists(list()->sensorListUtil(), SIGNAL(updateDeviceList(QStringList&)));
        change({{"$.DATA.DEV[0].SEN[1].KB", "Rücklauf 2"}});
        QTest::qWait(800);
        QCOMPARE(lists.count(), 0);
        QCOMPARE(sensorName(1), QStringLiteral("Rücklauf"));
        showList();
        QTRY_COMPARE(sensorName(1), QStringLiteral("Rücklauf 2"));
        // Shown, a sensor's change marker refreshes the table.
        change({{"$.DATA.DEV[0].SEN[1].KB", "Rücklauf"}, {"$.DATA.DEV[0].SEN[1].CHG", 7}}, false);
        QTRY_COMPARE(sensorName(1), QStringLiteral("Rücklauf"));
    }

    void countsAndNames()
    {
        showList(0, 2);
        LogCapture log;
        // A description path with more matches than devices adds nothing.
        change({{DEVICE_COUNT, 3}});
        QTRY_COMPARE(deviceNames(), UNNAMED.mid(1));

        // Counts that are no device count give no list and one warning each, never an allocation.
        QSignalSpy lists(list()->sensorListUtil(), SIGNAL(updateDeviceList(QStringList&)));
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
        // The device's links name each sensor's settings inside it, as configuration tables
        // do; links that name the sensor itself (the client's view only) open it the same.
        DeviceConfig* config = screen()->getDeviceConfig();
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
            clickLink(2);
            QCOMPARE(screen()->getCurrentPage(), int(DataMain::CONFIG_PAGE));
            QCOMPARE(config->historyPaths(), QStringList{sensor});
        }

        // A rename there shows in the list.
        TableObject* settings = config->tableObject();
        QTRY_VERIFY(settings->isInputEnabled() && settings->rowCount() > 0);
        const CellPlace name = cellWithPath(settings->getTable(), sensor + QStringLiteral(".KB.VAL"));
        QVERIFY(typeIntoCell(settings, name.row, name.column, QStringLiteral("Druck neu")));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QVERIFY(onSensorPage());
        QTRY_COMPARE(sensorName(2), QStringLiteral("Druck neu"));
    }

    // Empty or missing data is asked for at most once, however often the list refreshes.
    void emptyDataStaysQuiet()
    {
        showList(3, 0);
        QVERIFY(session->simulator.clearRequestLog());
        QTest::qWait(5000);
        QVERIFY2(session->reads().size() <= 1, qPrintable(session->reads().join(QLatin1Char(' '))));

        // The device answers empty reads with their (empty) container, which
        // changes the list's data: a read of it on each refresh would never end.
        const Json::Value all = session->deviceValue(QStringLiteral("$.DATA.DEV"));
        QVERIFY(session->simulator.setEmptyReadsAsContainer(true));
        QVERIFY(session->simulator.clearRequestLog());
        change({{"$.DATA.DEV", Json::Value(Json::arrayValue)}, {DEVICE_COUNT, 0}}, false);
        QTRY_COMPARE(devices()->count(), 0);
        // Devices counted, their list gone: what the list and its table show is asked for once.
        change({{DEVICE_COUNT, 4}}, false);
        QVERIFY(session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.DEV"))));
        QTest::qWait(1500);
        const QStringList reads = session->reads().filter(QStringLiteral("$.DATA.DEV"));
        QVERIFY2(reads.size() == QSet<QString>(reads.cbegin(), reads.cend()).size(), qPrintable(reads.join(QLatin1Char(' '))));
        QVERIFY(session->simulator.setEmptyReadsAsContainer(false));
        change({{"$.DATA.DEV", all}}, false);
        QTRY_COMPARE(deviceNames(), DEVICES);
    }

    // Last: logs in again to a device whose description comes late and in parts.
    void lateAndPartialDescription()
    {
        const Json::Value description = session->deviceValue(QStringLiteral("$.DATA.SE"));
        QVERIFY(description.isObject());
        QVERIFY(session->inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.SE"))));
        QVERIFY(session->relogin());
        QSignalSpy tables(list()->sensorListUtil(), SIGNAL(updateSensorTable(TableStructure&)));
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeSensor")));
        QTest::qWait(600);
        QCOMPARE(devices()->count(), 0);

        // A part of the wrong type and one missing: devices without names, no table, nothing selected.
        Json::Value partial = description;
        partial["DESC"] = "$.DATA.DEV[*].ADR";
        partial.removeMember("TAB");
        change({{"$.DATA.SE", partial}}, false);
        QTRY_COMPARE(deviceNames(), UNNAMED);
        devices()->setCurrentIndex(2);
        QTest::qWait(600);
        QVERIFY(mirrorHolds(DEVICE_INDEX, 0));
        QCOMPARE(tables.count(), 0);

        // The missing parts arrive: names and the table follow; the chosen
        // (empty) name is gone, so the first device is chosen.
        change({{"$.DATA.SE.DESC", description["DESC"]}, {"$.DATA.SE.TAB", description["TAB"]}}, false);
        QTRY_VERIFY(deviceNames() == DEVICES && showsDevice(0, 2));
    }
};

QTEST_MAIN(TestSensorList)
#include "tst_sensorlist.moc"
