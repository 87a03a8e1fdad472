// Token and passwords never reach a log line or the status bar, and huge texts are cut.
#include "common/LogRedaction.h"

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
        QTest::newRow("numeric token") << "{\"TOKN\":12345,\"A\":2}" << "{\"TOKN\":\"***\",\"A\":2}";
        QTest::newRow("URL in an error text")
            << "Error transferring http://h:1/webservice/path?TOKN=abc - server replied: Not Found"
            << "Error transferring http://h:1/webservice/path?TOKN=*** - server replied: Not Found";
        QTest::newRow("answer cut inside the token") << "{\"CLNT\":{\"TOKN\":\"7f3a9c0d"
                                                     << "{\"CLNT\":{\"TOKN\":\"***\"";
        QTest::newRow("user password") << "{\"VAL\":{\"NAME\":\"bob\",\"PW\":\"g\\\"eh\\\\eim\",\"ID\":-1}}"
                                       << "{\"VAL\":{\"NAME\":\"bob\",\"PW\":\"***\",\"ID\":-1}}";
        QTest::newRow("password in a query") << "login?USER=a&PASS=x1&PW=y2" << "login?USER=a&PASS=***&PW=***";
        QTest::newRow("password object, array and JSON inside a string")
            << "{\"PW\":{\"a\":\"x}\"},\"PASS\" : [\"y\",1],\"LOG\":\"{\\\"PW\\\":\\\"z\\\\\\\"w\\\"}\"}"
            << "{\"PW\":\"***\",\"PASS\" : \"***\",\"LOG\":\"{\\\"PW\\\":\\\"***\\\"}\"}";
        QTest::newRow("names that only end alike") << "{\"XPW\":\"a\",\"PWD\":\"b\"} CPW=c"
                                                   << "{\"XPW\":\"a\",\"PWD\":\"b\"} CPW=c";
    }

    void redactToken()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(LogRedaction::redactToken(text), expected);
    }

    void forLogCutsLongTexts()
    {
        const QString longText = QStringLiteral("{\"TOKN\":\"secret\",\"X\":\"") + QString(10000, QLatin1Char('a'))
                                 + QStringLiteral("\"}");
        const QString logged = LogRedaction::forLog(longText, 100);
        QVERIFY(logged.startsWith(QStringLiteral("{\"TOKN\":\"***\"")));
        QVERIFY(logged.size() < 200);
        QCOMPARE(LogRedaction::forLog(QStringLiteral("short"), 100), QStringLiteral("short"));
    }
};

QTEST_GUILESS_MAIN(TestLogRedaction)
#include "tst_logredaction.moc"
