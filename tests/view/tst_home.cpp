// The home page end to end: what a user lands on after a login, the ring
// buffer on the header's logger button, the user-management right and where
// each button leads (the Back key is in tst_mainwindow).
#include "Screenshot.h"
#include "ScreenSession.h"
#include "ViewTestHelpers.h"

#include "view/Home.h"
#include "widgets/ZAnimatedButton.h"

#include <QLabel>
#include <QToolButton>
#include <QtTest>

namespace {

const QString RING_STILL = QStringLiteral(":/pic/logger/icon_logger_31x31_white_green.bmp");
const QString RING_ACTIVE = QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif");

} // namespace

using namespace viewtest;

class TestHome : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    QToolButton* button(const char* name) { return session->find<QToolButton>(QLatin1String(name)); }
    QToolButton* usersButton() { return button("tbtnHomeUserManagement"); }
    QToolButton* ringButton() { return button("tbtnHomeHeaderLogger"); }
    ZAnimatedButton* ring() { return ringButton()->findChild<ZAnimatedButton*>(); }

    bool ringShows(const QString& picture) { return shows(ringButton(), picture); }

private slots:
    void initTestCase()
    {
        session.reset(new ScreenSession());
        QVERIFY(session->start());
    }

    void cleanupTestCase()
    {
        session.reset();
    }

    void ringBufferOnTheLoggerButton()
    {
        QVERIFY(session->relogin());
        QTRY_VERIFY(ringShows(RING_STILL));

        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 3));
        QTRY_VERIFY(ring()->isRunning() && ringShows(RING_ACTIVE));

        // Unknown states and a state of the wrong type keep the picture.
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 4));
        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), "3"));
        QVERIFY(session->injectSet(QStringLiteral("$.DATA.PROBE"), 1));   // a later change shows the others were handled
        QTRY_VERIFY(!session->mirrorValue(QStringLiteral("$.DATA.PROBE")).isNull());
        QVERIFY(ring()->isRunning() && ringShows(RING_ACTIVE));

        QTRY_VERIFY(usersButton()->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("home-admin-ring3.png")));

        QVERIFY(session->injectSet(QStringLiteral("$.MEM.RING"), 1));
        QTRY_VERIFY(!ring()->isRunning() && ringShows(RING_STILL));
    }

    void eachButtonOpensItsPage_data()
    {
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<int>("mainPage");
        QTest::addColumn<int>("stackPage");
        QTest::addColumn<QString>("title");

        QTest::newRow("Anzeige") << "tbtnHomeDisplay" << int(MainWindow::DATA_MAIN) << 0 << "Liniendiagramm";
        QTest::newRow("header logger") << "tbtnHomeHeaderLogger" << int(MainWindow::DATA_MAIN) << 3 << "Speicher";
        QTest::newRow("Benutzer") << "tbtnHomeUserManagement" << int(MainWindow::USER_MANAGEMENT) << -1 << "";
    }

    void eachButtonOpensItsPage()
    {
        QFETCH(QString, buttonName);
        QFETCH(int, mainPage);
        QFETCH(int, stackPage);
        QFETCH(QString, title);

        if (!session->window->isCurrentPage(MainWindow::HOME))
            session->window->setPage(MainWindow::HOME);
        QVERIFY(session->click(buttonName));
        QVERIFY(session->window->isCurrentPage(mainPage));
        if (stackPage >= 0) {
            QCOMPARE(session->dataMain()->getCurrentPage(), stackPage);
            QTRY_COMPARE(session->find<QLabel>(QStringLiteral("lblDataHeaderCrumb"))->text(), title);
        }
    }

    void userManagementFollowsTheRight()
    {
        QVERIFY(session->relogin(QStringLiteral("bediener"), QStringLiteral("1234")));
        // The device's right (admin only) keeps it off once it is read.
        QTRY_VERIFY(!session->mirrorValue(QStringLiteral("$.USMG.AUT")).isNull());
        QVERIFY(!usersButton()->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("home-bediener.png")));

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
        QVERIFY(session->injectSet(QStringLiteral("$.USMG.AUT"), 65537));
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
