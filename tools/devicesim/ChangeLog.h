#pragma once

#include <json/json.h>

#include <cstdint>
#include <deque>
#include <string>

namespace devicesim {

// Every telegram the device sends, numbered 1, 2, 3, ... above a start id.
// A client asks with the id of the last answer it saw and gets every
// telegram after it that is meant for all clients or for it alone (the
// answer to its read); the oldest telegrams are dropped beyond a capacity.
// Not locked: DeviceState serialises every access.
class ChangeLog
{
public:
    explicit ChangeLog(std::int64_t startId = 0, std::size_t capacity = 20000);

    // The new telegram's id. A recipient (a client's token) keeps it from the other clients.
    std::int64_t append(const Json::Value& telegram, const std::string& recipient = std::string());
    std::int64_t currentId() const;

    // Appends to telegrams every telegram newer than reqId for the client
    // with that token. False (nothing appended) when reqId is not an id this
    // log can answer: -1, an id it never gave, or one whose successors were
    // already dropped.
    bool newerThan(std::int64_t reqId, const std::string& token, Json::Value& telegrams) const;

private:
    struct Entry
    {
        std::int64_t id;
        Json::Value telegram;
        std::string recipient;   // empty: every client
    };

    std::deque<Entry> entries;
    std::int64_t lastId;
    std::size_t capacity;
};

} // namespace devicesim
