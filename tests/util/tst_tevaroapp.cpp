// The application object and its device link against the device simulator,
// in steps that run in order: two logins in a row, the session's first
// requests, failed and malformed answers, a refused token that ends the
// session and the writes it left unwritten named, a slow answer timed out and resent, back on the home page, the next
// session starting clean with the messages of its login answer, a device
// message answered before the logout it asks for, closing with a slow logout,
// and a refused login and closing on the login page. Request ids, batching and
// telegram texts are decided, and checked, in the mirror owner and the request
// builder.
#include "../common/LogCapture.h"
#include "../common/QueuedSignalSpy.h"
#include "../view/ScreenSession.h"
#include "EditedTable.h"
#include "Screenshot.h"
#include "TestJson.h"

#include "common/TableStructure.h"
#include "util/DeviceConfigUtil.h"
#include "util/FileUtil.h"
#include "util/HTTPRequestUtil.h"
#include "util/StatusMessageSink.h"
#include "view/MessageDialog.h"
#include "view/StatusBar.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace {

bool waitUntil(const std::function<bool()>& condition) { return ScreenSession::waitUntil(condition, 8000); }

const QString NAME_PATH = QStringLiteral("$.DISP.GEN.MEN.NAME.VAL");
const QString LOCATION_PATH = QStringLiteral("$.DISP.GEN.MEN.LOC.VAL");

} // namespace

class TestTevaroApp : public QObject
{
    Q_OBJECT

private:
    ScreenSession session;
    SimulatorProcess& simulator = session.simulator;
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;
    std::unique_ptr<LogCapture> log;   // the whole run's log, for the token
    std::unique_ptr<QueuedSignalSpy> status;
    QStringList withdrawn;   // link notices withdrawn, recorded once the status bar has had them
    QString firstToken;

    StatusBar* bar() { return window->statusBarObject(); }

    // Whether a link failure (whose text contains part, when given) was withdrawn and the bar has handled that.
    bool failureWithdrawn(const QString& part = QString())
    {
        return waitUntil([&] {
            return std::any_of(withdrawn.cbegin(), withdrawn.cend(), [&part](const QString& text) {
                return text.startsWith(QStringLiteral("HTTP-Request Failure: ")) && text.contains(part);
            });
        });
    }

    // Index in the request log of the first request to endpoint whose body
    // or query contains part; -1 when none.
    int firstIndexOf(const QString& endpoint, const std::string& part = std::string())
    {
        const Json::Value log = simulator.requestLog();
        for (Json::ArrayIndex i = 0; i < log.size(); ++i) {
            if (log[i]["path"].asString() == "/webservice/" + endpoint.toStdString()
                && (log[i]["body"].asString() + log[i]["query"].asString()).find(part) != std::string::npos)
                return int(i);
        }
        return -1;
    }

    std::string tokenQuery() { return "TOKN=" + app->getJSONUtil()->getToken().toStdString(); }

    // The session is up once the first answers arrived: the device sends its
    // changes from the first data request on.
    bool login(const QString& user = QStringLiteral("admin"), const QString& password = QStringLiteral("admin"))
    {
        return session.login(user, password) && waitUntil([this] {
                   Json::Value paths;
                   return app->isStarted() && app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.IPTH"), paths, false)
                          && paths.isArray();
               });
    }

    // Whether a status-bar text with that id (and these arguments, when given) was shown.
    bool shown(int id, const QStringList& arguments = QStringList())
    {
        return waitUntil([&] {
            for (const QList<QVariant>& message : *status)
                if (message.at(0).toInt() == id && (arguments.isEmpty() || message.at(2).toStringList() == arguments))
                    return true;
            return false;
        });
    }

    // Writes value to path and waits until the device's echo reached the mirror.
    bool writeAndAwaitEcho(const QString& path, const char* value)
    {
        app->getJSONUtil()->requestConfig(path, Json::Value(value), GlobalEnums::SET);
        return waitUntil([&] { return session.mirrorValue(path) == Json::Value(value); });
    }

