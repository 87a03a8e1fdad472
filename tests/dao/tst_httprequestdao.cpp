// The HTTP transport against an in-process server: one request at a time,
// the three outcomes, time-out and abort.
#include "dao/HTTPRequestDAO.h"
#include "common/ThreadHandOver.h"
#include "util/StatusMessageSink.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A small HTTP server on a loopback port with a few fixed answers:
//   /echo       its content type and body back ("" for a GET without either)
//   /one        the body "x"          /status/N   status N
//   /slow       answers only on shutdown (or after 10 s)
struct TestServer
{
    TestServer()
    {
        auto handler = [this](const httplib::Request& request, httplib::Response& response) {
            ++requests;
            const std::string& path = request.path;
            const std::string type = request.get_header_value("Content-Type");
            if (path == "/one")
                response.set_content("x", "application/json");
            else if (path == "/echo")
                response.set_content(type.empty() ? request.body : type + " " + request.body, "application/json");
            else if (path.rfind("/status/", 0) == 0)
                response.status = std::stoi(path.substr(8));
            for (int i = 0; path == "/slow" && i < 1000 && !slowReleased; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
        server.Get(".*", handler);
        server.Post(".*", handler);
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

    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path); }

    std::atomic<int> requests{0};
    httplib::Server server;
    std::thread thread;
    int port = -1;
    std::atomic<bool> slowReleased{false};
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

    // Error texts name the URL without its query: Qt shows it decoded, so a
    // blank or plus inside the token would end a search for it. Every status
    // from 400 on is reported as one.
    void outcomes()
    {
        const struct { const char* path; const char* query; HTTPRequestDAO::ResponseType type; int stored; } rows[] = {
            {"/echo", "", HTTPRequestDAO::EMPTY_ANSWER, 0},
            {"/one", "", HTTPRequestDAO::DATA_RECEIVED, 1},
            {"/status/400", "?TOKN=s3c%20r3tX&REQID=1", HTTPRequestDAO::NETWORK_ERROR, 0},
        };
        TestServer server;
        for (const auto& row : rows) {
            const QString path = QString::fromLatin1(row.path);
            HTTPRequestDAO dao(5000);
            QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
            QSignalSpy statusErrors(&dao, SIGNAL(httpStatusError(QVariant,int)));
            QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
            int storedWhenTold = -1;
            connect(&dao, &HTTPRequestDAO::replyAvailable, this, [&] { storedWhenTold = dao.getReplyCount(); });

            dao.requested(QVariant(QStringLiteral("k")), server.url(path + row.query), RequestMethod::Get);
            QCOMPARE(waitForOutcome(replies), Outcome(QStringLiteral("k"), int(row.type)));
            QCOMPARE(storedWhenTold, row.stored);   // stored before the signal
            QVERIFY(!dao.isBusy());
            QCOMPARE(dao.takeFirstReply().getData().isEmpty(), row.stored == 0);
            const bool failed = row.type == HTTPRequestDAO::NETWORK_ERROR;
            QCOMPARE(statusErrors.count(), failed ? 1 : 0);
            if (!failed)
                continue;
            QCOMPARE(statusErrors.first().at(1).toInt(), 400);
            QCOMPARE(statusBar.count(), 1);
            const QString text = statusBar.first().at(0).toString();
            QVERIFY2(text.contains(server.url(path + " ")) && !text.contains("s3c") && !text.contains("r3tX"),
                     qPrintable(text));
        }
    }

    // The first request is a POST with a form body; a second one while it
    // runs is dropped, not queued: the next answer is that of a third.
    void oneRequestAtATimeAndPostSendsAFormBody()
    {
        TestServer server;
        HTTPRequestDAO dao(5000);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        dao.requested(QVariant(1), server.url(QStringLiteral("/echo")), RequestMethod::Post, "{}");
        QVERIFY(dao.isBusy());
        dao.requested(QVariant(2), server.url(QStringLiteral("/echo")), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies), Outcome(1, int(HTTPRequestDAO::DATA_RECEIVED)));
        QCOMPARE(dao.takeFirstReply().getData(), QByteArray("application/x-www-form-urlencoded {}"));
        dao.requested(QVariant(3), server.url(QStringLiteral("/echo")), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies), Outcome(3, int(HTTPRequestDAO::EMPTY_ANSWER)));
        QCOMPARE(server.requests.load(), 2);
    }

    // An abort frees the transport at once and reports no failure; a silent
    // server times out with one failure text.
    void abortAndTimeOutFreeTheTransport()
    {
        TestServer server;
        HTTPRequestDAO dao(300);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy statusBar(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        dao.requested(QVariant(QStringLiteral("slow")), server.url(QStringLiteral("/slow")), RequestMethod::Get);
        QTRY_COMPARE(server.requests.load(), 1);
        dao.abortAll();
        QVERIFY(!dao.isBusy());
        QCOMPARE(waitForOutcome(replies), Outcome(QStringLiteral("slow"), int(HTTPRequestDAO::NETWORK_ERROR)));
        // Taken although the aborted answer is still pending on the server.
        dao.requested(QVariant(QStringLiteral("silent")), server.url(QStringLiteral("/slow")), RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies, 3000), Outcome(QStringLiteral("silent"), int(HTTPRequestDAO::NETWORK_ERROR)));
        QVERIFY(!dao.isBusy());
        // The one failure text is the time-out's: the abort added none, nor did the time-out's closing.
        QStringList failures;
        for (const QList<QVariant>& arguments : statusBar)
            if (arguments.at(0).toString().startsWith(QStringLiteral("HTTP-Request ")))
                failures << arguments.at(0).toString();
        QCOMPARE(failures, QStringList{QStringLiteral("HTTP-Request Timeout")});
    }

    // A failure, a time-out among them, is told again only after the
    // failure interval while it lasts, and withdrawn by the next success of
    // any transport, which makes the same failure told again at once.
    // What became of the request: unknown after a time-out or a refused
    // connection (Qt may have sent it before on a connection that closed), not
    // after an HTTP status. A status the caller expects is not told.
    void failuresToldOncePerIntervalAndWithdrawnBySuccess()
    {
        const int interval = 600;
        TestServer server;
        HTTPRequestDAO dao(300);
        dao.setFailureInterval(interval);
        QSignalSpy replies(&dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        QSignalSpy unknown(&dao, SIGNAL(outcomeUnknown(QVariant)));
        QSignalSpy told(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        QSignalSpy withdrawn(StatusMessageSink::instance(), SIGNAL(withdrawMessage(QString)));
        const auto request = [&](const QString& path, int expectedStatus = 0) {
            dao.requestExpecting(QVariant(path), server.url(path), RequestMethod::Get, QByteArray(), expectedStatus);
            return waitForOutcome(replies).first == QVariant(path);
        };

        for (const QString& path : {QStringLiteral("/status/503"), QStringLiteral("/slow")}) {
            const int longInterval = 600000;   // the second failure surely comes within it
            dao.setFailureInterval(longInterval);
            told.clear();
            QVERIFY(request(path));
            QCOMPARE(told.count(), 1);
            const QString text = told.first().at(0).toString();
            QCOMPARE(told.first().at(2).toInt(), longInterval);
            QVERIFY(request(path));
            QCOMPARE(told.count(), 1);
            // Told again once the interval has passed, as long as the failure lasts.
            dao.setFailureInterval(interval);
            QElapsedTimer clock;
            clock.start();
            while (told.count() < 2 && clock.elapsed() < 20 * interval)
                QVERIFY(request(path));
            QCOMPARE(told.count(), 2);
            QCOMPARE(told.last().at(0).toString(), text);
            QCOMPARE(unknown.count() > 0, path == QLatin1String("/slow"));

            withdrawn.clear();
            QVERIFY(request(QStringLiteral("/one")));
            QTRY_COMPARE(withdrawn.count(), 1);
            QCOMPARE(withdrawn.first().at(0).toString(), text);
            QVERIFY(request(QStringLiteral("/one")));
            QCOMPARE(withdrawn.count(), 1);   // nothing more to withdraw
            unknown.clear();
        }

        // Another transport's success (the next login after a session ended) withdraws it too.
        QVERIFY(request(QStringLiteral("/status/500")));
        HTTPRequestDAO login(5000);
        QSignalSpy loginReplies(&login, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)));
        withdrawn.clear();
        login.requested(QVariant(), server.url(QStringLiteral("/one")), RequestMethod::Post);
        QCOMPARE(waitForOutcome(loginReplies).second, int(HTTPRequestDAO::DATA_RECEIVED));
        QTRY_COMPARE(withdrawn.count(), 1);
        QVERIFY(withdrawn.first().at(0).toString().contains(QStringLiteral("/status/500")));
        // The failing transport's own record went with the notice: the same failure is told at once.
        dao.setFailureInterval(60000);
        told.clear();
        QVERIFY(request(QStringLiteral("/status/500")));
        QCOMPARE(told.count(), 1);
        QVERIFY(request(QStringLiteral("/status/500")));
        QCOMPARE(told.count(), 1);
        dao.setFailureInterval(interval);

        told.clear();
        QVERIFY(request(QStringLiteral("/status/401"), 401));
        QCOMPARE(told.count(), 0);
        QVERIFY(request(QStringLiteral("/status/403"), 401));
        QCOMPARE(told.count(), 1);

        TestServer gone;
        const QString refused = gone.url(QStringLiteral("/one"));
        gone.server.stop();
        gone.thread.join();
        gone.thread = std::thread([] {});
        dao.requested(QVariant(1), refused, RequestMethod::Get);
        QCOMPARE(waitForOutcome(replies), Outcome(1, int(HTTPRequestDAO::NETWORK_ERROR)));
        QCOMPARE(unknown.count(), 1);
    }

    // A failure posted from another thread reaches the status bar before a withdrawal made
    // on the GUI thread after it, however soon: the notice never outlives the success.
    void aWithdrawalNeverOvertakesItsFailure()
    {
        TestServer server;
        QStringList delivered;   // as a status bar on the GUI thread gets them
        QObject bar;
        connect(StatusMessageSink::instance(), &StatusMessageSink::showMessage, &bar,
                [&delivered](const QString& text, Severity, int) { delivered << QStringLiteral("shown ") + text; });
        connect(StatusMessageSink::instance(), &StatusMessageSink::withdrawMessage, &bar,
                [&delivered](const QString& text) { delivered << QStringLiteral("withdrawn ") + text; });
        HTTPRequestDAO::withdrawLinkFailure();   // whatever an earlier step left
        QTest::qWait(0);
        delivered.clear();

        QThread pollThread;
        auto* poll = new HTTPRequestDAO(5000);
        poll->moveToThread(&pollThread);
        connect(&pollThread, &QThread::finished, poll, &QObject::deleteLater);
        std::atomic<bool> failed{false};
        connect(poll, &HTTPRequestDAO::replyAvailable, poll, [&failed] { failed = true; }, Qt::DirectConnection);
        pollThread.start();
        const QString url = server.url(QStringLiteral("/status/502"));
        postCall(poll, [poll, url] { poll->requested(QVariant(), url, RequestMethod::Get); });
        // The GUI thread takes no event meanwhile: the notice is still on its way to it.
        while (!failed)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        HTTPRequestDAO::withdrawLinkFailure();
        QTRY_COMPARE(delivered.size(), 2);
        QVERIFY2(delivered.at(0).startsWith(QStringLiteral("shown HTTP-Request Failure")), qPrintable(delivered.join('|')));
        QCOMPARE(delivered.at(1), QStringLiteral("withdrawn ") + delivered.at(0).mid(6));
        pollThread.quit();
        pollThread.wait();
    }
};

QTEST_GUILESS_MAIN(TestHTTPRequestDAO)
#include "tst_httprequestdao.moc"
