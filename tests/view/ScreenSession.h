#pragma once

// The whole client (TevaroApp with its main window) on a freshly started
// device simulator, driven as a user drives it: log in on the login page,
// press buttons, look at pages. Poll and receive intervals are short so a
// test runs in seconds.

#include "SimulatorClientSettings.h"
#include "SimulatorProcess.h"

#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"
#include "view/DataMain.h"
#include "view/MainWindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTest>

#include <functional>
#include <memory>

class ScreenSession
{
public:
    explicit ScreenSession(const QStringList& simulatorArguments = {QStringLiteral("--paused")})
        : simulator(simulatorArguments)
    {
    }

    ~ScreenSession()
    {
        app.reset();   // ends the threads before the simulator goes
        simulator.stop();
    }

    bool start()
    {
        if (!simulator.start())
            return false;
        pointClientAtSimulator(simulator);
        SettingsUtil::setValue(QStringLiteral("Config/Language/Selection"), QStringLiteral("DE"));
        app.reset(new TevaroApp());
        window = app->getMainWindow();
        if (!window)
            return false;
        window->resize(1280, 800);
        return QTest::qWaitForWindowExposed(window);
    }

    // Types the credentials into the login page and presses "Anmelden";
    // true when the home page shows.
    bool login(const QString& user, const QString& password)
    {
        if (!window->isCurrentPage(MainWindow::LOGIN))
            return false;
        auto* name = window->findChild<QLineEdit*>(QStringLiteral("leUserLoginName"));
        auto* secret = window->findChild<QLineEdit*>(QStringLiteral("leUserLoginPassword"));
        auto* confirm = window->findChild<QAbstractButton*>(QStringLiteral("btnUserLoginConfirm"));
        if (!name || !secret || !confirm)
            return false;
        name->clear();
        secret->clear();
        QTest::keyClicks(name, user);
        QTest::keyClicks(secret, password);
        QTest::mouseClick(confirm, Qt::LeftButton);
        return waitUntil([this] { return window->isCurrentPage(MainWindow::HOME); }, 10000);
    }

    // Picks a language on the login page as a user does; false when it is not offered.
    bool chooseLanguage(const QString& name)
    {
        auto* languages = find<QComboBox>(QStringLiteral("cbxUserLoginLanguage"));
        const int index = languages ? languages->findText(name) : -1;
        if (index < 0)
            return false;
        languages->setCurrentIndex(index);
        emit languages->activated(index);
        return true;
    }

    // start(), then a login as user: the first step of most screen tests.
    bool startAs(const QString& user = QStringLiteral("admin"), const QString& password = QStringLiteral("admin"))
    {
        return start() && login(user, password);
    }

    // Logs out when logged in, picks language (its title) when one is given, logs in as user.
    bool relogin(const QString& user = QStringLiteral("admin"), const QString& password = QStringLiteral("admin"),
                 const QString& language = QString())
    {
        if (!window->isCurrentPage(MainWindow::LOGIN) && !logout())
            return false;
        if (!language.isEmpty() && !chooseLanguage(language))
            return false;
        return login(user, password);
    }

    // The home page, then one of its buttons.
    bool openFromHome(const QString& homeButton)
    {
        window->setPage(MainWindow::HOME);
        return click(homeButton);
    }

    // A telegram from the device; applyToTree false: only the client hears of it.
    bool inject(const Json::Value& telegram, bool applyToTree = true)
    {
        return simulator.injectTelegram(telegram, applyToTree) >= 0;
    }

    bool injectSet(const QString& path, const Json::Value& value, bool applyToTree = true)
    {
        return inject(SimulatorProcess::setTelegram(path, value), applyToTree);
    }

    // The simulator's one value at path; null when path matches none or several.
    Json::Value deviceValue(const QString& path)
    {
        const Json::Value found = simulator.treeValues(path);
        return found.isArray() && found.size() == 1 ? found[0] : Json::Value();
    }

    // The client's own copy at path; null when it has none.
    Json::Value mirrorValue(const QString& path) const
    {
        Json::Value value;
        return app->getJSONUtil()->getMasterJSONbyPath(path, value, false) ? value : Json::Value();
    }

