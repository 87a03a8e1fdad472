#pragma once

#include "json/JSONObject.h"
#include "json/TelegramResult.h"

#include <json/json.h>

#include <string>
#include <vector>

namespace devicesim {

// The instrument's whole JSON tree, kept in the project's JSON document.
// Not locked: DeviceState serialises every access.
class DeviceTree
{
public:
    struct Hit
    {
        std::string path;   // concrete dotted path, "$.A[0].B"
        Json::Value value;
    };

    bool load(const std::string& fileName, std::string* error);
    void setRoot(const Json::Value& root);
    Json::Value snapshot() const;

    // JSONPath read. Hits are the nodes that exist (an index past the end of
    // an array is no hit). False when the expression cannot be evaluated.
    bool find(const std::string& jsonPath, std::vector<Hit>& hits);

    // The node at a dotted path; null and exists false when a part is missing.
    Json::Value valueAt(const std::string& dottedPath, bool* exists = nullptr) const;

    // The path with every index part ("[3]", "[*]", "[($.CLNT.IDX.DEV)]")
    // written "[*]": "$.DATA.MK[3].X" -> "$.DATA.MK[*].X".
    static std::string patternOf(const std::string& path);

    // Applies the DEL and SET lists of a telegram as one step: when the
    // telegram fails part-way the tree stays as it was.
    bool apply(const Json::Value& telegram, std::vector<KORVALIS::JSON::TelegramResult>* results = nullptr);

private:
    KORVALIS::JSON::JSONObject document;
};

} // namespace devicesim
