#pragma once

#include "DeviceState.h"

#include <json/json.h>

#include <cstdint>
#include <mutex>
#include <string>

namespace devicesim {

// Messages of the device to the operator ("INST"."SET"."MSG") and the
// operator's answers. Message ids start above 2^31, as a real device's may.
class DeviceMessages
{
public:
    // Fills what a message lacks: "MID", "MUID", "MTYP" (1, a dialog), a
    // German "MSG" text and an "Ok" button that answers 1.
    Json::Value complete(const Json::Value& message);

    // Sends messages (an object or an array of them) through the change log;
    // as given when raw, else completed. Returns the messages sent.
    Json::Value raise(DeviceState::Access& device, const Json::Value& messages, bool raw);
    // Keeps messages for the answer to the next successful login instead.
    Json::Value raiseAtLogin(const Json::Value& messages, bool raw);
    // Messages waiting for the next login; empty array when none.
    Json::Value takeLoginMessages();

    // An answer element {"USER","MID","MUID","MTYP","VAL"} from a client.
    void recordAnswer(const Json::Value& answer, const std::string& user);
    Json::Value answers() const;   // every answer so far, oldest first

private:
    Json::Value prepare(const Json::Value& messages, bool raw);

    mutable std::mutex mutex;
    std::int64_t nextMid = (std::int64_t(1) << 31) + 1;
    std::int64_t nextMuid = 7001;
    Json::Value loginMessages = Json::Value(Json::arrayValue);
    Json::Value answerList = Json::Value(Json::arrayValue);
};

} // namespace devicesim
