#include "EntryRights.h"

#include "JsonText.h"
#include "MeasurementControl.h"

namespace devicesim {

namespace {

const std::string valueSuffix = ".VAL";

std::uint64_t maskAt(const Json::Value& rights, const char* key)
{
    std::uint64_t mask = 0;
    EntryRights::toMask(memberAt(rights, {key, "AUT"}), mask);
    return mask;
}

} // namespace

bool EntryRights::toMask(const Json::Value& value, std::uint64_t& mask)
{
    if (value.isUInt64()) {
        mask = value.asUInt64();
        return true;
    }
    if (value.isInt64()) {
        mask = static_cast<std::uint64_t>(value.asInt64());
        return true;
    }
    return false;
}

EntryRights::Level EntryRights::judge(std::uint64_t mask, const UserMasks& user, bool measuring)
{
    if (user.deactivation != 0 && (mask & user.deactivation) == user.deactivation)
        return NoAccess;
    if ((user.role & ~mask) != 0)
        return ReadOnly;
    if (measuring && (mask & user.measure) != user.measure)
        return ReadOnly;
    return MayChange;
}

EntryRights::UserMasks EntryRights::masksOf(const Json::Value& client)
{
    const Json::Value& rights = memberOf(client, "RIGT");
    UserMasks masks;
    masks.deactivation = maskAt(rights, "DACT");
    masks.role = maskAt(rights, "ROLE");
    masks.measure = maskAt(rights, "MEAS");
    return masks;
}

std::uint64_t EntryRights::nodeMask(const Json::Value& node)
{
    const Json::Value& input = memberOf(node, "INP");
    std::uint64_t mask = 0;
    toMask(input.isObject() ? memberOf(input, "AUT") : memberOf(node, "AUT"), mask);
    return mask;
}

bool EntryRights::mayChange(DeviceTree& tree, const std::string& path, const Json::Value& client, std::string& reason)
{
    const std::uint64_t mask = nodeMask(tree.valueAt(path));
    const Level level = judge(mask, masksOf(client), MeasurementControl::isMeasuring(tree));
    if (level == MayChange)
        return true;
    reason = std::string(level == NoAccess ? "no access" : "read-only") + " for the user (" + path + " mask "
             + std::to_string(mask) + ")";
    return false;
}

bool EntryRights::mayWrite(DeviceTree& tree, const std::string& path, const Json::Value& client, std::string& reason)
{
    if (path.size() <= valueSuffix.size()
        || path.compare(path.size() - valueSuffix.size(), valueSuffix.size(), valueSuffix) != 0)
        return true;
    const std::string entry = path.substr(0, path.size() - valueSuffix.size());
    std::uint64_t mask = 0;
    if (!toMask(memberAt(tree.valueAt(entry), {"INP", "AUT"}), mask))
        return true;
    const Level level = judge(mask, masksOf(client), MeasurementControl::isMeasuring(tree));
    if (level == MayChange)
        return true;
    reason = std::string(level == NoAccess ? "no access" : "read-only") + " for the user (\"INP\".\"AUT\" "
             + std::to_string(mask) + ")";
    return false;
}

} // namespace devicesim
