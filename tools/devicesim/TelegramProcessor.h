#pragma once

#include "AnswerStyle.h"
#include "DeviceMessages.h"
#include "DeviceState.h"
#include "TelegramBuilder.h"

#include <json/json.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace devicesim {

// Carries out the telegrams clients POST to the device ("INST" with "DEL",
// "SET", "GET" and "MSG" lists). Everything the device answers goes out
// through the change log, so clients see it in a later data answer:
// - DEL and SET elements change the tree; the applied ones are sent back in
//   one telegram at their exact paths (deletes before sets; writes to the
//   "config" endpoint as the AnswerStyle says). A SET whose value the input
//   check (InputLimits: the limits and pattern of its entry and of the table
//   columns naming it, no null over a setting) refuses is not applied: the
//   node's current value is echoed in its place, so the writer lets its
//   cell go at once, and the status bar says why (the range for a limit).
//   A refused path that holds no node gets only the status-bar text. A SET
//   that would turn an object node into a scalar gets the status-bar text
//   alone; a "config" write of an entry the user may not change
//   (EntryRights) is neither applied nor answered.
// - GET elements are reads: one SET per hit, at the hit's concrete path, in
//   a telegram for the asking client alone (a wildcard read without hits as
//   the AnswerStyle says). The tree's "$.CLNT" is the asking client's login
//   node while its telegram is carried out.
// - MSG elements are answers to device messages; they are recorded.
// - An element whose path still holds an unsolved "($.CLNT" placeholder is
//   ignored: such a read gets nothing.
// - A gate may refuse every telegram sent to its endpoint; protected parts of
//   the tree (the clients' own "$.CLNT", the user list) take no plain SET or
//   DEL at, below or above them. Refusals are logged and change nothing.
// Device functions plug in as commands (they take an element instead of the
// plain write or read), functions (they follow an applied SET, and their
// changes go out in the same telegram as its echo) and reactions (they run
// after a SET was applied and send telegrams of their own).
class TelegramProcessor
{
public:
    enum class Kind { Get, Delete, Set };

    struct Context
    {
        std::string endpoint;   // "config", "measure", ...
        std::string user;       // the logged-in user who sent it
        std::string token;      // of the sending client
        Json::Value client;     // its login node "CLNT"
    };

    // Writes as (exact path, value), in order.
    using Writes = std::vector<std::pair<std::string, Json::Value>>;

    using Command = std::function<void(DeviceState::Access& device, const Json::Value& element, const Context& context)>;
    using Reaction = std::function<void(DeviceState::Access& device, const Json::Value& value, const Context& context)>;
    // Runs after a SET at path was applied (previous: the node before it) and
    // adds the device's own changes to changes.
    using Function = std::function<void(DeviceTree& tree, const std::string& path, const Json::Value& previous,
                                        const Json::Value& value, Writes& changes)>;
    // True when a telegram may be carried out; a refusing gate logs why.
    using Gate = std::function<bool(DeviceState::Access& device, const Context& context)>;

    TelegramProcessor(DeviceState& state, DeviceMessages& messages, const AnswerStyle& style);

    // A command for the elements of one kind at exactly path. GET and DEL
    // elements reach a command only when they carry a value ("VAL" not null,
    // not empty); an empty path registers the command for such elements at
    // any path without a command of their own.
    void addCommand(Kind kind, const std::string& path, Command command);
    // A reaction to every applied SET at exactly path.
    void addReaction(const std::string& path, Reaction reaction);
    // A function for every applied SET at a path of the pattern, in which "[*]"
    // stands for any index ("$.DATA.MK[*].FCT.CLMX.VAL"). Its changes are
    // applied at once and sent, at their exact paths, in the telegram that
    // echoes the write, right after the write's echo.
    void addFunction(const std::string& pattern, Function function);
    // SETs at or below an element of the list at path that does not exist
    // ("$.DATA.MK" refuses "$.DATA.MK[40].FCT.CLMX.VAL") are refused.
    void addFixedList(const std::string& path);
    // Telegrams to endpoint are carried out only when the gate lets them through.
    void addGate(const std::string& endpoint, Gate gate);
    // SETs and DELs at, below or above path that no command takes are refused
    // with reason ("$.CLNT" refuses "$.CLNT.IDX.DEV").
    void addProtectedPath(const std::string& path, const std::string& reason);

    void process(const Json::Value& telegram, const Context& context);

private:
    struct Write
    {
        std::string path;
        Json::Value value;
        bool byClient = true;   // else a function's change
        bool refused = false;   // a refused client write: value is the node's current one
    };
    // What became of a SET: applied, refused without a word (no right, a
    // protected or missing node), or refused for its value.
    enum class Outcome { Applied, Refused, ValueRefused };

    const Command* commandFor(Kind kind, const Json::Value& element) const;
    void deleteNode(DeviceState::Access& device, const std::string& path, const Json::Value& element,
                    TelegramBuilder& echo);
    // Applies the element's value (after the input check, in value); a value
    // refusal has gone to the status bar.
    Outcome writeNode(DeviceState::Access& device, const std::string& path, const Json::Value& element,
                      const Context& context, Json::Value& value);
    // True when the sender may write at path at all: neither protected nor
    // below a missing element, and within its rights at "config"; logs why not.
    bool mayWriteAt(DeviceState::Access& device, const std::string& path, const Context& context) const;
    // Answers a value refusal: the node's current value goes to written, to be
    // echoed like a write; nothing when there is no node at path.
    void echoCurrentValue(DeviceState::Access& device, const std::string& path, std::vector<Write>& written) const;
    // Runs the functions of an applied write; their changes, applied, go to written.
    void runFunctions(DeviceState::Access& device, const std::string& path, const Json::Value& previous,
                      const Json::Value& value, std::vector<Write>& written);
    // True when path lies at or below an element of a fixed list that does not exist.
    bool belowMissingElement(DeviceState::Access& device, const std::string& path) const;
    // The reason why path is protected; nullptr when it is not.
    const std::string* protectionOf(const std::string& path) const;
    // Adds the echo of the writes, applied and refused, to echo.
    void echoWrites(DeviceState::Access& device, const std::vector<Write>& written, const Context& context,
                    TelegramBuilder& echo) const;
    void answerReads(DeviceState::Access& device, const Json::Value& elements, const Context& context);
    // The answer to a read without hits: nothing, or its container (AnswerStyle).
    void answerEmptyRead(DeviceState::Access& device, const std::string& path, TelegramBuilder& answer) const;

    DeviceState& state;
    DeviceMessages& messages;
    const AnswerStyle& style;
    std::map<std::pair<Kind, std::string>, Command> commands;
    std::multimap<std::string, Reaction> reactions;
    std::multimap<std::string, Function> functions;   // by pattern
    std::vector<std::string> fixedLists;
    std::map<std::string, Gate> gates;                        // by endpoint
    std::vector<std::pair<std::string, std::string>> protectedPaths;   // (path, reason)
};

} // namespace devicesim
