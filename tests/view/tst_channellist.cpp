// The channel list end to end on the simulator: what each column shows, the header and its settings,
// refreshes after device changes (descriptions, deletions, bursts, scrolling, a choice made while rows
// are built), a bad refresh setting, and handing a tapped channel to the measured-value display.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/ChannelListUtil.h"
#include "view/ChannelList.h"
#include "view/TableObject.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"

#include <QScrollEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include <functional>
#include <utility>

namespace {

const QString ITEM_KEY = QStringLiteral("Config/Channellist/SelectionIndex/Item%1");

// Runs its action when the scope ends, also when a check failed on the way.
struct AtExit
{
    std::function<void()> action;
    ~AtExit() { now(); }
    void now() { std::exchange(action, [] {})(); }
};

} // namespace

class TestChannelList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;
    int channels = 0;   // the simulator's

    ChannelList* list() { return session->dataMain()->getChannelList(); }
    ChannelListUtil* util() { return list()->channelListUtil(); }
    TableObject* table() { return list()->tableObject(); }
    QTabWidget* tabs() { return session->find<QTabWidget>(QStringLiteral("tabwgtDisplay")); }
    ZHorizontalHeader* header() { return qobject_cast<ZHorizontalHeader*>(table()->horizontalHeader()); }
    ZComboBox* combo(int column) { return qobject_cast<ZComboBox*>(header()->sectionWidget(column)); }
    ZMeasureTextWidget* measure(int row, int column)
    {
        QWidget* cell = table()->cellWidget(row, column);
        return cell ? cell->findChild<ZMeasureTextWidget*>() : nullptr;
    }
    void inject(const Json::Value& telegram) { QVERIFY(session->inject(telegram)); }

    // Column 0's text, or "value|unit|status entries" of a value column.
    QString shown(int row, int column)
    {
        if (column == 0)
            return tabletest::itemText(table(), row, 0);
        ZMeasureTextWidget* widget = measure(row, column);
        return !widget ? QStringLiteral("-")
                       : widget->measureValue() + '|' + widget->measureUnit() + '|'
                             + widget->property("measureStatus").toStringList().join(' ');
    }

    // Home, "Anzeige", the channel list tab, all rows and the header's choices there.
    void openList()
    {
        if (!session->window->isCurrentPage(MainWindow::DATA_MAIN) || tabs()->currentIndex() != 0) {
            QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeDisplay")));
            tabs()->setCurrentIndex(0);
        }
        QTRY_COMPARE(table()->rowCount(), channels);
        QTRY_VERIFY(combo(3) && combo(3)->count() == 4);
    }

    // No build running and none due.
    void settle()
    {
        QTRY_VERIFY(!util()->isBuilding());
        QTest::qWait(3 * list()->getCycleTime());
        QTRY_VERIFY(!util()->isBuilding());
    }

    // Screenshots show the status blocks solid, outside their common fade.
    void grab(const QString& name)
    {
        QTRY_VERIFY(QDateTime::currentMSecsSinceEpoch() % 4096 > 2600);
        QTest::qWait(100);
        QVERIFY(grabScreenshot(session->window, name));
    }

