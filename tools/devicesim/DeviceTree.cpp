#include "DeviceTree.h"

#include "JsonText.h"

#include <cctype>
#include <sstream>

namespace devicesim {

bool DeviceTree::load(const std::string& fileName, std::string* error)
{
    Json::Value root;
    if (!readJsonFile(fileName, root, error))
        return false;
    if (!root.isObject()) {
        if (error)
            *error = fileName + ": the device tree must be a JSON object";
        return false;
    }
    setRoot(root);
    return true;
}

void DeviceTree::setRoot(const Json::Value& root)
{
    document.setJSON(root);
}

Json::Value DeviceTree::snapshot() const
{
    return document.snapshot();
}

bool DeviceTree::find(const std::string& jsonPath, std::vector<Hit>& hits)
{
    std::vector<Json::Value> values;
    std::vector<std::string> paths;
    if (!document.query(jsonPath, values, &paths) || values.size() != paths.size())
        return false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool exists = false;
        valueAt(paths[i], &exists);
        if (exists)
            hits.push_back({paths[i], values[i]});
    }
    return true;
}

Json::Value DeviceTree::valueAt(const std::string& dottedPath, bool* exists) const
{
    if (exists)
        *exists = false;
    Json::Value found;
    document.read([&](const Json::Value& root) {
        std::istringstream parts(dottedPath);
        std::string part;
        if (!std::getline(parts, part, '.') || part != "$")
            return;
        const Json::Value* node = &root;
        try {
            while (std::getline(parts, part, '.')) {
                std::string name;
                int index = -1;
                bool indexed = false;
                KORVALIS::JSON::JSONObject::parsePathElement(part, name, index, indexed);
                if (!node->isObject() || !node->isMember(name))
                    return;
                node = &(*node)[name];
                if (indexed && index >= 0) {
                    if (!node->isArray() || static_cast<Json::ArrayIndex>(index) >= node->size())
                        return;
                    node = &(*node)[static_cast<Json::ArrayIndex>(index)];
                }
            }
        } catch (const std::exception&) {   // an index that is not a number
            return;
        }
        found = *node;
        if (exists)
            *exists = true;
    });
    return found;
}

std::string DeviceTree::patternOf(const std::string& path)
{
    std::string pattern;
    std::size_t i = 0;
    while (i < path.size()) {
        if (path[i] == '[') {
            std::size_t end = i + 1;   // at the closing ']' of an index part
            if (end < path.size() && path[end] == '(') {
                end = path.find(")]", end);
                end = end == std::string::npos ? end : end + 1;
            } else {
                while (end < path.size() && std::isdigit(static_cast<unsigned char>(path[end])))
                    ++end;
            }
            if (end > i + 1 && end < path.size() && path[end] == ']') {
                pattern += "[*]";
                i = end + 1;
                continue;
            }
        }
        pattern += path[i++];
    }
    return pattern;
}

bool DeviceTree::apply(const Json::Value& telegram, std::vector<KORVALIS::JSON::TelegramResult>* results)
{
    Json::Value tree = document.snapshot();
    Json::Value work = telegram;   // the document adds missing list members to it
    if (!document.applyTelegram(work, &tree, results))
        return false;
    document.swapJSON(tree);
    return true;
}

} // namespace devicesim
