// The measurement screen's frame end to end: side buttons, titles and marks,
// back rules, the ring-buffer and connection buttons, the clock and the
// measurement-start message.
#include "Screenshot.h"
#include "ScreenSession.h"
#include "ViewTestHelpers.h"

#include "view/ChannelList.h"
#include "view/CustomPlotLine.h"
#include "view/DeviceConfig.h"
#include "view/StatusBar.h"
#include "widgets/ZAnimatedButton.h"
#include "widgets/ZTooltip.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

using namespace viewtest;

class TestDataMain : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    DataMain* screen() { return session->dataMain(); }
    QToolButton* button(const char* name) { return session->find<QToolButton>(QLatin1String(name)); }
    QString title() { return session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(); }
    QTabWidget* tabs() { return session->find<QTabWidget>(QStringLiteral("tabwgtDisplay")); }
    ZAnimatedButton* ring() { return button("tbtnDataHeadLogger")->findChild<ZAnimatedButton*>(); }

    void enterFromHome(const char* homeButton)
    {
        QVERIFY(session->openFromHome(QLatin1String(homeButton)));
        QVERIFY(session->window->isCurrentPage(MainWindow::DATA_MAIN));
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        session.reset(new ScreenSession());
        QVERIFY(session->startAs());
    }

    void cleanupTestCase()
    {
        session.reset();
    }

    void sideButtons_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");

        QTest::newRow("chart") << "tbtnDataHeadChart" << 0 << "Liniendiagramm";
        QTest::newRow("sensors") << "tbtnDataHeadMeasure" << 1 << "Fühlerliste";
        QTest::newRow("settings") << "tbtnDataHeadSettings" << 2 << "Konfiguration";
        QTest::newRow("logger") << "tbtnDataHeadLogger" << 3 << "Speicher";
    }

    void sideButtons()
    {
        QFETCH(QString, buttonName);
        QFETCH(int, page);
        QFETCH(QString, title);

        enterFromHome("tbtnHomeDisplay");
        QVERIFY(session->click(buttonName));
        QCOMPARE(screen()->getCurrentPage(), page);
        QTRY_COMPARE(this->title(), title);
        // Each picture in its selected colours on its own button only.
        const QString pic = QStringLiteral(":/pic/icon/icon_%1_31x31_%2.bmp");
        const struct { const char* name; const char* picture; const char* selected; } pictures[] = {
            {"tbtnDataHeadChart", "anzeige", "green_darkwhite"},
            {"tbtnDataHeadMeasure", "fuehler", "green_white"},
            {"tbtnDataHeadSettings", "einstellungen", "green_darkwhite"}};
        for (const auto& shown : pictures) {
            const bool selected = buttonName == QLatin1String(shown.name);
            QVERIFY2(shows(button(shown.name), pic.arg(shown.picture, selected ? shown.selected : "white_green")),
                     shown.name);
        }
        QVERIFY(grabScreenshot(session->window, QStringLiteral("datamain-%1.png").arg(QTest::currentDataTag())));
    }

    void backRules()
    {
        // A tab switch after the user menus keeps their back step; it leads home.
        enterFromHome("tbtnHomeDisplay");
        tabs()->setCurrentIndex(3);
        tabs()->setCurrentIndex(0);
        QCOMPARE(title(), QStringLiteral("Kanalliste"));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QVERIFY(session->window->isCurrentPage(MainWindow::HOME));

        // The configuration opened from the sensor list returns there.
        session->window->setPage(MainWindow::DATA_MAIN);
        QString path = QStringLiteral("$.DATA.DEV[0].SEN[0].CFG");
        QString sensor = QStringLiteral("$.DATA.DEV[0].SEN[0]");
        screen()->setDeviceConfigFromSensorList(path, sensor);
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::SENSOR_PAGE));
        QCOMPARE(title(), QStringLiteral("Fühlerliste"));

        // Chart settings: back to the measurement tabs; saving does the same.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadChart")));
        tabs()->setCurrentIndex(2);
        QVERIFY(session->click(QStringLiteral("tbtnDataSettings")));
        QVERIFY(session->click(QStringLiteral("btnForwardChannelConfig")));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));
        QVERIFY(session->click(QStringLiteral("tbtnDataSettings")));
        QVERIFY(session->click(QStringLiteral("btnSaveChannelConfig")));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));

        // The logger has no step of its own on its start page: home.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadLogger")));
        QVERIFY(session->click(QStringLiteral("tbtnDataBack")));
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
        QTRY_VERIFY(ring()->isRunning()
                    && shows(button("tbtnDataHeadLogger"), QStringLiteral(":/pic/logger/icon_ringspeicher_inaktiv_31x31_01.gif")));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 3));
        QTRY_VERIFY(shows(button("tbtnDataHeadLogger"), QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif")));
        // Selected, the logger button shows the second variant.
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadLogger")));
        QVERIFY(shows(button("tbtnDataHeadLogger"), QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_02.gif")));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 7));   // unknown: the picture stays
        QVERIFY(session->injectSet(QStringLiteral("$.DATA.PROBE"), 1));   // a later change shows it was handled
        QTRY_VERIFY(!session->mirrorValue(QStringLiteral("$.DATA.PROBE")).isNull());
        QVERIFY(shows(button("tbtnDataHeadLogger"), QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_02.gif")));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 1));
        QTRY_VERIFY(!ring()->isRunning()
                    && shows(button("tbtnDataHeadLogger"), QStringLiteral(":/pic/logger/icon_logger_31x31_green_white.bmp")));

        // The network name: a button with a tooltip, hidden without a name.
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.NET.SSID"), ""));
        QTRY_VERIFY(!button("tbtnDataHeadConnection")->isVisible());
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.NET.SSID"), "Halle-3-WLAN"));
        QTRY_VERIFY(button("tbtnDataHeadConnection")->isVisible());
        QVERIFY(session->click(QStringLiteral("tbtnDataHeadConnection")));
        QTRY_VERIFY(QToolTip::isVisible());
        QVERIFY(QToolTip::text().contains(QStringLiteral("Halle-3-WLAN")));
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.NET.SSID"), 42));   // not a name: ignored
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.NET.SSID"), ""));
        QTRY_VERIFY(!button("tbtnDataHeadConnection")->isVisible());
    }

    void clockShowsLocalTime()
    {
        auto* clock = session->find<QLabel>(QStringLiteral("lblDataTime"));
        const QDateTime now = QDateTime::currentDateTime();
        const QString text = clock->text();
        QVERIFY(text == now.toString(QStringLiteral(" dd.MM.yy \n hh:mm"))
                || text == now.addSecs(-60).toString(QStringLiteral(" dd.MM.yy \n hh:mm")));
    }

    void measurementStartMessage()
    {
        Measure measure(QStringLiteral("Messung_0014"), 14, 1709537400000, 0);   // 04.03.2024 07:30:00 UTC
        const QString message = QStringLiteral("Eine neue Messung wurde gestartet (04.03.2024 07:30:00)");

        // On the chart settings: they are left and the message shows.
        enterFromHome("tbtnHomeDisplay");
        QVERIFY(session->click(QStringLiteral("tbtnDataSettings")));
        emit screen()->getChart()->changeMeasureState(GlobalEnums::START, measure);
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));
        QVERIFY(session->window->statusBarObject()->text().endsWith(message));

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
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.NET.SSID"), "TEVARO-5A21"));
        QTRY_VERIFY(button("tbtnDataHeadConnection")->isVisible());
        QVERIFY(session->relogin());
        QCOMPARE(tabs()->currentIndex(), 2);
        // Shown again once the device's name is read anew.
        QTRY_VERIFY(screen()->findChild<QToolButton*>(QStringLiteral("tbtnDataHeadConnection"))->isVisibleTo(screen()));
    }

    void englishTitles()
    {
        // Chosen on the login page, the language reaches every page of the screen.
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        enterFromHome("tbtnHomeDisplay");

        const QStringList tabTitles{QStringLiteral("Channel list"), QStringLiteral("Measured value display"),
                                    QStringLiteral("Line chart"), QStringLiteral("User menu")};
        for (int tab = 0; tab < tabTitles.size(); ++tab) {
            tabs()->setCurrentIndex(tab);
            QCOMPARE(title(), tabTitles.at(tab));
        }
        const QList<QPair<QString, QString>> pages{{QStringLiteral("tbtnDataHeadMeasure"), QStringLiteral("Sensor list")},
                                                  {QStringLiteral("tbtnDataHeadSettings"), QStringLiteral("Configuration")},
                                                  {QStringLiteral("tbtnDataHeadLogger"), QStringLiteral("Memory")}};
        for (const auto& page : pages) {
            QVERIFY(session->click(page.first));
            QTRY_COMPARE(title(), page.second);
        }
        QVERIFY(grabScreenshot(session->window, QStringLiteral("datamain-en-Memory.png")));
        QCOMPARE(button("tbtnDataBack")->text(), QStringLiteral("Back"));
    }
};

QTEST_MAIN(TestDataMain)
#include "tst_datamain.moc"
