#pragma once

#include <json/json.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>

namespace devicesim {

// Accounts (passwords and the right masks of each role) and the sessions of
// logged-in clients, each with its login node "CLNT". Who a user is (id, name, role) comes from the device
// tree's user list "$.USMG.USLI", so users created by a client can log in.
class SessionStore
{
public:
    bool loadAccounts(const std::string& fileName, std::string* error);

    // Checks name and password against the accounts and the given user list.
    // The answer is the login node {"TOKN","US","RIGT"}; without "TOKN" when
    // the login failed.
    Json::Value login(const std::string& name, const std::string& password, const Json::Value& userList);
    void logout(const std::string& token);

    // True for a token of a logged-in client; user receives its user's name,
    // client its login node.
    bool isValid(const std::string& token, std::string* user = nullptr, Json::Value* client = nullptr) const;
    std::size_t sessionCount() const;

    // Passwords of users created or changed by a client.
    void setPassword(const std::string& name, const std::string& password);
    // A deleted user's password: a later user of that name never inherits it.
    void forgetPassword(const std::string& name);
    bool hasRole(std::int64_t roleId) const;

private:
    struct RoleMasks
    {
        Json::Value role, measure, deactivation;   // kept as read: masks may need all 64 bits
    };

    std::string newToken();

    mutable std::mutex mutex;
    std::map<std::string, std::string> passwords;   // user name -> password
    std::map<std::int64_t, RoleMasks> roles;        // role id -> masks
    struct Session
    {
        std::string user;
        Json::Value client;   // the login node
    };

    std::map<std::string, Session> sessions;        // token -> session
    std::mt19937_64 random{std::random_device{}()};
};

} // namespace devicesim
