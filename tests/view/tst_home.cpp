// The home page and the measurement screen's frame end to end: where each home button leads, the
// user-management right at each rights level, the side buttons with their titles and marks, the clocks,
// back rules, the ring-buffer and connection buttons of both headers and the measurement-start message
// (the Back key on the other pages is in tst_mainwindow).
#include "../common/LocalTimeZone.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "ViewTestHelpers.h"

#include "view/ChannelList.h"
#include "view/CustomPlotLine.h"
#include "view/DeviceConfig.h"
#include "view/Home.h"
#include "view/StatusBar.h"
#include "widgets/ZAnimatedButton.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

using namespace viewtest;

namespace {

// Counts how often the widgets it filters were hidden themselves (not with a page that hides).
struct HideCounter : QObject
{
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::HideToParent ? 1 : 0;
        return false;
    }
};

} // namespace

class TestHome : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenSession> session;

    DataMain* screen() { return session->dataMain(); }
    QToolButton* button(const char* name) { return session->find<QToolButton>(QLatin1String(name)); }
    QString title() { return session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(); }
    QTabWidget* tabs() { return session->find<QTabWidget>(QStringLiteral("tabwgtDisplay")); }
    bool click(const char* name) { return session->click(QLatin1String(name)); }
    // The ring-buffer state a header's logger button shows (the measurement screen's unless home).
    bool ringShows(bool running, const char* picture, bool home = false)
    {
        QToolButton* logger = button(home ? "tbtnHomeHeaderLogger" : "tbtnDataHeadLogger");
        return logger->findChild<ZAnimatedButton*>()->isRunning() == running
               && shows(logger, QStringLiteral(":/pic/logger/%1").arg(QLatin1String(picture)));
    }
    bool setSsid(const Json::Value& name) { return session->injectSet(QStringLiteral("$.SERV.NET.SSID"), name); }

    void enterFromHome(const char* homeButton)
    {
        QVERIFY(session->openFromHome(QLatin1String(homeButton)));
        QVERIFY(session->window->isCurrentPage(MainWindow::DATA_MAIN));
    }

    QToolButton* usersButton() { return session->find<QToolButton>(QStringLiteral("tbtnHomeUserManagement")); }

    // The clocks a user sees: the measurement screen's header, the home page and user management.
    QList<QLabel*> clocks()
    {
        QList<QLabel*> found;
        for (const char* name : {"lblDataTime", "lblHomeTime", "lblUserManagementTime"})
            found << session->find<QLabel>(QLatin1String(name));
        return found;
    }

    // A clock shows the date and minute of its last tick, which is at most a second old (and may
    // lie before a minute that just began): " 05.03.26 \n 14:07".
    static bool showsNow(const QLabel* clock)
    {
        const QString shown = clock->text();
        const QDateTime now = QDateTime::currentDateTime();
        for (const QDateTime& tick : {now, now.addSecs(-2)}) {
            if (shown == tick.toString(QStringLiteral(" dd.MM.yy \n hh:mm")))
                return true;
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase() { session.reset(); }

    void sideButtons()
    {
        const struct { const char* button; const char* title; const char* picture; const char* selected; } sides[] = {
            {"tbtnDataHeadChart", "Liniendiagramm", "anzeige", "green_darkwhite"},
            {"tbtnDataHeadMeasure", "Fühlerliste", "fuehler", "green_white"},
            {"tbtnDataHeadSettings", "Konfiguration", "einstellungen", "green_darkwhite"},
            {"tbtnDataHeadLogger", "Speicher", nullptr, nullptr}};
        enterFromHome("tbtnHomeDisplay");
        for (int page = 0; page < 4; ++page) {
            QVERIFY(click(sides[page].button));
            QCOMPARE(screen()->getCurrentPage(), page);
            QTRY_COMPARE(title(), QString(sides[page].title));
            // Each picture in its selected colours on its own button only.
            for (int side = 0; side < 3; ++side) {
                const QString picture = QStringLiteral(":/pic/icon/icon_%1_31x31_%2.bmp")
                                            .arg(sides[side].picture, side == page ? sides[side].selected : "white_green");
                QVERIFY2(shows(button(sides[side].button), picture), qPrintable(picture));
            }
            QVERIFY(grabScreenshot(session->window, QStringLiteral("datamain-%1.png").arg(sides[page].button)));
        }
    }

    // In local time: the steps run in a zone ahead of UTC (the program else runs in UTC).
    void clocksShowTheTime()
    {
        const testzone::ScopedZone zone;
        QVERIFY(zone.hasOffset());
        enterFromHome("tbtnHomeDisplay");
        for (QLabel* clock : clocks()) {
            QVERIFY(clock);
            QTRY_VERIFY2_WITH_TIMEOUT(showsNow(clock), qPrintable(clock->objectName() + QLatin1Char(' ') + clock->text()),
                                      10000);
        }
    }

    // Each clock writes the time anew every second.
    void clocksTick()
    {
        const testzone::ScopedZone zone;
        QVERIFY(zone.hasOffset());
        enterFromHome("tbtnHomeDisplay");
        const QList<QLabel*> shown = clocks();
        QVERIFY(!shown.contains(nullptr));
        for (QLabel* clock : shown)
            clock->clear();
        for (QLabel* clock : shown)
            QTRY_VERIFY2_WITH_TIMEOUT(showsNow(clock), qPrintable(clock->objectName()), 10000);
    }

    void backRules()
    {
        // A tab switch after the user menus keeps their back step; it leads home.
        enterFromHome("tbtnHomeDisplay");
        tabs()->setCurrentIndex(3);
        tabs()->setCurrentIndex(0);
        QCOMPARE(title(), QStringLiteral("Kanalliste"));
        QVERIFY(click("tbtnDataBack") && session->window->isCurrentPage(MainWindow::HOME));

        // The configuration opened from the sensor list returns there.
        session->window->setPage(MainWindow::DATA_MAIN);
        QString path = QStringLiteral("$.DATA.DEV[0].SEN[0].CFG");
        QString sensor = QStringLiteral("$.DATA.DEV[0].SEN[0]");
        screen()->setDeviceConfigFromSensorList(path, sensor);
        QVERIFY(click("tbtnDataBack"));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));
        QCOMPARE(title(), QStringLiteral("Fühlerliste"));

        // Chart settings: back to the measurement tabs; saving does the same.
        QVERIFY(click("tbtnDataHeadChart"));
        tabs()->setCurrentIndex(2);
        QVERIFY(click("tbtnDataSettings") && click("btnForwardChannelConfig") && click("tbtnDataBack"));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));
        QVERIFY(click("tbtnDataSettings") && click("btnSaveChannelConfig"));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));

        // The logger has no step of its own on its start page: home.
        QVERIFY(click("tbtnDataHeadLogger") && click("tbtnDataBack"));
        QVERIFY(session->window->isCurrentPage(MainWindow::HOME));

        // The Back key goes home from any page of the screen.
        enterFromHome("tbtnHomeSettings");
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        QCoreApplication::sendEvent(session->window, &back);
        QVERIFY(session->window->isCurrentPage(MainWindow::HOME));
    }

    void ringAndConnection()
    {
        enterFromHome("tbtnHomeDisplay");
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 2));
        QTRY_VERIFY(ringShows(true, "icon_ringspeicher_inaktiv_31x31_01.gif"));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 3));
        QTRY_VERIFY(ringShows(true, "icon_ringspeicher_aktiv_31x31_01.gif"));
        // Selected, the logger button shows the second variant.
        QVERIFY(click("tbtnDataHeadLogger") && ringShows(true, "icon_ringspeicher_aktiv_31x31_02.gif"));
        // Unknown states and a state of the wrong type keep the picture; a later change shows they were handled.
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 7));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), "3"));
        QVERIFY(session->injectSet(QStringLiteral("$.DATA.PROBE"), 1));
        QTRY_VERIFY(!session->mirrorValue(QStringLiteral("$.DATA.PROBE")).isNull());
        QVERIFY(ringShows(true, "icon_ringspeicher_aktiv_31x31_02.gif"));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 1));
        QTRY_VERIFY(ringShows(false, "icon_logger_31x31_green_white.bmp"));

        // The network name: a button with a tooltip, hidden without a name.
        QVERIFY(setSsid(""));
        QTRY_VERIFY(!button("tbtnDataHeadConnection")->isVisible());
        QVERIFY(setSsid("Halle-3-WLAN"));
        QTRY_VERIFY(button("tbtnDataHeadConnection")->isVisible());
        QVERIFY(click("tbtnDataHeadConnection"));
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("Halle-3-WLAN")));
        // Not a name: ignored, the button keeps the last name.
        QToolTip::hideText();
        QVERIFY(setSsid(42));
        QTRY_COMPARE(session->mirrorValue(QStringLiteral("$.SERV.NET.SSID")), Json::Value(42));
        QVERIFY(session->pollCycles() && button("tbtnDataHeadConnection")->isVisible());
        QVERIFY(click("tbtnDataHeadConnection"));
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("Halle-3-WLAN")));
        QVERIFY(setSsid(""));
        QTRY_VERIFY(!button("tbtnDataHeadConnection")->isVisible());
    }

    void measurementStartMessage()
    {
        Measure measure(QStringLiteral("Messung_0014"), 14, 1709537400000, 0);   // 04.03.2024 07:30:00 UTC
        // On the chart settings: they are left and the message shows.
        enterFromHome("tbtnHomeDisplay");
        QVERIFY(click("tbtnDataSettings"));
        emit screen()->getChart()->changeMeasureState(GlobalEnums::START, measure);
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));
        QVERIFY(session->window->statusBarObject()->text().endsWith(
            QStringLiteral("Eine neue Messung wurde gestartet (04.03.2024 07:30:00)")));

        // A stop, or another main page: no message.
        session->window->statusBarObject()->update();
        emit screen()->getChart()->changeMeasureState(GlobalEnums::STOP, measure);
        session->window->setPage(MainWindow::HOME);
        emit screen()->getChart()->changeMeasureState(GlobalEnums::START, measure);
        QVERIFY(!session->window->statusBarObject()->text().contains(QStringLiteral("Messung")));
    }

    void resetAfterLogin()
    {
        enterFromHome("tbtnHomeDisplay");
        tabs()->setCurrentIndex(0);
        QVERIFY(setSsid("TEVARO-5A21"));
        QTRY_VERIFY(button("tbtnDataHeadConnection")->isVisible());
        // Hidden by the reset, however soon the new session reads the name again.
        QToolButton* connection = button("tbtnDataHeadConnection");
        HideCounter hides;
        connection->installEventFilter(&hides);
        QVERIFY(session->relogin());
        QCOMPARE(tabs()->currentIndex(), 2);
        QVERIFY(hides.count > 0);
        // Shown again once the device's name is read anew.
        QTRY_VERIFY(connection->isVisibleTo(screen()));
    }

    void ringBufferOnTheHomeLoggerButton()
    {
        // The states and their pictures are ringAndConnection's; the home page shows them as well.
        session->window->setPage(MainWindow::HOME);
        QTRY_VERIFY(ringShows(false, "icon_logger_31x31_white_green.bmp", true));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 3));
        QTRY_VERIFY(ringShows(true, "icon_ringspeicher_aktiv_31x31_01.gif", true));
        QTRY_VERIFY(usersButton()->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("home-admin-ring3.png")));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 1));
        QTRY_VERIFY(ringShows(false, "icon_logger_31x31_white_green.bmp", true));
    }

    void eachButtonOpensItsPage()
    {
        const struct { const char* button; int page; int stackPage; const char* title; } rows[] = {
            {"tbtnHomeDisplay", MainWindow::DATA_MAIN, 0, "Liniendiagramm"},
            {"tbtnHomeHeaderLogger", MainWindow::DATA_MAIN, 3, "Speicher"},
            {"tbtnHomeUserManagement", MainWindow::USER_MANAGEMENT, -1, ""}};
        for (const auto& row : rows) {
            session->window->setPage(MainWindow::HOME);
            QVERIFY2(session->click(QLatin1String(row.button)), row.button);
            QVERIFY(session->window->isCurrentPage(row.page));
            if (row.stackPage >= 0) {
                QCOMPARE(session->dataMain()->getCurrentPage(), row.stackPage);
                QTRY_COMPARE(session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(), QString(row.title));
            }
        }
    }

    void englishTitles()
    {
        // Chosen on the login page, the language reaches the titles of every tab and page (a text id missing
        // from the files would show the German default here only).
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        enterFromHome("tbtnHomeDisplay");
        const char* tabTitles[] = {"Channel list", "Measured value display", "Line chart", "User menu"};
        for (int tab = 0; tab < 4; ++tab) {
            tabs()->setCurrentIndex(tab);
            QCOMPARE(title(), QString(tabTitles[tab]));
        }
        for (const auto& page : {std::make_pair("tbtnDataHeadMeasure", "Sensor list"),
                                 std::make_pair("tbtnDataHeadSettings", "Configuration"),
                                 std::make_pair("tbtnDataHeadLogger", "Memory")}) {
            QVERIFY(click(page.first));
            QTRY_COMPARE(title(), QString(page.second));
        }
        QCOMPARE(button("tbtnDataBack")->text(), QStringLiteral("Back"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("datamain-en-Memory.png")));
    }

    void userManagementFollowsTheRight()
    {
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234"), QStringLiteral("Deutsch")));
        // The device's right (admin only) keeps it off once it is read.
        QTRY_VERIFY(!session->mirrorValue(QStringLiteral("$.USMG.AUT")).isNull());
        QVERIFY(!usersButton()->isEnabled() && grabScreenshot(session->window, QStringLiteral("home-bediener.png")));

        // A right every role holds while idle turns it on, at the value or with the whole node.
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), 7));
        QTRY_VERIFY(usersButton()->isEnabled());
        Json::Value node(Json::objectValue);
        node["AUT"] = 65537;
        QVERIFY(session->injectSet(QStringLiteral("$.USMG"), node));
        QTRY_VERIFY(!usersButton()->isEnabled());
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), 7));

        // A running measurement needs the measurement bit, which 7 lacks.
        session->rights()->setMeasurementRunning(true);
        QTRY_VERIFY(!usersButton()->isEnabled());
        session->rights()->setMeasurementRunning(false);
        QTRY_VERIFY(usersButton()->isEnabled());

        // No whole number: off.
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), "7"));
        QTRY_VERIFY(!usersButton()->isEnabled());
    }

    // Only full rights on the node enable it. The masks hold for the administrator (role bit 1, deactivation
    // 256) and the operator (role bit 4, deactivation 1024); measuring needs bit 65536.
    void userManagementOnlyWithFullRights_data()
    {
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<bool>("measuring");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("full rights") << QByteArray("5") << false << true;
        QTest::newRow("full rights while measuring") << QByteArray("65541") << true << true;
        QTest::newRow("read only: no role bit") << QByteArray("2") << false << false;
        QTest::newRow("read only: measuring without its bit") << QByteArray("5") << true << false;
        QTest::newRow("deactivated") << QByteArray("1285") << false << false;
        QTest::newRow("no usable mask") << QByteArray("\"5\"") << false << false;
    }

    void userManagementOnlyWithFullRights()
    {
        QFETCH(QByteArray, mask);
        QFETCH(bool, measuring);
        QFETCH(bool, enabled);
        Json::Value right;
        QVERIFY(Json::Reader().parse(mask.toStdString(), right));
        session->window->setPage(MainWindow::HOME);
        // From the other state, so the button's state is one the row's right gave it.
        session->rights()->setMeasurementRunning(false);
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), enabled ? 2 : 5));
        QTRY_COMPARE(usersButton()->isEnabled(), !enabled);
        session->rights()->setMeasurementRunning(measuring);
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), right));
        QTRY_COMPARE(session->mirrorValue(QStringLiteral("$.USMG.AUT")), right);
        QTRY_COMPARE(usersButton()->isEnabled(), enabled);
        session->rights()->setMeasurementRunning(false);
    }

    void noDeactivationMaskDeactivatesNothing()
    {
        session.reset(new ScreenSession({QStringLiteral("--paused"), QStringLiteral("--users"),
                                         QStringLiteral(DEVICESIM_USERS_NO_DEACTIVATION)}));
        QVERIFY(session->startAs(QStringLiteral("bediener"), QStringLiteral("1234")));
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), 7));
        QTRY_VERIFY(usersButton()->isEnabled());
    }
};

QTEST_MAIN(TestHome)
#include "tst_home.moc"
