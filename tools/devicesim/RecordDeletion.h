#pragma once

#include "ChartRecorder.h"
#include "CommandGuard.h"
#include "DeviceState.h"
#include "MemoryUsage.h"
#include "TelegramProcessor.h"

#include <json/json.h>

#include <cstdint>
#include <vector>

namespace devicesim {

// Deletes records of a list by id: a DEL element whose value names ids,
// {"ID": 7}, {"ID": "12,13"} or {"ID": [12, 13]}, at a list of objects with
// "ID" ($.MEM.MTAB, $.EXP.MTAB; users are UserAdministration's). The
// remaining list goes out as a DEL and a SET of the whole list in one telegram.
// - Recordings ($.MEM.MTAB) are deleted at "measure" by users who may change
//   $.MEM.INP; their memory is freed (leaf SETs of SF, SFP and TRE follow in
//   the same telegram) and their chart data forgotten.
// - Exported files ($.EXP.MTAB) are deleted at "export" by users who may
//   change $.EXP.INP; their destinations get the space back (leaf SETs of
//   $.EXP.DEST[k].SIZE.VAL in the same telegram).
// Refusals of those two go through the CommandGuard.
class RecordDeletion
{
public:
    RecordDeletion(ChartRecorder& recorder, const MemoryUsage& memory, CommandGuard& guard);

    void run(DeviceState::Access& device, const Json::Value& element, const TelegramProcessor::Context& context);

    // The ids a value names; false when it names none.
    static bool idsOf(const Json::Value& value, std::vector<std::int64_t>& ids);

private:
    // Adds the destinations' regained space to telegram (and the tree).
    static void returnSpace(DeviceTree& tree, const Json::Value& removed, TelegramBuilder& telegram);

    ChartRecorder& recorder;
    const MemoryUsage& memory;
    CommandGuard& guard;
};

} // namespace devicesim
