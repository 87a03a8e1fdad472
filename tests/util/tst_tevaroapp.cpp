// The application object against the device simulator: login through the
// login screen, the session's start, logout and closing, and device messages
// with their answers.
#include "DeviceLinkFixture.h"

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

bool waitUntil(const std::function<bool()>& condition)
{
    return DeviceLinkFixture::waitUntil(condition, 8000);
}

Json::Value parse(const std::string& text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

} // namespace

class TestTevaroApp : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture link;
    SimulatorProcess& simulator = link.simulator;
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;

    Json::Value requests(const QString& endpoint) { return link.requests(endpoint); }

    // Index in the request log of the first request to endpoint whose body
    // or query contains part; -1 when none.
    int firstIndexOf(const Json::Value& log, const QString& endpoint, const std::string& part = std::string())
    {
        for (Json::ArrayIndex i = 0; i < log.size(); ++i) {
            if (log[i]["path"].asString() != "/webservice/" + endpoint.toStdString())
                continue;
            if (part.empty() || log[i]["body"].asString().find(part) != std::string::npos
                || log[i]["query"].asString().find(part) != std::string::npos)
                return int(i);
        }
        return -1;
    }

    // Fills in and confirms the login screen.
    void submitLogin(const QString& user, const QString& password)
    {
        UserLogin* page = window->getLoginPage();
        window->setPage(MainWindow::LOGIN);
        page->findChild<QLineEdit*>(QStringLiteral("leUserLoginName"))->setText(user);
        page->findChild<QLineEdit*>(QStringLiteral("leUserLoginPassword"))->setText(password);
        QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("btnUserLoginConfirm")), Qt::LeftButton);
    }

    bool login(const QString& user = QStringLiteral("admin"), const QString& password = QStringLiteral("admin"))
    {
        submitLogin(user, password);
        if (!waitUntil([this] { return window->isCurrentPage(MainWindow::HOME) && app->isStarted(); }))
            return false;
        // The session is up once the first answers arrived: the device sends
        // its changes from the first data request on.
        return waitUntil([this] {
            Json::Value paths;
            return app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.IPTH"), paths, false) && paths.isArray();
        });
    }

    void pressBack()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        QApplication::sendEvent(window, &press);
    }

    MessageDialog* dialog() { return OverallView::getMessageDialog(); }

    QString dialogText()
    {
        return dialog()->findChild<QTextEdit*>(QStringLiteral("tedMessageContent"))->toPlainText();
    }

    void pressDialogButton(int index)
    {
        QPushButton* button = dialog()->findChild<QPushButton*>(QStringLiteral("btnMessageDialog%1").arg(index));
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Raises one device message and waits until the dialog shows it.
    Json::Value raiseDialog(const char* message)
    {
        const Json::Value raised = simulator.raiseMessage(parse(message));
        if (!raised.isArray() || raised.size() != 1)
            return Json::Value();
        const QString text = QString::fromStdString(raised[0]["MSG"]["T"].asString());
        if (!waitUntil([&] { return dialog()->isVisible() && dialogText() == text; })) {
            qWarning() << "Dialog shows" << dialogText() << "instead of" << text;
            return Json::Value();
        }
        return raised[0];
    }

    // The answer telegram a button of raised sends, as the device logs it.
    static Json::Value answerTo(const Json::Value& raised, int value)
    {
        Json::Value expected(Json::objectValue);
        for (const char* key : {"MID", "MUID", "MTYP"})
            expected[key] = raised[key];
        expected["USER"] = "admin";
        expected["VAL"] = value;
        return expected;
    }

    bool answered(const Json::Value& expected)
    {
        for (const Json::Value& answer : simulator.messageAnswers())
            if (answer == expected)
                return true;
        return false;
    }

private slots:
    void initTestCase()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        QVERIFY(link.setUp());
        app = link.app.get();
        window = app->getMainWindow();
        QVERIFY(window);
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void init()
    {
        if (app->isStarted())
            app->stop();
        window->setPage(MainWindow::LOGIN);
        while (dialog()->queuedCount() > 0)
            dialog()->hideMessage(0);
        // Threads end within stop(); only its logout is still on its way.
        if (app->isStarted()) {
            const std::string token = "TOKN=" + app->getJSONUtil()->getToken().toStdString();
            app->stop();
            QVERIFY(waitUntil([&] { return firstIndexOf(simulator.requestLog(), QStringLiteral("logout"), token) >= 0; }));
        }
        QVERIFY(simulator.clearRequestLog());
    }

    // Back on the home page logs out and ends both threads; the next login starts clean.
    void backOnHomeLogsOutAndTheNextLoginStartsClean()
    {
        QVERIFY(login());
        const QString token = app->getJSONUtil()->getToken();
        pressBack();
        QVERIFY(!app->isStarted());
        QVERIFY(waitUntil([&] {
            return firstIndexOf(simulator.requestLog(), QStringLiteral("logout"), "TOKN=" + token.toStdString()) >= 0;
        }));
        QVERIFY(simulator.clearRequestLog());

        // Left-overs of the ended session.
        Json::Value stale(Json::objectValue);
        stale["LEFT"] = 1;
        app->getJSONUtil()->appendJson(stale, QStringLiteral("$.STALE"));
        app->getJSONUtil()->requestPath(QStringLiteral("$.STALE.LEFT"));
        app->getJSONUtil()->addReceiveJSON(SimulatorProcess::setTelegram(QStringLiteral("$.LATE"), Json::Value(1)));

        // The next login answer brings messages: the line shown before the
        // home page stays, the dialog shows the other.
        QVERIFY(simulator.raiseMessage(
                             parse(R"([{"MTYP":0,"MTD":8000,"MSG":{"T":"Willkommen"}},{"MTYP":1,"MSG":{"T":"Wartung fällig"}}])"),
                             false, true)
                    .isArray());
        QVERIFY(login(QStringLiteral("service"), QStringLiteral("service")));
        QVERIFY(waitUntil([this] { return dialog()->isVisible() && dialogText() == QStringLiteral("Wartung fällig"); }));
        QVERIFY(OverallView::getStatusBar()->text().endsWith(QStringLiteral("  Willkommen")));
        // Nothing of the ended session went out, before or after the login;
        // a left-over received telegram would have been applied before the initial paths.
        const Json::Value log = simulator.requestLog();
        QCOMPARE(firstIndexOf(log, QStringLiteral("login")), 0);
        for (const Json::Value& request : log)
            QVERIFY(request["body"].asString().find("STALE") == std::string::npos
                    && request["query"].asString().find("STALE") == std::string::npos);
        QVERIFY(requests(QStringLiteral("data"))[0]["query"].asString().find("REQID=-1") != std::string::npos);
        Json::Value value;
        QVERIFY(!app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.STALE"), value, false));
        QVERIFY(!app->getJSONUtil()->getMasterJSONbyPath(QStringLiteral("$.LATE"), value, false));
    }

    // A button sends its answer; one that also logs out sends the answer before the logout.
    void dialogButtonsSendTheAnswer()
    {
        QVERIFY(login());
        const Json::Value asked = raiseDialog(
            R"({"MSG":{"T":"Filter prüfen"},"INP":{"TAB":[{"T":"Ja","OPRT":1,"VAL":1},{"T":"Nein","OPRT":1,"VAL":0}]}})");
        QVERIFY(asked.isObject());
        pressDialogButton(1);
        QVERIFY(waitUntil([&] { return answered(answerTo(asked, 0)); }));

        const std::string token = "TOKN=" + app->getJSONUtil()->getToken().toStdString();
        QVERIFY(simulator.setDelay(300, QStringLiteral("config")));
        const Json::Value raised = raiseDialog(
            R"({"MSG":{"T":"Beenden?"},"INP":{"TAB":[{"T":"Antworten und abmelden","OPRT":3,"VAL":2}]}})");
        QVERIFY(raised.isObject());
        pressDialogButton(0);
        QVERIFY(window->isCurrentPage(MainWindow::LOGIN));
        QVERIFY(answered(answerTo(raised, 2)));
        QVERIFY(waitUntil([&] { return firstIndexOf(simulator.requestLog(), QStringLiteral("logout"), token) >= 0; }));
        const Json::Value log = simulator.requestLog();
        const int answerAt = firstIndexOf(log, QStringLiteral("config"), raised["MID"].asString());
        QVERIFY(answerAt >= 0 && answerAt < firstIndexOf(log, QStringLiteral("logout"), token));
        QVERIFY(simulator.clearFaults());
    }

    // The close waits for the logout answer about 2 s, not as long as the device takes;
    // a second close while it waits is ignored.
    void closeWaitsForTheLogoutBoundedOnce()
    {
        QVERIFY(login());
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
        QCOMPARE(requests(QStringLiteral("logout")).size(), 1u);
        QVERIFY(simulator.clearFaults());
        // The late answer still comes; the next test starts without it.
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 8000);
        window->show();
    }

    // A refused login stays on the login page; closing there sends no logout.
    void refusedLoginAndClosingOnTheLoginPage()
    {
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
        QCOMPARE(requests(QStringLiteral("data")).size() + requests(QStringLiteral("logout")).size(), 0u);
        window->show();
    }
};

QTEST_MAIN(TestTevaroApp)
#include "tst_tevaroapp.moc"
