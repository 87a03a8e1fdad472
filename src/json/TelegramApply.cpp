// Application of device telegrams to a document's tree.

#include "json/JSONObject.h"
#include "common/AnnotatedLocks.h"

#include <QDebug>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <climits>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

namespace KORVALIS {
namespace JSON {

namespace {

// Limits that keep a hostile telegram from exhausting memory or the stack.
constexpr std::size_t kMaxPathParts = 256;
constexpr int kMaxIndex = 100000;
constexpr long kMaxPaddingPerTelegram = 100000;   // nulls added by all sets of one telegram
constexpr int kMaxNesting = 1000;                 // as deep as jsoncpp's readers go

constexpr std::size_t kLoggedPathLength = 300;

constexpr std::string_view kVal = "VAL";
constexpr std::string_view kDest = "DEST";
constexpr std::string_view kPath = "PATH";
constexpr std::string_view kMode = "MODE";

// The member key of value, or null when value has none (or is no object).
const Json::Value* memberOf(const Json::Value& value, std::string_view key)
{
    return value.isObject() ? value.find(key.data(), key.data() + key.size()) : nullptr;
}

// Characters of JSONPath syntax that a dotted path's member name must not hold.
bool isReserved(char c)
{
    switch (c) {
    case '[': case ']': case '(': case ')': case '?': case '*': case '@':
        return true;
    default:
        return false;
    }
}

// One part of a dotted path; name points into the path text.
struct PathPart
{
    std::string_view name;
    int index = -1;
    bool indexed = false;
};

// Splits "NAME", "NAME[n]" or "NAME[]"; returns why the part is malformed,
// or null.
const char* splitPathPart(std::string_view part, PathPart& out)
{
    out = PathPart{part, -1, false};
    const std::size_t open = part.find('[');
    const std::string_view name = part.substr(0, open);
    if (std::any_of(name.begin(), name.end(), isReserved))
        return "the member name holds one of [ ] ( ) ? * @";
    if (open == std::string_view::npos)
        return nullptr;
    if (part.back() != ']')
        return "text follows the index";
    const std::string_view digits = part.substr(open + 1, part.size() - open - 2);
    out.name = name;
    out.indexed = true;
    if (digits.empty())
        return nullptr;
    int value = 0;
    const char* const end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    // INT_MIN has no positive counterpart: out of range like INT_MAX + 1.
    if (error == std::errc::result_out_of_range || (error == std::errc() && value == INT_MIN))
        return "the index is out of range";
    if (error != std::errc() || stop != end)
        return "the index is not a number";
    out.index = value;
    return nullptr;
}

using NestingStack = std::vector<std::pair<const Json::Value*, int>>;

// True when value nests containers more than kMaxNesting deep. Iterative, so
// a hostile value cannot overflow the stack here; pending is scratch space
// kept between calls.
bool nestsTooDeep(const Json::Value& value, NestingStack& pending)
{
    pending.clear();
    pending.emplace_back(&value, 0);
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth >= kMaxNesting)
            return true;
        for (auto it = node->begin(), end = node->end(); it != end; ++it) {
            if (it->isObject() || it->isArray())
                pending.emplace_back(&*it, depth + 1);
        }
    }
    return false;
}

// The "DEST"."PATH" text of an element, empty when it has none that is a text.
std::string pathOf(const Json::Value& element)
{
    const Json::Value* dest = memberOf(element, kDest);
    const Json::Value* path = dest ? memberOf(*dest, kPath) : nullptr;
    return path && path->isString() ? path->asString() : std::string();
}

// The elements of the list "INST"."<key>"."VAL", or null when there are none.
// A list or "VAL" that is absent or null has none; a list of another shape is
// skipped with a note.
const Json::Value* elementsOf(const Json::Value& inst, const char* key, QStringList& notes)
{
    const Json::Value& list = inst[key];
    if (list.isNull())
        return nullptr;
    const Json::Value* entries = memberOf(list, kVal);
    if (list.isObject() && (!entries || entries->isNull()))
        return nullptr;   // a list without elements
    if (!entries || !entries->isArray()) {
        notes << QStringLiteral("Telegram list \"%1\" is not an object with an array \"VAL\"; skipped")
                     .arg(QString::fromLatin1(key));
        return nullptr;
    }
    return entries;
}

// Applies elements to one tree. Each element is read in place and checked
// against the tree before anything is created, so a failing element changes
// nothing. The telegram must not be part of the tree.
class TelegramApplier
{
public:
    TelegramApplier(JSONObject& document, Json::Value& tree, std::vector<TelegramResult>* results)
        : document(document), tree(tree), results(results)
    {
    }

