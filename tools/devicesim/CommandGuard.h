#pragma once

#include "DeviceMessages.h"
#include "DeviceState.h"
#include "TelegramProcessor.h"

#include <string>

namespace devicesim {

// Who may run a device command that changes stored data, and how the device
// says no: a refused command leaves the tree as it is, logs why and tells the
// sender in the status bar (a device message of type 0, in German).
class CommandGuard
{
public:
    explicit CommandGuard(DeviceMessages& messages);

    // True when the command came to endpoint and the sender may change the
    // node at rightsPath (its "INP"."AUT" or "AUT"); refuses it otherwise.
    bool admit(DeviceState::Access& device, const TelegramProcessor::Context& context, const std::string& endpoint,
               const std::string& rightsPath, const std::string& what);

    // Refuses a command: a log line "<what> refused: <reason>" and the status-bar text.
    void refuse(DeviceState::Access& device, const std::string& what, const std::string& reason, int textId,
                const std::string& germanText);

    // Status-bar texts of refusals (ids the client's language files do not know).
    static constexpr int notAllowedId = 20950;       // "Keine Berechtigung für diese Aktion."
    static constexpr int badRequestId = 20951;       // "Die Anfrage wurde vom Gerät abgelehnt."
    static constexpr int busyId = 20952;             // "Es läuft bereits ein Export."
    static constexpr int unknownId = 20953;          // "Messung oder Exportziel nicht gefunden."
    static constexpr int noSpaceId = 20954;          // "Nicht genügend Speicherplatz am Exportziel."
    static constexpr int badValueId = 20955;         // "Ungültiger Wert, nicht übernommen."
    static constexpr int outOfRangeId = 20956;       // "Wert außerhalb des zulässigen Bereichs (…), nicht übernommen."

private:
    DeviceMessages& messages;
};

} // namespace devicesim
