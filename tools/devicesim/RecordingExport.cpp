#include "RecordingExport.h"

#include "JsonText.h"
#include "LiveTicker.h"
#include "NextId.h"
#include "SecretMask.h"
#include "StorageUnits.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace devicesim {

namespace {

const char* const exportsPath = "$.EXP.MTAB";
const char* const destinationsPath = "$.EXP.DEST";
const char* const statePath = "$.EXP.STAS";

// The element of a list whose "ID" is id; null when there is none.
Json::Value elementWithId(const Json::Value& list, std::int64_t id, int* index = nullptr)
{
    if (!list.isArray())
        return Json::Value();
    for (Json::ArrayIndex k = 0; k < list.size(); ++k) {
        const Json::Value& itemId = memberOf(list[k], "ID");
        if (itemId.isInt64() && itemId.asInt64() == id) {
            if (index)
                *index = static_cast<int>(k);
            return list[k];
        }
    }
    return Json::Value();
}

} // namespace

RecordingExport::RecordingExport(DeviceState& state, CommandGuard& guard, int delayMs)
    : state(state), guard(guard), delayMs(std::max(0, delayMs)), worker(&RecordingExport::work, this)
{
}

RecordingExport::~RecordingExport()
{
    stop();
}

void RecordingExport::stop()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
}

void RecordingExport::run(DeviceState::Access& device, const Json::Value& element,
                          const TelegramProcessor::Context& context)
{
    const std::string what = "Export " + SecretMask::logText(memberOf(element, "VAL"));
    if (!guard.admit(device, context, "export", "$.EXP.INP", what))
        return;
    Job job;
    if (!prepare(device, memberOf(element, "VAL"), what, job))
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (pending) {
            guard.refuse(device, what, "an export is under way", CommandGuard::busyId, "Es läuft bereits ein Export.");
            return;
        }
        job.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
        pending.reset(new Job(job));
    }
    device.applyAndPublish(TelegramBuilder().set(statePath, 2).build());
    wake.notify_all();
    qInfo("%s started", what.c_str());
}

bool RecordingExport::prepare(DeviceState::Access& device, const Json::Value& request, const std::string& what,
                              Job& job)
{
    DeviceTree& tree = device.tree();
    if (tree.valueAt(statePath) != 1) {
        guard.refuse(device, what, "$.EXP.STAS is " + toCompactText(tree.valueAt(statePath)) + ", not 1",
                     CommandGuard::busyId, "Es läuft bereits ein Export.");
        return false;
    }
    const Json::Value& destinationId = memberAt(request, {"DEST", "ID"});
    const Json::Value& recordingId = memberAt(request, {"MTAB", "ID"});
    const Json::Value destination = destinationId.isInt64()
        ? elementWithId(tree.valueAt(destinationsPath), destinationId.asInt64()) : Json::Value();
    const Json::Value recording = recordingId.isInt64()
        ? elementWithId(tree.valueAt("$.MEM.MTAB"), recordingId.asInt64()) : Json::Value();
    if (destination.isNull() || recording.isNull()) {
        guard.refuse(device, what, "no such destination or recording", CommandGuard::unknownId,
                     "Messung oder Exportziel nicht gefunden.");
        return false;
    }
    const Json::Value firstTemplate = elementWithId(tree.valueAt("$.EXP.TPL"), 1);
    const Json::Value& factor = memberOf(firstTemplate, "FACT");
    const Json::Value& size = memberOf(recording, "SIZE");
    double recordingBytes = 0;
    double freeBytes = 0;
    // A factor written by a client may be anything; only a positive one gives a size.
    if (!factor.isNumeric() || !(factor.asDouble() > 0) || !StorageUnits::bytesOf(size, recordingBytes)
        || !StorageUnits::bytesOf(memberOf(destination, "SIZE"), freeBytes)) {
        guard.refuse(device, what, "sizes, units or the factor of template 1 unknown", CommandGuard::noSpaceId,
                     "Nicht genügend Speicherplatz am Exportziel.");
        return false;
    }
    job.neededBytes = recordingBytes * factor.asDouble();
    if (!std::isfinite(job.neededBytes) || freeBytes < job.neededBytes) {
        guard.refuse(device, what,
                     "needs " + std::to_string(job.neededBytes) + " bytes, " + std::to_string(freeBytes) + " free",
                     CommandGuard::noSpaceId, "Nicht genügend Speicherplatz am Exportziel.");
        return false;
    }
    job.destination = destinationId.asInt64();
    const Json::Value& name = memberOf(recording, "FILE");
    const Json::Value& extension = memberOf(firstTemplate, "FIEX");
    job.file["FILE"] = (name.isString() ? name.asString() : "Messung_" + toCompactText(recordingId))
        + (extension.isString() ? "." + extension.asString() : std::string());
    job.file["DEST"]["ID"] = Json::Int64(job.destination);
    job.file["SIZE"]["VAL"] = StorageUnits::rounded(memberOf(size, "VAL").asDouble() * factor.asDouble());
    job.file["SIZE"]["DIM"]["T"] = StorageUnits::unitOf(size);
    return true;
}

void RecordingExport::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        if (!pending) {
            wake.wait(lock);
            continue;
        }
        if (wake.wait_until(lock, pending->due) != std::cv_status::timeout && !stopping)
            continue;
        if (stopping)
            break;
        const Job job = *pending;
        lock.unlock();   // the device's lock comes first
        finish(job);
        lock.lock();
        pending.reset();
    }
}

void RecordingExport::finish(const Job& job)
{
    auto device = state.lock();
    DeviceTree& tree = device.tree();
    Json::Value exports = tree.valueAt(exportsPath);
    if (!exports.isArray())
        exports = Json::Value(Json::arrayValue);
    std::int64_t id = 0;
    if (!nextId(exports, 0, id)) {
        qWarning("Export of %s dropped: no file id is left above those in %s", toCompactText(job.file["FILE"]).c_str(),
                 exportsPath);
        device.applyAndPublish(TelegramBuilder().set(statePath, 1).build());
        return;
    }
    Json::Value file = job.file;
    file["ID"] = Json::Int64(id);
    file["DU"] = Json::Int64(nowMs());
    exports.append(file);

    TelegramBuilder telegram;
    telegram.del(exportsPath).set(exportsPath, exports);
    int index = -1;
    const Json::Value destination = elementWithId(tree.valueAt(destinationsPath), job.destination, &index);
    const Json::Value& space = memberAt(destination, {"SIZE", "VAL"});
    double perUnit = 0;
    if (index >= 0 && space.isNumeric()
        && StorageUnits::bytesPer(StorageUnits::unitOf(memberOf(destination, "SIZE")), perUnit)) {
        const double left = std::max(0.0, StorageUnits::rounded(space.asDouble() - job.neededBytes / perUnit));
        telegram.set(std::string(destinationsPath) + "[" + std::to_string(index) + "].SIZE.VAL", left);
    }
    telegram.set(statePath, 1);
    if (device.applyAndPublish(telegram.build()) < 0) {
        qWarning("Export of %s could not be stored", toCompactText(job.file["FILE"]).c_str());
        device.applyAndPublish(TelegramBuilder().set(statePath, 1).build());
    } else
        qInfo("Export %s finished", toCompactText(file).c_str());
}

} // namespace devicesim
