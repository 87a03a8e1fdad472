// The login page in the running application, against the device simulator:
// language switching, the login states and the picture of each state.
#include "Screenshot.h"
#include "SimulatorProcess.h"

#include "util/AppContext.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/UserLogin.h"
#include "widgets/ZLabel.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QtTest>

namespace {

const int LOGIN_PAGE = 0;
const int HOME_PAGE = 1;

int countRequests(SimulatorProcess& simulator, const std::string& path)
{
    int count = 0;
    for (const Json::Value& entry : simulator.requestLog())
        if (entry["path"].asString() == path)
            ++count;
    return count;
}

} // namespace

class TestUserLogin : public QObject
{
    Q_OBJECT

private:
    SimulatorProcess simulator{{QStringLiteral("--paused")}};
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;
    UserLogin* page = nullptr;

    template <typename T>
    T* child(const char* name)
    {
        return page->findChild<T*>(QString::fromLatin1(name));
    }

    QLineEdit* nameEdit() { return child<QLineEdit>("leUserLoginName"); }
    QLineEdit* passwordEdit() { return child<QLineEdit>("leUserLoginPassword"); }
    QPushButton* confirmButton() { return child<QPushButton>("btnUserLoginConfirm"); }
    QPushButton* configButton() { return child<QPushButton>("btnUserLoginConfig"); }
    QLabel* hint() { return child<QLabel>("lblUserLoginInfo"); }
    QComboBox* languages() { return child<QComboBox>("cbxUserLoginLanguage"); }

    int currentPage()
    {
        QStackedWidget* stack = window->findChild<QStackedWidget*>();
        return stack ? stack->currentIndex() : -1;
    }

    QColor hintColour() { return hint()->palette().color(QPalette::Active, hint()->foregroundRole()); }

    bool inputsAre(bool enabled)
    {
        for (QWidget* input : QList<QWidget*>{nameEdit(), passwordEdit(), configButton(), confirmButton(), languages()})
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

    void chooseLanguage(const QString& title)
    {
        QComboBox* box = languages();
        const int index = box->findText(title);
        QVERIFY2(index >= 0, qPrintable(title));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    void backToLoginPage()
    {
        if (currentPage() != LOGIN_PAGE)
            app->stop();
        QTRY_COMPARE(currentPage(), LOGIN_PAGE);
        QTRY_VERIFY(inputsEnabled());
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
        QVERIFY(simulator.start());
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), QStringLiteral("127.0.0.1"));
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QString::number(simulator.port()));
        SettingsUtil::setValue(QStringLiteral("Config/Language/Selection"), QStringLiteral("DE"));
        app = new TevaroApp();
        AppContext* context = AppContext::get();
        window = context->getMainWindow();
        AppContext::release();
        QVERIFY(window);
        window->resize(1280, 800);
        page = window->findChild<UserLogin*>();
        QVERIFY(page);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(currentPage(), LOGIN_PAGE);
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void init()
    {
        QVERIFY(simulator.setDelay(0));
        QVERIFY(simulator.clearRequestLog());
    }

    void cleanup()
    {
        chooseLanguage(QStringLiteral("Deutsch"));
        backToLoginPage();
    }

    void switchingTheLanguageChangesTheTexts()
    {
        chooseLanguage(QStringLiteral("English"));
        QCOMPARE(confirmButton()->text(), QStringLiteral("Log in"));
        // The whole main window follows, the network page as well.
        QLabel* headline = window->findChild<QLabel*>(QStringLiteral("lblNetworkHeadline"));
        QVERIFY(headline);
        QCOMPARE(headline->text(), QStringLiteral("Network settings"));
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(),
                 QStringLiteral("EN"));
        save(QStringLiteral("login-en.png"));
    }

    void refusedLogin()
    {
        QVERIFY(simulator.setDelay(600, QStringLiteral("login")));
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);

        // Waiting: everything disabled, a black hint.
        QVERIFY(inputsAre(false));
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung wird durchgeführt"));
        save(QStringLiteral("login-waiting.png"));

        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        QCOMPARE(hintColour(), QColor(Qt::red));
        settle();
        QCOMPARE(static_cast<ZLabel*>(hint())->displayedText(), hint()->text());   // not elided
        QCOMPARE(passwordEdit()->text(), QString());
        QVERIFY(app->getJSONUtil()->getToken().isEmpty());
        save(QStringLiteral("login-refused.png"));

        // No session: the device is never polled.
        QTest::qWait(400);
        QCOMPARE(countRequests(simulator, "/webservice/data"), 0);

        // Typing clears the hint.
        QTest::keyClicks(passwordEdit(), QStringLiteral("x"));
        QCOMPARE(hint()->text(), QString());
    }

    void successfulLoginShowsHome()
    {
        typeCredentials(QStringLiteral(" admin "), QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(), HOME_PAGE, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(countRequests(simulator, "/webservice/data") > 0, 5000);

        // Logging out returns to the login page with the name kept.
        app->stop();
        QTRY_COMPARE(currentPage(), LOGIN_PAGE);
        QCOMPARE(nameEdit()->text(), QStringLiteral(" admin "));
        QCOMPARE(passwordEdit()->text(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(countRequests(simulator, "/webservice/logout"), 1, 5000);
    }

    void keyboardAloneLogsIn()
    {
        // The page takes the keyboard whenever it shows, at start and after a logout.
        nameEdit()->clear();
        passwordEdit()->clear();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
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
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(), HOME_PAGE, 10000);

        app->stop();
        QTRY_COMPARE(currentPage(), LOGIN_PAGE);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(nameEdit()));
    }

    void loginWithoutAnswerGivesUp()
    {
        QVERIFY(simulator.setDelay(2500, QStringLiteral("login")));
        page->setLoginTimeout(300);
        typeCredentials(QStringLiteral("admin"), QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 2000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        // The late acceptance changes nothing.
        QTest::qWait(3000);
        page->setLoginTimeout(65000);
        QCOMPARE(currentPage(), LOGIN_PAGE);
        QVERIFY(app->getJSONUtil()->getToken().isEmpty());
    }

};

QTEST_MAIN(TestUserLogin)
#include "tst_userlogin.moc"
