#pragma once

#include "DeviceState.h"
#include "SessionStore.h"

#include <json/json.h>

namespace devicesim {

// Creates and changes users: a SET of $.USMG.USLI whose value is one user,
// {"ID": -1 (new) or an existing id, "NAME", "PW" (only when changed),
// "USRO": {"ID"}, "HINT"}. The password goes to the accounts and is never
// served; the user list goes out as a DEL and a SET of the whole list.
// Deleting users is a record deletion (RecordDeletion).
class UserAdministration
{
public:
    explicit UserAdministration(SessionStore& sessions);

    void run(DeviceState::Access& device, const Json::Value& element);

private:
    SessionStore& sessions;
};

} // namespace devicesim
