#pragma once

// The synthetic mirrors as library documents, built once per process.

#include "SyntheticMirror.h"

#include "json/JSONObject.h"

namespace tevarobench {

// A JSONObject holding mirror(size). Benchmarks only query it.
KORVALIS::JSON::JSONObject& mirrorDocument(MirrorSize size);

} // namespace tevarobench
