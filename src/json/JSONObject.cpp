#include "json/JSONObject.h"

#include "common/AnnotatedLocks.h"
#include "json/JsonPath.h"

#include <QDebug>
#include <QString>

#include <iterator>
#include <vector>
#include <stdexcept>
#include <utility>

namespace KORVALIS {
namespace JSON {

namespace {

// Removes /*...*/ and // comments and raw CR, LF and TAB outside strings and
// drops everything before the first "{" that is not inside a comment. The
// text of a string is never changed. False when the text holds no "{".
bool cleanDocumentText(std::string& text)
{
    std::string out;
    out.reserve(text.size());
    const std::size_t size = text.size();
    bool started = false;
    bool inString = false;
    std::size_t i = 0;
    while (i < size) {
        const char c = text[i];
        if (inString) {
            // Copy up to the next quote or escape in one go.
            const std::size_t stop = text.find_first_of("\"\\", i);
            if (stop == std::string::npos) {
                out.append(text, i, std::string::npos);
                break;
            }
            out.append(text, i, stop - i + 1);
            if (text[stop] == '\\') {
                if (stop + 1 < size)
                    out += text[stop + 1];
                i = stop + 2;
            } else {
                inString = false;
                i = stop + 1;
            }
            continue;
        }
        if (c == '/' && i + 1 < size && text[i + 1] == '*') {
            const std::size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? size : end + 2;
            continue;
        }
        if (c == '/' && i + 1 < size && text[i + 1] == '/') {
            const std::size_t end = text.find_first_of("\r\n", i + 2);
            i = end == std::string::npos ? size : end;
            continue;
        }
        ++i;
        if (!started) {
            // Before the object nothing is JSON: quotes there open no string.
            if (c == '{') {
                started = true;
                out += c;
            }
            continue;
        }
        if (c == '\r' || c == '\n' || c == '\t')
            continue;
        if (c == '"')
            inString = true;
        out += c;
    }
    if (!started)
        return false;
    text.swap(out);
    return true;
}

// Parses a whole text with the comment-collecting reader. The reader throws
// on nesting beyond its stack limit; that counts as a failed parse.
bool readValue(const std::string& text, Json::Value& value, std::string& error)
{
    try {
        Json::Reader reader;
        if (reader.parse(text.data(), text.data() + text.size(), value, true))
            return true;
        // One line for the log: "* Line 1, Column 6\n  reason\n" and so on.
        error = QString::fromStdString(reader.getFormattedErrorMessages()).simplified().toStdString();
    } catch (const std::exception& e) {
        error = e.what();
    }
    return false;
}

// Cleans text in place and parses it into value.
bool readDocument(std::string& text, Json::Value& value, std::string& error)
{
    if (!cleanDocumentText(text)) {
        error = "the text holds no JSON object";
        return false;
    }
    return readValue(text, value, error);
}

} // namespace

JSONObject::JSONObject()
    : id(-1)
{
}

JSONObject::JSONObject(const Json::Value& value)
    : id(-1)
{
    try {
        setJSONLocked(value);
    } catch (const std::exception& e) {
        qWarning().noquote() << "JSON document could not take the value:" << e.what();
    }
}

JSONObject::JSONObject(const std::string& text)
    : id(-1)
{
    std::string copy(text);
    std::string error;
    if (!parseLocked(copy, &error))
        qWarning().noquote() << "JSON text could not be parsed:" << QString::fromStdString(error);
}

JSONObject::~JSONObject() = default;

void JSONObject::clear()
{
    Json::Value old;   // destroyed after the lock is released
    try {
        AnnotatedWriteLocker locker(&lock);
        id = -1;
        invalidateCache();
        name.clear();
        root.swap(old);
    } catch (const std::exception&) {
    }
}

int JSONObject::getId()
{
    AnnotatedReadLocker locker(&lock);
    return id;
}

void JSONObject::setId(int newId)
{
    AnnotatedWriteLocker locker(&lock);
    id = newId;
}

Json::Value* JSONObject::getJSON()
{
    return &root;
}

Json::Value& JSONObject::getMember(const char* key)
{
    if (!key)
        throw std::invalid_argument("JSONObject::getMember: null key");
    return root[key];
}

Json::Value& JSONObject::getMember(const std::string& key)
{
    return root[key];
}

bool JSONObject::query(const std::string& path, std::vector<Json::Value>& values,
                       std::vector<std::string>* paths)
{
    std::vector<Json::Value> found;
    bool result = false;
    try {
        AnnotatedReadLocker locker(&lock);
        JsonPath evaluator;
        std::vector<const Json::Value*> hits;
        result = evaluator.query(root, path, &hits, paths);
        // Hits are copied whole: a short path that names a large member many
        // times would otherwise copy the tree over and over.
        evaluator.spendOnCopies(hits);
        found.reserve(hits.size());
        for (const Json::Value* hit : hits)
            found.push_back(*hit);
    } catch (const std::exception& e) {
        // The caller adds its own context; the reason is only known here.
        qWarning().noquote() << "JSON path query failed:" << QString::fromStdString(path).left(300)
                             << "-" << e.what();
        return false;
    }
    values.insert(values.end(), std::make_move_iterator(found.begin()),
                  std::make_move_iterator(found.end()));
    return result;
}

void JSONObject::setJSON(const Json::Value& value)
{
    try {
        Json::Value copy(value);   // copied before locking, old tree dropped after
        AnnotatedWriteLocker locker(&lock);
        copy = setJSONLocked(std::move(copy));
    } catch (const std::exception& e) {
        qWarning().noquote() << "JSON document could not take the value:" << e.what();
    }
}

Json::ValueType JSONObject::getType()
{
    AnnotatedReadLocker locker(&lock);
    return root.type();
}

std::string JSONObject::getName()
{
    AnnotatedReadLocker locker(&lock);
    return name;
}

std::string JSONObject::toString()
{
    AnnotatedReadLocker locker(&lock);
    AnnotatedMutexLocker cacheLocker(&cacheMutex);
    try {
        if (cachedText.empty())
            cachedText = Json::FastWriter().write(root);
    } catch (const std::exception&) {
        cachedText.clear();
    }
    return cachedText;
}

bool JSONObject::parse(std::string& text)
{
    return parseText(text);
}

void JSONObject::setMember(const Json::Value& value, const std::string& key)
{
    std::string error;
    try {
        Json::Value copy(value);   // copied before locking, old member dropped after
        AnnotatedWriteLocker locker(&lock);
        invalidateCache();
        copy = setMemberLocked(std::move(copy), key);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!error.empty())
        qWarning().noquote() << "JSON member" << QString::fromStdString(key)
                             << "could not be set:" << QString::fromStdString(error);
}

void JSONObject::parseMember(const std::string& text, const std::string& key)
{
    Json::Value parsed;
    std::string error;
    bool ok = readValue(text, parsed, error);
    try {
        AnnotatedWriteLocker locker(&lock);
        invalidateCache();
        if (ok)
            parsed = setMemberLocked(std::move(parsed), key);
    } catch (const std::exception& e) {
        ok = false;
        error = e.what();
    }
    if (!ok)
        qWarning().noquote() << "JSON member" << QString::fromStdString(key)
                             << "could not be parsed:" << QString::fromStdString(error);
}

void JSONObject::parseMember(const char* text, const std::string& key)
{
    parseMember(std::string(text ? text : ""), key);
}

void JSONObject::setMember(const Json::Value& value, const char* key)
{
    if (!key) {
        qWarning() << "JSON member without a name could not be set";
        return;
    }
    setMember(value, std::string(key));
}

void JSONObject::parseMember(const std::string& text, const char* key)
{
    if (!key) {
        qWarning() << "JSON member without a name could not be parsed";
        return;
    }
    parseMember(text, std::string(key));
}

void JSONObject::parseMember(const char* text, const char* key)
{
    if (!key) {
        qWarning() << "JSON member without a name could not be parsed";
        return;
    }
    parseMember(text, std::string(key));
}

void JSONObject::removeMember(const char* key)
{
    if (!key)
        throw std::invalid_argument("JSONObject::removeMember: null key");
    removeMember(std::string(key));
}

void JSONObject::removeMember(const std::string& key)
{
    AnnotatedWriteLocker locker(&lock);
    invalidateCache();
    root.removeMember(key);
}

void JSONObject::removeIndex(Json::Value& array, int index)
{
    if (!array.isArray() || index < 0 || static_cast<Json::ArrayIndex>(index) >= array.size())
        return;
    const Json::ArrayIndex removed = static_cast<Json::ArrayIndex>(index);
    Json::Value rebuilt(Json::arrayValue);
    for (Json::ArrayIndex i = 0; i < array.size(); ++i) {
        if (i != removed)
            rebuilt.append(std::move(array[i]));
    }
    array.swap(rebuilt);
}

void JSONObject::swapJSON(Json::Value& value)
{
    AnnotatedWriteLocker locker(&lock);
    invalidateCache();
    root.swap(value);
}

void JSONObject::reparse()
{
    std::string error;
    bool failed = false;
    try {
        AnnotatedWriteLocker locker(&lock);
        std::string text = cachedText;
        const bool nothingCached = text.empty();   // then the tree stays as it is
        failed = !parseLocked(text, &error) && !nothingCached;
    } catch (const std::exception& e) {
        failed = true;
        error = e.what();
    }
    if (failed)
        qWarning().noquote() << "JSON text could not be parsed again:" << QString::fromStdString(error);
}

bool JSONObject::parseStream(std::istream& in)
{
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception& e) {
        qWarning().noquote() << "JSON stream could not be read:" << e.what();
        text.clear();
    }
    return parseText(text);
}

bool JSONObject::isValidIndex(int index, Json::Value& array, bool append)
{
    if (index < 0 || !array.isArray())
        return false;
    const Json::ArrayIndex position = static_cast<Json::ArrayIndex>(index);
    if (append)
        return array.size() == position + 1;
    if (index == 0)
        return true;
    // Read without the creating access so the test never grows the array.
    const Json::Value& constArray = array;
    return !constArray[position - 1].isNull();
}

Json::Value JSONObject::snapshot() const
{
    AnnotatedReadLocker locker(&lock);
    return root;
}

void JSONObject::read(const std::function<void(const Json::Value&)>& reader) const
{
    AnnotatedReadLocker locker(&lock);
    reader(root);
}

void JSONObject::setName(const std::string& newName)
{
    AnnotatedWriteLocker locker(&lock);
    name = newName;
}

Json::Value JSONObject::setJSONLocked(Json::Value value)
{
    invalidateCache();
    root.swap(value);
    return value;
}

Json::Value JSONObject::setMemberLocked(Json::Value value, const std::string& key)
{
    root[key].swap(value);
    return value;
}

bool JSONObject::parseLocked(std::string& text, std::string* error)
{
    invalidateCache();
    Json::Value parsed;
    std::string reason;
    if (!readDocument(text, parsed, reason)) {
        if (error)
            *error = reason;
        return false;
    }
    root.swap(parsed);
    return true;
}

void JSONObject::invalidateCache()
{
    cachedText.clear();
}

// Parses outside the lock and swaps the result in under it, so readers wait
// only for the swap; the old tree is destroyed after the lock is released.
bool JSONObject::parseText(std::string& text)
{
    Json::Value parsed;
    std::string error;
    bool ok = false;
    try {
        ok = readDocument(text, parsed, error);
        AnnotatedWriteLocker locker(&lock);
        invalidateCache();
        if (ok)
            root.swap(parsed);
    } catch (const std::exception& e) {
        ok = false;
        error = e.what();
    }
    if (!ok)
        qWarning().noquote() << "JSON text could not be parsed:" << QString::fromStdString(error);
    return ok;
}

} // namespace JSON
} // namespace KORVALIS
