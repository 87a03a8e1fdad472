// Fuzz target: a JSONPath query with an arbitrary expression on a fixed,
// device-shaped document.
//
// Properties:
// - asking for paths or not changes neither the verdict nor the hits;
// - a successful query gives one path per hit; a failed one leaves the values as they were;
// - a query never changes the document;
// - a plain concrete path (names of letters, digits and underscores, indices)
//   leads back to exactly its own hit.

#include "FuzzSupport.h"

#include "json/JSONObject.h"

#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

using KORVALIS::JSON::JSONObject;
using namespace fuzzsupport;

namespace {

// Small but with every kind of node the device sends, and with member names
// that look like path syntax.
const char* const documentText = R"json({
  "IPTH": ["$.DATA.CH", "$.USMG.USLI", "$.SERV.FCT.STST.VAL"],
  "DATA": {
    "CH": [
      {"ID": 0, "NAME": "Channel 0", "EN": true, "AUT": 4095,
       "MVTB": [
         {"ID": 1, "MW": 12.5, "VAL": 3, "DIM": "mV", "AUT": 3,
          "INP": {"MODE": 1, "MIN": -100.0, "MAX": 100.0, "DG": 4, "DP": 2}},
         {"ID": 2, "MW": -0.25, "VAL": "high", "DIM": "bar", "AUT": 1,
          "INP": {"MODE": 0, "MIN": 0, "MAX": 10, "DG": 3, "DP": 1}},
         {"ID": 3, "MW": null, "VAL": null, "DIM": "", "AUT": 0, "INP": null}
       ]},
      {"ID": 1, "NAME": "Channel 1", "EN": false, "AUT": 0,
       "MVTB": [
         {"ID": 4, "MW": 1e3, "VAL": [1, 2, 3], "DIM": "°C", "AUT": 7,
          "INP": {"MODE": 2, "MIN": -40, "MAX": 150, "DG": 5, "DP": 3}}
       ]},
      null
    ],
    "MEM": [[0, 1.5], [1, 2.5], [2, null]]
  },
  "USMG": {
    "USLI": [
      {"ID": 1, "NAME": "admin", "AUT": -1, "LANG": "de", "DACT": false},
      {"ID": 2, "NAME": "User500", "AUT": 18446744073709551615, "LANG": "en", "DACT": true},
      {"ID": 3, "NAME": "Müller", "AUT": 3, "LANG": "de", "DACT": false},
      {"ID": 4, "AUT": 0},
      "not a user",
      null
    ],
    "CNT": 6
  },
  "SERV": {"FCT": {"STST": {"VAL": 0}}},
  "*": {"*": 1, "ID": 5},
  "..": [".."],
  "a;b": {"c": true},
  "[x]": {"?(@)": 1},
  "x y": "blank",
  "0": "digit name",
  "": "empty name",
  "length": 2,
  "L": [10, 20, 30, 40],
  "NUL": null,
  "T": true,
  "F": false,
  "S": "text with ; and ] and $",
  "BIG": 9223372036854775807,
  "NEG": -9223372036854775808
})json";

JSONObject& document()
{
    static JSONObject* doc = [] {
        std::string text = documentText;
        auto* d = new JSONObject();
        if (!d->parse(text))
            fail("fixed document does not parse");
        return d;
    }();
    return *doc;
}

// "$" followed by ".NAME" parts with optional "[n]" indices, names of letters,
// digits and underscores only: such a path means the same node when queried.
// Hit paths of the small fixed document are short, so the regex stays cheap.
bool isPlainPath(const std::string& path)
{
    static const std::regex plain(R"(\$(\.\w+(\[\d{1,9}\])*)+)");
    return std::regex_match(path, plain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string expression(reinterpret_cast<const char*>(data), size);
    JSONObject& doc = document();
    static const Json::Value original = doc.snapshot();

    const Json::Value sentinel("sentinel");
    std::vector<Json::Value> values{sentinel};
    std::vector<std::string> paths;
    const bool ok = doc.query(expression, values, &paths);

    std::vector<Json::Value> valuesOnly;
    const bool okWithoutPaths = doc.query(expression, valuesOnly);

    require(doc.snapshot() == original, "query changed the document", expression);
    require(ok == okWithoutPaths, "verdict depends on asking for paths", expression);
    require(!values.empty() && values.front() == sentinel, "query dropped earlier values", expression);

    if (!ok) {
        require(values.size() == 1 && valuesOnly.empty(), "failed query appended values", expression);
        return 0;
    }

    const std::size_t hits = values.size() - 1;
    require(paths.size() == hits, "path count differs from hit count",
            expression + "\nhits " + std::to_string(hits) + ", paths " + std::to_string(paths.size()));
    require(valuesOnly.size() == hits, "hit count depends on asking for paths", expression);
    for (std::size_t i = 0; i < hits; ++i)
        require(valuesOnly[i] == values[i + 1], "hits depend on asking for paths", expression);

    // The first few plain paths only: checking them all would make a query
    // with many hits look like a hang.
    std::size_t checked = 0;
    for (std::size_t i = 0; i < hits && checked < 32; ++i) {
        if (!isPlainPath(paths[i]))
            continue;
        ++checked;
        std::vector<Json::Value> back;
        std::vector<std::string> backPaths;
        require(doc.query(paths[i], back, &backPaths), "concrete path fails", expression + "\n" + paths[i]);
        require(back.size() == 1 && back[0] == values[i + 1] && backPaths.size() == 1
                    && backPaths[0] == paths[i],
                "concrete path does not lead back to its hit", expression + "\n" + paths[i]);
    }
    return 0;
}
