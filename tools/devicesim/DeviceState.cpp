#include "DeviceState.h"

#include "JsonText.h"
#include "SecretMask.h"

#include <QtGlobal>

namespace devicesim {

DeviceState::DeviceState(std::int64_t startId) : log(startId)
{
}

DeviceState::Access DeviceState::lock()
{
    return Access(this);
}

DeviceState::Access::Access(DeviceState* state) : guard(state->mutex), state(state)
{
}

std::int64_t DeviceState::Access::publish(const Json::Value& telegram, const std::string& recipient)
{
    return state->log.append(telegram, recipient);
}

std::int64_t DeviceState::Access::applyAndPublish(const Json::Value& telegram)
{
    if (!state->tree.apply(telegram)) {
        qWarning("Telegram could not be applied to the device tree, not sent: %s",
                 SecretMask::logText(telegram).c_str());
        return -1;
    }
    return publish(telegram);
}

} // namespace devicesim