    // A table whose one cell, the device name, the user changed to name.
    static TableStructure nameEdited(const QString& name) { return tableOf({changedCell(NAME_PATH, name)}); }

    // The session a step goes on with: the one the step before left, or a new one when it failed.
    bool inSession(const QString& user = QStringLiteral("admin")) { return app->isStarted() || login(user, user); }

    MessageDialog* dialog() { return OverallView::getMessageDialog(); }

    bool dialogShows(const QString& text)
    {
        return waitUntil([&] {
            return dialog()->isVisible()
                   && dialog()->findChild<QTextEdit*>(QStringLiteral("tedMessageContent"))->toPlainText() == text;
        });
    }

private slots:
    void initTestCase()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        log.reset(new LogCapture());
        status.reset(new QueuedSignalSpy(StatusMessageSink::instance(),
                                         SIGNAL(showTextMessage(int,QString,QStringList,Severity,int))));
        QVERIFY(session.start());
        app = session.app.get();
        window = session.window;
        // Queued after the status bar's own connection: recorded once the bar has withdrawn it.
        connect(StatusMessageSink::instance(), &StatusMessageSink::withdrawMessage, this,
                [this](const QString& text) { withdrawn << text; }, Qt::QueuedConnection);
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
    }

    // Every step starts with the device running, answering at once and echoing, and the link's
    // times as shipped, whatever the step before changed.
    void init()
    {
        HTTPRequestUtil* http = app->getJSONUtil()->getHTTPRequestUtil();
        http->setReplyTimeout(HTTPRequestUtil::DEFAULT_TIMEOUT_MS);
        http->setDataRequestPeriod(HTTPRequestUtil::DEFAULT_DATA_REQUEST_PERIOD_MS);
        DeviceConfigUtil::setPendingWriteTimeout(DeviceConfigUtil::DEFAULT_PENDING_WRITE_TIMEOUT_MS);
        QVERIFY(simulator.isRunning() || simulator.startAgain());
        QVERIFY(simulator.clearFaults() && simulator.setEchoMode(QStringLiteral("exact")));
    }

    // A step that failed leaves no session and no message behind: the next starts on the login page.
    void cleanup()
    {
        if (!QTest::currentTestFailed())
            return;
        dialog()->hideMessage(0);
        if (app->isStarted())
            QVERIFY(session.logout());
        window->setPage(MainWindow::LOGIN);
    }

    // A second login while the first is pending aborts the first silently; the
    // session polls at PollTime, reads $.IPTH first and then every path it lists.
    void loginAndTheFirstRequests()
    {
        QVERIFY(simulator.setDelay(2000, QStringLiteral("login")));
        QSignalSpy failures(StatusMessageSink::instance(), SIGNAL(showMessage(QString,Severity,int)));
        int answers = 0;
        QObject scope;
        connect(app->getJSONUtil(), &JSONUtil::loginAvailable, &scope, [&] { ++answers; });
        Json::Value data = parse(R"({"USER":"admin","PASS":"admin"})");
        app->getJSONUtil()->login(data);
        // The second login replaces the first while the device still holds it back.
        QVERIFY(waitUntil([&] { return session.requests(QStringLiteral("login")).size() == 1; }));
        app->getJSONUtil()->login(data);
        QVERIFY(waitUntil([&] { return answers > 0; }));
        QTest::qWait(300);   // time for a spurious second answer
        QCOMPARE(answers, 1);
        for (const QList<QVariant>& message : failures)
            QVERIFY2(!message.at(0).toString().contains("HTTP-Request Failure"), qPrintable(message.at(0).toString()));
        QCOMPARE(session.requests(QStringLiteral("login"))[0]["body"].asString(), std::string("{\"PASS\":\"admin\",\"USER\":\"admin\"}\n"));
        QVERIFY(simulator.clearFaults() && simulator.clearRequestLog());

        QVERIFY(login());
        firstToken = app->getJSONUtil()->getToken();
        QCOMPARE(app->getPollIntervalMs(), 20);   // PollTime; UpdateTime is 10
        QStringList initial;
        for (const Json::Value& path : session.deviceValue(QStringLiteral("$.IPTH")))
            initial << QString::fromStdString(path.asString());
        QVERIFY(waitUntil([&] { return session.reads().toSet().contains(initial.toSet()); }));
        QCOMPARE(session.reads().first(), QStringLiteral("$.IPTH"));
    }

    // A server error is resent at most three times; the queue moves on after every dropped telegram.
    void failedAndMalformedAnswers()
    {
        QVERIFY(inSession());
        // Two failures, then success: sent three times, applied once; the success takes the
        // failure off the status bar.
        QVERIFY(simulator.clearRequestLog());
        withdrawn.clear();
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, 2, 500, QStringLiteral("config")));
        QVERIFY(writeAndAwaitEcho(NAME_PATH, "Halle 7"));
        QCOMPARE(session.requests(QStringLiteral("config")).size(), 3);
        QVERIFY(failureWithdrawn());
        QVERIFY2(!bar()->message().startsWith(QStringLiteral("HTTP-Request Failure: ")), qPrintable(bar()->message()));

        // Four failures: sent four times, then dropped and reported with the count. A refused
        // telegram is sent once, dropped and reported.
        withdrawn.clear();
        for (const int code : {503, 404, 400}) {
            QVERIFY(simulator.clearRequestLog());
            QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, code == 503 ? 4 : 1, code, QStringLiteral("config")));
            app->getJSONUtil()->requestConfig(NAME_PATH, Json::Value("Halle 9"), GlobalEnums::SET);
            QVERIFY(waitUntil([&] { return app->getJSONUtil()->getRequestCount() == 0; }));
            QCOMPARE(session.requests(QStringLiteral("config")).size(), code == 503 ? 4 : 1);
            QVERIFY(code == 503 ? shown(1456, {QStringLiteral("4"), QString::number(code), NAME_PATH})
                                : shown(1455, {QString::number(code), NAME_PATH}));
            // The status bar shows it, in the user's language.
            const QString told = code == 503 ? QStringLiteral("4-mal am Gerät gescheitert (HTTP 503); verworfen: ")
                                             : QStringLiteral("abgelehnt (HTTP %1); verworfen: ").arg(code);
            QVERIFY(waitUntil([&] { return window->statusBarObject()->text().endsWith(told + NAME_PATH); }));
        }
        // A success (the next poll's, maybe before this write's) withdraws the link failure, not
        // the notice about the dropped telegram shown since.
        QVERIFY(writeAndAwaitEcho(LOCATION_PATH, "Linie 10"));
        QVERIFY(failureWithdrawn(QStringLiteral("Bad Request")));
        QVERIFY(bar()->text().endsWith(QStringLiteral("abgelehnt (HTTP 400); verworfen: ") + NAME_PATH));
        QCOMPARE(session.mirrorValue(NAME_PATH), Json::Value("Halle 7"));

        // Empty and malformed answers are survived.
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::EmptyBody, 3, 200, QStringLiteral("data")));
        QVERIFY(writeAndAwaitEcho(NAME_PATH, "Halle 11"));
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::MalformedBody, 3, 200, QStringLiteral("data")));
        QVERIFY(writeAndAwaitEcho(LOCATION_PATH, "Linie 12"));
    }

    void refusedTokenEndsTheSession()
    {
        QVERIFY(inSession());
        QSignalSpy loggedOut(app, SIGNAL(onLogout()));
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, 3, 401, QStringLiteral("data")));
        QVERIFY(waitUntil([&] { return loggedOut.count() == 1; }));
        QVERIFY(!app->isStarted());
        QVERIFY(shown(1457));
        QVERIFY(simulator.clearFaults());

        // Neither the status bar nor the log ever showed the token.
        QVERIFY(!log->all().contains(firstToken));
        for (const QList<QVariant>& message : *status)
            QVERIFY(!message.at(2).toStringList().join(QString()).contains(firstToken));
    }

    // Configuration writes the device never got because it refused the session are named on the
    // login page, by their labels, else their paths: one dropped with its 401, and one still queued
    // when the session ends (only data requests go out while one is always due).
    void writesOfARefusedSessionAreNamed()
    {
        HTTPRequestUtil* http = app->getJSONUtil()->getHTTPRequestUtil();
        const struct { const char* refused; QString label; QString named; } cases[] = {
            {"config", QStringLiteral("Allgemein – Gerätename"), QStringLiteral("Allgemein – Gerätename")},
            {"data", QString(), NAME_PATH}};
        for (const auto& c : cases) {
            window->setPage(MainWindow::LOGIN);
            QVERIFY(login());
            if (c.label.isEmpty())
                http->setDataRequestPeriod(0);
            QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, 3, 401, QLatin1String(c.refused)));
            app->getJSONUtil()->requestConfig(NAME_PATH, Json::Value("Halle 8"), GlobalEnums::SET, c.label);
            QVERIFY(dialogShows(QStringLiteral("Das Gerät hat die Sitzung beendet. Diese Werte wurden nicht geschrieben:\n")
                                + c.named));
            QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
            http->setDataRequestPeriod(HTTPRequestUtil::DEFAULT_DATA_REQUEST_PERIOD_MS);
            QVERIFY(simulator.clearFaults());
            dialog()->hideMessage(0);
        }
        QCOMPARE(session.deviceValue(NAME_PATH), Json::Value("Halle 11"));
    }

    void slowTelegramTimesOutAndIsResent()
    {
        HTTPRequestUtil* http = app->getJSONUtil()->getHTTPRequestUtil();
        http->setReplyTimeout(300);   // taken by the poll thread at the login
        window->setPage(MainWindow::LOGIN);
        QVERIFY(login());
        QVERIFY(simulator.clearRequestLog());
        // Ten times the time-out: on a busy machine a late time-out still comes before the answer.
        QVERIFY(simulator.setDelay(3000, QStringLiteral("config")));
        app->getJSONUtil()->requestConfig(NAME_PATH, Json::Value("Halle 6"), GlobalEnums::SET);
        QVERIFY(waitUntil([&] { return session.requests(QStringLiteral("config")).size() >= 2; }));
        // Still queued while it times out, at the head: data reads may wait behind it.
        int kind = 0;
        Json::Value head;
        QList<qint64> ids;
        app->getJSONUtil()->buildTelegram(kind, head, ids);
        QVERIFY(kind == REQUEST_CONFIG && ids.size() == 1);
        QCOMPARE(QString::fromStdString(head["INST"]["SET"]["VAL"][0]["DEST"]["PATH"].asString()), NAME_PATH);

        QVERIFY(simulator.clearFaults());
        QVERIFY(waitUntil([&] { return session.mirrorValue(NAME_PATH) == Json::Value("Halle 6"); }));
        // Every attempt carried the same telegram.
        const QVector<Json::Value> writes = session.requests(QStringLiteral("config"));
        for (const Json::Value& write : writes)
            QCOMPARE(write["body"], writes[0]["body"]);
        QVERIFY(session.logout());
    }

    // A device restart ends the session: the login page keeps saying so (the logout of the
    // ended session is refused too, and that is no news), and names the writes left behind
    // by what is known of them: a write never handed to the network surely did not reach
    // the device; one whose answer timed out, and one the device took but never confirmed, may
    // have. Each is named once. The next login clears the notice.
    void deviceRestartNamesWritesByWhatIsKnown()
    {
        const QString thirdPath = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        HTTPRequestUtil* http = app->getJSONUtil()->getHTTPRequestUtil();
        http->setReplyTimeout(300);   // taken by the poll thread at the login
        DeviceConfigUtil::setPendingWriteTimeout(60000);
        QVERIFY(login());

        // Taken, never confirmed.
        QVERIFY(simulator.setEchoMode(QStringLiteral("none")));
        DeviceConfigUtil screen;
        screen.saveConfig(nameEdited(QStringLiteral("Halle 3")));
        QVERIFY(waitUntil([&] { return session.deviceValue(NAME_PATH) == Json::Value("Halle 3"); }));
        QVERIFY(waitUntil([&] { return app->getJSONUtil()->getRequestCount() == 0; }));

        // Timed out, and still being sent again (the device, going, answers the attempt it holds with an error).
        QVERIFY(simulator.clearRequestLog());
        QVERIFY(simulator.setDelay(1000, QStringLiteral("config")));
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, 100, 503, QStringLiteral("config")));
        app->getJSONUtil()->requestConfig(LOCATION_PATH, Json::Value("Linie 3"), GlobalEnums::SET,
                                          QStringLiteral("Allgemein – Standort"));
        QVERIFY(waitUntil([&] { return session.requests(QStringLiteral("config")).size() >= 2; }));

        // Queued while the device is gone, and never sent: only data requests go out, one being
        // always due. Written twice: named once.
        http->setDataRequestPeriod(0);
        QVERIFY(simulator.stop());
        app->getJSONUtil()->requestConfig(thirdPath, Json::Value(4), GlobalEnums::SET, QStringLiteral("Allgemein – Messrate"));
        app->getJSONUtil()->requestConfig(thirdPath, Json::Value(5), GlobalEnums::SET, QStringLiteral("Allgemein – Messrate"));
        QSignalSpy logoutAnswered(http, SIGNAL(logoutFinished()));
        QVERIFY(simulator.startAgain());
        QVERIFY(dialogShows(QStringLiteral("Das Gerät hat die Sitzung beendet. Diese Werte wurden nicht geschrieben:\n"
                                           "Allgemein – Messrate\n\n"
                                           "Das Gerät hat diese Werte nicht bestätigt; ob sie übernommen wurden, ist "
                                           "nicht bekannt:\nAllgemein – Standort\n")
                            + NAME_PATH));
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
        QVERIFY(grabScreenshot(window, QStringLiteral("login-values-unconfirmed-de.png")));
        QVERIFY(waitUntil([&] { return logoutAnswered.count() == 1; }));
        QCOMPARE(session.requests(QStringLiteral("logout")).size(), 1);
        const QString sessionEnded = QStringLiteral("Die Sitzung wurde vom Gerät beendet. Bitte erneut anmelden.");
        QCOMPARE(bar()->message(), sessionEnded);
        dialog()->hideMessage(0);

        http->setReplyTimeout(HTTPRequestUtil::DEFAULT_TIMEOUT_MS);
        http->setDataRequestPeriod(HTTPRequestUtil::DEFAULT_DATA_REQUEST_PERIOD_MS);
        DeviceConfigUtil::setPendingWriteTimeout(DeviceConfigUtil::DEFAULT_PENDING_WRITE_TIMEOUT_MS);
        QVERIFY(login());
        QVERIFY2(bar()->message().isEmpty(), qPrintable(bar()->message()));
        QVERIFY(session.logout());
    }

    // Writes left without an answer are named as not confirmed, never as not written: one the
    // device received and held when it died (the connection refused at the end does not prove
    // the first attempt never arrived), and one it took whose read back is refused with the session.
    void writesLeftWithoutAnAnswerAreNotConfirmed()
    {
        const QString ratePath = QStringLiteral("$.DISP.GEN.MEN.RATE.VAL");
        const QString notConfirmed =
            QStringLiteral("Das Gerät hat diese Werte nicht bestätigt; ob sie übernommen wurden, ist nicht bekannt:\n");

        QVERIFY(login());
        QVERIFY(simulator.clearRequestLog());
        QVERIFY(simulator.setDelay(30000, QStringLiteral("config")));
        app->getJSONUtil()->requestConfig(ratePath, Json::Value(7), GlobalEnums::SET, QStringLiteral("Allgemein – Messrate"));
        QVERIFY(waitUntil([&] { return firstIndexOf(QStringLiteral("config"), "MEN.RATE") >= 0; }));
        QVERIFY(simulator.kill());
        QVERIFY(simulator.startAgain());
        QVERIFY(dialogShows(notConfirmed + QStringLiteral("Allgemein – Messrate")));
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
        dialog()->hideMessage(0);

        QVERIFY(login());
        QVERIFY(simulator.setEchoMode(QStringLiteral("none")));
        QVERIFY(simulator.setFailure(SimulatorProcess::Failure::Status, 1, 401, QStringLiteral("path"),
                                     QStringLiteral("MEN.NAME")));
        DeviceConfigUtil screen;
        DeviceConfigUtil::setPendingWriteTimeout(300);
        screen.saveConfig(nameEdited(QStringLiteral("Halle 2")));
        DeviceConfigUtil::setPendingWriteTimeout(60000);   // the read back is not given up meanwhile
        QVERIFY(dialogShows(notConfirmed + NAME_PATH));
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
        QCOMPARE(session.deviceValue(NAME_PATH), Json::Value("Halle 2"));
        dialog()->hideMessage(0);
    }

    // Back on the home page logs out and ends both threads; the next login starts clean.
    void backOnHomeLogsOutAndTheNextLoginStartsClean()
    {
        QVERIFY(login());
        const std::string token = tokenQuery();
        QKeyEvent back(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        QApplication::sendEvent(window, &back);
        QVERIFY(!app->isStarted());
        QVERIFY(waitUntil([&] { return firstIndexOf(QStringLiteral("logout"), token) >= 0; }));
        QVERIFY(simulator.clearRequestLog());

        // Left-overs of the ended session.
        Json::Value stale(Json::objectValue);
        stale["LEFT"] = 1;
        app->getJSONUtil()->appendJson(stale, QStringLiteral("$.STALE"));
        app->getJSONUtil()->requestPath(QStringLiteral("$.STALE.LEFT"));
        app->getJSONUtil()->addReceiveJSON(SimulatorProcess::setTelegram(QStringLiteral("$.LATE"), Json::Value(1)));

        // The next login answer brings messages: the line shown before the
        // home page stays, the dialog shows the other.
        QVERIFY(simulator.raiseMessage(parse(R"([{"MTYP":0,"MTD":8000,"MSG":{"T":"Willkommen"}},
                                                 {"MTYP":1,"MSG":{"T":"Wartung fällig"}}])"), false, true).isArray());
        QVERIFY(login(QStringLiteral("service"), QStringLiteral("service")));
        QVERIFY(dialogShows(QStringLiteral("Wartung fällig")));
        QVERIFY(OverallView::getStatusBar()->text().endsWith(QStringLiteral("  Willkommen")));
        // Nothing of the ended session went out, before or after the login;
        // a left-over received telegram would have been applied before the initial paths.
        QCOMPARE(firstIndexOf(QStringLiteral("login")), 0);
        QCOMPARE(QString::fromStdString(simulator.requestLog().toStyledString()).indexOf("STALE"), -1);
        QVERIFY(session.requests(QStringLiteral("data"))[0]["query"].asString().find("REQID=-1") != std::string::npos);
        Json::Value value;
        QVERIFY(!app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.STALE"), value, false));
        QVERIFY(!app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.LATE"), value, false));
        dialog()->hideMessage(0);
    }

    // A button that also logs out sends the answer before the logout.
    void dialogAnswerGoesOutBeforeTheLogout()
    {
        QVERIFY(inSession(QStringLiteral("service")));
        const std::string token = tokenQuery();
        QVERIFY(simulator.setDelay(300, QStringLiteral("config")));
        const Json::Value raised = simulator.raiseMessage(
            parse(R"({"MSG":{"T":"Beenden?"},"INP":{"TAB":[{"T":"Antworten und abmelden","OPRT":3,"VAL":2}]}})"))[0];
        QVERIFY(dialogShows(QString::fromStdString(raised["MSG"]["T"].asString())));
        QTest::mouseClick(dialog()->findChild<QPushButton*>(QStringLiteral("btnMessageDialog0")), Qt::LeftButton);
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));

        Json::Value expected(Json::objectValue);
        for (const char* key : {"MID", "MUID", "MTYP"})
            expected[key] = raised[key];
        expected["USER"] = "service";
        expected["VAL"] = 2;
        bool answered = false;
        for (const Json::Value& answer : simulator.messageAnswers())
            answered = answered || answer == expected;
        QVERIFY(answered);
        QVERIFY(waitUntil([&] { return firstIndexOf(QStringLiteral("logout"), token) >= 0; }));
        const int answerAt = firstIndexOf(QStringLiteral("config"), raised["MID"].asString());
        QVERIFY(answerAt >= 0 && answerAt < firstIndexOf(QStringLiteral("logout"), token));
        QVERIFY(simulator.clearFaults());
    }

    // The close waits for the logout answer about 2 s, not as long as the device takes;
    // a second close while it waits is ignored.
    void closeWaitsForTheLogoutBoundedOnce()
    {
        QVERIFY(login());
        QVERIFY(simulator.clearRequestLog());
        QVERIFY(simulator.setDelay(5000, QStringLiteral("logout")));
        QSignalSpy logout(app, SIGNAL(onLogout()));
        QSignalSpy answered(app->getJSONUtil()->getHTTPRequestUtil(), SIGNAL(logoutFinished()));
        bool visibleAfterSecond = false;
        bool stillEnding = false;
        QTimer::singleShot(200, this, [&]() {
            window->close();
            visibleAfterSecond = window->isVisible();
            stillEnding = app->isStopping();
        });
        QVERIFY(window->close());
        QCOMPARE(answered.size(), 0);   // closed without the answer
        QVERIFY(visibleAfterSecond && stillEnding);
        QCOMPARE(logout.size(), 1);
        QCOMPARE(session.requests(QStringLiteral("logout")).size(), 1);
        QVERIFY(simulator.clearFaults());
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 8000);   // the late answer still comes
        window->show();
    }

    // A refused login stays on the login page; closing there sends no logout.
    void refusedLoginAndClosingOnTheLoginPage()
    {
        QVERIFY(simulator.clearRequestLog());
        int answers = 0;
        QObject scope;
        connect(app->getJSONUtil(), &JSONUtil::loginAvailable, &scope, [&] { ++answers; });
        window->setPage(MainWindow::LOGIN);
        session.find<QLineEdit>(QStringLiteral("leUserLoginName"))->setText(QStringLiteral("admin"));
        session.find<QLineEdit>(QStringLiteral("leUserLoginPassword"))->setText(QStringLiteral("wrong"));
        QVERIFY(session.click(QStringLiteral("btnUserLoginConfirm")));
        QVERIFY(waitUntil([&] { return answers == 1; }));
        QVERIFY(!app->isStarted() && window->isCurrentPage(MainWindow::LOGIN));

        QSignalSpy logout(app, SIGNAL(onLogout()));
        QVERIFY(window->close());
        QCOMPARE(logout.size(), 1);
        QTest::qWait(200);
        QCOMPARE(firstIndexOf(QStringLiteral("data")), -1);
        QCOMPARE(firstIndexOf(QStringLiteral("logout")), -1);
        window->show();
    }
};

QTEST_MAIN(TestTevaroApp)
#include "tst_tevaroapp.moc"
