// What the network settings accept as the web service's host and port.
#include "util/WebServiceAddress.h"

#include <QtTest>

using WebServiceAddress::Problem;
Q_DECLARE_METATYPE(WebServiceAddress::Problem)

class TestWebServiceAddress : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<Problem>("expected");

        QTest::newRow("IPv4, no port") << "192.168.1.20" << "" << Problem::None;
        QTest::newRow("IPv4 and port") << "10.0.0.1" << "8080" << Problem::None;
        QTest::newRow("host name") << "device.local" << "80" << Problem::None;
        QTest::newRow("single label") << "localhost" << "" << Problem::None;
        QTest::newRow("IPv6 in brackets") << "[::1]" << "8080" << Problem::None;
        QTest::newRow("IPv6 long form") << "[fe80:0:0:0:0:0:0:1]" << "" << Problem::None;
        QTest::newRow("lowest port") << "10.0.0.1" << "1" << Problem::None;
        QTest::newRow("highest port") << "10.0.0.1" << "65535" << Problem::None;

        QTest::newRow("nothing") << "" << "" << Problem::EmptyHost;
        QTest::newRow("port only") << "" << "8080" << Problem::EmptyHost;
        QTest::newRow("blank inside") << "dev ice" << "" << Problem::BadHost;
        QTest::newRow("with scheme") << "http://10.0.0.1" << "" << Problem::BadHost;
        QTest::newRow("with path") << "10.0.0.1/webservice" << "" << Problem::BadHost;
        QTest::newRow("with port") << "10.0.0.1:8080" << "" << Problem::BadHost;
        QTest::newRow("octet too large") << "192.168.1.300" << "" << Problem::BadHost;
        QTest::newRow("three octets") << "192.168.1" << "" << Problem::BadHost;
        QTest::newRow("dots only") << "..." << "" << Problem::BadHost;
        // Without brackets the colons of an IPv6 address read as a port.
        QTest::newRow("IPv6 without brackets") << "::1" << "8080" << Problem::BadHost;
        QTest::newRow("IPv6 long form without brackets") << "fe80:0:0:0:0:0:0:1" << "" << Problem::BadHost;
        QTest::newRow("IPv6 with port in brackets") << "[::1]:8080" << "" << Problem::BadHost;
        QTest::newRow("IPv6 with zone") << "[fe80::1%eth0]" << "" << Problem::BadHost;
        QTest::newRow("IPv4 in brackets") << "[10.0.0.1]" << "" << Problem::BadHost;
        QTest::newRow("name in brackets") << "[device.local]" << "" << Problem::BadHost;
        QTest::newRow("open bracket only") << "[::1" << "" << Problem::BadHost;
        QTest::newRow("empty brackets") << "[]" << "" << Problem::BadHost;
        QTest::newRow("port zero") << "10.0.0.1" << "0" << Problem::BadPort;
        QTest::newRow("port too large") << "10.0.0.1" << "65536" << Problem::BadPort;
        QTest::newRow("port negative") << "10.0.0.1" << "-80" << Problem::BadPort;
        QTest::newRow("port with letters") << "10.0.0.1" << "80a" << Problem::BadPort;
        QTest::newRow("port with blank") << "10.0.0.1" << "80 80" << Problem::BadPort;
    }

    void check()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(Problem, expected);
        QCOMPARE(WebServiceAddress::check(host, port), expected);
    }
};

QTEST_GUILESS_MAIN(TestWebServiceAddress)
#include "tst_webserviceaddress.moc"
