// The token never reaches a log line or the status bar, and huge texts are cut.
#include "common/LogRedaction.h"

#include <QUrl>
#include <QtTest>

class TestLogRedaction : public QObject
{
    Q_OBJECT

private slots:
    void redactToken_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        QTest::newRow("compact JSON") << "{\"CLNT\":{\"TOKN\":\"7f3a9c\",\"US\":1}}"
                                      << "{\"CLNT\":{\"TOKN\":\"***\",\"US\":1}}";
        QTest::newRow("indented JSON") << "{\n   \"TOKN\" : \"abc\"\n}" << "{\n   \"TOKN\" : \"***\"\n}";
        QTest::newRow("numeric token") << "{\"TOKN\":12345,\"A\":2}" << "{\"TOKN\":\"***\",\"A\":2}";
        QTest::newRow("escaped quote in token") << "{\"TOKN\":\"a\\\"b\",\"X\":\"y\"}" << "{\"TOKN\":\"***\",\"X\":\"y\"}";
        QTest::newRow("URL with more items") << "http://h/webservice/data?TOKN=s3cr%2Bt&REQID=5"
                                             << "http://h/webservice/data?TOKN=***&REQID=5";
        QTest::newRow("URL in an error text")
            << "Error transferring http://h:1/webservice/path?TOKN=abc - server replied: Not Found"
            << "Error transferring http://h:1/webservice/path?TOKN=*** - server replied: Not Found";
        QTest::newRow("several tokens") << "TOKN=a TOKN=b {\"TOKN\":\"c\"}" << "TOKN=*** TOKN=*** {\"TOKN\":\"***\"}";
        QTest::newRow("nothing to hide") << "{\"USER\":\"x\"}" << "{\"USER\":\"x\"}";
        QTest::newRow("answer cut inside the token") << "{\"CLNT\":{\"TOKN\":\"7f3a9c0d"
                                                     << "{\"CLNT\":{\"TOKN\":\"***\"";
        QTest::newRow("answer cut after an escape") << "{\"TOKN\":\"7f\\" << "{\"TOKN\":\"***\"";
    }

    void redactToken()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(LogRedaction::redactToken(text), expected);
    }

    void hideUrlQuery_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");

        const QString encoded = QStringLiteral("http://127.0.0.1:8080/webservice/data?TOKN=ab%20cd%2Bef&REQID=5");
        QTest::newRow("decoded, as in Qt's error texts")
            << encoded << "Error transferring http://127.0.0.1:8080/webservice/data?TOKN=ab cd%2Bef&REQID=5 - server replied: Not Found"
            << "Error transferring http://127.0.0.1:8080/webservice/data - server replied: Not Found";
        QTest::newRow("fully encoded") << encoded << "Error at " + encoded
                                       << "Error at http://127.0.0.1:8080/webservice/data";
        QTest::newRow("fully decoded") << encoded << "Error at http://127.0.0.1:8080/webservice/data?TOKN=ab cd+ef&REQID=5."
                                       << "Error at http://127.0.0.1:8080/webservice/data.";
        QTest::newRow("URL without query") << "http://h/webservice/login" << "Connection refused to http://h/webservice/login"
                                           << "Connection refused to http://h/webservice/login";
        QTest::newRow("text without the URL") << encoded << "Connection refused" << "Connection refused";
    }

    void hideUrlQuery()
    {
        QFETCH(QString, url);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(LogRedaction::hideUrlQuery(text, QUrl(url)), expected);
    }

    void forLogCutsLongTexts()
    {
        const QString longText = QStringLiteral("{\"TOKN\":\"secret\",\"X\":\"") + QString(10000, QLatin1Char('a'))
                                 + QStringLiteral("\"}");
        const QString logged = LogRedaction::forLog(longText, 100);
        QVERIFY(logged.startsWith(QStringLiteral("{\"TOKN\":\"***\"")));
        QVERIFY(!logged.contains(QStringLiteral("secret")));
        QVERIFY(logged.size() < 200);
        QVERIFY(logged.contains(QStringLiteral("characters in all")));

        QCOMPARE(LogRedaction::forLog(QStringLiteral("short"), 100), QStringLiteral("short"));
    }
};

QTEST_GUILESS_MAIN(TestLogRedaction)
#include "tst_logredaction.moc"
