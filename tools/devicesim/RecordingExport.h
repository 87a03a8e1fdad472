#pragma once

#include "CommandGuard.h"
#include "DeviceState.h"
#include "TelegramProcessor.h"

#include <json/json.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace devicesim {

// Exports a recording to a destination: the GET command at $.EXP.MTAB
//
//     {"DEST":{"PATH":"$.EXP.MTAB"},"MODE":0,"VAL":{"DEST":{"ID":d},"MTAB":{"ID":m}}}
//
// sent to "export" by a user who may change $.EXP.INP. Refused (CommandGuard)
// while $.EXP.STAS is not 1, for an unknown destination d or recording m, and
// when the destination's free space, in bytes, is below the recording's size
// times the FACT of template 1 ($.EXP.TPL). Otherwise $.EXP.STAS becomes 2 at
// once and, delayMs later (live values paused or not), one telegram finishes
// it: DEL and SET of $.EXP.MTAB with the new file {"ID","FILE": FILE.FIEX,
// "DU": now,"DEST":{"ID":d},"SIZE"}, the destination's reduced
// $.EXP.DEST[k].SIZE.VAL and $.EXP.STAS 1.
class RecordingExport
{
public:
    RecordingExport(DeviceState& state, CommandGuard& guard, int delayMs);
    ~RecordingExport();

    RecordingExport(const RecordingExport&) = delete;
    RecordingExport& operator=(const RecordingExport&) = delete;

    void run(DeviceState::Access& device, const Json::Value& element, const TelegramProcessor::Context& context);
    void stop();   // drops an export under way; waits for the worker

private:
    struct Job
    {
        std::int64_t destination = 0;
        Json::Value file;          // the new entry of $.EXP.MTAB without "ID" and "DU"
        double neededBytes = 0;
        std::chrono::steady_clock::time_point due;
    };

    // Checks a request; false with a refusal sent. job gets what to do.
    bool prepare(DeviceState::Access& device, const Json::Value& request, const std::string& what, Job& job);
    void work();
    void finish(const Job& job);

    DeviceState& state;
    CommandGuard& guard;
    const int delayMs;

    std::mutex mutex;   // taken after the device's lock, never before it
    std::condition_variable wake;
    std::unique_ptr<Job> pending;   // guarded by mutex
    bool stopping = false;          // guarded by mutex
    std::thread worker;
};

} // namespace devicesim
