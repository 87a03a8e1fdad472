#include "LiveTicker.h"

#include <algorithm>
#include <chrono>

namespace devicesim {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

LiveTicker::LiveTicker(DeviceState& state, LiveValues& values, MeasurementControl& measurement, int intervalMs)
    : state(state), values(values), measurement(measurement), intervalMs(intervalMs > 0 ? intervalMs : 1)
{
}

LiveTicker::~LiveTicker()
{
    stop();
}

void LiveTicker::start()
{
    if (thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = false;
    }
    thread = std::thread(&LiveTicker::run, this);
}

void LiveTicker::stop()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void LiveTicker::setPaused(bool paused)
{
    std::lock_guard<std::mutex> step(stepMutex);
    this->paused = paused;
}

bool LiveTicker::isPaused() const
{
    std::lock_guard<std::mutex> step(stepMutex);
    return paused;
}

void LiveTicker::run()
{
    auto next = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> guard(mutex);
    while (!stopping) {
        // After a long step the clock starts afresh instead of catching up in a burst.
        next = std::max(next + std::chrono::milliseconds(intervalMs), std::chrono::steady_clock::now());
        if (wake.wait_until(guard, next, [this] { return stopping; }))
            break;
        guard.unlock();
        {
            std::lock_guard<std::mutex> step(stepMutex);
            if (!paused) {
                auto device = state.lock();
                values.step(device);
                measurement.sample(device, nowMs());
            }
        }
        guard.lock();
    }
}

} // namespace devicesim
