// The login page and the network settings page reached from it, in the running application against
// the device simulator: language switching, the login states and their pictures, the keyboard, what
// the network page refuses to store, and that the next login goes to the address saved there.
#include "Screenshot.h"
#include "ScreenSession.h"

#include "util/FileUtil.h"
#include "view/NetworkConfig.h"
#include "view/UserLogin.h"
#include "widgets/ZLabel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString KEY_HOST = QStringLiteral("Config/Network/WebServer/IPAdress");
const QString KEY_PORT = QStringLiteral("Config/Network/WebServer/Port");
const QString INI = QStringLiteral("/Ini/TEVARO500.ini");

// What the settings file itself holds, read by an independent reader.
QVariant storedValue(const QString& key) { return QSettings(FileUtil::basePath() + INI, QSettings::IniFormat).value(key); }

void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestUserLogin : public QObject
{
    Q_OBJECT

    ScreenSession session;
    UserLogin* page = nullptr;

    template <typename T>
    T* child(const char* name) { return session.find<T>(QLatin1String(name)); }
    QLineEdit* nameEdit() { return child<QLineEdit>("leUserLoginName"); }
    QLineEdit* passwordEdit() { return child<QLineEdit>("leUserLoginPassword"); }
    QPushButton* confirmButton() { return child<QPushButton>("btnUserLoginConfirm"); }
    QLabel* hint() { return child<QLabel>("lblUserLoginInfo"); }
    QWidget* focused() { return QApplication::focusWidget(); }
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

    void save(const QString& name)
    {
        // Pending layout work first, as the event loop does before painting.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(grabScreenshot(page, name));
    }

private slots:
    void initTestCase()
    {
        QFile::remove(FileUtil::basePath() + INI);   // a first start, without settings
        QVERIFY(session.start());
        page = session.find<UserLogin>(QString());
        QVERIFY(page && onPage(MainWindow::LOGIN));
    }

    void init()
    {
        QVERIFY(session.simulator.setDelay(0) && session.simulator.clearRequestLog());
    }

    void cleanup()
    {
        QVERIFY(session.chooseLanguage(QStringLiteral("Deutsch")));
        if (onPage(MainWindow::NETWORK_CONFIG))
            session.window->setPage(MainWindow::LOGIN);
        if (!onPage(MainWindow::LOGIN))
            session.app->stop();
        QTRY_VERIFY(onPage(MainWindow::LOGIN) && inputsAre(true));
    }

    void keyboardAloneLogsIn()
    {
        // The page takes the keyboard whenever it shows, at start and after a logout.
        nameEdit()->clear();
        passwordEdit()->clear();
        session.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(session.window));
        QTRY_COMPARE(focused(), static_cast<QWidget*>(nameEdit()));

        QTest::keyClicks(focused(), QStringLiteral(" admin "));   // the name is taken without the spaces
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), static_cast<QWidget*>(passwordEdit()));
        QTest::keyClicks(focused(), QStringLiteral("wrong"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(inputsAre(true), 10000);
        // After a refusal the password is typed again at once.
        QCOMPARE(focused(), static_cast<QWidget*>(passwordEdit()));

        QTest::keyClicks(focused(), QStringLiteral("admin"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(onPage(MainWindow::HOME), 10000);
        QTRY_VERIFY(polls() > 0);

        // Logging out returns to the login page with the name kept.
        session.app->stop();
        QTRY_VERIFY(onPage(MainWindow::LOGIN));
        QTRY_COMPARE(focused(), static_cast<QWidget*>(nameEdit()));
        QVERIFY(nameEdit()->text() == QStringLiteral(" admin ") && passwordEdit()->text().isEmpty());
        QTRY_COMPARE(session.requests(QStringLiteral("logout")).size(), 1);
    }

    void switchingTheLanguageChangesTheTexts()
    {
        QVERIFY(session.chooseLanguage(QStringLiteral("English")));
        QCOMPARE(confirmButton()->text(), QStringLiteral("Log in"));
        // The whole main window follows, the network page as well.
        QCOMPARE(child<QLabel>("lblNetworkHeadline")->text(), QStringLiteral("Network settings"));
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(),
                 QStringLiteral("EN"));
        save(QStringLiteral("login-en.png"));
    }

    void refusedLogin()
    {
        QVERIFY(session.simulator.setDelay(600, QStringLiteral("login")));
        nameEdit()->setText(QStringLiteral("admin"));
        passwordEdit()->setText(QStringLiteral("wrong"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);

        // Waiting: everything disabled, a black hint.
        QVERIFY(inputsAre(false));
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung wird durchgeführt"));
        save(QStringLiteral("login-waiting.png"));

        QTRY_VERIFY_WITH_TIMEOUT(inputsAre(true), 10000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        QCOMPARE(hint()->palette().color(QPalette::Active, hint()->foregroundRole()), QColor(Qt::red));
        save(QStringLiteral("login-refused.png"));
        QCOMPARE(static_cast<ZLabel*>(hint())->displayedText(), hint()->text());   // not elided
        QVERIFY(passwordEdit()->text().isEmpty() && session.json()->getToken().isEmpty());

        // No session: the device is never polled.
        QTest::qWait(400);
        QCOMPARE(polls(), 0);

        // Typing clears the hint.
        QTest::keyClicks(passwordEdit(), QStringLiteral("x"));
        QCOMPARE(hint()->text(), QString());
    }

    void loginWithoutAnswerGivesUp()
    {
        QVERIFY(session.simulator.setDelay(2500, QStringLiteral("login")));
        page->setLoginTimeout(300);
        nameEdit()->setText(QStringLiteral("admin"));
        passwordEdit()->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(inputsAre(true), 2000);
        QCOMPARE(hint()->text(), QStringLiteral("Anmeldung konnte nicht durchgeführt werden"));
        // The late acceptance changes nothing.
        QTest::qWait(3000);
        page->setLoginTimeout(65000);
        QVERIFY(onPage(MainWindow::LOGIN) && session.json()->getToken().isEmpty());
    }

    void networkPageRefusesBadInput()
    {
        const QString hints[] = {QStringLiteral("Bitte geben Sie die IP-Adresse oder den Hostnamen des Geräts ein."),
                                 QStringLiteral("Ungültige IP-Adresse oder ungültiger Hostname"),
                                 QStringLiteral("Der Port muss eine Zahl von 1 bis 65535 sein (leer: Standardport).")};
        const std::pair<const char*, const char*> rows[] = {{"   ", "8080"}, {"192.168.1.256", ""}, {"10.0.0.1", "70000"}};
        const QString host = SettingsUtil::getValue(KEY_HOST, QString()).toString();
        const QString port = SettingsUtil::getValue(KEY_PORT, QString()).toString();
        session.window->setPage(MainWindow::NETWORK_CONFIG);
        for (int row = 0; row < 3; ++row) {
            retype(child<QLineEdit>("edtNetworkIp"), QLatin1String(rows[row].first));
            retype(child<QLineEdit>("edtNetworkPort"), QLatin1String(rows[row].second));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Network settings not saved")));
            QTest::mouseClick(child<QPushButton>("btnNetworkSave"), Qt::LeftButton);
            QVERIFY(onPage(MainWindow::NETWORK_CONFIG));
            QCOMPARE(child<QLabel>("lblNetworkHint")->text(), hints[row]);
            QCOMPARE(storedValue(KEY_HOST).toString(), host);
            QCOMPARE(storedValue(KEY_PORT).toString(), port);
            QCOMPARE(child<QLineEdit>("edtNetworkIp")->text(), QLatin1String(rows[row].first));   // kept for correcting
        }
        QVERIFY(grabScreenshot(session.find<NetworkConfig>(QString()), QStringLiteral("network-refused.png")));
    }

    void nextLoginUsesTheSavedAddress()
    {
        QTcpServer closed;   // a local port on which nobody listens
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        SettingsUtil::setValue(KEY_PORT, QString::number(closed.serverPort()));
        closed.close();
        nameEdit()->setText(QStringLiteral("admin"));
        passwordEdit()->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(confirmButton()->isEnabled(), 10000);
        QVERIFY(onPage(MainWindow::LOGIN));

        QVERIFY(session.click(QStringLiteral("btnUserLoginConfig")) && onPage(MainWindow::NETWORK_CONFIG));
        retype(child<QLineEdit>("edtNetworkIp"), QStringLiteral("127.0.0.1"));
        retype(child<QLineEdit>("edtNetworkPort"), QString::number(session.simulator.port()));
        QTest::mouseClick(child<QPushButton>("btnNetworkSave"), Qt::LeftButton);
        QVERIFY(onPage(MainWindow::LOGIN));
        QCOMPARE(storedValue(KEY_PORT).toString(), QString::number(session.simulator.port()));

        passwordEdit()->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirmButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(onPage(MainWindow::HOME), 10000);
    }
};

QTEST_MAIN(TestUserLogin)
#include "tst_userlogin.moc"
