#pragma once

#include "DeviceState.h"

#include <json/json.h>

namespace devicesim {

// Deletes records of a list by id: a DEL element whose value names ids,
// {"ID": 7}, {"ID": "12,13"} or {"ID": [12, 13]}, at a list of objects with
// "ID" ($.MEM.MTAB, $.EXP.MTAB, $.USMG.USLI). The remaining list goes out as
// a DEL and a SET of the whole list in one telegram.
class RecordDeletion
{
public:
    void run(DeviceState::Access& device, const Json::Value& element);

    // The ids a value names; false when it names none.
    static bool idsOf(const Json::Value& value, std::vector<std::int64_t>& ids);
};

} // namespace devicesim
