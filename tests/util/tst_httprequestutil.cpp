// Web-service addresses, request URLs and the data request's ReqID.
#include "dao/HTTPRequestDAO.h"
#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"

#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

namespace {

void setAddress(const QString& host, const QString& port)
{
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), host);
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), port);
}

} // namespace

class TestHTTPRequestUtil : public QObject
{
    Q_OBJECT

private slots:
    // A rejected address gives no URL and one status-bar message.
    void baseUrl()
    {
        const struct { const char* host; const char* port; const char* expected; } rows[] = {
            {"127.0.0.1", "8080", "http://127.0.0.1:8080/webservice/"}, {"[::1]", "8080", "http://[::1]:8080/webservice/"},
            {"::1", "8080", ""}, {"10.0.0.1", "70000", ""}, {"192.168.1.300", "", ""}};
        for (const auto& row : rows) {
            setAddress(row.host, row.port);
            JSONUtil jsonUtil;
            QSignalSpy status(StatusMessageSink::instance(), SIGNAL(showTextMessage(int,QString,QStringList,Severity,int)));
            HTTPRequestUtil* util = jsonUtil.getHTTPRequestUtil();
            util->buildBaseUrl();
            QCOMPARE(util->getBaseUrl(), QString(row.expected));
            QCOMPARE(status.count(), *row.expected ? 0 : 1);
            QCOMPARE(util->getDataRequest().getUrl().isEmpty(), !*row.expected);
        }
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

};

QTEST_GUILESS_MAIN(TestHTTPRequestUtil)
#include "tst_httprequestutil.moc"