    void applyList(const Json::Value* entries, int instruction)
    {
        if (!entries)
            return;
        // Iterated, not indexed: jsoncpp looks an index up in a tree. The
        // positions of an array built with gaps hold no element and read as null.
        Json::ArrayIndex expected = 0;
        for (auto it = entries->begin(), end = entries->end(); it != end; ++it) {
            const Json::ArrayIndex index = it.index();
            for (; expected < index; ++expected)
                applyEntry(Json::Value::nullSingleton(), instruction, expected);
            applyEntry(*it, instruction, index);
            expected = index + 1;
        }
    }

    QStringList failures;

private:
    void applyEntry(const Json::Value& entry, int instruction, Json::ArrayIndex position)
    {
        TelegramResult record;
        record.instruction = instruction;
        std::string failure;
        if (!entry.isObject()) {
            failure = "the element is not an object";
        } else if (nestsTooDeep(entry, nesting)) {
            failure = "the element nests deeper than " + std::to_string(kMaxNesting) + " levels";
            record.path = pathOf(entry);
        } else {
            try {
                failure = applyElement(entry, record);
            } catch (const std::exception& e) {
                failure = e.what();
            }
        }
        if (!failure.empty()) {
            record.result = TelegramResult::ElementFailed;
            failures << QStringLiteral("Telegram element %1 of the \"%2\" list (path \"%3\") failed: %4")
                            .arg(position)
                            .arg(instruction == TelegramResult::Delete ? QStringLiteral("DEL") : QStringLiteral("SET"))
                            .arg(QString::fromStdString(record.path.substr(0, kLoggedPathLength)),
                                 QString::fromStdString(failure));
        }
        if (results)
            results->push_back(std::move(record));
    }

    // Returns why the element failed, or an empty text; fills record.
    std::string applyElement(const Json::Value& element, TelegramResult& record)
    {
        const Json::Value* dest = memberOf(element, kDest);
        if (dest && !dest->isNull() && !dest->isObject())
            return "\"DEST\" is not an object";
        const Json::Value* pathValue = dest ? memberOf(*dest, kPath) : nullptr;
        if (pathValue && !pathValue->isNull() && !pathValue->isConvertibleTo(Json::stringValue))
            return "\"PATH\" is not a text";
        if (pathValue)
            record.path = pathValue->asString();

        const Json::Value* modeValue = memberOf(element, kMode);
        if (modeValue && !modeValue->isConvertibleTo(Json::intValue))
            return "\"MODE\" is not an integer";
        const int mode = modeValue ? modeValue->asInt() : 0;

        const std::string_view path = record.path;
        if (path.substr(0, path.find('.')) != "$") {
            record.result = TelegramResult::BadPath;
            return {};
        }
        const bool isSet = record.instruction == TelegramResult::Set;
        const Json::Value* value = memberOf(element, kVal);
        if (isSet && !value) {
            record.result = TelegramResult::SetWithoutValue;
            return {};
        }

        const std::string why = splitPath(path);
        if (!why.empty())
            return why;
        if (parts.empty())
            return {};   // "$" alone names no node to change
        return isSet ? applySet(*value) : applyDelete(mode);
    }

    // Fills parts with the parts after "$"; returns why the path is malformed.
    std::string splitPath(std::string_view path)
    {
        parts.clear();
        if (static_cast<std::size_t>(std::count(path.begin(), path.end(), '.')) + 1 > kMaxPathParts)
            return "the path has more than " + std::to_string(kMaxPathParts) + " parts";
        std::size_t start = path.find('.');
        while (start != std::string_view::npos) {
            const std::size_t end = path.find('.', start + 1);
            const std::string_view text = path.substr(start + 1, end == std::string_view::npos ? end : end - start - 1);
            PathPart part;
            if (const char* why = splitPathPart(text, part))
                return "part \"" + std::string(text) + "\": " + why;
            parts.push_back(part);
            start = end;
        }
        return {};
    }

