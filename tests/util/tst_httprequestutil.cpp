// Web-service addresses and URLs, and what happens to queued requests whose
// telegram the device answered with an HTTP error.
#include "../common/LogCapture.h"

#include "common/GlobalEnums.h"
#include "dao/HTTPRequestDAO.h"
#include "util/FileUtil.h"
#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUrlQuery>
#include <QtTest>

namespace {

void setAddress(const QString& host, const QString& port)
{
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), host);
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), port);
}

QVariant telegramKey(const QList<qint64>& ids)
{
    return QVariant::fromValue(ids);
}

} // namespace

class TestHTTPRequestUtil : public QObject
{
    Q_OBJECT

private slots:
    void settingsLiveInTheTestDataFolder()
    {
        setAddress(QStringLiteral("127.0.0.1"), QString());
        const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 + QStringLiteral("/TEVARO500/Ini/TEVARO500.ini");
        QCOMPARE(FileUtil::basePath() + QStringLiteral("/Ini/TEVARO500.ini"), expected);
        QVERIFY(QFile::exists(expected));
        QVERIFY(!qEnvironmentVariableIsEmpty("XDG_DATA_HOME"));
        QVERIFY(expected.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    }

    void readingAnUnsetKeyWritesTheDefault()
    {
        const QString key = QStringLiteral("Config/Test/Unset");
        QCOMPARE(SettingsUtil::getValue(key, QStringLiteral("fallback")).toString(), QStringLiteral("fallback"));
        QSettings file(FileUtil::basePath() + QStringLiteral("/Ini/TEVARO500.ini"), QSettings::IniFormat);
        QCOMPARE(file.value(key).toString(), QStringLiteral("fallback"));
    }

    void baseUrl_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("expected");   // empty: address rejected

        QTest::newRow("no port") << "127.0.0.1" << "" << "http://127.0.0.1/webservice/";
        QTest::newRow("with port") << "127.0.0.1" << "8080" << "http://127.0.0.1:8080/webservice/";
        QTest::newRow("name, blanks trimmed") << " device.local " << " 80 " << "http://device.local:80/webservice/";
        QTest::newRow("IPv6 in brackets") << "[::1]" << "8080" << "http://[::1]:8080/webservice/";
        QTest::newRow("IPv6 without brackets") << "::1" << "8080" << "";
        QTest::newRow("no host") << "" << "8080" << "";
        QTest::newRow("blank in host") << "dev ice" << "" << "";
        QTest::newRow("scheme in host") << "http://10.0.0.1" << "" << "";
        QTest::newRow("path in host") << "10.0.0.1/x" << "" << "";
        QTest::newRow("no IPv4 address") << "192.168.1.300" << "" << "";
        QTest::newRow("port not a number") << "10.0.0.1" << "80a" << "";
        QTest::newRow("port zero") << "10.0.0.1" << "0" << "";
        QTest::newRow("port too large") << "10.0.0.1" << "70000" << "";
    }

