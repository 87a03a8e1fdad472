// Token and passwords never reach a log line or the status bar, and huge texts are cut.
#include "common/LogRedaction.h"

#include <QtTest>

class TestLogRedaction : public QObject
{
    Q_OBJECT

private slots:
    // Plain literals: moc loses its way in raw strings that end in a quote.
    void redactToken()
    {
        const std::pair<QString, QString> rows[] = {
            {"{\"CLNT\":{\"TOKN\":\"7f3a9c\",\"US\":1}}", "{\"CLNT\":{\"TOKN\":\"***\",\"US\":1}}"},
            {"{\"TOKN\":12345,\"A\":2}", "{\"TOKN\":\"***\",\"A\":2}"},   // a numeric token
            {"Error transferring http://h:1/webservice/path?TOKN=abc - server replied: Not Found",
             "Error transferring http://h:1/webservice/path?TOKN=*** - server replied: Not Found"},
            {"{\"CLNT\":{\"TOKN\":\"7f3a9c0d", "{\"CLNT\":{\"TOKN\":\"***\""},   // an answer cut inside the token
            {"{\"VAL\":{\"NAME\":\"bob\",\"PW\":\"g\\\"eh\\\\eim\",\"ID\":-1}}", "{\"VAL\":{\"NAME\":\"bob\",\"PW\":\"***\",\"ID\":-1}}"},
            {"login?USER=a&PASS=x1&PW=y2", "login?USER=a&PASS=***&PW=***"},
            // A password object, an array and JSON inside a string.
            {"{\"PW\":{\"a\":\"x}\"},\"PASS\" : [\"y\",1],\"LOG\":\"{\\\"PW\\\":\\\"z\\\\\\\"w\\\"}\"}",
             "{\"PW\":\"***\",\"PASS\" : \"***\",\"LOG\":\"{\\\"PW\\\":\\\"***\\\"}\"}"},
            {"{\"XPW\":\"a\",\"PWD\":\"b\"} CPW=c", "{\"XPW\":\"a\",\"PWD\":\"b\"} CPW=c"},   // names that only end alike
        };
        for (const auto& [text, expected] : rows)
            QCOMPARE(LogRedaction::redactToken(text), expected);
    }

    void forLogCutsLongTexts()
    {
        const QString longText = "{\"TOKN\":\"secret\",\"X\":\"" + QString(10000, QLatin1Char('a')) + "\"}";
        const QString logged = LogRedaction::forLog(longText, 100);
        QVERIFY(logged.startsWith("{\"TOKN\":\"***\"") && logged.size() < 200);
        QCOMPARE(LogRedaction::forLog(QStringLiteral("short"), 100), QStringLiteral("short"));
    }
};

QTEST_GUILESS_MAIN(TestLogRedaction)
#include "tst_logredaction.moc"
