#pragma once

#include "DeviceState.h"
#include "SessionStore.h"
#include "TelegramProcessor.h"

#include <json/json.h>

#include <cstdint>
#include <string>

namespace devicesim {

// The users of $.USMG.USLI, created, changed and deleted by telegrams to
// the "user" endpoint:
// - Every telegram to "user" needs a sender who may change $.USMG.AUT
//   (judged as EntryRights judges a node's "AUT"); else it is refused whole.
// - SET $.USMG.USLI, VAL one user {"ID", "NAME", "USRO": {"ID"}, "HINT", "PW"}:
//   "ID" -1 creates the user, with the highest id + 1 and "LAST"."DU" -1; it
//   needs a name that is neither blank nor taken, a known role and a "PW" that
//   is not "". Any other id changes that user's role, "HINT" and password, each
//   where present ("NAME" is ignored; a "PW" of "" is refused).
// - DEL $.USMG.USLI, VAL {"ID": n}, deletes the user, never the sender's own.
//   Its password is forgotten, so a later user of that name never inherits it.
// A role is known when $.USMG.USRO lists it and the accounts hold its masks.
// Passwords go to the accounts (SessionStore), never to the tree or a log
// line. An applied change sends the list as DEL + SET of $.USMG.USLI. A
// refusal changes and sends nothing and logs one line:
//   <what> by "<sender>" refused: <reason>
// Plain SETs and DELs at, below or above $.USMG.USLI are refused.
class UserAdministration
{
public:
    explicit UserAdministration(SessionStore& sessions);

    // The gate of "user", the SET and DEL commands and the list's protection.
    void registerWith(TelegramProcessor& processor);

    bool admit(DeviceState::Access& device, const TelegramProcessor::Context& context);
    void save(DeviceState::Access& device, const Json::Value& element, const TelegramProcessor::Context& context);
    void remove(DeviceState::Access& device, const Json::Value& element, const TelegramProcessor::Context& context);

private:
    void create(DeviceState::Access& device, Json::Value& users, const Json::Value& user,
                const TelegramProcessor::Context& context);
    void change(DeviceState::Access& device, Json::Value& users, const Json::Value& user,
                const TelegramProcessor::Context& context);
    bool isKnownRole(DeviceTree& tree, const Json::Value& roleId) const;

    SessionStore& sessions;
};

} // namespace devicesim