private slots:
    void initTestCase()
    {
        // A refresh setting that is no number reaches the list as the default cycle.
        SettingsUtil::setValue(QStringLiteral("Config/Channellist/CycleTime"), QStringLiteral("schnell"));
        session.reset(new ScreenSession());
        QVERIFY(session->start());
        channels = int(session->simulator.treeValues(QStringLiteral("$.DATA.MK[*]")).size());
        QVERIFY(channels >= 9);
        QCOMPARE(list()->getCycleTime(), ChannelListUtil::DEFAULT_CYCLE_MS);
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
    }

    void cleanupTestCase() { session.reset(); }

    void showsTheDevicesChannels()
    {
        const std::pair<int, QStringList> rows[] = {
            {0, {"CH01 Temperatur Kessel ", "78.42|°C|", "81.10|°C|", "75.03|°C|"}},                 // strings
            {2, {"CH03 Temperatur Außen ", "-3.25|°C|LF2048", "1.5|°C|", "-6.75|°C|LF8192"}},      // numbers, marks
            {5, {"CH06 Differenzdruck Filter ", "125.4|Pa|LF2", "140.0|Pa|", "98.7|Pa|"}},         // unit object
            {6, {"CH07 CO2 Halle ", "-----|ppm|LF128", "-----|ppm|", "-----|ppm|"}}};             // sensor offline
        openList();
        // The first build may come before the header's value choices: the next one shows them.
        for (const auto& row : rows)
            for (int column = 0; column < 4; ++column)
                QTRY_COMPARE(shown(row.first, column), row.second.at(column));
        grab(QStringLiteral("channellist-de.png"));
    }

    void choiceDuringBuildShowsWithoutNewData()
    {
        openList();
        settle();
        util()->requestTableData();
        combo(3)->setCurrentIndex(3);
        QCOMPARE(SettingsUtil::getValue(ITEM_KEY.arg(3), QVariant()).toInt(), 3);
        QTRY_COMPARE(shown(0, 3), QStringLiteral("78.2|°C|"));
        combo(3)->setCurrentIndex(2);
        QTRY_COMPARE(shown(0, 3), QStringLiteral("75.03|°C|"));
    }

    void burstOfChangesGivesOneBuild()
    {
        openList();
        settle();
        QSignalSpy builds(util(), SIGNAL(updateTableData(TableStructure&)));
        Json::Value burst(Json::arrayValue);
        for (int i = 0; i < 8; ++i)
            burst.append(SimulatorProcess::setTelegram(QStringLiteral("$.DATA.MK[%1].MV.MAW.VAL").arg(i),
                                                       QStringLiteral("9%1.5").arg(i).toStdString()));
        inject(burst);
        QTRY_COMPARE(shown(7, 2), QStringLiteral("97.5|l/min|"));
        settle();
        QCOMPARE(builds.size(), 1);
        QCOMPARE(shown(0, 2), QStringLiteral("90.5|°C|"));
    }

    void tickWhileScrollingFollowsWhenItEnds()
    {
        openList();
        settle();
        QSignalSpy builds(util(), SIGNAL(updateTableData(TableStructure&)));
        const QString mw = QStringLiteral("$.DATA.MK[0].MV.MW.VAL");
        AtExit restore{[&] { inject(SimulatorProcess::setTelegram(mw, "78.42")); }};
        QScrollEvent scroll(QPointF(), QPointF(), QScrollEvent::ScrollStarted);
        QApplication::sendEvent(table(), &scroll);
        inject(SimulatorProcess::setTelegram(mw, "55.5"));
        QTest::qWait(3 * list()->getCycleTime());
        QCOMPARE(builds.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(shown(0, 1), QStringLiteral("55.5|°C|"), TableObject::SCROLL_END_MS + 3000);
        QCOMPARE(builds.size(), 1);
    }

    void newDescriptionKeepsTheHeader()
    {
        openList();
        const QString path = QStringLiteral("$.DATA.CH");
        const Json::Value original = session->deviceValue(path);
        QWidget* const firstCombo = combo(1);
        Json::Value changed = original;
        changed["DESC"].resize(1);
        changed["MVTB"]["ITEM"] = Json::Value(Json::arrayValue);
        changed["MVTB"]["ITEM"].append("MTW");
        AtExit restore{[&] { inject(SimulatorProcess::setTelegram(path, original)); }};
        inject(SimulatorProcess::setTelegram(path, changed));
        // The rows follow the new description, the header widgets stay.
        QTRY_COMPARE(shown(0, 0), QStringLiteral("CH01 "));
        QTRY_COMPARE(shown(0, 1), QStringLiteral("78.2|°C|"));
        QVERIFY(combo(1) == firstCombo && combo(1)->count() == 4);
        restore.now();
        QTRY_COMPARE(shown(0, 1), QStringLiteral("78.42|°C|"));
    }

    void deletedChannelKeepsRowsAligned()
    {
        // A deletion that leaves a null element behind. (That the simulator's live values follow the
        // channels moved up by a deletion is tst_devicesim's.)
        openList();
        const QString path = QStringLiteral("$.DATA.MK[2]");
        const Json::Value original = session->deviceValue(path);
        AtExit restore{[&] { inject(SimulatorProcess::setTelegram(path, original)); }};
        inject(SimulatorProcess::delTelegram(path, 1));
        QTRY_COMPARE(table()->rowCount(), channels - 1);
        const TableStructure held = list()->shownTable();
        QCOMPARE(held.cellAt(2, 0).getPath(), QStringLiteral("$.DATA.MK[3]"));
        QCOMPARE(held.cellAt(2, 1).getPath(), QStringLiteral("$.DATA.MK[3]"));
        QCOMPARE(shown(6, 0), QStringLiteral("CH08 Durchfluss Kühlwasser "));
        restore.now();
        QTRY_COMPARE(table()->rowCount(), channels);
        QTRY_COMPARE(shown(2, 0), QStringLiteral("CH03 Temperatur Außen "));
    }

    void tappedChannelOpensInTheDisplay()
    {
        openList();
        QSignalSpy handed(list(), &ChannelList::selectChannel);
        QTest::mouseClick(measure(4, 1), Qt::LeftButton);   // a value is no channel choice
        QCOMPARE(handed.size(), 0);
        tabletest::tapCell(table(), 4, 0);
        QCOMPARE(handed.size(), 1);
        QCOMPARE(handed.first().first().toString(), QStringLiteral("$.DATA.MK[4]"));
        QCOMPARE(tabs()->currentIndex(), 1);
    }

    void wrappedDefaultsAfterLogin()
    {
        // Two items: a stored choice out of range shows the first, the defaults (written back) wrap.
        SettingsUtil::setValue(ITEM_KEY.arg(1), -1);
        SettingsUtil::setValue(ITEM_KEY.arg(2), QVariant());
        SettingsUtil::setValue(ITEM_KEY.arg(3), QVariant());
        const QString itemList = QStringLiteral("$.DATA.CH.MVTB.ITEM");
        const Json::Value four = session->deviceValue(itemList);
        AtExit restore{[&] {
            inject(SimulatorProcess::setTelegram(itemList, four));
            for (int column = 1; column <= 3; ++column)
                SettingsUtil::setValue(ITEM_KEY.arg(column), column - 1);
        }};
        Json::Value two(Json::arrayValue);
        two.append("MW");
        two.append("MAW");
        inject(SimulatorProcess::setTelegram(itemList, two));
        QTRY_COMPARE(session->deviceValue(itemList).size(), 2u);
        QVERIFY(session->relogin());
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeDisplay")));
        tabs()->setCurrentIndex(0);
        QTRY_VERIFY_WITH_TIMEOUT(combo(3) && combo(3)->count() == 2, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(shown(1, 3), QStringLiteral("64.8|°C|LF1024"), 15000);
        const int shownIndex[] = {0, 1, 0};
        const int stored[] = {-1, 1, 0};
        for (int column = 1; column <= 3; ++column) {
            QCOMPARE(combo(column)->currentIndex(), shownIndex[column - 1]);
            QCOMPARE(SettingsUtil::getValue(ITEM_KEY.arg(column), QVariant()).toInt(), stored[column - 1]);
        }
    }

    void englishWithLogoutDuringBuild()
    {
        util()->requestTableData();
        // Logged out during the build: it is dropped.
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        openList();
        QCOMPARE(qobject_cast<ZLabel*>(header()->sectionWidget(0))->text(), QStringLiteral("Measuring channel"));
        grab(QStringLiteral("channellist-en.png"));
    }
};

QTEST_MAIN(TestChannelList)
#include "tst_channellist.moc"
