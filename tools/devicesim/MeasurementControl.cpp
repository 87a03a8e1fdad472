#include "MeasurementControl.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "NextId.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <cmath>
#include <cstdio>

namespace devicesim {

namespace {

const char* const measurementPath = "$.SERV.STAT.MEAS";
const char* const stateValuePath = "$.SERV.STAT.MEAS.VAL";
const char* const functionValuePath = "$.SERV.FCT.STST.VAL";
const char* const functionTextPath = "$.SERV.FCT.STST.T";
const char* const functionTextIdPath = "$.SERV.FCT.STST.ID";
// The function's text and its id, for the client's language files.
const int startTextId = 20060;   // "Messung starten"
const int stopTextId = 20061;    // "Messung stoppen"

std::string fileName(std::int64_t id)
{
    char name[32];
    std::snprintf(name, sizeof name, "Messung_%04lld", static_cast<long long>(id));
    return name;
}

} // namespace

MeasurementControl::MeasurementControl(const ChartRecorder& recorder) : recorder(recorder)
{
}

bool MeasurementControl::isMeasuring(DeviceTree& tree)
{
    return tree.valueAt(stateValuePath) == "START";
}

void MeasurementControl::onStartStop(DeviceState::Access& device, const Json::Value& value, std::int64_t nowMs)
{
    double number = 0;
    if (!InputLimits::toNumber(value, number) || number != 1)
        return;
    if (isMeasuring(device.tree()))
        stop(device, nowMs);
    else
        start(device, nowMs);
}

void MeasurementControl::onFileName(DeviceState::Access& device, const Json::Value& value)
{
    Json::Value file(Json::objectValue);
    file["VAL"] = value;
    device.applyAndPublish(TelegramBuilder().set("$.SERV.STAT.MEAS.FILE", file).build());
}

void MeasurementControl::start(DeviceState::Access& device, std::int64_t nowMs)
{
    const Json::Value measurement = device.tree().valueAt(measurementPath);
    const std::int64_t lastId = memberOf(measurement, "ID").isInt64() ? memberOf(measurement, "ID").asInt64() : 0;
    std::int64_t id = 0;
    if (!nextId(device.tree().valueAt("$.MEM.MTAB"), lastId, id)) {
        qWarning("Measurement not started: no id is left above those of $.MEM.MTAB and the last measurement");
        return;
    }

    Json::Value state(Json::objectValue);
    state["ID"] = Json::Int64(id);
    state["STAT"] = Json::Int64(nowMs);
    state["STOT"] = 0;
    state["LIMT"] = Json::Int64(nowMs);
    for (const char* list : {"ADR", "DIM", "KB"})
        state[list] = memberOf(measurement, list).isArray() ? memberOf(measurement, list) : Json::Value(Json::arrayValue);

    TelegramBuilder telegram;
    telegram.set(measurementPath, state)
        .set("$.SERV.STAT.MEAS.STAT", Json::Int64(nowMs))
        .set(stateValuePath, "START")
        .set("$.MEM.RING", 3)
        .set(functionTextPath, "Messung stoppen")
        .set(functionTextIdPath, stopTextId)
        .set(functionValuePath, 0);
    if (device.applyAndPublish(telegram.build()) >= 0)
        qInfo("Measurement %lld started", static_cast<long long>(id));
}

void MeasurementControl::stop(DeviceState::Access& device, std::int64_t nowMs)
{
    const Json::Value measurement = device.tree().valueAt(measurementPath);
    const std::int64_t id = memberOf(measurement, "ID").isInt64() ? memberOf(measurement, "ID").asInt64() : 0;
    const Json::Value& file = memberAt(measurement, {"FILE", "VAL"});

    // About 8 bytes per value, as the device stores them.
    const double samples = static_cast<double>(recorder.sampleCount(id));
    const double channels = memberOf(measurement, "ADR").isArray() ? memberOf(measurement, "ADR").size() : 0;
    const double megabytes = std::round(samples * channels * 8.0 / 1.0e6 * 1000.0) / 1000.0;

    Json::Value recording(Json::objectValue);
    recording["ID"] = Json::Int64(id);
    recording["FILE"] = file.isString() ? file.asString() : fileName(id);
    recording["STAT"] = memberOf(measurement, "STAT");
    recording["STOT"] = Json::Int64(nowMs);
    recording["SIZE"]["VAL"] = megabytes;
    recording["SIZE"]["DIM"]["T"] = "MB";
    for (const char* list : {"ADR", "DIM", "KB"})
        recording[list] = memberOf(measurement, list);

    Json::Value recordings = device.tree().valueAt("$.MEM.MTAB");
    if (!recordings.isArray())
        recordings = Json::Value(Json::arrayValue);
    recordings.append(recording);

    Json::Value stopTime(Json::objectValue);
    stopTime["STOT"] = Json::Int64(nowMs);
    Json::Value nextFile(Json::objectValue);
    nextFile["VAL"] = fileName(id + 1);

    TelegramBuilder telegram;
    telegram.set(measurementPath, stopTime)
        .set(stateValuePath, "STOP")
        .del("$.MEM.MTAB")
        .set("$.MEM.MTAB", recordings)
        .set("$.MEM.RING", 1)
        .set("$.SERV.STAT.MEAS.FILE.VAL", nextFile["VAL"])
        .set("$.SERV.STAT.MEAS.FILE", nextFile)
        .set(functionTextPath, "Messung starten")
        .set(functionTextIdPath, startTextId)
        .set(functionValuePath, 0);
    if (device.applyAndPublish(telegram.build()) >= 0)
        qInfo("Measurement %lld stopped after %lld samples", static_cast<long long>(id), static_cast<long long>(samples));
}

} // namespace devicesim
