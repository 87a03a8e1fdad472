#include "RecordDeletion.h"

#include "JsonText.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>
#include <sstream>

namespace devicesim {

namespace {

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

void RecordDeletion::run(DeviceState::Access& device, const Json::Value& element)
{
    const std::string path = memberAt(element, {"DEST", "PATH"}).asString();
    std::vector<std::int64_t> ids;
    if (!idsOf(memberOf(element, "VAL"), ids)) {
        qWarning("DEL of \"%s\" with %s ignored: the value names no record ids", path.c_str(),
                 toCompactText(memberOf(element, "VAL")).c_str());
        return;
    }
    const Json::Value records = device.tree().valueAt(path);
    if (!records.isArray()) {
        qWarning("DEL of records at \"%s\" ignored: no list there", path.c_str());
        return;
    }
    Json::Value kept(Json::arrayValue);
    for (const Json::Value& record : records) {
        const Json::Value& id = memberOf(record, "ID");
        const bool named = id.isInt64() && std::find(ids.begin(), ids.end(), id.asInt64()) != ids.end();
        if (!named)
            kept.append(record);
    }
    if (kept.size() == records.size()) {
        qInfo("DEL of records at \"%s\": none of the ids %s there", path.c_str(),
              toCompactText(memberOf(element, "VAL")).c_str());
        return;
    }
    device.applyAndPublish(TelegramBuilder().del(path).set(path, kept).build());
    qInfo("Deleted %u record(s) at \"%s\"", records.size() - kept.size(), path.c_str());
}

} // namespace devicesim