    // Follows the path through the nodes that exist, checking every part;
    // only when the element can be applied are the missing nodes created,
    // from the deepest one found on.
    std::string applySet(const Json::Value& value)
    {
        long padding = 0;
        Json::Value* node = tree.isNull() ? nullptr : &tree;   // null once below a node still to be created
        Json::Value* createFrom = &tree;                        // where creation starts
        std::size_t createAt = node ? parts.size() : 0;         // the first part to create
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const PathPart& part = parts[i];
            Json::Value* const parent = node;
            if (parent && !parent->isObject())
                return "member \"" + std::string(part.name) + "\" of a node that is neither an object nor null";
            Json::Value* member = parent ? existing(parent->find(part.name.data(), part.name.data() + part.name.size()))
                                        : nullptr;
            if (!part.indexed) {
                node = member;
            } else {
                if (member && !member->isArray())
                    return "\"" + std::string(part.name) + "\" is not an array";
                const Json::ArrayIndex size = member ? member->size() : 0;
                if (part.index >= 0) {
                    if (part.index > kMaxIndex)
                        return "index " + std::to_string(part.index) + " beyond " + std::to_string(kMaxIndex);
                    const Json::ArrayIndex index = static_cast<Json::ArrayIndex>(part.index);
                    if (index > size)
                        padding += part.index - static_cast<long>(size);
                    // Const access: a hole of a sparse array is not filled here.
                    node = index < size ? existing(&static_cast<const Json::Value&>(*member)[index]) : nullptr;
                } else if (part.index == -1) {
                    node = nullptr;   // appended, or the one null of the array
                } else {
                    return "negative index " + std::to_string(part.index);
                }
            }
            if (!node && parent) {
                createFrom = parent;
                createAt = i;
            }
        }
        if (value.isObject() && node && !node->isObject())
            return "an object cannot be merged onto a node that is neither an object nor null";
        if (paddedNulls + padding > kMaxPaddingPerTelegram)
            return "the telegram would pad arrays with more than " + std::to_string(kMaxPaddingPerTelegram) + " nulls";
        paddedNulls += padding;

        Json::Value* target = node ? node : createFrom;
        for (std::size_t i = createAt; i < parts.size(); ++i) {
            const PathPart& part = parts[i];
            Json::Value& member = *target->demand(part.name.data(), part.name.data() + part.name.size());
            if (member.isNull())
                member = part.indexed ? Json::Value(Json::arrayValue) : Json::Value();
            if (!part.indexed) {
                target = &member;
            } else if (part.index >= 0) {
                JSONObject::padArray(member, part.index);
                target = &member[static_cast<Json::ArrayIndex>(part.index)];
            } else {
                const bool oneNull = member.size() == 1 && member[0u].isNull();
                target = &member[oneNull ? 0u : member.size()];
            }
        }
        // The value is copied: callers read their telegram after applying it.
        if (value.isObject()) {
            for (auto it = value.begin(); it != value.end(); ++it) {
                const char* end = nullptr;
                const char* name = it.memberName(&end);
                *target->demand(name, end) = *it;
            }
        } else {
            *target = value;
        }
        return {};
    }

