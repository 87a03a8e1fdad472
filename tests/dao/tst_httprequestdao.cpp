// The HTTP transport against an in-process server: one request at a time,
// the three outcomes, time-out and abort.
#include "dao/HTTPRequestDAO.h"
#include "util/StatusMessageSink.h"

#include <httplib.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

// A small HTTP server on a loopback port with a few fixed answers:
//   /empty      200 without body      /one      200 with the body "x"
//   /status/N   status N              /slow     answers only after releaseSlow() (or 10 s)
//   /echo       the request body back
class TestServer
{
public:
    TestServer()
    {
        auto handler = [this](const httplib::Request& request, httplib::Response& response) {
            record(request);
            const std::string& path = request.path;
            if (path == "/one") {
                response.set_content("x", "application/json");
            } else if (path == "/echo") {
                response.set_content(request.body, "application/json");
            } else if (path.rfind("/status/", 0) == 0) {
                response.status = std::stoi(path.substr(8));
                response.set_content("error", "text/plain");
            } else if (path == "/slow") {
                for (int i = 0; i < 1000 && !slowReleased; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                response.set_content("late", "application/json");
            }
            // "/empty" and anything else: 200 without a body.
        };
        server.Get(".*", handler);
        server.Post(".*", handler);
        server.Put(".*", handler);
        server.Delete(".*", handler);
        server.Options(".*", handler);
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ~TestServer()
    {
        slowReleased = true;
        server.stop();
        thread.join();
    }

    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    }

    void releaseSlow() { slowReleased = true; }

    // "METHOD /path" of every request so far.
    QStringList requests()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }

    QString lastContentType()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return contentType;
    }

private:
    void record(const httplib::Request& request)
    {
        std::lock_guard<std::mutex> lock(mutex);
        seen << QString::fromStdString(request.method + " " + request.path);
        contentType = QString::fromStdString(request.get_header_value("Content-Type"));
    }

    httplib::Server server;
    std::thread thread;
    int port = -1;
    std::atomic<bool> slowReleased{false};
    std::mutex mutex;
    QStringList seen;
    QString contentType;
};

using Outcome = QPair<QVariant, int>;

// Waits for the next replyAvailable of dao.
Outcome waitForOutcome(QSignalSpy& spy, int timeoutMs = 5000)
{
    if (spy.isEmpty() && !spy.wait(timeoutMs))
        return {QVariant(), -1};
    const QList<QVariant> arguments = spy.takeFirst();
    return {arguments.at(0), arguments.at(1).value<HTTPRequestDAO::ResponseType>()};
}

QStringList statusTexts(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& arguments : spy)
        texts << arguments.at(0).toString();
    return texts;
}

} // namespace

