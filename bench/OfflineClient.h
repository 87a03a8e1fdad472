#pragma once

#include <json/json.h>

#include <memory>

class JSONUtil;
class TevaroApp;

namespace tevarobench {

// The program's application object without a session, made in the benchmark's
// own offscreen application; with administrator, it holds the rights a login
// as administrator gives, so workers offer what they offer such a user.
std::unique_ptr<TevaroApp> offlineClient(bool administrator);

// Puts every top-level member of tree into the client's mirror.
void appendTree(JSONUtil* json, const Json::Value& tree);

} // namespace tevarobench
