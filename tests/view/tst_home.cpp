// The home page end to end: what a user lands on after a login, the ring
// buffer on the header's logger button, the user-management right and where
// each button leads.
#include "Screenshot.h"
#include "ScreenSession.h"

#include "view/Home.h"
#include "widgets/ZAnimatedButton.h"

#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

namespace {

const char* const RING_STILL = ":/pic/logger/icon_logger_31x31_white_green.bmp";
const char* const RING_ACTIVE = ":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif";

QImage pictureOf(const QIcon& icon)
{
    return icon.pixmap(31, 31).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestHome : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    QToolButton* button(const char* name) { return session->find<QToolButton>(QLatin1String(name)); }
    QToolButton* usersButton() { return button("tbtnHomeUserManagement"); }
    QToolButton* ringButton() { return button("tbtnHomeHeaderLogger"); }
    ZAnimatedButton* ring() { return ringButton()->findChild<ZAnimatedButton*>(); }

    // The button shows the picture, or for an animation any of its frames.
    bool ringShows(const char* picture)
    {
        const QImage shown = pictureOf(ringButton()->icon());
        QMovie movie{QString::fromLatin1(picture)};
        if (movie.isValid() && movie.frameCount() > 1) {
            for (int frame = 0; frame < movie.frameCount(); ++frame) {
                movie.jumpToFrame(frame);
                if (pictureOf(QIcon(movie.currentPixmap())) == shown)
                    return true;
            }
            return false;
        }
        const QImage expected = pictureOf(QIcon(QLatin1String(picture)));
        return !expected.isNull() && shown == expected;
    }

    bool mirrorHas(const QString& path)
    {
        Json::Value value;
        return session->json()->getMasterJSONbyPath(path, value, false);
    }

    void setDeviceValue(const QString& path, const Json::Value& value)
    {
        QVERIFY(session->simulator.injectTelegram(SimulatorProcess::setTelegram(path, value)) >= 0);
    }

    void loginAs(const QString& user, const QString& password)
    {
        if (!session->window->isCurrentPage(MainWindow::LOGIN))
            QVERIFY(session->logout());
        QVERIFY(session->login(user, password));
    }

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
        loginAs(QStringLiteral("admin"), QStringLiteral("admin"));
        QTRY_VERIFY(ringShows(RING_STILL));

        setDeviceValue(QStringLiteral("$.MEM.RING"), 3);
        QTRY_VERIFY(ring()->isRunning() && ringShows(RING_ACTIVE));

        // Unknown states and a state of the wrong type keep the picture.
        setDeviceValue(QStringLiteral("$.MEM.RING"), 4);
        setDeviceValue(QStringLiteral("$.MEM.RING"), "3");
        setDeviceValue(QStringLiteral("$.DATA.PROBE"), 1);   // a later change shows the others were handled
        QTRY_VERIFY(mirrorHas(QStringLiteral("$.DATA.PROBE")));
        QVERIFY(ring()->isRunning() && ringShows(RING_ACTIVE));

        QTRY_VERIFY(usersButton()->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("home-admin-ring3.png")));

        setDeviceValue(QStringLiteral("$.MEM.RING"), 1);
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
        loginAs(QStringLiteral("bediener"), QStringLiteral("1234"));
        // The device's right (admin only) keeps it off.
        QTest::qWait(300);
        QVERIFY(!usersButton()->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("home-bediener.png")));

        // A right every role holds while idle turns it on, at the value or with the whole node.
        setDeviceValue(QStringLiteral("$.USMG.AUT"), 7);
        QTRY_VERIFY(usersButton()->isEnabled());
        Json::Value node(Json::objectValue);
        node["AUT"] = 65537;
        setDeviceValue(QStringLiteral("$.USMG"), node);
        QTRY_VERIFY(!usersButton()->isEnabled());
        setDeviceValue(QStringLiteral("$.USMG.AUT"), 7);

        // A running measurement needs the measurement bit, which 7 lacks.
        session->rights()->setMeasurementRunning(true);
        QTRY_VERIFY(!usersButton()->isEnabled());
        session->rights()->setMeasurementRunning(false);
        QTRY_VERIFY(usersButton()->isEnabled());

        // No whole number: off.
        setDeviceValue(QStringLiteral("$.USMG.AUT"), "7");
        QTRY_VERIFY(!usersButton()->isEnabled());
        setDeviceValue(QStringLiteral("$.USMG.AUT"), 65537);
    }

    void backKeyLogsOut()
    {
        if (!session->window->isCurrentPage(MainWindow::HOME))
            session->window->setPage(MainWindow::HOME);
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        QCoreApplication::sendEvent(session->window, &back);
        QTRY_VERIFY(session->window->isCurrentPage(MainWindow::LOGIN));
        QVERIFY(session->json()->getToken().isEmpty());
    }

    void noDeactivationMaskDeactivatesNothing()
    {
        session.reset(new ScreenSession({QStringLiteral("--paused"), QStringLiteral("--users"),
                                         QStringLiteral(DEVICESIM_USERS_NO_DEACTIVATION)}));
        QVERIFY(session->start());
        QVERIFY(session->login(QStringLiteral("bediener"), QStringLiteral("1234")));
        setDeviceValue(QStringLiteral("$.USMG.AUT"), 7);
        QTRY_VERIFY(usersButton()->isEnabled());
    }
};

QTEST_MAIN(TestHome)
#include "tst_home.moc"