class TestHTTPRequestDAO : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<HTTPRequestDAO::ResponseType>("HTTPRequestDAO::ResponseType");
        StatusMessageSink::instance();
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("stored");

        QTest::newRow("empty body") << "/empty" << int(HTTPRequestDAO::EMPTY_ANSWER) << 0;
        QTest::newRow("one byte") << "/one" << int(HTTPRequestDAO::DATA_RECEIVED) << 1;
        QTest::newRow("server error") << "/status/500" << int(HTTPRequestDAO::NETWORK_ERROR) << 0;
        QTest::newRow("not found") << "/status/404" << int(HTTPRequestDAO::NETWORK_ERROR) << 0;
    }

    void outcomes()
    {
        QFETCH(QString, path);
        QFETCH(int, type);
        QFETCH(int, stored);

        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        int storedWhenTold = -1;
        connect(&dao, &HTTPRequestDAO::replyAvailable, this, [&] { storedWhenTold = dao.getReplyCount(); });

        dao.requested(QVariant(QStringLiteral("k")), server.url(path), RequestMethod::Get);
        const Outcome outcome = waitForOutcome(replies);
        QCOMPARE(outcome.second, type);
        QCOMPARE(outcome.first.toString(), QStringLiteral("k"));
        QCOMPARE(storedWhenTold, stored);   // stored before the signal
        QVERIFY(!dao.isBusy());

        const Reply reply = dao.takeFirstReply();
        QCOMPARE(reply.getData().isEmpty(), stored == 0);
        if (stored)
            QCOMPARE(reply.getKey().toString(), QStringLiteral("k"));
    }

    void httpErrorStatusIsReportedWithoutToken()
    {
        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy statusErrors(&dao, SIGNAL(httpStatusError(QVariant,int)));
        QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));

        dao.requested(QVariant(QStringLiteral("k")), server.url(QStringLiteral("/status/503?TOKN=s3cret&REQID=1")),
                      RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies).second, int(HTTPRequestDAO::NETWORK_ERROR));
        QCOMPARE(statusErrors.count(), 1);
        QCOMPARE(statusErrors.first().at(1).toInt(), 503);
        const QStringList texts = statusTexts(statusBar);
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().startsWith(QStringLiteral("HTTP-Request Failure: ")));
        QVERIFY2(!texts.first().contains(QStringLiteral("s3cret")), qPrintable(texts.first()));
        QCOMPARE(statusBar.first().at(2).toInt(), 10000);
    }

    void errorTextShowsNoQueryValue_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("plain token") << "TOKN=s3cret&REQID=1" << QStringList{"s3cret"};
        // Qt shows the URL decoded: the blank would end a search for the token.
        QTest::newRow("token with a blank") << "TOKN=s3c%20r3tX&REQID=1" << QStringList{"s3c", "r3tX"};
        QTest::newRow("token with a plus") << "TOKN=ab%2Bcd&REQID=1" << QStringList{"ab", "cd"};
    }

    void errorTextShowsNoQueryValue()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, hidden);
        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));

        dao.requested(QVariant(), server.url(QStringLiteral("/status/404?") + query), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies).second, int(HTTPRequestDAO::NETWORK_ERROR));
        const QStringList texts = statusTexts(statusBar);
        QCOMPARE(texts.size(), 1);
        // Qt's text names the URL; it is shown without its query.
        QVERIFY2(texts.first().contains(server.url(QStringLiteral("/status/404 "))), qPrintable(texts.first()));
        for (const QString& secret : hidden)
            QVERIFY2(!texts.first().contains(secret), qPrintable(texts.first()));
    }

    void secondRequestWhileBusyIsDropped()
    {
        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));

        dao.requested(QVariant(1), server.url(QStringLiteral("/one")), RequestMethod::Get);
        QVERIFY(dao.isBusy());
        dao.requested(QVariant(2), server.url(QStringLiteral("/empty")), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies).first.toInt(), 1);
        QVERIFY(!dao.isBusy());
        QTest::qWait(100);
        QCOMPARE(replies.count(), 0);
        QCOMPARE(server.requests(), QStringList{QStringLiteral("GET /one")});
    }

    void methods_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("seen");

        QTest::newRow("post") << int(RequestMethod::Post) << QByteArray("{}") << "POST /echo";
        QTest::newRow("get") << int(RequestMethod::Get) << QByteArray() << "GET /echo";
        QTest::newRow("put") << int(RequestMethod::Put) << QByteArray("{}") << "PUT /echo";
        QTest::newRow("delete") << int(RequestMethod::Delete) << QByteArray() << "DELETE /echo";
        QTest::newRow("custom verb") << 9 << QByteArray("OPTIONS") << "OPTIONS /echo";
    }

    void methods()
    {
        QFETCH(int, method);
        QFETCH(QByteArray, data);
        QFETCH(QString, seen);

        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        dao.requested(QVariant(), server.url(QStringLiteral("/echo")), static_cast<RequestMethod>(method), data);
        QVERIFY(waitForOutcome(replies).second >= 0);
        QCOMPARE(server.requests(), QStringList{seen});
        if (method == int(RequestMethod::Post)) {
            QCOMPARE(server.lastContentType(), QStringLiteral("application/x-www-form-urlencoded"));
            QCOMPARE(dao.takeFirstReply().getData(), data);
        }
    }

    void refusedConnection()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();   // nothing listens there any more

        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        dao.requested(QVariant(), QStringLiteral("http://127.0.0.1:%1/x").arg(port), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies).second, int(HTTPRequestDAO::NETWORK_ERROR));
        QVERIFY(statusTexts(statusBar).first().startsWith(QStringLiteral("HTTP-Request Failure: ")));
    }

    void silentServerTimesOut()
    {
        TestServer server;
        HTTPRequestDAO dao(200);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));

        QElapsedTimer clock;
        clock.start();
        dao.requested(QVariant(), server.url(QStringLiteral("/slow")), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies).second, int(HTTPRequestDAO::NETWORK_ERROR));
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!dao.isBusy());
        const QStringList texts = statusTexts(statusBar);
        QVERIFY(texts.contains(QStringLiteral("HTTP-Request Timeout")));
        QCOMPARE(texts.filter(QStringLiteral("HTTP-Request Failure: ")).size(), 1);
        server.releaseSlow();
    }

    void abortAllFreesTheTransportAtOnce()
    {
        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));

        dao.requested(QVariant(QStringLiteral("slow")), server.url(QStringLiteral("/slow")), RequestMethod::Get);
        QTest::qWait(50);
        dao.abortAll();
        QVERIFY(!dao.isBusy());
        const Outcome aborted = waitForOutcome(replies);
        QCOMPARE(aborted.first.toString(), QStringLiteral("slow"));
        QCOMPARE(aborted.second, int(HTTPRequestDAO::NETWORK_ERROR));
        // The caller aborted on purpose: nothing failed.
        QTest::qWait(50);
        QVERIFY2(statusBar.isEmpty(), qPrintable(statusTexts(statusBar).join(QLatin1Char('\n'))));

        dao.requested(QVariant(QStringLiteral("next")), server.url(QStringLiteral("/one")), RequestMethod::Get);
        QVERIFY(dao.isBusy());
        server.releaseSlow();
        const Outcome next = waitForOutcome(replies);
        QCOMPARE(next.first.toString(), QStringLiteral("next"));
        QCOMPARE(next.second, int(HTTPRequestDAO::DATA_RECEIVED));
    }

    void emptyStoreGivesEmptyReply()
    {
        HTTPRequestDAO dao(1000);
        const Reply reply = dao.takeFirstReply();
        QVERIFY(!reply.getKey().isValid());
        QVERIFY(reply.getData().isEmpty());
        dao.addedReply(Reply(QVariant(1), "a"));
        dao.addedReply(Reply(QVariant(2), "b"));
        QCOMPARE(dao.takeAllReplies().size(), 2);
        QCOMPARE(dao.getReplyCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestHTTPRequestDAO)
#include "tst_httprequestdao.moc"
