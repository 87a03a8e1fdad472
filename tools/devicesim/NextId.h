#pragma once

#include <json/json.h>

#include <cstdint>

namespace devicesim {

// The id a new element of a list gets: one above the highest integer "ID" of
// its elements and above lowest (0 when the list holds none). False when no
// id is left above, as a client may write the largest one into the tree.
bool nextId(const Json::Value& list, std::int64_t lowest, std::int64_t& id);

} // namespace devicesim
