#pragma once

#include "DeviceTree.h"

#include <json/json.h>

#include <cstdint>
#include <string>

namespace devicesim {

// Who may change a configuration entry, judged as the instrument judges it:
// by the entry's "INP"."AUT" mask against the masks of the writing user's
// role (the login node's "RIGT": DACT D, ROLE R, MEAS M).
//
//   3 no access   D != 0 and (mask & D) == D
//   2 read-only   otherwise, (R & ~mask) != 0
//   1 may change  otherwise while no measurement runs; during one only
//                 when (mask & M) == M, else 2
class EntryRights
{
public:
    enum Level { MayChange = 1, ReadOnly = 2, NoAccess = 3 };

    struct UserMasks
    {
        std::uint64_t deactivation = 0;   // DACT
        std::uint64_t role = 0;           // ROLE
        std::uint64_t measure = 0;        // MEAS
    };

    static Level judge(std::uint64_t mask, const UserMasks& user, bool measuring);

    // The masks of a login node {"RIGT": {"DACT": {"AUT"}, "ROLE": ..., "MEAS": ...}};
    // a missing mask counts as 0.
    static UserMasks masksOf(const Json::Value& client);

    // True when the client with that login node may write path. Only a write
    // at "<entry>.VAL" of an entry whose "INP"."AUT" is an integer is judged;
    // every other write may go ahead. reason says why not.
    static bool mayWrite(DeviceTree& tree, const std::string& path, const Json::Value& client, std::string& reason);

    // The mask of a node as the client reads it: "INP"."AUT" when "INP" is
    // an object, else "AUT"; 0 when that is no integer.
    static std::uint64_t nodeMask(const Json::Value& node);
    // True when the client with that login node may change the node at path
    // (its nodeMask judged); reason says why not.
    static bool mayChange(DeviceTree& tree, const std::string& path, const Json::Value& client, std::string& reason);

    // An integer JSON value as 64 bits (a mask with bit 63 set arrives unsigned).
    static bool toMask(const Json::Value& value, std::uint64_t& mask);
};

} // namespace devicesim
