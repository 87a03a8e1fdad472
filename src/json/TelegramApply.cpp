// Application of device telegrams to a document's tree.

#include "json/JSONObject.h"

#include <QDebug>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <stdexcept>
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

constexpr const char* kVal = "VAL";
constexpr const char* kDest = "DEST";
constexpr const char* kPath = "PATH";

struct PathPart
{
    std::string name;
    int index = -1;
    bool indexed = false;
};

// Splits "NAME", "NAME[n]" or "NAME[]"; returns why the part is malformed,
// or an empty text.
std::string splitPathPart(const std::string& part, PathPart& out)
{
    out = PathPart{part, -1, false};
    const std::size_t open = part.find('[');
    const std::string name = open == std::string::npos ? part : part.substr(0, open);
    if (name.find_first_of("[]()?*@") != std::string::npos)
        return "the member name holds one of [ ] ( ) ? * @";
    if (open == std::string::npos)
        return {};
    if (part.back() != ']')
        return "text follows the index";
    const std::string digits = part.substr(open + 1, part.size() - open - 2);
    out.name = name;
    out.indexed = true;
    if (digits.empty())
        return {};
    std::size_t position = 0;
    const bool negative = digits[0] == '-';
    if (negative)
        position = 1;
    if (position == digits.size())
        return "the index is not a number";
    long long value = 0;
    for (; position < digits.size(); ++position) {
        const char c = digits[position];
        if (c < '0' || c > '9')
            return "the index is not a number";
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return "the index is out of range";
    }
    out.index = static_cast<int>(negative ? -value : value);
    return {};
}

// True when value nests containers more than kMaxNesting deep. Iterative, so
// a hostile value cannot overflow the stack here.
bool nestsTooDeep(const Json::Value& value)
{
    std::vector<std::pair<const Json::Value*, int>> pending{{&value, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth >= kMaxNesting)
            return true;
        for (auto it = node->begin(); it != node->end(); ++it) {
            if (it->isObject() || it->isArray())
                pending.emplace_back(&*it, depth + 1);
        }
    }
    return false;
}

// One element of a list, copied out of the telegram before anything changes.
struct Element
{
    Json::Value value;
    std::string failure;   // set when the element cannot be applied at all
    std::string path;      // its "PATH" text, kept for the record of such an element
};

// The "DEST"."PATH" text of an element, empty when it has none that is a text.
std::string pathOf(const Json::Value& element)
{
    const Json::Value* dest = element.find(kDest, kDest + 4);
    if (!dest || !dest->isObject())
        return {};
    const Json::Value* path = dest->find(kPath, kPath + 4);
    return path && path->isString() ? path->asString() : std::string();
}

// Copies the elements of the list "INST"."<key>"."VAL". A list or "VAL" that
// is absent or null has none; a list of another shape is skipped with a note.
std::vector<Element> collectElements(const Json::Value& inst, const char* key,
                                     QStringList& notes)
{
    std::vector<Element> elements;
    const Json::Value& list = inst[key];
    if (list.isNull())
        return elements;
    const Json::Value* entries = list.isObject() ? list.find(kVal, kVal + 3) : nullptr;
    if (list.isObject() && (!entries || entries->isNull()))
        return elements;   // a list without elements
    if (!entries || !entries->isArray()) {
        notes << QStringLiteral("Telegram list \"%1\" is not an object with an array \"VAL\"; skipped")
                     .arg(QString::fromLatin1(key));
        return elements;
    }
    elements.resize(entries->size());
    for (Json::ArrayIndex i = 0; i < entries->size(); ++i) {
        const Json::Value& entry = (*entries)[i];
        if (!entry.isObject()) {
            elements[i].failure = "the element is not an object";
        } else if (nestsTooDeep(entry)) {
            elements[i].failure = "the element nests deeper than " + std::to_string(kMaxNesting) + " levels";
            elements[i].path = pathOf(entry);
        } else {
            elements[i].value = entry;
        }
    }
    return elements;
}

