#include "MirrorDocument.h"

#include <map>
#include <memory>
#include <mutex>

namespace tevarobench {

KORVALIS::JSON::JSONObject& mirrorDocument(MirrorSize size)
{
    static std::mutex mutex;
    static std::map<MirrorSize, std::unique_ptr<KORVALIS::JSON::JSONObject>> documents;
    const Json::Value& tree = mirror(size);
    std::lock_guard<std::mutex> guard(mutex);
    std::unique_ptr<KORVALIS::JSON::JSONObject>& doc = documents[size];
    if (!doc)
        doc = std::make_unique<KORVALIS::JSON::JSONObject>(tree);
    return *doc;
}

} // namespace tevarobench