    // Whether any request body the device received so far contains text.
    bool sentText(const QString& text)
    {
        for (const Json::Value& entry : simulator.requestLog())
            if (entry["body"].isString() && QString::fromStdString(entry["body"].asString()).contains(text))
                return true;
        return false;
    }

    bool logout()
    {
        app->stop();
        return waitUntil([this] { return window->isCurrentPage(MainWindow::LOGIN); });
    }

    // Processes events until condition holds or timeoutMs passed.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QTest::qWait(10);
        }
        return true;
    }

    // Waits for two data polls after now: the client sends what it queued before
    // a data poll, so whatever it had queued by now has reached the device.
    bool pollCycles()
    {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        return waitUntil([&] {
            int later = 0;
            for (const Json::Value& poll : requests(QStringLiteral("data")))
                later += poll["time"].asInt64() > now ? 1 : 0;
            return later >= 2;
        });
    }

    // Waits until the session's start-up reads are answered and handled: nothing
    // is queued, every initial path ($.IPTH) was read, and a marker change the
    // device sends after their answers has reached the GUI thread (changes
    // arrive in order, so every answer before it has been announced).
    bool settled()
    {
        JSONUtil* link = json();
        const bool read = waitUntil([&] {
            const Json::Value paths = mirrorValue(QStringLiteral("$.IPTH"));
            if (link->getRequestCount() != 0 || !paths.isArray())
                return false;
            for (const Json::Value& path : paths)
                if (path.isString() && !link->wasRead(QString::fromStdString(path.asString())))
                    return false;
            return true;
        }, 10000);
        static int marker = 0;
        const QString markerPath = QStringLiteral("$.TEST.SETTLED");
        bool seen = false;
        QObject scope;   // destroyed first, ending the connection
        QObject::connect(link, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable),
                         &scope, [&](GlobalEnums::InstructionType, const QString& path) { seen = seen || path == markerPath; });
        return read && inject(SimulatorProcess::setTelegram(markerPath, ++marker), false) && waitUntil([&] { return seen; });
    }

    template <typename T>
    T* find(const QString& name) const
    {
        return window->findChild<T*>(name);
    }

    bool click(const QString& buttonName)
    {
        auto* button = find<QAbstractButton>(buttonName);
        if (!button || !button->isVisible() || !button->isEnabled())
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    DataMain* dataMain() const { return window->findChild<DataMain*>(); }
    JSONUtil* json() const { return app->getJSONUtil(); }
    UserRoleUtil* rights() const { return app->getUserRoleUtil(); }

    // The requests the simulator received at /webservice/<endpoint>, oldest first.
    QVector<Json::Value> requests(const QString& endpoint)
    {
        QVector<Json::Value> found;
        const QString path = QStringLiteral("/webservice/") + endpoint;
        for (const Json::Value& entry : simulator.requestLog())
            if (QString::fromStdString(entry["path"].asString()) == path)
                found.append(entry);
        return found;
    }

    // The (path, value) of every SET element the client sent to /webservice/config, oldest first.
    QVector<std::pair<QString, Json::Value>> configSets()
    {
        QVector<std::pair<QString, Json::Value>> sets;
        for (const Json::Value& element : sentElements(QStringLiteral("config"), "SET"))
            sets.append({QString::fromStdString(element["DEST"]["PATH"].asString()), element["VAL"]});
        return sets;
    }

    // The paths the client asked the device for (GET elements of "path" telegrams).
    QStringList reads()
    {
        QStringList paths;
        for (const Json::Value& element : sentElements(QStringLiteral("path"), "GET"))
            paths << QString::fromStdString(element["DEST"]["PATH"].asString());
        return paths;
    }

    // The elements of one list ("SET", "GET", "DEL") of every telegram sent to endpoint.
    QVector<Json::Value> sentElements(const QString& endpoint, const char* list)
    {
        QVector<Json::Value> elements;
        for (const Json::Value& request : requests(endpoint)) {
            Json::Value telegram;
            Json::Reader().parse(request["body"].asString(), telegram);
            for (const Json::Value& element : telegram["INST"][list]["VAL"])
                elements.append(element);
        }
        return elements;
    }

    SimulatorProcess simulator;
    std::unique_ptr<TevaroApp> app;
    MainWindow* window = nullptr;
};
