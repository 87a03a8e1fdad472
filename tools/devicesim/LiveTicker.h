#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace devicesim {

// The device's clock: every interval it runs one step (the live values move
// and a running measurement sends a chart block). Paused, the device holds
// still (no value changes, no chart data), which tests use for quiet change
// logs. A step that throws is logged and the clock goes on.
class LiveTicker
{
public:
    LiveTicker(std::function<void()> step, int intervalMs);
    ~LiveTicker();

    LiveTicker(const LiveTicker&) = delete;
    LiveTicker& operator=(const LiveTicker&) = delete;

    void start();
    void stop();   // waits for the thread

    // Returns when no step runs any more: after a pause nothing more comes.
    void setPaused(bool paused);
    bool isPaused() const;

private:
    void run();
    void runStep();

    const std::function<void()> step;
    const int intervalMs;
    std::string lastError;   // of the step before, logged once; used by the thread only

    mutable std::mutex stepMutex;   // held for a whole step and while paused changes
    bool paused = false;    // guarded by stepMutex
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;   // guarded by mutex
    std::thread thread;
};

// Milliseconds since the epoch.
std::int64_t nowMs();

} // namespace devicesim
