// The login page in the running application, against the device simulator:
// texts, language list and switching, the login states, Return and Enter,
// the way to the network settings and the picture of each state.
#include "SimulatorProcess.h"

#include "util/AppContext.h"
#include "util/JSONUtil.h"
#include "util/OwnMessageId.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "util/UserLoginUtil.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "view/UserLogin.h"
#include "widgets/ZLabel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

namespace {

const int LOGIN_PAGE = 0;
const int HOME_PAGE = 1;
const int NETWORK_PAGE = 3;

int countRequests(SimulatorProcess& simulator, const std::string& path)
{
    int count = 0;
    for (const Json::Value& entry : simulator.requestLog())
        if (entry["path"].asString() == path)
            ++count;
    return count;
}

// Types text through the window, to whichever widget has the focus.
void typeThrough(QWindow* window, const QString& text)
{
    for (const QChar character : text)
        QTest::keyClick(window, character.toLatin1());
}

QString screensFolder()
{
    const QString folder = QStringLiteral("/work/notes/screens");
    QDir().mkpath(folder);
    return folder;
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
        T* widget = page->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qWarning("missing widget %s", name);
        return widget;
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

    bool inputsEnabled()
    {
        return nameEdit()->isEnabled() && passwordEdit()->isEnabled() && configButton()->isEnabled()
               && confirmButton()->isEnabled() && languages()->isEnabled();
    }
    bool inputsDisabled()
    {
        return !nameEdit()->isEnabled() && !passwordEdit()->isEnabled() && !configButton()->isEnabled()
               && !confirmButton()->isEnabled() && !languages()->isEnabled();
    }

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
        QVERIFY(page->grab().save(screensFolder() + QLatin1Char('/') + name, "PNG"));
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

    void germanTextsAtStart()
    {
        QCOMPARE(confirmButton()->text(), QStringLiteral("Anmelden"));
        QCOMPARE(configButton()->text(), QStringLiteral("Netzwerk-Einstellungen"));
        QCOMPARE(child<QLabel>("wgtUserLoginFormHeader")->text(), QStringLiteral("Login"));
        QCOMPARE(nameEdit()->placeholderText(), QStringLiteral("Benutzername"));
        QCOMPARE(passwordEdit()->placeholderText(), QStringLiteral("Passwort"));
        QCOMPARE(passwordEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(hint()->text(), QString());
        QCOMPARE(child<QLabel>("lblUserLoginFooterVersion")->text(), QStringLiteral("SW-Version 1.6.0"));
        QVERIFY(child<QLabel>("lblUserLoginFooterLink")->text().contains(QStringLiteral("href=\"https://www.example.com/\"")));
        QVERIFY(child<QLabel>("lblUserLoginFooterLink")->openExternalLinks());
        QCOMPARE(configButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(languages()->focusPolicy(), Qt::NoFocus);
        save(QStringLiteral("login-de.png"));
    }

    // The banner is disabled but must look the same as an enabled one.
    void bannerShowsTheLogoWhileDisabled()
    {
        QToolButton* banner = child<QToolButton>("btnUserLoginBanner");
        QVERIFY(!banner->isEnabled());
        QCOMPARE(banner->iconSize(), QSize(960, 240));
        const QImage normal = banner->icon().pixmap(QSize(960, 240), QIcon::Normal).toImage();
        const QImage disabled = banner->icon().pixmap(QSize(960, 240), QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(960, 240));
        QVERIFY(normal == disabled);
    }

    void languageListInOrderWithIcons()
    {
        QComboBox* box = languages();
        QStringList titles;
        for (int i = 0; i < box->count(); ++i) {
            titles << box->itemText(i);
            QVERIFY2(!box->itemIcon(i).isNull(), qPrintable(box->itemText(i)));
            QVERIFY(box->itemData(i, Qt::UserRole).isValid());
        }
        QCOMPARE(titles, QStringList({QStringLiteral("Deutsch"), QStringLiteral("English"), QStringLiteral("Français"),
                                      QStringLiteral("český")}));
        QCOMPARE(box->currentText(), QStringLiteral("Deutsch"));
        QVERIFY(box->view()->styleSheet().startsWith(QStringLiteral("QAbstractItemView{background-color:rgb(")));
    }

    void switchingTheLanguageChangesTheTexts_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("networkHeadline");

        QTest::newRow("English") << "English" << "EN" << "Log in" << "Login" << "User name" << "Network settings";
        QTest::newRow("French") << QStringLiteral("Français") << "FR" << "Connexion" << "Connexion"
                                << QStringLiteral("Nom d'utilisateur") << QStringLiteral("Paramètres réseau");
        QTest::newRow("Czech") << QStringLiteral("český") << "CS" << QStringLiteral("Přihlásit")
                               << QStringLiteral("Přihlášení") << QStringLiteral("Uživatelské jméno")
                               << QStringLiteral("Nastavení sítě");
        QTest::newRow("German") << "Deutsch" << "DE" << "Anmelden" << "Login" << "Benutzername"
                                << "Netzwerk-Einstellungen";
    }

    void switchingTheLanguageChangesTheTexts()
    {
        QFETCH(QString, title);
        QFETCH(QString, key);
        QFETCH(QString, confirm);
        QFETCH(QString, header);
        QFETCH(QString, userName);
        QFETCH(QString, networkHeadline);

        chooseLanguage(title);
        QCOMPARE(confirmButton()->text(), confirm);
        QCOMPARE(child<QLabel>("wgtUserLoginFormHeader")->text(), header);
        QCOMPARE(nameEdit()->placeholderText(), userName);
        // The whole main window follows, the network page as well.
        QLabel* headline = window->findChild<QLabel*>(QStringLiteral("lblNetworkHeadline"));
        QVERIFY(headline);
        QCOMPARE(headline->text(), networkHeadline);
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(), key);
        save(QStringLiteral("login-%1.png").arg(key.toLower()));
    }

    void runtimeHintsFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("failed");
        QTest::newRow("English") << "English" << "Login failed";
        QTest::newRow("French") << QStringLiteral("Français") << QStringLiteral("La connexion a échoué");
        QTest::newRow("Czech") << QStringLiteral("český") << QStringLiteral("Přihlášení se nezdařilo");
        QTest::newRow("German") << "Deutsch" << QStringLiteral("Anmeldung konnte nicht durchgeführt werden");
    }