    void baseUrl()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, expected);

        setAddress(host, port);
        JSONUtil jsonUtil;
        LogCapture log;
        QSignalSpy status(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        util->buildBaseUrl();
        QCOMPARE(util->getBaseUrl(), expected);
        if (expected.isEmpty()) {
            QCOMPARE(log.matching(QStringLiteral("Web service address is not valid")).size(), 1);
            QCOMPARE(status.count(), 1);
            QVERIFY(util->getDataRequest().getUrl().isEmpty());
        }
    }

    void invalidAddressFailsTheLoginWithoutRequest()
    {
        setAddress(QString(), QString());
        JSONUtil jsonUtil;
        LogCapture log;
        QSignalSpy login(&jsonUtil, SIGNAL(loginAvailable(Json::Value&)));
        Json::Value data;
        data["USER"] = "u";
        data["PASS"] = "p";
        jsonUtil.login(data);
        QVERIFY(login.wait(2000));
        QCOMPARE(login.count(), 1);
    }

    void failedLoginIsOverriddenByALaterOne()
    {
        // Nothing answers here: a login sent there stays pending.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        JSONUtil jsonUtil;
        LogCapture log;
        QSignalSpy login(&jsonUtil, SIGNAL(loginAvailable(Json::Value&)));
        Json::Value data;
        data["USER"] = "u";
        data["PASS"] = "p";

        setAddress(QString(), QString());
        jsonUtil.login(data);   // fails from the event loop...
        setAddress(QStringLiteral("127.0.0.1"), QString::number(silent.serverPort()));
        jsonUtil.login(data);   // ...unless another login comes first
        QTest::qWait(200);
        QCOMPARE(login.count(), 0);

        // A logout also ends the failed login's answer.
        setAddress(QString(), QString());
        jsonUtil.login(data);
        jsonUtil.logout();
        QTest::qWait(200);
        QCOMPARE(login.count(), 0);

        // Two failed logins in a row answer once.
        jsonUtil.login(data);
        jsonUtil.login(data);
        QVERIFY(login.wait(2000));
        QTest::qWait(100);
        QCOMPARE(login.count(), 1);
    }

    void requestUrls()
    {
        setAddress(QStringLiteral("127.0.0.1"), QStringLiteral("8080"));
        JSONUtil jsonUtil;
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        util->buildBaseUrl();
        const QString token = QStringLiteral("a+b&c d/=%");
        jsonUtil.setToken(token);

        const PreparedRequest data = util->getDataRequest();
        QCOMPARE(data.getMethod(), RequestMethod::Get);
        QVERIFY(data.getBody().isEmpty());
        QCOMPARE(data.getUrl(), QStringLiteral("http://127.0.0.1:8080/webservice/data?TOKN=a%2Bb%26c%20d%2F%3D%25&REQID=-1"));
        // The device decodes exactly the token back.
        const QUrlQuery query(QUrl(data.getUrl()));
        QCOMPARE(query.queryItemValue(QStringLiteral("TOKN"), QUrl::FullyDecoded), token);

        Json::Value telegram;
        telegram["INST"]["GET"]["VAL"] = Json::Value(Json::arrayValue);
        const QList<QPair<PreparedRequest, QString>> telegrams{
            {util->getPathRequest(telegram), QStringLiteral("path")},
            {util->getConfigRequest(telegram), QStringLiteral("config")},
            {util->getMeasureRequest(telegram), QStringLiteral("measure")},
            {util->getExportRequest(telegram), QStringLiteral("export")},
            {util->getUserRequest(telegram), QStringLiteral("user")}};
        for (const auto& entry : telegrams) {
            QCOMPARE(entry.first.getUrl(),
                     QStringLiteral("http://127.0.0.1:8080/webservice/%1?TOKN=a%2Bb%26c%20d%2F%3D%25").arg(entry.second));
            QCOMPARE(entry.first.getMethod(), RequestMethod::Post);
            QCOMPARE(entry.first.getBody(), QByteArray("{\"INST\":{\"GET\":{\"VAL\":[]}}}\n"));
        }
    }

    void dataRequestCarriesTheNewestReqId()
    {
        setAddress(QStringLiteral("127.0.0.1"), QString());
        JSONUtil jsonUtil;
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        util->buildBaseUrl();
        jsonUtil.setToken(QStringLiteral("t"));
        HTTPRequestDAO dao(1000);

        dao.addedReply(Reply(QVariant(QStringLiteral("dataRequest")), "{\"ReqID\":17,\"ReqContent\":null}"));
        util->takeReplies(&dao);
        QVERIFY(util->getDataRequest().getUrl().endsWith(QStringLiteral("&REQID=17")));

        // An answer without ReqID keeps it.
        dao.addedReply(Reply(QVariant(QStringLiteral("dataRequest")), "{\"INST\":{}}"));
        util->takeReplies(&dao);
        QVERIFY(util->getDataRequest().getUrl().endsWith(QStringLiteral("&REQID=17")));

        // Every login starts again at -1.
        util->buildBaseUrl();
        QVERIFY(util->getDataRequest().getUrl().endsWith(QStringLiteral("&REQID=-1")));
    }

    void acknowledgedTelegramsLeaveTheQueue_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("remaining");
        QTest::newRow("data") << int(HTTPRequestDAO::DATA_RECEIVED) << 0;
        QTest::newRow("empty answer") << int(HTTPRequestDAO::EMPTY_ANSWER) << 0;
        QTest::newRow("network error") << int(HTTPRequestDAO::NETWORK_ERROR) << 2;
    }

    void acknowledgedTelegramsLeaveTheQueue()
    {
        QFETCH(int, type);
        QFETCH(int, remaining);
        JSONUtil jsonUtil;
        jsonUtil.requestPath(QStringLiteral("$.A"));
        jsonUtil.requestPath(QStringLiteral("$.B"));
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        util->getReply(QVariant(QStringLiteral("dataRequest")), static_cast<HTTPRequestDAO::ResponseType>(type));
        QCOMPARE(jsonUtil.getRequestCount(), 2);
        util->getReply(telegramKey({1, 2}), static_cast<HTTPRequestDAO::ResponseType>(type));
        QCOMPARE(jsonUtil.getRequestCount(), remaining);
    }

    void clientErrorDropsTheTelegram()
    {
        JSONUtil jsonUtil;
        jsonUtil.requestConfig(QStringLiteral("$.A.VAL"), Json::Value(1), GlobalEnums::SET);
        jsonUtil.requestPath(QStringLiteral("$.B"));
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();

        LogCapture log;
        QSignalSpy status(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        util->getStatusError(telegramKey({1}), 404);
        util->getReply(telegramKey({1}), HTTPRequestDAO::NETWORK_ERROR);
        QCOMPARE(jsonUtil.getRequestCount(), 1);
        const QStringList reports = log.matching(QStringLiteral("rejected by the device (HTTP 404)"));
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains(QStringLiteral("$.A.VAL")));
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.first().at(1).value<Severity>(), SEVERITY_ERROR);
    }

    void serverErrorIsResentThreeTimes()
    {
        JSONUtil jsonUtil;
        jsonUtil.requestPath(QStringLiteral("$.A"));
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        LogCapture log;
        for (int attempt = 1; attempt <= 1 + HTTPRequestUtil::MAX_SERVER_ERROR_RESENDS; ++attempt) {
            QCOMPARE(jsonUtil.getRequestCount(), 1);
            util->getStatusError(telegramKey({1}), 503);
        }
        QCOMPARE(jsonUtil.getRequestCount(), 0);
        QCOMPARE(log.matching(QStringLiteral("failed 4 times on the device (HTTP 503)")).size(), 1);
    }

    void serverErrorCountRestartsAfterSuccess()
    {
        JSONUtil jsonUtil;
        jsonUtil.requestPath(QStringLiteral("$.A"));
        jsonUtil.requestPath(QStringLiteral("$.B"));
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        LogCapture log;
        for (int i = 0; i < 3; ++i)
            util->getStatusError(telegramKey({1}), 500);
        util->getReply(telegramKey({1}), HTTPRequestDAO::DATA_RECEIVED);
        for (int i = 0; i < 3; ++i)
            util->getStatusError(telegramKey({2}), 500);
        QCOMPARE(jsonUtil.getRequestCount(), 1);
    }

    void outcomeOfAnEarlierQueueIsIgnored()
    {
        JSONUtil jsonUtil;
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        jsonUtil.requestConfig(QStringLiteral("$.OLD.VAL"), Json::Value(1), GlobalEnums::SET);
        int kind = 0;
        Json::Value telegram;
        QList<qint64> ids;
        quint64 sent = 0;
        jsonUtil.buildTelegram(kind, telegram, ids, sent);
        QCOMPARE(ids, QList<qint64>{1});

        // A new session: the same id now names another request.
        jsonUtil.clearRequests();
        jsonUtil.requestConfig(QStringLiteral("$.NEW.VAL"), Json::Value(2), GlobalEnums::SET);
        LogCapture log;
        QSignalSpy status(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        QSignalSpy rejected(util, SIGNAL(tokenRejected()));
        util->getReply(telegramKey(ids), HTTPRequestDAO::DATA_RECEIVED, sent);
        util->getReply(telegramKey(ids), HTTPRequestDAO::EMPTY_ANSWER, sent);
        util->getStatusError(telegramKey(ids), 404, sent);
        util->getStatusError(telegramKey(ids), 401, sent);
        for (int i = 0; i <= HTTPRequestUtil::MAX_SERVER_ERROR_RESENDS; ++i)
            util->getStatusError(telegramKey(ids), 503, sent);
        QCOMPARE(jsonUtil.getRequestCount(), 1);
        QCOMPARE(status.count(), 0);
        QCOMPARE(rejected.count(), 0);

        // The telegram of the new queue is acknowledged as usual.
        Json::Value current;
        QList<qint64> currentIds;
        quint64 generation = 0;
        jsonUtil.buildTelegram(kind, current, currentIds, generation);
        QVERIFY(generation != sent);
        QCOMPARE(current["INST"]["SET"]["VAL"][0]["DEST"]["PATH"].asString(), std::string("$.NEW.VAL"));
        util->getReply(telegramKey(currentIds), HTTPRequestDAO::EMPTY_ANSWER, generation);
        QCOMPARE(jsonUtil.getRequestCount(), 0);
    }

    void rejectedTokenIsSignalledOnce()
    {
        JSONUtil jsonUtil;
        HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
        LogCapture log;
        QSignalSpy rejected(util, SIGNAL(tokenRejected()));
        const QVariant dataKey(QStringLiteral("dataRequest"));
        util->getStatusError(dataKey, 401);
        util->getStatusError(dataKey, 401);
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(log.matching(QStringLiteral("Data request refused by the device (HTTP 401)")).size(), 1);

        util->getReply(dataKey, HTTPRequestDAO::DATA_RECEIVED);
        util->getStatusError(dataKey, 401);
        QCOMPARE(rejected.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestHTTPRequestUtil)
#include "tst_httprequestutil.moc"
