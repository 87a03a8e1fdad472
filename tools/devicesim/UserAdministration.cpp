#include "UserAdministration.h"

#include "JsonText.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>

namespace devicesim {

namespace {

const char* const userListPath = "$.USMG.USLI";

} // namespace

UserAdministration::UserAdministration(SessionStore& sessions) : sessions(sessions)
{
}

void UserAdministration::run(DeviceState::Access& device, const Json::Value& element)
{
    const Json::Value& user = memberOf(element, "VAL");
    const Json::Value& id = memberOf(user, "ID");
    const Json::Value& name = memberOf(user, "NAME");
    const Json::Value& role = memberAt(user, {"USRO", "ID"});
    if (!id.isInt64() || !name.isString() || name.asString().empty() || !role.isInt64()) {
        qWarning("User change refused: needs an integer \"ID\", a \"NAME\" and \"USRO\".\"ID\": %s",
                 toCompactText(user).c_str());
        return;
    }
    if (!sessions.hasRole(role.asInt64())) {
        qWarning("User change refused: unknown role %lld", static_cast<long long>(role.asInt64()));
        return;
    }
    Json::Value users = device.tree().valueAt(userListPath);
    if (!users.isArray())
        users = Json::Value(Json::arrayValue);

    Json::Value* target = nullptr;
    std::int64_t highestId = 0;
    for (Json::Value& existing : users) {
        const Json::Value& existingId = memberOf(existing, "ID");
        if (existingId.isInt64())
            highestId = std::max(highestId, existingId.asInt64());
        if (id.asInt64() >= 0 && existingId == id)
            target = &existing;
        else if (id.asInt64() < 0 && memberOf(existing, "NAME") == name) {
            qWarning("User \"%s\" not created: the name is taken", name.asString().c_str());
            return;
        }
    }
    if (id.asInt64() < 0) {
        Json::Value created(Json::objectValue);
        created["ID"] = Json::Int64(highestId + 1);
        created["NAME"] = name;
        created["LAST"]["DU"] = -1;
        target = &users.append(created);
    } else if (!target) {
        qWarning("User %lld not changed: no such user", static_cast<long long>(id.asInt64()));
        return;
    }
    (*target)["USRO"]["ID"] = role;
    if (memberOf(user, "HINT").isString())
        (*target)["HINT"] = memberOf(user, "HINT");
    if (memberOf(user, "PW").isString())
        sessions.setPassword((*target)["NAME"].asString(), memberOf(user, "PW").asString());

    device.applyAndPublish(TelegramBuilder().del(userListPath).set(userListPath, users).build());
    qInfo("User \"%s\" %s", (*target)["NAME"].asString().c_str(), id.asInt64() < 0 ? "created" : "changed");
}

} // namespace devicesim
