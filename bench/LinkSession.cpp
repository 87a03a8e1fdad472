#include "LinkSession.h"

#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QVector>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tevarobench {

namespace {

// One application object for the whole benchmark process, made by the first
// session. The data folder is a temporary one, so settings written here never
// reach the user's.
void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static QTemporaryDir dataFolder;
    if (dataFolder.isValid()) {
        qputenv("XDG_DATA_HOME", dataFolder.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (dataFolder.path() + "/config").toLocal8Bit());
    }
    static int argc = 1;
    static char name[] = "tevaro_bench";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: benchmarks run one after another on it.
    new QCoreApplication(argc, argv);
}

} // namespace

LinkSession::LinkSession(const QStringList& simulatorArguments) : simulator(simulatorArguments)
{
    ensureApplication();
}

LinkSession::~LinkSession()
{
    application.reset();
    simulator.stop();
}

bool LinkSession::open(int pollMs, int updateMs)
{
    if (!simulator.start())
        return false;
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), QStringLiteral("127.0.0.1"));
    SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QString::number(simulator.port()));
    SettingsUtil::setValue(QStringLiteral("Config/TevaroApp/PollTime"), QString::number(pollMs));
    SettingsUtil::setValue(QStringLiteral("Config/TevaroApp/UpdateTime"), QString::number(updateMs));
    application.reset(new TevaroApp());
    return true;
}

bool LinkSession::login()
{
    Json::Value answer;
    bool answered = false;
    const QMetaObject::Connection connection =
        QObject::connect(json(), &JSONUtil::loginAvailable, [&](Json::Value& reply) {
            answer = reply;
            answered = true;
        });
    Json::Value data(Json::objectValue);
    data["USER"] = "admin";
    data["PASS"] = "admin";
    json()->login(data);
    runEventsUntil([&] { return answered; }, 5000);
    QObject::disconnect(connection);

    bool ok = false;
    QString token;
    application->getUserRoleUtil()->checkAndSetLogin(answer, ok, token);
    json()->setToken(ok ? token : QString());
    if (!ok)
        qWarning("Benchmark login as admin failed");
    return ok;
}

QStringList LinkSession::initialPaths()
{
    QStringList paths;
    const Json::Value initial = simulator.treeValues(QStringLiteral("$.IPTH"));
    if (initial.isArray() && initial.size() == 1 && initial[0].isArray()) {
        for (const Json::Value& path : initial[0])
            paths << QString::fromStdString(path.asString());
    }
    return paths;
}

bool LinkSession::mirrorHolds(const QStringList& paths)
{
    for (const QString& path : paths) {
        QVector<Json::Value> values;
        if (!json()->getMasterJSONbyPath(path, values, false) || values.isEmpty())
            return false;
    }
    return true;
}

bool LinkSession::waitForInitialPaths(int timeoutMs)
{
    const QStringList paths = initialPaths();
    return !paths.isEmpty() && runEventsUntil([&] { return mirrorHolds(paths); }, timeoutMs);
}

JSONUtil* LinkSession::json()
{
    return application->getJSONUtil();
}

TevaroApp* LinkSession::app()
{
    return application.get();
}

bool LinkSession::runEventsUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void LinkSession::runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- ReceivedListMonitor ----

ReceivedListMonitor::ReceivedListMonitor(JSONUtil* json) : json(json)
{
}

ReceivedListMonitor::~ReceivedListMonitor()
{
    stop();
}

void ReceivedListMonitor::start()
{
    if (running.exchange(true))
        return;
    fills.clear();
    drains.clear();
    thread = std::thread(&ReceivedListMonitor::run, this);
}

void ReceivedListMonitor::stop()
{
    running = false;
    if (thread.joinable())
        thread.join();
}

void ReceivedListMonitor::run()
{
    int previous = 0;
    while (running) {
        const int count = json->getReceiveCount();
        if (previous == 0 && count > 0)
            fills.push_back(nowUs());
        else if (previous > 0 && count == 0)
            drains.push_back(nowUs());
        previous = count;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

std::int64_t ReceivedListMonitor::lastAtOrBefore(const std::vector<std::int64_t>& stamps, std::int64_t timeUs)
{
    const auto after = std::upper_bound(stamps.begin(), stamps.end(), timeUs);
    return after == stamps.begin() ? -1 : *(after - 1);
}

} // namespace tevarobench
