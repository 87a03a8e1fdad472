#include "LastLogin.h"

#include "JsonText.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

namespace devicesim {

namespace {

const char* const userListPath = "$.USMG.USLI";

} // namespace

void LastLogin::record(DeviceState::Access& device, const Json::Value& userId, std::int64_t now)
{
    const Json::Value users = device.tree().valueAt(userListPath);
    if (!userId.isInt64() || !users.isArray())
        return;
    for (Json::ArrayIndex i = 0; i < users.size(); ++i) {
        const Json::Value& id = memberOf(users[i], "ID");
        if (!id.isInt64() || id.asInt64() != userId.asInt64())
            continue;
        const std::string path = std::string(userListPath) + "[" + std::to_string(i) + "].LAST.DU";
        if (device.applyAndPublish(TelegramBuilder().set(path, Json::Int64(now)).build()) < 0)
            qWarning("The last login of user %lld could not be stored", static_cast<long long>(id.asInt64()));
        return;
    }
    qInfo("Last login not stored: user %lld is not in %s", static_cast<long long>(userId.asInt64()), userListPath);
}

} // namespace devicesim
