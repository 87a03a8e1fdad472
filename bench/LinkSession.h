#pragma once

#include "Statistics.h"

// The device link (TevaroApp with its poll and receive threads) against the
// real device simulator on loopback, for the device-link benchmarks. The
// calling thread is the GUI thread: it owns the QCoreApplication (created on
// first use, with a data folder of its own so no user settings are touched)
// and runs its events while the helpers wait.
//
//     LinkSession session;                 // simulator started "--paused"
//     if (!session.open(150, 50) || !session.login()) ...
//     session.app()->start();
//     session.waitForInitialPaths(5000);

#include "SimulatorProcess.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class JSONUtil;
class TevaroApp;

namespace tevarobench {

// Microseconds since the epoch: the simulator stamps requests in epoch milliseconds.
inline std::int64_t nowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

class LinkSession
{
public:
    explicit LinkSession(const QStringList& simulatorArguments = {QStringLiteral("--paused")});
    ~LinkSession();   // the client's threads end before the simulator goes

    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Starts the simulator and the client with these poll and update intervals.
    bool open(int pollMs, int updateMs);
    // Logs in as admin and keeps the token, as the login screen does.
    bool login();
    // The paths the device lists at "$.IPTH".
    QStringList initialPaths();
    // True when the mirror holds a value at every path (callable from any thread).
    bool mirrorHolds(const QStringList& paths);
    bool waitForInitialPaths(int timeoutMs);

    JSONUtil* json();
    TevaroApp* app();
    SimulatorProcess simulator;

    // Runs the calling thread's events until done() or timeoutMs; true when done.
    static bool runEventsUntil(const std::function<bool()>& done, int timeoutMs);
    static void runEventsFor(int ms);

private:
    std::unique_ptr<TevaroApp> application;
};

// Samples the length of the client's received list from a thread of its own
// (every ~0.1 ms) and stamps when it fills (a poll step handed over answers)
// and when it empties (the receive thread took them).
class ReceivedListMonitor
{
public:
    explicit ReceivedListMonitor(JSONUtil* json);
    ~ReceivedListMonitor();

    void start();
    void stop();
    // Stamps (nowUs) of the transitions, in order; read after stop().
    std::vector<std::int64_t> fills;
    std::vector<std::int64_t> drains;

    // The last stamp in stamps at or before timeUs; -1 when there is none.
    static std::int64_t lastAtOrBefore(const std::vector<std::int64_t>& stamps, std::int64_t timeUs);

private:
    void run();

    JSONUtil* json;
    std::atomic<bool> running{false};
    std::thread thread;
};


} // namespace tevarobench
