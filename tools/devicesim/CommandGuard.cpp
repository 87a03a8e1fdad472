#include "CommandGuard.h"

#include "EntryRights.h"

#include <QtGlobal>

namespace devicesim {

CommandGuard::CommandGuard(DeviceMessages& messages) : messages(messages)
{
}

bool CommandGuard::admit(DeviceState::Access& device, const TelegramProcessor::Context& context,
                         const std::string& endpoint, const std::string& rightsPath, const std::string& what)
{
    if (context.endpoint != endpoint) {
        refuse(device, what, "sent to \"" + context.endpoint + "\" instead of \"" + endpoint + "\"", badRequestId,
               "Die Anfrage wurde vom Gerät abgelehnt.");
        return false;
    }
    std::string reason;
    if (!EntryRights::mayChange(device.tree(), rightsPath, context.client, reason)) {
        refuse(device, what + " by \"" + context.user + "\"", reason, notAllowedId,
               "Keine Berechtigung für diese Aktion.");
        return false;
    }
    return true;
}

void CommandGuard::refuse(DeviceState::Access& device, const std::string& what, const std::string& reason,
                          int textId, const std::string& germanText)
{
    qInfo("%s refused: %s", what.c_str(), reason.c_str());
    Json::Value message(Json::objectValue);
    message["MTYP"] = 0;
    message["MSG"]["ID"] = textId;
    message["MSG"]["T"] = germanText;
    messages.raise(device, message, false);
}

} // namespace devicesim
