#pragma once

#include "ChartRecorder.h"
#include "DeviceState.h"
#include "TelegramProcessor.h"

#include <json/json.h>

#include <cstdint>
#include <string>

namespace devicesim {

// Pages the data of a recording back to the client that asks: the GET
// command at $.MEM.MTAB for elements with a "VAL" (a plain read of the list
// stays a read). A request
//
//     {"MODE":0,"DEST":{"PATH":"$.MEM.MTAB"},"VAL":{"DIRC":0|1,"ID":12,"LOW":<ms>,"UP":<ms>}}
//
// is answered, to the asking client alone, with chart blocks of that
// recording's samples within [LOW, UP]: "SRC" 2, "FILE" the recording's
// file name, at most 2000 samples per channel (thinned evenly, first and last
// kept), at most 500 per block, "ATR" 11 on the answer's first block and 12 on
// the others; newest block first with "DIRC" 1, each block's "DU" ascending.
// The running measurement can be paged too, from its "LIMT" on while the
// ring buffer runs. Every window of a telegram gets its own answer; a window
// without samples gets none. {"ID":-1} ends the client's paging: answers go
// out at once, so nothing of it is left to send.
// A request with an unknown id, a non-integer ID, LOW or UP, LOW > UP, DIRC
// not 0 or 1, or a VAL that is not an object is refused with a warning.
class RecordingPager
{
public:
    explicit RecordingPager(ChartRecorder& recorder);

    void run(DeviceState::Access& device, const Json::Value& element, const TelegramProcessor::Context& context);

private:
    struct Window
    {
        std::int64_t id = 0;
        std::int64_t low = 0;
        std::int64_t up = 0;
        bool newestFirst = false;
    };

    // False with a reason when the request is not a window; an end of paging is one with id -1.
    static bool windowOf(const Json::Value& request, Window& window, std::string& reason);
    void answer(DeviceState::Access& device, const ChartSeries& series, const Window& window,
                const std::string& token);

    ChartRecorder& recorder;
};

} // namespace devicesim
