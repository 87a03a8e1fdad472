// The network settings page: what it refuses to store, and that the next
// login goes to the address saved there.
#include "Screenshot.h"
#include "SimulatorProcess.h"

#include "util/AppContext.h"
#include "util/FileUtil.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/NetworkConfig.h"
#include "view/UserLogin.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTcpServer>
#include <QtTest>

namespace {

const int LOGIN_PAGE = 0;
const int HOME_PAGE = 1;
const int NETWORK_PAGE = 3;

const QString KEY_HOST = QStringLiteral("Config/Network/WebServer/IPAdress");
const QString KEY_PORT = QStringLiteral("Config/Network/WebServer/Port");

QString iniPath()
{
    return FileUtil::basePath() + QStringLiteral("/Ini/TEVARO500.ini");
}

// What the settings file itself holds, read by an independent reader.
QVariant storedValue(const QString& key)
{
    QSettings file(iniPath(), QSettings::IniFormat);
    return file.value(key);
}

// A local port on which nobody listens.
int closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

} // namespace

class TestNetworkConfig : public QObject
{
    Q_OBJECT

private:
    SimulatorProcess simulator{{QStringLiteral("--paused")}};
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;
    NetworkConfig* page = nullptr;

    QLineEdit* hostEdit() { return page->findChild<QLineEdit*>(QStringLiteral("edtNetworkIp")); }
    QLineEdit* portEdit() { return page->findChild<QLineEdit*>(QStringLiteral("edtNetworkPort")); }
    QPushButton* saveButton() { return page->findChild<QPushButton*>(QStringLiteral("btnNetworkSave")); }
    QLabel* hint() { return page->findChild<QLabel*>(QStringLiteral("lblNetworkHint")); }

    int currentPage()
    {
        QStackedWidget* stack = window->findChild<QStackedWidget*>();
        return stack ? stack->currentIndex() : -1;
    }

    void openPage()
    {
        window->setPage(NETWORK_PAGE);
        QCOMPARE(currentPage(), NETWORK_PAGE);
        QVERIFY(page->isVisible());
    }

    void type(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    void store(const QString& host, const QString& port)
    {
        SettingsUtil::setValue(KEY_HOST, host);
        SettingsUtil::setValue(KEY_PORT, port);
    }

private slots:
    void initTestCase()
    {
        // Every run starts without settings, like a first start.
        QFile::remove(iniPath());
        QVERIFY(simulator.start());
        app = new TevaroApp();
        AppContext* context = AppContext::get();
        window = context->getMainWindow();
        AppContext::release();
        QVERIFY(window);
        window->resize(1280, 800);
        page = window->findChild<NetworkConfig*>();
        QVERIFY(page);
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanupTestCase()
    {
        delete app;
    }

    void cleanup()
    {
        if (currentPage() != LOGIN_PAGE)
            window->setPage(LOGIN_PAGE);
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");

        const QString noHost = QStringLiteral("Bitte geben Sie die IP-Adresse oder den Hostnamen des Geräts ein.");
        const QString badHost = QStringLiteral("Ungültige IP-Adresse oder ungültiger Hostname");
        const QString badPort = QStringLiteral("Der Port muss eine Zahl von 1 bis 65535 sein (leer: Standardport).");
        QTest::newRow("no host") << "   " << "8080" << noHost;
            QTest::newRow("octet too large") << "192.168.1.256" << "" << badHost;
        QTest::newRow("port too large") << "10.0.0.1" << "70000" << badPort;
    }

    void badInputIsRefused()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, message);

        store(QStringLiteral("10.2.2.2"), QStringLiteral("82"));
        openPage();
        type(hostEdit(), host);
        type(portEdit(), port);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Network settings not saved")));
        QTest::mouseClick(saveButton(), Qt::LeftButton);

        QCOMPARE(currentPage(), NETWORK_PAGE);
        QCOMPARE(hint()->text(), message);
        QCOMPARE(storedValue(KEY_HOST).toString(), QStringLiteral("10.2.2.2"));
        QCOMPARE(storedValue(KEY_PORT).toString(), QStringLiteral("82"));
        QCOMPARE(hostEdit()->text(), host);   // kept for correcting
        if (QTest::currentDataTag() == QLatin1String("port too large"))
            QVERIFY(grabScreenshot(page, QStringLiteral("network-refused.png")));
    }

    // The network page is reached from the login page, and what is saved
    // there is where the next login goes.
    void nextLoginUsesTheSavedAddress()
    {
        store(QStringLiteral("127.0.0.1"), QString::number(closedPort()));
        UserLogin* login = window->findChild<UserLogin*>();
        QVERIFY(login);
        QLineEdit* name = login->findChild<QLineEdit*>(QStringLiteral("leUserLoginName"));
        QLineEdit* password = login->findChild<QLineEdit*>(QStringLiteral("leUserLoginPassword"));
        QPushButton* confirm = login->findChild<QPushButton*>(QStringLiteral("btnUserLoginConfirm"));

        window->setPage(LOGIN_PAGE);
        name->setText(QStringLiteral("admin"));
        password->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(confirm->isEnabled(), 10000);
        QCOMPARE(currentPage(), LOGIN_PAGE);

        QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("btnUserLoginConfig")), Qt::LeftButton);
        QCOMPARE(currentPage(), NETWORK_PAGE);
        type(hostEdit(), QStringLiteral("127.0.0.1"));
        type(portEdit(), QString::number(simulator.port()));
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(currentPage(), LOGIN_PAGE);

        password->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(currentPage(), HOME_PAGE, 10000);
        app->stop();
        QTRY_COMPARE(currentPage(), LOGIN_PAGE);
    }
};

QTEST_MAIN(TestNetworkConfig)
#include "tst_networkconfig.moc"
