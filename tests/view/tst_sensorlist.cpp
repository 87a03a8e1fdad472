// The sensor list end to end on the simulator: device names and sensor
// tables from the device's description, choosing devices, opening a sensor
// in the configuration screen, refreshes and what the list makes of a broken
// or late description.
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/SensorListUtil.h"
#include "view/DeviceConfig.h"
#include "view/SensorList.h"
#include "view/StatusBar.h"
#include "widgets/ZClickLabel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace tabletest;

namespace {

const QStringList DEVICES{QStringLiteral(" 17 Pumpe"), QStringLiteral(" 18 Tank"), QStringLiteral(" 19 Kessel"),
                          QStringLiteral(" 20 Reserve")};
const QString DEVICE_INDEX = QStringLiteral("$.CLNT.IDX.DEV");
const QString SENSOR_INDEX = QStringLiteral("$.CLNT.IDX.SEN");
const QString NAME_SETTING = QStringLiteral("$.DATA.DEV[2].SEN[2].CFG.KB.VAL");
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
    QString title() { return session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(); }

    QStringList deviceNames()
    {
        QStringList names;
        for (int i = 0; i < devices()->count(); ++i)
            names << devices()->itemText(i);
        return names;
    }

    // The text a column shows in each row of the table on screen.
    QStringList column(int c)
    {
        QStringList texts;
        const TableStructure shown = table()->getTable();
        for (int r = 0; r < shown.rowCount(); ++r)
            texts << (shown.contains(r, c) ? shown.cellAt(r, c).getValue().toString() : QString());
        return texts;
    }

    // The table on screen is the one of device index (its links point into it).
    bool showsDevice(int index, int rows)
    {
        const TableStructure shown = table()->getTable();
        return shown.rowCount() == rows
               && (rows == 0
                   || shown.cellAt(0, LINK_COLUMN).getPath() == QStringLiteral("$.DATA.DEV[%1].SEN[0]").arg(index));
    }

    static bool findPath(const TableStructure& shown, const QString& path, int& row, int& column)
    {
        for (row = 0; row < shown.rowCount(); ++row)
            for (column = 0; column < shown.rowAt(row).size(); ++column)
                if (shown.cellAt(row, column).getPath() == path)
                    return true;
        return false;
    }

    int mirrorInt(const QString& path)
    {
        Json::Value value;
        session->json()->getMasterJSONbyPath(path, value, false);
        return value.isInt() ? value.asInt() : -100;
    }

    void inject(const Json::Value& telegrams)
    {
        QVERIFY(session->simulator.injectTelegram(telegrams) >= 0);
    }

    // A device change, then device 0's change marker bumped so the list refreshes.
    void injectAndMark(const Json::Value& telegram)
    {
        static int marker = 100;
        Json::Value telegrams(Json::arrayValue);
        if (telegram.isArray())
            telegrams = telegram;
        else
            telegrams.append(telegram);
        telegrams.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[0].CHG"), ++marker));
        inject(telegrams);
    }

