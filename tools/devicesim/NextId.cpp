#include "NextId.h"

#include "JsonText.h"

#include <algorithm>
#include <limits>

namespace devicesim {

bool nextId(const Json::Value& list, std::int64_t lowest, std::int64_t& id)
{
    std::int64_t highest = std::max<std::int64_t>(0, lowest);
    if (list.isArray()) {
        for (const Json::Value& element : list) {
            const Json::Value& elementId = memberOf(element, "ID");
            if (elementId.isInt64())
                highest = std::max(highest, elementId.asInt64());
        }
    }
    if (highest == std::numeric_limits<std::int64_t>::max())
        return false;
    id = highest + 1;
    return true;
}

} // namespace devicesim
