#pragma once

#include "ChangeLog.h"
#include "DeviceTree.h"

#include <json/json.h>

#include <cstdint>
#include <mutex>
#include <vector>

namespace devicesim {

// The device's tree and its change log behind one lock, so that the order
// of the change log is the order in which the tree changed.
//
//     auto device = state.lock();
//     device.tree().find("$.DATA.MK[*]", hits);
//     device.applyAndPublish(telegram);
class DeviceState
{
public:
    explicit DeviceState(std::int64_t startId = 0);

    // Exclusive access while it lives.
    class Access
    {
    public:
        DeviceTree& tree() { return state->tree; }
        ChangeLog& log() { return state->log; }

        // Sends a telegram to every client (or to the client with the
        // recipient's token alone) without touching the tree.
        std::int64_t publish(const Json::Value& telegram, const std::string& recipient = std::string());
        // Applies a telegram to the tree and, when that worked, sends it.
        // Returns the change id, or -1 when the telegram could not be applied.
        std::int64_t applyAndPublish(const Json::Value& telegram);

    private:
        friend class DeviceState;
        explicit Access(DeviceState* state);
        std::unique_lock<std::mutex> guard;
        DeviceState* state;
    };

    Access lock();

private:
    std::mutex mutex;
    DeviceTree tree;
    ChangeLog log;
};

} // namespace devicesim
