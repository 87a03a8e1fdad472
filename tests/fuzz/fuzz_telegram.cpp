// Fuzz target: an arbitrary telegram applied to a fixed mirror.
//
// An input that is a JSON object is the telegram itself. Anything else is read
// as lines, so that plain bytes still reach the telegram code:
//   "S<path>=<json>"  a "SET" element (a value that is not JSON becomes a string)
//   "S<path>"         a "SET" element without "VAL"
//   "D<mode><path>"   a "DEL" element; <mode> is an optional digit
//   anything else     a "SET" element whose path is the whole line, value its length
//
// Properties:
// - every record holds instruction 3 (in the "DEL" list) or 2 (in "SET"),
//   deletes first, and a result from 0 to 3;
// - a path whose first part is not "$" is never recorded as applied; a record
//   of 2 belongs to a "SET" element without "VAL";
// - with well-formed lists (each an object whose "VAL" is an array) a
//   successful telegram gives one record per element, in order, with the
//   element's path; a failed one no more records than elements;
// - afterwards the document's text is the text of its tree (the cache was
//   dropped), and that text reads back into an equal tree.

#include "FuzzSupport.h"

#include "json/MasterJSON.h"
#include "json/TelegramResult.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

using KORVALIS::HighLevelCommunication::MasterJSON;
using KORVALIS::JSON::TelegramResult;
using namespace fuzzsupport;

namespace {

const char* const mirrorText = R"json({
  "DATA": {
    "CH": [
      {"ID": 0, "NAME": "Channel 0", "EN": true,
       "MVTB": [
         {"ID": 1, "MW": 12.5, "VAL": 3, "DIM": "mV", "AUT": 3,
          "INP": {"MODE": 1, "MIN": -100.0, "MAX": 100.0, "DG": 4, "DP": 2}},
         {"ID": 2, "MW": null, "VAL": "high", "DIM": "bar", "AUT": 1, "INP": null}
       ]},
      {"ID": 1, "NAME": "Channel 1", "EN": false, "MVTB": []},
      null
    ],
    "MEM": [[0, 1.5], [1, 2.5]]
  },
  "USMG": {"USLI": [{"ID": 1, "NAME": "admin", "AUT": -1}, {"ID": 2, "NAME": "user2", "AUT": 5}]},
  "SERV": {"FCT": {"STST": {"VAL": 0}}},
  "L": [10, 20, 30],
  "ONE": [null],
  "NUM": 5,
  "TXT": "text",
  "NUL": null,
  "*": {"x": 1}
})json";

const Json::Value& mirrorTree()
{
    static const Json::Value tree = fixedTree(mirrorText);
    return tree;
}

Json::Value element(const std::string& path)
{
    Json::Value e(Json::objectValue);
    e["DEST"]["PATH"] = path;
    return e;
}

Json::Value telegramFromLines(const std::string& input)
{
    Json::Value telegram(Json::objectValue);
    Json::Value& dels = telegram["INST"]["DEL"]["VAL"] = Json::Value(Json::arrayValue);
    Json::Value& sets = telegram["INST"]["SET"]["VAL"] = Json::Value(Json::arrayValue);

    std::istringstream lines(input);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            continue;
        if (line[0] == 'S') {
            const std::size_t eq = line.find('=');
            Json::Value e = element(line.substr(1, eq == std::string::npos ? eq : eq - 1));
            if (eq != std::string::npos) {
                const std::string valueText = line.substr(eq + 1);
                if (!readWithJsoncpp(valueText, e["VAL"]))
                    e["VAL"] = valueText;
            }
            sets.append(e);
        } else if (line[0] == 'D') {
            const bool moded = line.size() > 1 && line[1] >= '0' && line[1] <= '9';
            Json::Value e = element(line.substr(moded ? 2 : 1));
            if (moded)
                e["MODE"] = line[1] - '0';
            dels.append(e);
        } else {
            Json::Value e = element(line);
            e["VAL"] = static_cast<Json::Int64>(line.size());   // as the reader would give it
            sets.append(e);
        }
    }
    return telegram;
}

