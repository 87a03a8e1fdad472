#include "ChangeLog.h"

namespace devicesim {

ChangeLog::ChangeLog(std::int64_t startId, std::size_t capacity)
    : lastId(startId), capacity(capacity == 0 ? 1 : capacity)
{
}

std::int64_t ChangeLog::append(const Json::Value& telegram, const std::string& recipient)
{
    entries.push_back({++lastId, telegram, recipient});
    while (entries.size() > capacity)
        entries.pop_front();
    return lastId;
}

std::int64_t ChangeLog::currentId() const
{
    return lastId;
}

bool ChangeLog::newerThan(std::int64_t reqId, const std::string& token, Json::Value& telegrams) const
{
    const std::int64_t oldestAnswerable = entries.empty() ? lastId : entries.front().id - 1;
    if (reqId < oldestAnswerable || reqId > lastId)
        return false;
    // Ids are consecutive, so the first telegram to send sits at a known offset.
    for (auto it = entries.begin() + (reqId - oldestAnswerable); it != entries.end(); ++it) {
        if (it->recipient.empty() || it->recipient == token)
            telegrams.append(it->telegram);
    }
    return true;
}

} // namespace devicesim