    // Walks without creating anything: a missing node, an index beyond the end
    // or a negative index leaves the tree as it is.
    std::string applyDelete(int mode)
    {
        Json::Value* node = &tree;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const PathPart& part = parts[i];
            const bool last = i + 1 == parts.size();
            if (node->isNull())
                return {};
            if (!node->isObject())
                return "member \"" + std::string(part.name) + "\" of a node that is neither an object nor null";
            Json::Value* member = existing(node->find(part.name.data(), part.name.data() + part.name.size()));
            if (!member)
                return {};
            if (!part.indexed || part.index == -1) {
                if (!last) {
                    node = member;
                    continue;
                }
                if (!member->isObject() && !member->isArray())
                    return "\"" + std::string(part.name) + "\" holds a value that cannot be emptied";
                member->clear();
                return {};
            }
            if (part.index < 0)
                return {};
            const Json::ArrayIndex index = static_cast<Json::ArrayIndex>(part.index);
            if (!last) {
                if (!member->isArray())
                    return "\"" + std::string(part.name) + "\" is not an array";
                if (index >= member->size())
                    return {};
                node = existing(&static_cast<const Json::Value&>(*member)[index]);
                if (!node)
                    return {};
                continue;
            }
            if (mode == 0) {
                document.removeIndex(*member, part.index);
            } else if (mode == 1) {
                if (!member->isArray())
                    return "\"" + std::string(part.name) + "\" is not an array";
                if (index < member->size())
                    (*member)[index] = Json::Value();
            }
        }
        return {};
    }

    // A node found by a const lookup, writable because the tree is; null when
    // it is missing or holds null (jsoncpp's shared null is never returned).
    static Json::Value* existing(const Json::Value* found)
    {
        return found && !found->isNull() ? const_cast<Json::Value*>(found) : nullptr;
    }

    JSONObject& document;
    Json::Value& tree;
    std::vector<TelegramResult>* results;
    std::vector<PathPart> parts;   // of the element being applied
    NestingStack nesting;
    long paddedNulls = 0;
};

} // namespace

void JSONObject::parsePathElement(const std::string& part, std::string& name, int& index, bool& indexed)
{
    PathPart parsed;
    if (const char* why = splitPathPart(part, parsed))
        throw std::invalid_argument("Malformed path part \"" + part + "\": " + why);
    name.assign(parsed.name.data(), parsed.name.size());
    index = parsed.index;
    indexed = parsed.indexed;
}

void JSONObject::padArray(Json::Value& array, int count)
{
    if (!array.isArray() || count <= 0)
        return;
    while (array.size() < static_cast<Json::ArrayIndex>(count))
        array.append(Json::Value());
}

bool JSONObject::applyTelegram(Json::Value& telegram, Json::Value* tree,
                               std::vector<TelegramResult>* results)
{
    if (!tree) {
        qWarning() << "JSON telegram has no tree to apply to";
        return false;
    }
    if (!telegram.isObject()) {
        qWarning() << "JSON telegram is not an object; nothing applied";
        return false;
    }
    // The elements are read in place while the tree changes; a telegram that
    // is the tree itself is read from a copy.
    Json::Value ownCopy;
    const Json::Value* source = &telegram;
    if (&telegram == tree) {
        ownCopy = telegram;
        source = &ownCopy;
    }
    const Json::Value& inst = (*source)["INST"];
    if (inst.isNull())
        return true;   // no instructions, nothing to do
    if (!inst.isObject()) {
        qWarning() << "JSON telegram's \"INST\" is not an object; nothing applied";
        return false;
    }

    QStringList notes;
    const Json::Value* deletes = elementsOf(inst, "DEL", notes);
    const Json::Value* sets = elementsOf(inst, "SET", notes);
    if (results) {
        const std::size_t needed = results->size() + (deletes ? deletes->size() : 0) + (sets ? sets->size() : 0);
        if (needed > results->capacity())
            results->reserve(std::max(needed, 2 * results->capacity()));
    }

    QStringList failures;
    bool ok = true;
    std::string error;
    try {
        AnnotatedWriteLocker locker(&lock);
        invalidateCache();
        TelegramApplier applier(*this, *tree, results);
        applier.applyList(deletes, TelegramResult::Delete);
        applier.applyList(sets, TelegramResult::Set);
        failures.swap(applier.failures);
    } catch (const std::exception& e) {
        ok = false;
        error = e.what();
    }

    for (const QString& note : notes)
        qWarning().noquote() << note;
    for (const QString& failure : failures)
        qWarning().noquote() << failure;
    if (!ok)
        qWarning().noquote() << "JSON telegram could not be applied:" << QString::fromStdString(error);
    return ok;
}

} // namespace JSON
} // namespace KORVALIS
