#pragma once

#include <json/json.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace devicesim {

// The web-service requests the simulator received, oldest first, for tests
// that check exact URLs, bodies and their order.
class RequestLog
{
public:
    struct Entry
    {
        std::int64_t timeMs = 0;   // arrival, ms since the epoch
        std::string method;        // "GET", "POST"
        std::string path;          // "/webservice/config"
        std::string query;         // raw query text, "TOKN=...&REQID=-1"
        std::string body;          // raw body
    };

    explicit RequestLog(std::size_t capacity = 10000);

    void record(Entry entry);
    void clear();
    // [{"time","method","path","query","body"}, ...]
    Json::Value toJson() const;

private:
    mutable std::mutex mutex;
    std::deque<Entry> entries;
    std::size_t capacity;
};

} // namespace devicesim
