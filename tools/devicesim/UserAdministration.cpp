#include "UserAdministration.h"

#include "EntryRights.h"
#include "JsonText.h"
#include "NextId.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>

namespace devicesim {

namespace {

using Context = TelegramProcessor::Context;

const char* const userListPath = "$.USMG.USLI";
const char* const rolesPath = "$.USMG.USRO";
const char* const rightsPath = "$.USMG";   // judged by its "AUT"
const char* const userEndpoint = "user";
const std::int64_t newUserId = -1;
const std::size_t longestNameShown = 40;   // bytes of a name in a log line

void refuse(const std::string& what, const Context& context, const std::string& reason)
{
    qInfo("%s by \"%s\" refused: %s", what.c_str(), context.user.c_str(), reason.c_str());
}

bool fromUserEndpoint(const std::string& what, const Context& context)
{
    if (context.endpoint == userEndpoint)
        return true;
    refuse(what, context, "sent to \"" + context.endpoint + "\" instead of \"" + userEndpoint + "\"");
    return false;
}

// A name as a log line shows it: quoted, control characters escaped, long ones cut.
std::string shown(const Json::Value& name)
{
    if (!name.isString())
        return toCompactText(name);
    std::string text = name.asString();
    if (text.size() > longestNameShown) {
        std::size_t cut = longestNameShown;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;   // not inside a UTF-8 sequence
        text = text.substr(0, cut) + "...";
    }
    return toCompactText(Json::Value(text));
}

bool isBlank(const Json::Value& name)
{
    return !name.isString() || name.asString().find_first_not_of(" \t\r\n") == std::string::npos;
}

bool sameId(const Json::Value& id, std::int64_t wanted)
{
    return id.isInt64() && id.asInt64() == wanted;
}

// The index of the user with that id; -1 when there is none.
int indexOf(const Json::Value& users, std::int64_t id)
{
    for (Json::ArrayIndex i = 0; i < users.size(); ++i) {
        if (sameId(memberOf(users[i], "ID"), id))
            return static_cast<int>(i);
    }
    return -1;
}

bool isTaken(const Json::Value& users, const Json::Value& name)
{
    return std::any_of(users.begin(), users.end(),
                       [&name](const Json::Value& user) { return memberOf(user, "NAME") == name; });
}

// Why a "PW" member cannot be taken; empty when it can.
std::string passwordProblem(const Json::Value& password)
{
    if (password.isNull())
        return "no password";
    if (!password.isString())
        return "the password is not a text";
    return password.asString().empty() ? "the password is empty" : std::string();
}

bool sendList(DeviceState::Access& device, const Json::Value& users)
{
    return device.applyAndPublish(TelegramBuilder().del(userListPath).set(userListPath, users).build()) >= 0;
}

} // namespace

UserAdministration::UserAdministration(SessionStore& sessions) : sessions(sessions)
{
}

void UserAdministration::registerWith(TelegramProcessor& processor)
{
    using Kind = TelegramProcessor::Kind;
    processor.addGate(userEndpoint, [this](DeviceState::Access& device, const Context& context) {
        return admit(device, context);
    });
    processor.addCommand(Kind::Set, userListPath,
                         [this](DeviceState::Access& device, const Json::Value& element, const Context& context) {
                             save(device, element, context);
                         });
    processor.addCommand(Kind::Delete, userListPath,
                         [this](DeviceState::Access& device, const Json::Value& element, const Context& context) {
                             remove(device, element, context);
                         });
    processor.addProtectedPath(userListPath, "users change only through user commands at \"user\"");
}

bool UserAdministration::admit(DeviceState::Access& device, const Context& context)
{
    std::string reason;
    if (EntryRights::mayChange(device.tree(), rightsPath, context.client, reason))
        return true;
    refuse("User telegram", context, reason);
    return false;
}

void UserAdministration::save(DeviceState::Access& device, const Json::Value& element, const Context& context)
{
    if (!fromUserEndpoint("User change", context))
        return;
    const Json::Value& user = memberOf(element, "VAL");
    if (!user.isObject() || !memberOf(user, "ID").isInt64()) {
        refuse("User change", context, "the value is no user with an integer \"ID\"");
        return;
    }
    Json::Value users = device.tree().valueAt(userListPath);
    if (!users.isArray())
        users = Json::Value(Json::arrayValue);
    if (user["ID"].asInt64() == newUserId)
        create(device, users, user, context);
    else
        change(device, users, user, context);
}

void UserAdministration::create(DeviceState::Access& device, Json::Value& users, const Json::Value& user,
                                const Context& context)
{
    const Json::Value& name = memberOf(user, "NAME");
    const Json::Value& role = memberAt(user, {"USRO", "ID"});
    const Json::Value& hint = memberOf(user, "HINT");
    std::int64_t id = 0;
    const std::string reason = [&]() -> std::string {
        if (isBlank(name))
            return "the name is empty";
        if (isTaken(users, name))
            return "the name is taken";
        if (!isKnownRole(device.tree(), role))
            return "unknown role " + toCompactText(role);
        if (!hint.isNull() && !hint.isString())
            return "the hint is not a text";
        if (!nextId(users, 0, id))
            return "no user id is left";
        return passwordProblem(memberOf(user, "PW"));
    }();
    if (!reason.empty()) {
        refuse("Creating user " + shown(name), context, reason);
        return;
    }

    Json::Value created(Json::objectValue);
    created["ID"] = Json::Int64(id);
    created["NAME"] = name;
    created["USRO"]["ID"] = role;
    created["HINT"] = hint.isString() ? hint : Json::Value("");
    created["LAST"]["DU"] = Json::Int64(-1);
    users.append(created);
    if (!sendList(device, users))
        return;
    sessions.setPassword(name.asString(), user["PW"].asString());
    qInfo("User %s (id %lld) created by \"%s\"", shown(name).c_str(), static_cast<long long>(id),
          context.user.c_str());
}

void UserAdministration::change(DeviceState::Access& device, Json::Value& users, const Json::Value& user,
                                const Context& context)
{
    const std::int64_t id = user["ID"].asInt64();
    const int index = indexOf(users, id);
    const bool newRole = user.isMember("USRO");
    const Json::Value& role = memberAt(user, {"USRO", "ID"});
    const bool newPassword = user.isMember("PW");
    const Json::Value& hint = memberOf(user, "HINT");
    const std::string reason = [&]() -> std::string {
        if (index < 0)
            return "no such user";
        if (newRole && !isKnownRole(device.tree(), role))
            return "unknown role " + toCompactText(role);
        if (!hint.isNull() && !hint.isString())
            return "the hint is not a text";
        if (!newPassword)
            return std::string();
        if (!memberOf(users[index], "NAME").isString())
            return "the user has no name to log in with";
        return passwordProblem(user["PW"]);
    }();
    if (!reason.empty()) {
        refuse("Changing user " + std::to_string(id), context, reason);
        return;
    }

    Json::Value& target = users[index];
    std::string changed;
    if (newRole) {
        target["USRO"] = Json::Value(Json::objectValue);
        target["USRO"]["ID"] = role;
        changed += "role";
    }
    if (hint.isString()) {
        target["HINT"] = hint;
        changed += changed.empty() ? "hint" : ", hint";
    }
    if (!sendList(device, users))
        return;
    if (newPassword) {
        sessions.setPassword(target["NAME"].asString(), user["PW"].asString());
        changed += changed.empty() ? "password" : ", password";
    }
    qInfo("User %s (id %lld) changed by \"%s\": %s", shown(memberOf(target, "NAME")).c_str(),
          static_cast<long long>(id), context.user.c_str(), changed.empty() ? "nothing" : changed.c_str());
}

void UserAdministration::remove(DeviceState::Access& device, const Json::Value& element, const Context& context)
{
    if (!fromUserEndpoint("Deleting a user", context))
        return;
    const Json::Value& id = memberAt(element, {"VAL", "ID"});
    if (!id.isInt64()) {
        refuse("Deleting a user", context, "the value names no integer \"ID\"");
        return;
    }
    const std::string what = "Deleting user " + std::to_string(id.asInt64());
    Json::Value users = device.tree().valueAt(userListPath);
    const int index = users.isArray() ? indexOf(users, id.asInt64()) : -1;
    if (sameId(memberAt(context.client, {"US", "ID"}), id.asInt64())) {
        refuse(what, context, "it is the sender's own user");
        return;
    }
    if (index < 0) {
        refuse(what, context, "no such user");
        return;
    }
    Json::Value removed;
    users.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    if (!sendList(device, users))
        return;
    const Json::Value& name = memberOf(removed, "NAME");
    if (name.isString() && !isTaken(users, name))
        sessions.forgetPassword(name.asString());
    qInfo("User %s (id %lld) deleted by \"%s\"; its password is forgotten", shown(name).c_str(),
          static_cast<long long>(id.asInt64()), context.user.c_str());
}

bool UserAdministration::isKnownRole(DeviceTree& tree, const Json::Value& roleId) const
{
    if (!roleId.isInt64() || !sessions.hasRole(roleId.asInt64()))
        return false;
    const Json::Value roles = tree.valueAt(rolesPath);
    return roles.isArray()
        && std::any_of(roles.begin(), roles.end(), [&roleId](const Json::Value& role) {
               return sameId(memberOf(role, "ID"), roleId.asInt64());
           });
}

} // namespace devicesim