    void changeDevice(int device, const QString& member, const Json::Value& value)
    {
        injectAndMark(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[%1].%2").arg(device).arg(member), value));
    }

    void showList()
    {
        session->window->setPage(MainWindow::HOME);
        QVERIFY(session->click(QStringLiteral("tbtnHomeSensor")));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));
        QTRY_COMPARE(deviceNames(), DEVICES);
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
        QVERIFY(session->start());
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
    }

    void cleanupTestCase() { session.reset(); }

    void devicesAndTheirSensors()
    {
        showList();
        QCOMPARE(devices()->currentText(), QStringLiteral(" 17 Pumpe"));
        QTRY_VERIFY(showsDevice(0, 2));
        QCOMPARE(title(), QStringLiteral("Fühlerliste"));
        QCOMPARE(column(NAME_COLUMN), (QStringList{QStringLiteral("Vorlauf"), QStringLiteral("Rücklauf")}));
        QVERIFY(!table()->horizontalHeader()->isHidden());
        QCOMPARE(table()->columnWidth(0), 80);
        QCOMPARE(table()->columnWidth(LINK_COLUMN), 100);
        QVERIFY(OverallView::getStatusBar()->text().contains(QStringLiteral("Aktualisierung der Fühlerliste")));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("sensorlist_pumpe.png")));

        // Choosing a device selects it in the local mirror only, with its first sensor.
        session->json()->appendJson(Json::Value(1), SENSOR_INDEX);
        QVERIFY(session->simulator.clearRequestLog());
        choose(1, 1);
        QCOMPARE(mirrorInt(DEVICE_INDEX), 1);
        QCOMPARE(mirrorInt(SENSOR_INDEX), 0);
        QCOMPARE(table()->verticalScrollBar()->value(), 0);
        for (const Json::Value& request : session->simulator.requestLog())
            QVERIFY2(!QString::fromStdString(request["body"].asString()).contains(QLatin1String("CLNT")),
                     request["body"].asCString());
    }

    void refreshesOnlyWhileShown()
    {
        showList();
        choose(0, 2);
        changeDevice(0, QStringLiteral("NAME"), "Pumpe 2");
        QTRY_COMPARE(devices()->itemText(0), QStringLiteral(" 17 Pumpe 2"));
        // The chosen name is gone: the first device is chosen, which it is.
        QCOMPARE(devices()->currentIndex(), 0);
        // A sensor's marker refreshes the table.
        Json::Value renamed(Json::arrayValue);
        renamed.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[0].SEN[1].KB"), "Rücklauf 2"));
        renamed.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[0].SEN[1].CHG"), 7));
        inject(renamed);
        QTRY_COMPARE(column(NAME_COLUMN).value(1), QStringLiteral("Rücklauf 2"));

        // Hidden, the list neither reads nor rebuilds; showing it catches up.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        QSignalSpy lists(list()->sensorListUtil(), SIGNAL(updateDeviceList(QStringList&)));
        QVERIFY(lists.isValid());
        changeDevice(0, QStringLiteral("NAME"), "Pumpe");
        QTest::qWait(800);
        QCOMPARE(lists.count(), 0);
        QCOMPARE(devices()->itemText(0), QStringLiteral(" 17 Pumpe 2"));
        inject(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[0].SEN[1].KB"), "Rücklauf"));
        showList();
        QTRY_COMPARE(column(NAME_COLUMN).value(1), QStringLiteral("Rücklauf"));
    }

    void countsAndNames()
    {
        showList();
        choose(0, 2);
        LogCapture log;
        // A description path with more matches than devices adds nothing.
        injectAndMark(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEVCNT"), 3));
        QTRY_COMPARE(deviceNames(), (QStringList{QString(), QString(), QString()}));

        // Counts that are no device count give no list and a warning, never an allocation.
        for (const Json::Value& count : {Json::Value(2000000000), Json::Value(-1), Json::Value(2.5)}) {
            log.clear();
            injectAndMark(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEVCNT"), count));
            QTRY_VERIFY(devices()->count() == 0 && !log.matching(QStringLiteral("no devices are listed")).isEmpty());
        }
        injectAndMark(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEVCNT"), 4));
        QTRY_COMPARE(deviceNames(), DEVICES);

        // Two devices of one name: the chosen one stays chosen while its place keeps the name.
        Json::Value twin(Json::arrayValue);
        twin.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[1].ADR"), "17"));
        twin.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[1].NAME"), "Pumpe"));
        injectAndMark(twin);
        QTRY_COMPARE(devices()->itemText(1), QStringLiteral(" 17 Pumpe"));
        choose(1, 1);
        changeDevice(3, QStringLiteral("NAME"), "Reserve 2");
        QTRY_COMPARE(devices()->itemText(3), QStringLiteral(" 20 Reserve 2"));
        QCOMPARE(devices()->currentIndex(), 1);
        QCOMPARE(mirrorInt(DEVICE_INDEX), 1);

        Json::Value restore(Json::arrayValue);
        restore.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[1].ADR"), "18"));
        restore.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[1].NAME"), "Tank"));
        restore.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.DEV[3].NAME"), "Reserve"));
        injectAndMark(restore);
        QTRY_COMPARE(deviceNames(), DEVICES);
    }

    void staleRowsOpenNothing()
    {
        showList();
        choose(0, 2);
        // Another device chosen: the old rows open nothing until its table shows.
        devices()->setCurrentIndex(1);
        clickLink(1);
        QTRY_VERIFY(showsDevice(1, 1));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));

        // The mirror's selection moved under the table on screen: its rows open nothing either.
        choose(0, 2);
        session->json()->appendJson(Json::Value(1), DEVICE_INDEX);
        clickLink(1);
        QTest::qWait(300);
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));

        // A content path that cannot be solved opens nothing.
        const QString content = QStringLiteral("$.DISP.SEM.CONT.PATH");
        const Json::Value solvable = session->simulator.treeValues(content)[0];
        injectAndMark(SimulatorProcess::setTelegram(content, "$.DATA.DEV[($.CLNT.IDX.NONE)].SEN[($.CLNT.IDX.SEN)]"));
        QTRY_VERIFY(table()->getTable().getContPath().contains(QLatin1String("NONE")));
        LogCapture log;
        clickLink(0);
        QTest::qWait(300);
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));
        QVERIFY(!log.matching(QStringLiteral("could not be solved")).isEmpty());
        injectAndMark(SimulatorProcess::setTelegram(content, solvable));
        QTRY_COMPARE(table()->getTable().getContPath(), QString::fromStdString(solvable.asString()));
    }

    void openAndRenameOnKessel()
    {
        showList();
        choose(2, 8);
        // On a smaller screen the eight rows scroll.
        session->window->resize(1280, 600);
        QTRY_VERIFY(table()->verticalScrollBar()->maximum() > 0);
        table()->verticalScrollBar()->setValue(table()->verticalScrollBar()->maximum());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("sensorlist_kessel_scrolled.png")));
        session->window->resize(1280, 800);

        clickLink(2);
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::CONFIG_PAGE));
        DeviceConfig* config = screen()->getDeviceConfig();
        QCOMPARE(config->historyPaths(), QStringList{QStringLiteral("$.DATA.DEV[2].SEN[2].CFG")});
        QCOMPARE(mirrorInt(SENSOR_INDEX), 2);
        QTRY_COMPARE(config->tableObject()->getTable().getPath(), QStringLiteral("$.DATA.DEV[2].SEN[2].CFG"));
        // Mode 1 leaves the header to the table's title, never the configuration's.
        QCOMPARE(title(), QStringLiteral("Fühler"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("sensor_opened.png")));

        // A rename there shows in the list.
        TableObject* settings = config->tableObject();
        int nameRow = -1;
        int nameColumn = -1;
        QTRY_VERIFY(settings->isInputEnabled() && findPath(settings->getTable(), NAME_SETTING, nameRow, nameColumn));
        settings->editItem(settings->item(nameRow, nameColumn));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Druck neu"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(QString::fromStdString(session->simulator.treeValues(QStringLiteral("$.DATA.DEV[2].SEN[2].KB"))[0].asString()),
                     QStringLiteral("Druck neu"));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));
        QTRY_COMPARE(column(NAME_COLUMN).value(2), QStringLiteral("Druck neu"));
        QCOMPARE(devices()->currentIndex(), 2);
    }

    void emptyDeviceStaysQuiet()
    {
        showList();
        choose(3, 0);
        QVERIFY(!table()->horizontalHeader()->isHidden());
        QCOMPARE(table()->columnCount(), 4);
        QVERIFY(session->simulator.clearRequestLog());
        QTest::qWait(5000);
        QVERIFY2(session->reads().size() <= 1, qPrintable(session->reads().join(QLatin1Char(' '))));
        QCOMPARE(session->requests(QStringLiteral("config")).size(), 0);
    }

    // Last: logs in again to a device whose description comes late and in parts.
    void lateAndPartialDescription()
    {
        const Json::Value description = session->simulator.treeValues(QStringLiteral("$.DATA.SE"))[0];
        QVERIFY(description.isObject());
        inject(SimulatorProcess::delTelegram(QStringLiteral("$.DATA.SE")));
        QVERIFY(session->logout());
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
        QSignalSpy tables(list()->sensorListUtil(), SIGNAL(updateSensorTable(TableStructure&)));
        session->window->setPage(MainWindow::HOME);
        QVERIFY(session->click(QStringLiteral("tbtnHomeSensor")));
        QTest::qWait(600);
        QCOMPARE(devices()->count(), 0);
        QCOMPARE(table()->rowCount(), 0);

        // A part of the wrong type and one missing: devices without names, no table, nothing selected.
        LogCapture log;
        Json::Value partial = description;
        partial["DESC"] = "$.DATA.DEV[*].ADR";
        partial.removeMember("TAB");
        inject(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.SE"), partial));
        QTRY_COMPARE(deviceNames(), (QStringList{QString(), QString(), QString(), QString()}));
        QVERIFY(!log.matching(QStringLiteral("not of the expected type: DESC")).isEmpty());
        devices()->setCurrentIndex(2);
        QTest::qWait(600);
        QCOMPARE(mirrorInt(DEVICE_INDEX), 0);
        QCOMPARE(tables.count(), 0);
        QCOMPARE(table()->rowCount(), 0);

        // The missing parts arrive: names and the table follow; the chosen
        // (empty) name is gone, so the first device is chosen.
        Json::Value rest(Json::arrayValue);
        rest.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.SE.DESC"), description["DESC"]));
        rest.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.SE.TAB"), description["TAB"]));
        inject(rest);
        QTRY_COMPARE(deviceNames(), DEVICES);
        QCOMPARE(devices()->currentIndex(), 0);
        QTRY_VERIFY(showsDevice(0, 2));
    }
};

QTEST_MAIN(TestSensorList)
#include "tst_sensorlist.moc"
