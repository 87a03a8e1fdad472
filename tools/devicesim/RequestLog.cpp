#include "RequestLog.h"

namespace devicesim {

RequestLog::RequestLog(std::size_t capacity) : capacity(capacity == 0 ? 1 : capacity)
{
}

void RequestLog::record(Entry entry)
{
    std::lock_guard<std::mutex> guard(mutex);
    entries.push_back(std::move(entry));
    while (entries.size() > capacity)
        entries.pop_front();
}

void RequestLog::clear()
{
    std::lock_guard<std::mutex> guard(mutex);
    entries.clear();
}

Json::Value RequestLog::toJson() const
{
    std::lock_guard<std::mutex> guard(mutex);
    Json::Value list(Json::arrayValue);
    for (const Entry& entry : entries) {
        Json::Value item(Json::objectValue);
        item["time"] = Json::Int64(entry.timeMs);
        item["method"] = entry.method;
        item["path"] = entry.path;
        item["query"] = entry.query;
        item["body"] = entry.body;
        list.append(item);
    }
    return list;
}

} // namespace devicesim
