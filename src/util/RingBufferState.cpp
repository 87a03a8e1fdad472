#include "util/RingBufferState.h"

#include "util/JSONUtil.h"

#include <json/json.h>

const char* const RING_BUFFER_PATH = "$.MEM.RING";

bool readRingBufferState(JSONUtil* jsonUtil, int& state)
{
    if (!jsonUtil)
        return false;
    Json::Value value;
    jsonUtil->getMasterJSONbyPath(QLatin1String(RING_BUFFER_PATH), value, true);
    if (value.isNull() || !value.isInt())
        return false;
    state = value.asInt();
    return true;
}
