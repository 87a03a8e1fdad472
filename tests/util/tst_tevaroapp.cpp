// The application object against the device simulator, in steps that run in
// order: login through the login screen, back on the home page, the next
// session starting clean with the messages of its login answer, a device
// message answered before the logout it asks for, closing with a slow logout,
// and a refused login and closing on the login page.
#include "DeviceLinkFixture.h"
#include "TestJson.h"

#include "util/FileUtil.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "view/StatusBar.h"
#include "view/UserLogin.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

bool waitUntil(const std::function<bool()>& condition) { return DeviceLinkFixture::waitUntil(condition, 8000); }

} // namespace

class TestTevaroApp : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture link;
    SimulatorProcess& simulator = link.simulator;
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;

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

    // Fills in and confirms the login screen.
    void submitLogin(const QString& user, const QString& password)
    {
        UserLogin* page = window->getLoginPage();
        window->setPage(MainWindow::LOGIN);
        page->findChild<QLineEdit*>(QStringLiteral("leUserLoginName"))->setText(user);
        page->findChild<QLineEdit*>(QStringLiteral("leUserLoginPassword"))->setText(password);
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("btnUserLoginConfirm")), Qt::LeftButton);
    }

    // The session is up once the first answers arrived: the device sends its
    // changes from the first data request on.
    bool login(const QString& user = QStringLiteral("admin"), const QString& password = QStringLiteral("admin"))
    {
        submitLogin(user, password);
        return waitUntil([this] { return window->isCurrentPage(MainWindow::HOME) && app->isStarted(); })
               && waitUntil([this] {
                      Json::Value paths;
                      return app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.IPTH"), paths, false)
                             && paths.isArray();
                  });
    }

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
        QVERIFY(link.setUp());
        app = link.app.get();
        window = app->getMainWindow();
        QVERIFY(window && window->isCurrentPage(MainWindow::LOGIN));
        QVERIFY(QTest::qWaitForWindowExposed(window));
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
        QVERIFY(link.requests(QStringLiteral("data"))[0]["query"].asString().find("REQID=-1") != std::string::npos);
        Json::Value value;
        QVERIFY(!app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.STALE"), value, false));
        QVERIFY(!app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.LATE"), value, false));
        dialog()->hideMessage(0);
    }

    // A button that also logs out sends the answer before the logout.
    void dialogAnswerGoesOutBeforeTheLogout()
    {
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
        QCOMPARE(link.requests(QStringLiteral("logout")).size(), 1u);
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
        submitLogin(QStringLiteral("admin"), QStringLiteral("wrong"));
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