// The "DEL" or "SET" list: element count when it is well-formed (null, or an
// object whose "VAL" is an array or null), -1 otherwise.
int listSize(const Json::Value& inst, const char* key)
{
    const Json::Value& list = inst.isObject() ? inst[key] : Json::Value::nullSingleton();
    if (list.isNull() || (list.isObject() && list["VAL"].isNull()))
        return 0;
    return list.isObject() && list["VAL"].isArray() ? static_cast<int>(list["VAL"].size()) : -1;
}

bool hasPathText(const Json::Value& e) { return e.isObject() && e["DEST"].isObject() && e["DEST"]["PATH"].isString(); }

bool firstPartIsRoot(const std::string& path) { return path.substr(0, path.find('.')) == "$"; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    Json::Value telegram;
    if (!readWithJsoncpp(input, telegram) || !telegram.isObject())
        telegram = telegramFromLines(input);
    const Json::Value sent = telegram;   // applyTelegram may add members to its argument

    static MasterJSON mirror;
    mirror.setJSON(mirrorTree());
    (void)mirror.toString();   // a cached text that the telegram must drop

    std::vector<TelegramResult> results;
    const bool ok = mirror.applyTelegram(telegram, mirror.getJSON(), &results);

    const Json::Value& inst = sent.isObject() && sent.isMember("INST") ? sent["INST"] : Json::Value::nullSingleton();
    const int dels = listSize(inst, "DEL");
    const int sets = listSize(inst, "SET");

    bool setsStarted = false;
    for (const TelegramResult& r : results) {
        require(r.instruction == TelegramResult::Delete || r.instruction == TelegramResult::Set,
                "record with an unknown instruction", input);
        require(r.result >= 0 && r.result <= 3, "record with an unknown result", input);
        if (r.instruction == TelegramResult::Set)
            setsStarted = true;
        require(!(setsStarted && r.instruction == TelegramResult::Delete), "delete recorded after a set", input);
        if (!firstPartIsRoot(r.path))
            require(r.result == TelegramResult::BadPath || r.result == TelegramResult::ElementFailed,
                    "path without root recorded as applied", input + "\n" + r.path);
    }

    if (dels >= 0 && sets >= 0) {
        const std::size_t total = static_cast<std::size_t>(dels) + static_cast<std::size_t>(sets);
        if (ok)
            require(results.size() == total, "not one record per element", input);
        else
            require(results.size() <= total, "more records than elements", input);

        for (std::size_t i = 0; i < results.size(); ++i) {
            const bool isDelete = i < static_cast<std::size_t>(dels);
            const Json::Value& e = isDelete ? inst["DEL"]["VAL"][static_cast<Json::ArrayIndex>(i)]
                                            : inst["SET"]["VAL"][static_cast<Json::ArrayIndex>(i - dels)];
            const TelegramResult& r = results[i];
            require(r.instruction == (isDelete ? TelegramResult::Delete : TelegramResult::Set),
                    "record out of order", input);
            if (hasPathText(e))
                require(r.path == e["DEST"]["PATH"].asString(), "record path differs from the element's", input + "\n" + r.path);
            if (r.result == TelegramResult::SetWithoutValue)
                require(!isDelete && e.isObject() && !e.isMember("VAL"), "value reported missing but present", input);
        }
    }

    const Json::Value after = mirror.snapshot();
    const std::string text = mirror.toString();
    require(!text.empty(), "empty text after a telegram", input);
    require(text == compactText(after), "stale cached text after a telegram", input);
    if (survivesRoundTrip(after) && depthOf(after) < 900) {
        Json::Value reread;
        require(readWithJsoncpp(text, reread), "text after a telegram does not read back", text);
        require(reread == after, "text after a telegram reads back differently", text);
    }
    return 0;
}
