// The login page in the running application, against the device simulator:
// language switching, the login states and the picture of each state.
#include "Screenshot.h"
#include "ScreenSession.h"

#include "view/UserLogin.h"
#include "widgets/ZLabel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestUserLogin : public QObject
{
    Q_OBJECT

private:
    ScreenSession session;
    UserLogin* page = nullptr;

    template <typename T>
    T* child(const char* name)
    {
        return page->findChild<T*>(QString::fromLatin1(name));
    }

    QLineEdit* nameEdit() { return child<QLineEdit>("leUserLoginName"); }
    QLineEdit* passwordEdit() { return child<QLineEdit>("leUserLoginPassword"); }
    QPushButton* confirmButton() { return child<QPushButton>("btnUserLoginConfirm"); }
    QLabel* hint() { return child<QLabel>("lblUserLoginInfo"); }
    bool onPage(int mainPage) { return session.window->isCurrentPage(mainPage); }
    int polls() { return session.requests(QStringLiteral("data")).size(); }

    bool inputsAre(bool enabled)
    {
        for (QWidget* input : QList<QWidget*>{nameEdit(), passwordEdit(), child<QWidget>("btnUserLoginConfig"),
                                              confirmButton(), child<QWidget>("cbxUserLoginLanguage")})
            if (input->isEnabled() != enabled)
                return false;
        return true;
    }
    bool inputsEnabled() { return inputsAre(true); }

    void typeCredentials(const QString& user, const QString& password)
    {
        nameEdit()->clear();
        passwordEdit()->clear();
        QTest::keyClicks(nameEdit(), user);
        QTest::keyClicks(passwordEdit(), password);
    }

    // Lets pending layout work finish, as the event loop does before painting.
    void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    void save(const QString& name)
    {
        settle();
        QVERIFY(grabScreenshot(page, name));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(session.start());
        page = session.find<UserLogin>(QString());
        QVERIFY(page && onPage(MainWindow::LOGIN));
    }

    void init()
    {
        QVERIFY(session.simulator.setDelay(0));
        QVERIFY(session.simulator.clearRequestLog());
    }

    void cleanup()
    {
        QVERIFY(session.chooseLanguage(QStringLiteral("Deutsch")));
        if (!onPage(MainWindow::LOGIN))
            session.app->stop();
        QTRY_VERIFY(onPage(MainWindow::LOGIN) && inputsEnabled());
    }

    void switchingTheLanguageChangesTheTexts()
    {
        QVERIFY(session.chooseLanguage(QStringLiteral("English")));
        QCOMPARE(confirmButton()->text(), QStringLiteral("Log in"));
        // The whole main window follows, the network page as well.
        QLabel* headline = session.find<QLabel>(QStringLiteral("lblNetworkHeadline"));
        QVERIFY(headline);
        QCOMPARE(headline->text(), QStringLiteral("Network settings"));
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(),
                 QStringLiteral("EN"));
        save(QStringLiteral("login-en.png"));
    }

    void refusedLogin()
    {
        QVERIFY(session.simulator.setDelay(600, QStringLiteral("login")));
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);

        // Waiting: everything disabled, a black hint.
        QVERIFY(inputsAre(false));
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung wird durchgeführt"));
        save(QStringLiteral("login-waiting.png"));

        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        QCOMPARE(hint()->palette().color(QPalette::Active, hint()->foregroundRole()), QColor(Qt::red));
        settle();
        QCOMPARE(static_cast<ZLabel*>(hint())->displayedText(), hint()->text());   // not elided
        QCOMPARE(passwordEdit()->text(), QString());
        QVERIFY(session.json()->getToken().isEmpty());
        save(QStringLiteral("login-refused.png"));

        // No session: the device is never polled.
        QTest::qWait(400);
        QCOMPARE(polls(), 0);

        // Typing clears the hint.
        QTest::keyClicks(passwordEdit(), QStringLiteral("x"));
        QCOMPARE(hint()->text(), QString());
    }

    void successfulLoginShowsHome()
    {
        typeCredentials(QStringLiteral(" admin "), QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(onPage(MainWindow::HOME), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(polls() > 0, 5000);

        // Logging out returns to the login page with the name kept.
        session.app->stop();
        QTRY_VERIFY(onPage(MainWindow::LOGIN));
        QCOMPARE(nameEdit()->text(), QStringLiteral(" admin "));
        QCOMPARE(passwordEdit()->text(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(session.requests(QStringLiteral("logout")).size(), 1, 5000);
    }

    void keyboardAloneLogsIn()
    {
        // The page takes the keyboard whenever it shows, at start and after a logout.
        nameEdit()->clear();
        passwordEdit()->clear();
        session.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(session.window));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(nameEdit()));

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("admin"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(passwordEdit()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("wrong"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        // After a refusal the password is typed again at once.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(passwordEdit()));

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("admin"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(onPage(MainWindow::HOME), 10000);

        session.app->stop();
        QTRY_VERIFY(onPage(MainWindow::LOGIN));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(nameEdit()));
    }

    void loginWithoutAnswerGivesUp()
    {
        QVERIFY(session.simulator.setDelay(2500, QStringLiteral("login")));
        page->setLoginTimeout(300);
        typeCredentials(QStringLiteral("admin"), QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 2000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        // The late acceptance changes nothing.
        QTest::qWait(3000);
        page->setLoginTimeout(65000);
        QVERIFY(onPage(MainWindow::LOGIN));
        QVERIFY(session.json()->getToken().isEmpty());
    }

};

QTEST_MAIN(TestUserLogin)
#include "tst_userlogin.moc"
