#include "RecordDeletion.h"

#include "JsonText.h"
#include "SecretMask.h"
#include "StorageUnits.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>
#include <map>
#include <sstream>

namespace devicesim {

namespace {

const char* const recordingsPath = "$.MEM.MTAB";
const char* const exportsPath = "$.EXP.MTAB";
const char* const destinationsPath = "$.EXP.DEST";

bool addId(const Json::Value& value, std::vector<std::int64_t>& ids)
{
    if (value.isInt64()) {
        ids.push_back(value.asInt64());
        return true;
    }
    if (!value.isString())
        return false;
    std::istringstream parts(value.asString());
    std::string part;
    while (std::getline(parts, part, ',')) {
        try {
            std::size_t used = 0;
            const long long id = std::stoll(part, &used);
            if (used != part.size())
                return false;
            ids.push_back(id);
        } catch (const std::exception&) {
            return false;
        }
    }
    return true;
}

} // namespace

bool RecordDeletion::idsOf(const Json::Value& value, std::vector<std::int64_t>& ids)
{
    const Json::Value& id = memberOf(value, "ID");
    if (id.isArray()) {
        for (const Json::Value& item : id) {
            if (!addId(item, ids))
                return false;
        }
    } else if (!addId(id, ids)) {
        return false;
    }
    return !ids.empty();
}

RecordDeletion::RecordDeletion(ChartRecorder& recorder, const MemoryUsage& memory, CommandGuard& guard)
    : recorder(recorder), memory(memory), guard(guard)
{
}

void RecordDeletion::run(DeviceState::Access& device, const Json::Value& element,
                         const TelegramProcessor::Context& context)
{
    const std::string path = memberAt(element, {"DEST", "PATH"}).asString();
    const bool recordings = path == recordingsPath;
    const bool exports = path == exportsPath;
    const std::string what = "DEL of records at \"" + path + "\"";
    if (recordings && !guard.admit(device, context, "measure", "$.MEM.INP", what))
        return;
    if (exports && !guard.admit(device, context, "export", "$.EXP.INP", what))
        return;
    std::vector<std::int64_t> ids;
    if (!idsOf(memberOf(element, "VAL"), ids)) {
        const std::string reason =
            "the value " + SecretMask::logText(memberOf(element, "VAL")) + " names no record ids";
        if (recordings || exports)
            guard.refuse(device, what, reason, CommandGuard::badRequestId, "Die Anfrage wurde vom Gerät abgelehnt.");
        else
            qWarning("%s ignored: %s", what.c_str(), reason.c_str());
        return;
    }
    const Json::Value records = device.tree().valueAt(path);
    if (!records.isArray()) {
        qWarning("DEL of records at \"%s\" ignored: no list there", path.c_str());
        return;
    }
    Json::Value kept(Json::arrayValue);
    Json::Value removed(Json::arrayValue);
    for (const Json::Value& record : records) {
        const Json::Value& id = memberOf(record, "ID");
        const bool named = id.isInt64() && std::find(ids.begin(), ids.end(), id.asInt64()) != ids.end();
        (named ? removed : kept).append(record);
    }
    if (removed.empty()) {
        const std::string reason = "none of the ids " + SecretMask::logText(memberOf(element, "VAL")) + " there";
        if (recordings || exports)
            guard.refuse(device, what, reason, CommandGuard::unknownId, "Messung oder Exportziel nicht gefunden.");
        else
            qInfo("%s: %s", what.c_str(), reason.c_str());
        return;
    }
    TelegramBuilder telegram;
    telegram.del(path).set(path, kept);
    if (!device.tree().apply(telegram.build())) {
        qWarning("%s could not be applied", what.c_str());
        return;
    }
    if (recordings) {
        double freed = 0;
        for (const Json::Value& record : removed) {
            double bytes = 0;
            if (StorageUnits::bytesOf(memberOf(record, "SIZE"), bytes))
                freed += bytes;
            else
                qWarning("Recording %s has no size in known units; it frees nothing",
                         toCompactText(memberOf(record, "ID")).c_str());
            recorder.forget(memberOf(record, "ID").asInt64());
        }
        memory.change(device.tree(), freed, telegram);
    } else if (exports) {
        returnSpace(device.tree(), removed, telegram);
    }
    device.publish(telegram.build());
    qInfo("Deleted %u record(s) at \"%s\"", removed.size(), path.c_str());
}

void RecordDeletion::returnSpace(DeviceTree& tree, const Json::Value& removed, TelegramBuilder& telegram)
{
    const Json::Value destinations = tree.valueAt(destinationsPath);
    if (!destinations.isArray())
        return;
    std::map<Json::ArrayIndex, double> regained;   // bytes by destination index
    for (const Json::Value& file : removed) {
        const Json::Value& destination = memberAt(file, {"DEST", "ID"});
        double bytes = 0;
        if (!destination.isInt64() || !StorageUnits::bytesOf(memberOf(file, "SIZE"), bytes))
            continue;
        for (Json::ArrayIndex k = 0; k < destinations.size(); ++k) {
            if (memberOf(destinations[k], "ID") == destination)
                regained[k] += bytes;
        }
    }
    for (const auto& destination : regained) {
        const Json::Value& size = memberOf(destinations[destination.first], "SIZE");
        double perUnit = 0;
        if (!memberOf(size, "VAL").isNumeric() || !StorageUnits::bytesPer(StorageUnits::unitOf(size), perUnit))
            continue;   // a destination without a known size keeps it unknown
        const double value = StorageUnits::rounded(size["VAL"].asDouble() + destination.second / perUnit);
        const std::string leaf = std::string(destinationsPath) + "[" + std::to_string(destination.first) + "].SIZE.VAL";
        tree.apply(TelegramBuilder().set(leaf, value).build());
        telegram.set(leaf, value);
    }
}

} // namespace devicesim