    // The hints are looked up in the chosen language and fit the form.
    void runtimeHintsFollowTheLanguage()
    {
        QFETCH(QString, title);
        QFETCH(QString, failed);
        chooseLanguage(title);
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        QCOMPARE(hint()->text(), failed);
        settle();
        QCOMPARE(static_cast<ZLabel*>(hint())->displayedText(), failed);
    }

    void refusedLogin()
    {
        QVERIFY(simulator.setDelay(600, QStringLiteral("login")));
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);

        // Waiting: everything disabled, a black hint.
        QVERIFY(inputsDisabled());
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung wird durchgeführt"));
        QCOMPARE(hintColour(), QColor(Qt::black));
        save(QStringLiteral("login-waiting.png"));

        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        QCOMPARE(hintColour(), QColor(Qt::red));
        settle();
        QCOMPARE(static_cast<ZLabel*>(hint())->displayedText(), hint()->text());   // not elided
        QCOMPARE(nameEdit()->text(), QStringLiteral("admin"));
        QCOMPARE(passwordEdit()->text(), QString());
        QCOMPARE(currentPage(), LOGIN_PAGE);
        QVERIFY(app->getJSONUtil()->getToken().isEmpty());
        save(QStringLiteral("login-refused.png"));

        // No session: the device is never polled.
        QTest::qWait(400);
        QCOMPARE(countRequests(simulator, "/webservice/data"), 0);

