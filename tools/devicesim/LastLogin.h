#pragma once

#include "DeviceState.h"

#include <json/json.h>

#include <cstdint>

namespace devicesim {

// A login is the user's last login: its "LAST"."DU" in $.USMG.USLI becomes
// the time of the login (ms since the epoch), sent as one leaf SET at
// "$.USMG.USLI[<i>].LAST.DU".
class LastLogin
{
public:
    // Stamps the user with that id (the login node's "US"."ID"); nothing
    // when the list holds no such user.
    static void record(DeviceState::Access& device, const Json::Value& userId, std::int64_t now);
};

} // namespace devicesim
