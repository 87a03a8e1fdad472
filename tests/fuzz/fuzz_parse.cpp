// Fuzz target: a document parsed from arbitrary text.
//
// Properties:
// - a text that fails to parse leaves the document's tree and text as they were;
// - a text that parses gives an object, and the cached text is the text of the tree;
// - the document's own text parses again, into an equal tree (when every string
//   is UTF-8 that jsoncpp's writer reproduces; it rewrites anything else).

#include "FuzzSupport.h"

#include "json/JSONObject.h"

#include <cstddef>
#include <cstdint>
#include <string>

using KORVALIS::JSON::JSONObject;
using namespace fuzzsupport;

namespace {

const Json::Value& previousTree()
{
    static const Json::Value tree = fixedTree(R"({"KEEP":[1,"x",null],"NAME":"before"})");
    return tree;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    JSONObject doc(previousTree());
    const std::string before = doc.toString();

    std::string text = input;
    const bool parsed = doc.parse(text);

    if (!parsed) {
        require(doc.snapshot() == previousTree(), "failed parse changed the tree", input);
        require(doc.toString() == before, "failed parse changed the text", input);
        return 0;
    }

    require(doc.getType() == Json::objectValue, "parsed document is not an object", input);
    const Json::Value first = doc.snapshot();
    const std::string written = doc.toString();
    require(written == compactText(first), "cached text differs from the tree", input);
    require(doc.toString() == written, "second toString differs", input);

    JSONObject again;
    std::string copy = written;
    const bool reparsed = again.parse(copy);
    // jsoncpp's writer rewrites text that is not strict UTF-8 (even into text
    // its reader refuses), so only strict UTF-8 trees are held to a round trip.
    if (!survivesRoundTrip(first))
        return 0;
    require(reparsed, "own output does not parse", written);
    require(again.snapshot() == first, "own output parses into a different tree",
            written + "\n--- reparsed as ---\n" + again.toString());
    return 0;
}