// Applies elements to one tree. Each element is checked against the tree
// before anything is created, so a failing element changes nothing.
class TelegramApplier
{
public:
    TelegramApplier(JSONObject& document, Json::Value& tree)
        : document(document), tree(tree)
    {
    }

    TelegramResult apply(Element& element, int instruction, Json::ArrayIndex position)
    {
        TelegramResult record;
        record.instruction = instruction;
        record.path = element.path;
        std::string failure = element.failure;
        if (failure.empty()) {
            try {
                failure = applyElement(element.value, record);
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
        return record;
    }

    QStringList failures;

private:
    // Returns why the element failed, or an empty text; fills record.
    std::string applyElement(Json::Value& element, TelegramResult& record)
    {
        const Json::Value& constElement = element;
        const Json::Value& dest = constElement["DEST"];
        if (!dest.isNull() && !dest.isObject())
            return "\"DEST\" is not an object";
        const Json::Value& pathValue = dest["PATH"];
        if (!pathValue.isNull() && !pathValue.isConvertibleTo(Json::stringValue))
            return "\"PATH\" is not a text";
        record.path = pathValue.asString();

        const Json::Value& modeValue = constElement["MODE"];
        if (!modeValue.isConvertibleTo(Json::intValue))
            return "\"MODE\" is not an integer";
        const int mode = modeValue.asInt();

        if (record.path.substr(0, record.path.find('.')) != "$") {
            record.result = TelegramResult::BadPath;
            return {};
        }
        const bool isSet = record.instruction == TelegramResult::Set;
        if (isSet && !constElement.isMember("VAL")) {
            record.result = TelegramResult::SetWithoutValue;
            return {};
        }

        const std::size_t partCount = std::count(record.path.begin(), record.path.end(), '.') + 1;
        if (partCount > kMaxPathParts)
            return "the path has more than " + std::to_string(kMaxPathParts) + " parts";
        std::vector<PathPart> parts;
        parts.reserve(partCount - 1);
        std::size_t start = record.path.find('.');
        while (start != std::string::npos) {
            const std::size_t end = record.path.find('.', start + 1);
            const std::string text = record.path.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
            PathPart part;
            const std::string why = splitPathPart(text, part);
            if (!why.empty())
                return "part \"" + text + "\": " + why;
            parts.push_back(std::move(part));
            start = end;
        }
        if (parts.empty())
            return {};   // "$" alone names no node to change
        return isSet ? applySet(parts, element["VAL"]) : applyDelete(parts, mode);
    }

    // Checks the whole path without creating anything, then walks it again
    // creating the missing nodes.
    std::string applySet(const std::vector<PathPart>& parts, Json::Value& value)
    {
        long padding = 0;
        const Json::Value* node = &tree;   // null once below a node still to be created
        for (const PathPart& part : parts) {
            if (node && !node->isNull() && !node->isObject())
                return "member \"" + part.name + "\" of a node that is neither an object nor null";
            const Json::Value* member = node ? node->find(part.name.data(), part.name.data() + part.name.size()) : nullptr;
            if (member && member->isNull())
                member = nullptr;
            if (!part.indexed) {
                node = member;
                continue;
            }
            if (member && !member->isArray())
                return "\"" + part.name + "\" is not an array";
            const Json::ArrayIndex size = member ? member->size() : 0;
            if (part.index >= 0) {
                if (part.index > kMaxIndex)
                    return "index " + std::to_string(part.index) + " beyond " + std::to_string(kMaxIndex);
                if (static_cast<Json::ArrayIndex>(part.index) > size)
                    padding += part.index - static_cast<long>(size);
                node = static_cast<Json::ArrayIndex>(part.index) < size ? &(*member)[part.index] : nullptr;
            } else if (part.index == -1) {
                node = nullptr;   // appended, or the one null of the array
            } else {
                return "negative index " + std::to_string(part.index);
            }
        }
        if (value.isObject() && node && !node->isNull() && !node->isObject())
            return "an object cannot be merged onto a node that is neither an object nor null";
        if (paddedNulls + padding > kMaxPaddingPerTelegram)
            return "the telegram would pad arrays with more than " + std::to_string(kMaxPaddingPerTelegram) + " nulls";
        paddedNulls += padding;

        Json::Value* target = &tree;
        for (const PathPart& part : parts) {
            Json::Value& member = (*target)[part.name];
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
        if (value.isObject()) {
            for (const std::string& key : value.getMemberNames())
                (*target)[key].swap(value[key]);
        } else {
            target->swap(value);
        }
        return {};
    }

    // Walks without creating anything: a missing node, an index beyond the end
    // or a negative index leaves the tree as it is.
    std::string applyDelete(const std::vector<PathPart>& parts, int mode)
    {
        Json::Value* node = &tree;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const PathPart& part = parts[i];
            const bool last = i + 1 == parts.size();
            if (node->isNull())
                return {};
            if (!node->isObject())
                return "member \"" + part.name + "\" of a node that is neither an object nor null";
            Json::Value* member = const_cast<Json::Value*>(
                node->find(part.name.data(), part.name.data() + part.name.size()));
            if (!member || member->isNull())
                return {};
            if (!part.indexed || part.index == -1) {
                if (!last) {
                    node = member;
                    continue;
                }
                if (!member->isObject() && !member->isArray())
                    return "\"" + part.name + "\" holds a value that cannot be emptied";
                member->clear();
                return {};
            }
            if (part.index < 0)
                return {};
            const Json::ArrayIndex index = static_cast<Json::ArrayIndex>(part.index);
            if (!last) {
                if (!member->isArray())
                    return "\"" + part.name + "\" is not an array";
                if (index >= member->size())
                    return {};
                node = &(*member)[index];
                continue;
            }
            if (mode == 0) {
                document.removeIndex(*member, part.index);
            } else if (mode == 1) {
                if (!member->isArray())
                    return "\"" + part.name + "\" is not an array";
                if (index < member->size())
                    (*member)[index] = Json::Value();
            }
        }
        return {};
    }

    JSONObject& document;
    Json::Value& tree;
    long paddedNulls = 0;
};

} // namespace

void JSONObject::parsePathElement(const std::string& part, std::string& name, int& index, bool& indexed)
{
    PathPart parsed;
    const std::string why = splitPathPart(part, parsed);
    if (!why.empty())
        throw std::invalid_argument("Malformed path part \"" + part + "\": " + why);
    name = parsed.name;
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
    const Json::Value& inst = static_cast<const Json::Value&>(telegram)["INST"];
    if (inst.isNull())
        return true;   // no instructions, nothing to do
    if (!inst.isObject()) {
        qWarning() << "JSON telegram's \"INST\" is not an object; nothing applied";
        return false;
    }

    // Elements are copied out before the lock is taken, deletes first.
    QStringList notes;
    std::vector<Element> deletes;
    std::vector<Element> sets;
    try {
        deletes = collectElements(inst, "DEL", notes);
        sets = collectElements(inst, "SET", notes);
    } catch (const std::exception& e) {
        qWarning().noquote() << "JSON telegram could not be read:" << e.what();
        return false;
    }

    std::vector<TelegramResult> records;
    QStringList failures;
    bool ok = true;
    std::string error;
    try {
        QWriteLocker locker(&lock);
        invalidateCache();
        TelegramApplier applier(*this, *tree);
        records.reserve(deletes.size() + sets.size());
        for (std::size_t i = 0; i < deletes.size(); ++i)
            records.push_back(applier.apply(deletes[i], TelegramResult::Delete, static_cast<Json::ArrayIndex>(i)));
        for (std::size_t i = 0; i < sets.size(); ++i)
            records.push_back(applier.apply(sets[i], TelegramResult::Set, static_cast<Json::ArrayIndex>(i)));
        failures = applier.failures;
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
    if (results)
        results->insert(results->end(), records.begin(), records.end());
    return ok;
}

} // namespace JSON
} // namespace KORVALIS
