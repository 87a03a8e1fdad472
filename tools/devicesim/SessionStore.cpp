#include "SessionStore.h"

#include "JsonText.h"
#include "SecretMask.h"

#include <QtGlobal>

#include <cstdio>

namespace devicesim {

namespace {

Json::Value failedLogin()
{
    Json::Value node(Json::objectValue);
    node["US"]["ID"] = -1;
    node["US"]["NAME"] = "";
    return node;
}

Json::Value maskNode(const Json::Value& mask)
{
    Json::Value node(Json::objectValue);
    node["AUT"] = mask;
    return node;
}

} // namespace

bool SessionStore::loadAccounts(const std::string& fileName, std::string* error)
{
    Json::Value accounts;
    if (!readJsonFile(fileName, accounts, error))
        return false;
    if (!accounts.isObject() || !accounts["USERS"].isArray() || !accounts["ROLES"].isArray()) {
        if (error)
            *error = fileName + ": needs the arrays \"USERS\" and \"ROLES\"";
        return false;
    }
    std::lock_guard<std::mutex> guard(mutex);
    for (const Json::Value& user : accounts["USERS"]) {
        if (memberOf(user, "NAME").isString() && memberOf(user, "PASS").isString())
            passwords[user["NAME"].asString()] = user["PASS"].asString();
        else
            qWarning("Account without a string NAME and PASS skipped: %s", SecretMask::logText(user).c_str());
    }
    for (const Json::Value& role : accounts["ROLES"]) {
        if (!memberOf(role, "ID").isInt64()) {
            qWarning("Role without an integer ID skipped: %s", toCompactText(role).c_str());
            continue;
        }
        roles[role["ID"].asInt64()] = {role["ROLE"], role["MEAS"], role["DACT"]};
    }
    return true;
}

Json::Value SessionStore::login(const std::string& name, const std::string& password, const Json::Value& userList)
{
    std::lock_guard<std::mutex> guard(mutex);
    const auto account = passwords.find(name);
    if (account == passwords.end() || account->second != password) {
        qInfo("Login of \"%s\" refused: wrong user name or password", name.c_str());
        return failedLogin();
    }
    const Json::Value* user = nullptr;
    if (userList.isArray()) {
        for (const Json::Value& candidate : userList) {
            if (memberOf(candidate, "NAME") == name)
                user = &candidate;
        }
    }
    const Json::Value& roleId = user ? memberAt(*user, {"USRO", "ID"}) : Json::Value::nullSingleton();
    if (!roleId.isInt64() || !roles.count(roleId.asInt64())) {
        qWarning("Login of \"%s\" refused: no user with a known role in $.USMG.USLI", name.c_str());
        return failedLogin();
    }
    const RoleMasks& masks = roles.at(roleId.asInt64());
    const std::string token = newToken();

    Json::Value node(Json::objectValue);
    node["TOKN"] = token;
    node["US"]["ID"] = (*user)["ID"];
    node["US"]["NAME"] = name;
    node["RIGT"]["ROLE"] = maskNode(masks.role);
    node["RIGT"]["MEAS"] = maskNode(masks.measure);
    node["RIGT"]["DACT"] = maskNode(masks.deactivation);
    sessions[token] = {name, node};
    qInfo("Login of \"%s\", token %s", name.c_str(), token.c_str());
    return node;
}

void SessionStore::logout(const std::string& token)
{
    std::lock_guard<std::mutex> guard(mutex);
    const auto session = sessions.find(token);
    if (session == sessions.end())
        return;
    qInfo("Logout of \"%s\"", session->second.user.c_str());
    sessions.erase(session);
}

bool SessionStore::isValid(const std::string& token, std::string* user, Json::Value* client) const
{
    std::lock_guard<std::mutex> guard(mutex);
    const auto session = sessions.find(token);
    if (session == sessions.end())
        return false;
    if (user)
        *user = session->second.user;
    if (client)
        *client = session->second.client;
    return true;
}

std::size_t SessionStore::sessionCount() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return sessions.size();
}

void SessionStore::setPassword(const std::string& name, const std::string& password)
{
    std::lock_guard<std::mutex> guard(mutex);
    passwords[name] = password;
}

void SessionStore::forgetPassword(const std::string& name)
{
    std::lock_guard<std::mutex> guard(mutex);
    passwords.erase(name);
}

bool SessionStore::hasRole(std::int64_t roleId) const
{
    std::lock_guard<std::mutex> guard(mutex);
    return roles.count(roleId) != 0;
}

std::string SessionStore::newToken()
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(random()));
    return text;
}

} // namespace devicesim
