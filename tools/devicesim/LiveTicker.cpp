#include "LiveTicker.h"

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

namespace devicesim {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

LiveTicker::LiveTicker(std::function<void()> step, int intervalMs)
    : step(std::move(step)), intervalMs(intervalMs > 0 ? intervalMs : 1)
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
    std::lock_guard<std::mutex> stepLock(stepMutex);
    this->paused = paused;
}

bool LiveTicker::isPaused() const
{
    std::lock_guard<std::mutex> stepLock(stepMutex);
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
            std::lock_guard<std::mutex> stepLock(stepMutex);
            if (!paused)
                runStep();
        }
        guard.lock();
    }
}

void LiveTicker::runStep()
{
    std::string error;
    try {
        step();
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown exception";
    }
    // The same failure step after step is logged once.
    if (!error.empty() && error != lastError)
        qWarning("Live values step failed: %s", error.c_str());
    lastError = error;
}

} // namespace devicesim
