#include "TelegramProcessor.h"

#include "CommandGuard.h"
#include "EntryRights.h"
#include "InputLimits.h"
#include "JsonText.h"
#include "SecretMask.h"
#include "TelegramBuilder.h"
#include "ValueRefusal.h"

#include <QtGlobal>

#include <algorithm>

namespace devicesim {

namespace {

// The elements of "INST".<list>."VAL"; an empty array when there are none.
Json::Value elementsOf(const Json::Value& inst, const char* list)
{
    const Json::Value& elements = memberAt(inst, {list, "VAL"});
    return elements.isArray() ? elements : Json::Value(Json::arrayValue);
}

// A placeholder the client replaces with a value of its own "$.CLNT" node.
const char* const unsolvedClientPart = "($.CLNT";

bool pathOf(const Json::Value& element, std::string& path)
{
    if (!memberAt(element, {"DEST", "PATH"}).isString()) {
        qWarning("Telegram element without a \"DEST\".\"PATH\" text ignored: %s", SecretMask::logText(element).c_str());
        return false;
    }
    path = element["DEST"]["PATH"].asString();
    if (path.compare(0, 2, "$.") != 0) {
        qWarning("Telegram element with the path \"%s\" ignored: paths begin with \"$.\"", path.c_str());
        return false;
    }
    if (path.find(unsolvedClientPart) != std::string::npos) {
        qInfo("Telegram element with the path \"%s\" ignored: its \"%s\" part was not solved by the client",
              path.c_str(), unsolvedClientPart);
        return false;
    }
    return true;
}

// True when path is inner itself or lies below it ("$.A.B" and "$.A[0]" below "$.A").
bool isAtOrBelow(const std::string& path, const std::string& inner)
{
    return path.compare(0, inner.size(), inner) == 0
        && (path.size() == inner.size() || path[inner.size()] == '.' || path[inner.size()] == '[');
}

bool carriesValue(const Json::Value& element)
{
    const Json::Value& value = element["VAL"];
    return !value.isNull() && !((value.isObject() || value.isArray()) && value.empty());
}

const char* const configEndpoint = "config";
const std::string valueSuffix = ".VAL";

// The path of the entry a "<entry>.VAL" path writes; the path itself otherwise.
std::string entryOf(const std::string& path)
{
    const bool isValue = path.size() > valueSuffix.size()
        && path.compare(path.size() - valueSuffix.size(), valueSuffix.size(), valueSuffix) == 0;
    return isValue ? path.substr(0, path.size() - valueSuffix.size()) : path;
}

// The part of a read path before its first wildcard or filter; empty when it has none.
std::string containerOf(const std::string& path)
{
    const std::size_t wildcard = std::min(path.find("[*]"), path.find("[?("));
    return wildcard == std::string::npos ? std::string() : path.substr(0, wildcard);
}

} // namespace

TelegramProcessor::TelegramProcessor(DeviceState& state, DeviceMessages& messages, const AnswerStyle& style)
    : state(state), messages(messages), style(style)
{
}

void TelegramProcessor::addCommand(Kind kind, const std::string& path, Command command)
{
    commands[{kind, path}] = std::move(command);
}

void TelegramProcessor::addReaction(const std::string& path, Reaction reaction)
{
    reactions.emplace(path, std::move(reaction));
}

void TelegramProcessor::addFunction(const std::string& pattern, Function function)
{
    functions.emplace(pattern, std::move(function));
}

void TelegramProcessor::addFixedList(const std::string& path)
{
    fixedLists.push_back(path);
}

void TelegramProcessor::addGate(const std::string& endpoint, Gate gate)
{
    gates[endpoint] = std::move(gate);
}

void TelegramProcessor::addProtectedPath(const std::string& path, const std::string& reason)
{
    protectedPaths.emplace_back(path, reason);
}

const std::string* TelegramProcessor::protectionOf(const std::string& path) const
{
    for (const auto& protection : protectedPaths) {
        if (isAtOrBelow(path, protection.first) || isAtOrBelow(protection.first, path))
            return &protection.second;
    }
    return nullptr;
}

const TelegramProcessor::Command* TelegramProcessor::commandFor(Kind kind, const Json::Value& element) const
{
    if (kind != Kind::Set && !carriesValue(element))
        return nullptr;
    auto command = commands.find({kind, element["DEST"]["PATH"].asString()});
    if (command == commands.end() && kind != Kind::Set)
        command = commands.find({kind, std::string()});
    return command == commands.end() ? nullptr : &command->second;
}

void TelegramProcessor::process(const Json::Value& telegram, const Context& context)
{
    if (!memberOf(telegram, "INST").isObject()) {
        qWarning("Telegram without an \"INST\" object ignored: %s", SecretMask::logText(telegram).c_str());
        return;
    }
    const Json::Value& inst = telegram["INST"];
    auto device = state.lock();
    if (context.client.isObject())
        device.tree().apply(TelegramBuilder().set("$.CLNT", context.client).build());
    const auto gate = gates.find(context.endpoint);
    if (gate != gates.end() && !gate->second(device, context))
        return;

    TelegramBuilder echo;
    for (const Json::Value& element : elementsOf(inst, "DEL")) {
        std::string path;
        if (!pathOf(element, path))
            continue;
        if (const Command* command = commandFor(Kind::Delete, element))
            (*command)(device, element, context);
        else
            deleteNode(device, path, element, echo);
    }

    std::vector<Write> written;   // as carried out, the functions' changes after their write
    for (const Json::Value& element : elementsOf(inst, "SET")) {
        std::string path;
        if (!pathOf(element, path))
            continue;
        Json::Value value;
        if (const Command* command = commandFor(Kind::Set, element)) {
            (*command)(device, element, context);
            continue;
        }
        const Json::Value previous = device.tree().valueAt(path);
        const Outcome outcome = writeNode(device, path, element, context, value);
        if (outcome == Outcome::Applied) {
            written.push_back({path, value, true});
            runFunctions(device, path, previous, value, written);
        } else if (outcome == Outcome::ValueRefused) {
            echoCurrentValue(device, path, written);
        }
    }
    echoWrites(device, written, context, echo);
    if (!echo.isEmpty())
        device.publish(echo.build());

    for (const Write& write : written) {
        if (!write.byClient || write.refused)
            continue;
        const auto range = reactions.equal_range(write.path);
        for (auto reaction = range.first; reaction != range.second; ++reaction)
            reaction->second(device, write.value, context);
    }

    answerReads(device, elementsOf(inst, "GET"), context);

    const Json::Value& answers = memberAt(inst, {"SET", "MSG"});
    if (answers.isArray()) {
        for (const Json::Value& answer : answers)
            messages.recordAnswer(answer, context.user);
    }
}

void TelegramProcessor::deleteNode(DeviceState::Access& device, const std::string& path, const Json::Value& element,
                                   TelegramBuilder& echo)
{
    if (const std::string* reason = protectionOf(path)) {
        qInfo("DEL of \"%s\" refused: %s", path.c_str(), reason->c_str());
        return;
    }
    bool exists = false;
    device.tree().valueAt(path, &exists);
    if (!exists) {
        qInfo("DEL of \"%s\" ignored: no such node", path.c_str());
        return;
    }
    const int mode = element["MODE"].isInt() ? element["MODE"].asInt() : 0;
    std::vector<KORVALIS::JSON::TelegramResult> results;
    if (!device.tree().apply(TelegramBuilder().del(path, mode).build(), &results) || results.size() != 1
        || results.front().result != KORVALIS::JSON::TelegramResult::Applied) {
        qWarning("DEL of \"%s\" could not be applied", path.c_str());
        return;
    }
    echo.del(path, mode);
}

TelegramProcessor::Outcome TelegramProcessor::writeNode(DeviceState::Access& device, const std::string& path,
                                                        const Json::Value& element, const Context& context,
                                                        Json::Value& value)
{
    if (!element.isMember("VAL")) {
        qWarning("SET of \"%s\" without \"VAL\" ignored", path.c_str());
        return Outcome::Refused;
    }
    value = element["VAL"];
    if (!mayWriteAt(device, path, context))
        return Outcome::Refused;
    std::string reason;
    if (!InputLimits::keepsShape(device.tree(), path, value, reason)) {
        CommandGuard(messages).refuse(device, "SET of \"" + path + "\"", reason, CommandGuard::badValueId,
                                      "Ungültiger Wert, nicht übernommen.");
        return Outcome::Refused;
    }
    ValueRefusal refusal;
    if (!InputLimits::admit(device.tree(), path, value, refusal)) {
        CommandGuard(messages).refuse(device, "SET of \"" + path + "\"", refusal.reason, refusal.textId, refusal.text);
        return Outcome::ValueRefused;
    }
    std::vector<KORVALIS::JSON::TelegramResult> results;
    if (!device.tree().apply(TelegramBuilder().set(path, value).build(), &results) || results.size() != 1
        || results.front().result != KORVALIS::JSON::TelegramResult::Applied) {
        qWarning("SET of \"%s\" to %s could not be applied", path.c_str(), SecretMask::logText(value).c_str());
        return Outcome::Refused;
    }
    return Outcome::Applied;
}

bool TelegramProcessor::mayWriteAt(DeviceState::Access& device, const std::string& path, const Context& context) const
{
    if (const std::string* reason = protectionOf(path)) {
        qInfo("SET of \"%s\" refused: %s", path.c_str(), reason->c_str());
        return false;
    }
    if (belowMissingElement(device, path)) {
        qInfo("SET of \"%s\" refused: no such list element", path.c_str());
        return false;
    }
    std::string reason;
    if (context.endpoint == configEndpoint && !EntryRights::mayWrite(device.tree(), path, context.client, reason)) {
        qInfo("SET of \"%s\" by \"%s\" refused: %s", path.c_str(), context.user.c_str(), reason.c_str());
        return false;
    }
    return true;
}

void TelegramProcessor::echoCurrentValue(DeviceState::Access& device, const std::string& path,
                                         std::vector<Write>& written) const
{
    bool exists = false;
    const Json::Value current = device.tree().valueAt(path, &exists);
    if (exists)
        written.push_back({path, current, true, true});
}

bool TelegramProcessor::belowMissingElement(DeviceState::Access& device, const std::string& path) const
{
    for (const std::string& list : fixedLists) {
        if (path.compare(0, list.size() + 1, list + "[") != 0)
            continue;
        const std::size_t close = path.find(']', list.size());
        if (close == std::string::npos || close == list.size() + 1
            || path.find_first_not_of("0123456789", list.size() + 1) != close)
            return true;
        bool exists = false;
        device.tree().valueAt(path.substr(0, close + 1), &exists);
        return !exists;
    }
    return false;
}

void TelegramProcessor::runFunctions(DeviceState::Access& device, const std::string& path, const Json::Value& previous,
                                     const Json::Value& value, std::vector<Write>& written)
{
    const auto range = functions.equal_range(DeviceTree::patternOf(path));
    for (auto function = range.first; function != range.second; ++function) {
        Writes changes;
        function->second(device.tree(), path, previous, value, changes);
        if (changes.empty())
            continue;
        TelegramBuilder telegram;
        for (const auto& change : changes)
            telegram.set(change.first, change.second);
        if (!device.tree().apply(telegram.build())) {
            qWarning("The device function at \"%s\" could not change the tree: %s", path.c_str(),
                     SecretMask::logText(telegram.build()).c_str());
            continue;
        }
        for (const auto& change : changes)
            written.push_back({change.first, change.second, false});
    }
}

void TelegramProcessor::echoWrites(DeviceState::Access& device, const std::vector<Write>& written,
                                   const Context& context, TelegramBuilder& echo) const
{
    const AnswerStyle::Echo mode = context.endpoint == configEndpoint ? style.echo() : AnswerStyle::Echo::Exact;
    for (const Write& write : written) {
        if (!write.byClient || mode == AnswerStyle::Echo::Exact) {
            echo.set(write.path, write.value);
        } else if (mode == AnswerStyle::Echo::Entry) {
            const std::string entry = entryOf(write.path);
            echo.set(entry, device.tree().valueAt(entry));
        }
    }
}

void TelegramProcessor::answerEmptyRead(DeviceState::Access& device, const std::string& path,
                                        TelegramBuilder& answer) const
{
    const std::string container = containerOf(path);
    std::vector<DeviceTree::Hit> hits;
    if (!style.emptyAsContainer() || container.empty() || !device.tree().find(container, hits) || hits.empty()) {
        qInfo("GET of \"%s\": nothing there", path.c_str());
        return;
    }
    for (const DeviceTree::Hit& hit : hits)
        answer.set(hit.path, hit.value);
}

void TelegramProcessor::answerReads(DeviceState::Access& device, const Json::Value& elements, const Context& context)
{
    TelegramBuilder answer;
    for (const Json::Value& element : elements) {
        std::string path;
        if (!pathOf(element, path))
            continue;
        if (carriesValue(element)) {
            if (const Command* command = commandFor(Kind::Get, element))
                (*command)(device, element, context);
            else
                qWarning("GET of \"%s\" with the value %s: no such device function, ignored", path.c_str(),
                         SecretMask::logText(element["VAL"]).c_str());
            continue;
        }
        std::vector<DeviceTree::Hit> hits;
        if (!device.tree().find(path, hits)) {
            qWarning("GET of \"%s\" ignored: the path cannot be evaluated", path.c_str());
            continue;
        }
        if (hits.empty())
            answerEmptyRead(device, path, answer);
        for (const DeviceTree::Hit& hit : hits)
            answer.set(hit.path, hit.value);
    }
    if (!answer.isEmpty())
        device.publish(answer.build(), context.token);
}

} // namespace devicesim
