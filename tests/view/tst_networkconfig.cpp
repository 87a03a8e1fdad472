// The network settings page: what it refuses to store, and that the next
// login goes to the address saved there.
#include "Screenshot.h"
#include "ScreenSession.h"

#include "util/FileUtil.h"
#include "view/NetworkConfig.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QtTest>

namespace {

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
    ScreenSession session;

    QLineEdit* hostEdit() { return session.find<QLineEdit>(QStringLiteral("edtNetworkIp")); }
    QLineEdit* portEdit() { return session.find<QLineEdit>(QStringLiteral("edtNetworkPort")); }
    QPushButton* saveButton() { return session.find<QPushButton>(QStringLiteral("btnNetworkSave")); }
    bool onPage(int page) { return session.window->isCurrentPage(page); }

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
        QVERIFY(session.start());
    }

    void cleanup()
    {
        if (!onPage(MainWindow::LOGIN))
            session.window->setPage(MainWindow::LOGIN);
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
        session.window->setPage(MainWindow::NETWORK_CONFIG);
        QVERIFY(saveButton()->isVisible());
        type(hostEdit(), host);
        type(portEdit(), port);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Network settings not saved")));
        QTest::mouseClick(saveButton(), Qt::LeftButton);

        QVERIFY(onPage(MainWindow::NETWORK_CONFIG));
        QCOMPARE(session.find<QLabel>(QStringLiteral("lblNetworkHint"))->text(), message);
        QCOMPARE(storedValue(KEY_HOST).toString(), QStringLiteral("10.2.2.2"));
        QCOMPARE(storedValue(KEY_PORT).toString(), QStringLiteral("82"));
        QCOMPARE(hostEdit()->text(), host);   // kept for correcting
        if (QTest::currentDataTag() == QLatin1String("port too large"))
            QVERIFY(grabScreenshot(session.find<NetworkConfig>(QString()), QStringLiteral("network-refused.png")));
    }

    // The network page is reached from the login page, and what is saved
    // there is where the next login goes.
    void nextLoginUsesTheSavedAddress()
    {
        store(QStringLiteral("127.0.0.1"), QString::number(closedPort()));
        QLineEdit* name = session.find<QLineEdit>(QStringLiteral("leUserLoginName"));
        QLineEdit* password = session.find<QLineEdit>(QStringLiteral("leUserLoginPassword"));
        QPushButton* confirm = session.find<QPushButton>(QStringLiteral("btnUserLoginConfirm"));

        name->setText(QStringLiteral("admin"));
        password->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(confirm->isEnabled(), 10000);
        QVERIFY(onPage(MainWindow::LOGIN));

        QVERIFY(session.click(QStringLiteral("btnUserLoginConfig")));
        QVERIFY(onPage(MainWindow::NETWORK_CONFIG));
        type(hostEdit(), QStringLiteral("127.0.0.1"));
        type(portEdit(), QString::number(session.simulator.port()));
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QVERIFY(onPage(MainWindow::LOGIN));

        password->setText(QStringLiteral("admin"));
        QTest::mouseClick(confirm, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(onPage(MainWindow::HOME), 10000);
        QVERIFY(session.logout());
    }
};

QTEST_MAIN(TestNetworkConfig)
#include "tst_networkconfig.moc"