        // Typing clears the hint.
        QTest::keyClicks(passwordEdit(), QStringLiteral("x"));
        QCOMPARE(hint()->text(), QString());
    }

    void typingInTheNameClearsTheHint()
    {
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        QVERIFY(!hint()->text().isEmpty());
        QTest::keyClicks(nameEdit(), QStringLiteral("x"));
        QCOMPARE(hint()->text(), QString());
    }

    void successfulLoginShowsHome()
    {
        typeCredentials(QStringLiteral(" admin "), QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(), HOME_PAGE, 10000);
        QCOMPARE(hint()->text(), QString());
        QCOMPARE(passwordEdit()->text(), QString());
        QVERIFY(!app->getJSONUtil()->getToken().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(countRequests(simulator, "/webservice/data") > 0, 5000);

        // Logging out returns to the login page with the name kept.
        app->stop();
        QTRY_COMPARE(currentPage(), LOGIN_PAGE);
        QCOMPARE(nameEdit()->text(), QStringLiteral(" admin "));
        QCOMPARE(passwordEdit()->text(), QString());
        QVERIFY(inputsEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(countRequests(simulator, "/webservice/logout"), 1, 5000);
    }

    void returnAndEnterStartALogin_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("target");
        QTest::newRow("Return in the password") << int(Qt::Key_Return) << "leUserLoginPassword";
        QTest::newRow("Enter in the password") << int(Qt::Key_Enter) << "leUserLoginPassword";
        QTest::newRow("Return in the name") << int(Qt::Key_Return) << "leUserLoginName";
        QTest::newRow("Enter on the page") << int(Qt::Key_Enter) << "UserLogin";
    }

    void returnAndEnterStartALogin()
    {
        QFETCH(int, key);
        QFETCH(QString, target);
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QWidget* receiver = target == QLatin1String("UserLogin") ? page : page->findChild<QWidget*>(target);
        QVERIFY(receiver);
        QTest::keyClick(receiver, Qt::Key(key));
        QVERIFY(inputsDisabled());
        QTRY_VERIFY_WITH_TIMEOUT(inputsEnabled(), 10000);
        QCOMPARE(countRequests(simulator, "/webservice/login"), 1);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
    }

    void otherKeysDoNotLogIn()
    {
        typeCredentials(QStringLiteral("admin"), QStringLiteral("wrong"));
        QTest::keyClick(passwordEdit(), Qt::Key_Tab);
        QTest::keyClick(page, Qt::Key_Space);
        QTest::qWait(300);
        QCOMPARE(countRequests(simulator, "/webservice/login"), 0);
        QVERIFY(inputsEnabled());
    }

    void returnWhileWaitingSendsOneLogin()
    {
        QVERIFY(simulator.setDelay(500, QStringLiteral("login")));
        typeCredentials(QStringLiteral("admin"), QStringLiteral("admin"));
        QTest::keyClick(passwordEdit(), Qt::Key_Return);
        QTest::keyClick(page, Qt::Key_Return);
        QTest::keyClick(page, Qt::Key_Enter);
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(), HOME_PAGE, 10000);
        QCOMPARE(countRequests(simulator, "/webservice/login"), 1);
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
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
    }

    void automaticLogoutNotice()
    {
        MessageDialog* dialog = window->messageDialog();
        QVERIFY(dialog);
        const int before = dialog->queuedCount();
        page->showAutoLogout(QString());
        QTRY_COMPARE(dialog->queuedCount(), before + 1);
        QTRY_VERIFY(dialog->isVisible());
        const structMessage shown = dialog->currentMessage();
        QCOMPARE(shown.text, QStringLiteral("Benutzer wurde automatisch vom System abgemeldet"));
        QVERIFY(shown.mid < 0);
        QCOMPARE(shown.muid, -shown.mid);
        QCOMPARE(shown.icon, 0);
        QVERIFY(shown.buttonTexts.isEmpty());
        dialog->hideMessage(0);
        QTRY_COMPARE(dialog->queuedCount(), before);
    }

    // The message panel is modal: Return and typing under the veil reach
    // neither the login fields nor the login.
    void messagePanelHoldsTheKeyboard()
    {
        MessageDialog* dialog = window->messageDialog();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        typeCredentials(QStringLiteral("admin"), QStringLiteral("admin"));
        passwordEdit()->setFocus();

        qint64 mid = 0;
        qint64 muid = 0;
        OwnMessageId::next(mid, muid);
        dialog->showDialog(mid, muid, QStringLiteral("Bitte zuerst diese Meldung beantworten."), 1,
                           {QStringLiteral("Verstanden"), QStringLiteral("Später")});
        QVERIFY(dialog->isVisible());
        QPushButton* first = dialog->findChild<QPushButton*>(QStringLiteral("btnMessageDialog0"));
        QCOMPARE(window->focusWidget(), first);
        settle();
        QVERIFY(window->grab().save(screensFolder() + QStringLiteral("/frame-message-dialog.png"), "PNG"));

        typeThrough(window->windowHandle(), QStringLiteral("xyz"));
        QTest::keyClick(passwordEdit(), Qt::Key_Return);   // as if the field still had the focus
        QTest::keyClick(page, Qt::Key_Enter);
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        QVERIFY(dialog->isAncestorOf(window->focusWidget()));
        QCOMPARE(passwordEdit()->text(), QStringLiteral("admin"));
        QVERIFY(inputsEnabled());
        QCOMPARE(hint()->text(), QString());

        // Return answers the panel with the focused button; the focus goes back.
        QSignalSpy answered(dialog, SIGNAL(sendButton_ID(int,structMessage)));
        QTest::keyClick(window->windowHandle(), Qt::Key_Return);
        QCOMPARE(answered.size(), 1);
        QCOMPARE(answered.first().at(0).toInt(), 1);   // Tab moved on to the second button
        QVERIFY(!dialog->isVisible());
        QCOMPARE(window->focusWidget(), passwordEdit());
        QTest::qWait(300);
        QCOMPARE(countRequests(simulator, "/webservice/login"), 0);
        QCOMPARE(currentPage(), LOGIN_PAGE);
    }

    void networkButtonOpensTheSettings()
    {
        QTest::mouseClick(configButton(), Qt::LeftButton);
        QCOMPARE(currentPage(), NETWORK_PAGE);
        window->setPage(LOGIN_PAGE);
    }
};

QTEST_MAIN(TestUserLogin)
#include "tst_userlogin.moc"
