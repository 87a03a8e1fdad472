#pragma once

#include "DeviceState.h"
#include "LiveValues.h"
#include "MeasurementControl.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace devicesim {

// The device's clock: every interval the live values take a step and a
// running measurement sends a chart block. Paused, the device holds still
// (no value changes, no chart data), which tests use for quiet change logs.
class LiveTicker
{
public:
    LiveTicker(DeviceState& state, LiveValues& values, MeasurementControl& measurement, int intervalMs);
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

    DeviceState& state;
    LiveValues& values;
    MeasurementControl& measurement;
    const int intervalMs;

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
