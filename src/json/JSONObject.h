#pragma once

#include "json/TelegramResult.h"

#include <json/json.h>

#include <QMutex>
#include <QReadWriteLock>

#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace KORVALIS {
namespace JSON {

// The system's JSON document: one Json::Value tree with an id, a name and a
// lazily built compact text of the tree.
//
// The document may be read from several threads while one thread changes it
// (the master mirror is queried by the GUI and worker threads while the
// receive thread applies telegrams). A writer-preferring reader/writer lock
// guards the tree: setJSON, setMember, parseMember, removeMember, swapJSON,
// parse, parseStream, reparse, clear, applyTelegram and the setters take it
// exclusively; query, toString, snapshot, read and the getters take it
// shared. Each public operation takes it once, at its outermost entry; the
// lock is not recursive, so the *Locked helpers below do the work for calls
// made while it is held. No lock is held while logging.
//
// getJSON(), getMember(), removeIndex() and isValidIndex() take no lock:
// their pointers and references point into the tree anyway, so they are only
// safe while no other thread changes the document. They let jsoncpp's
// exceptions (std::exception) pass to the caller. Code that needs the tree
// while others may write uses snapshot() or read().
class JSONObject
{
public:
    JSONObject();
    explicit JSONObject(const Json::Value& value);
    explicit JSONObject(const std::string& text);
    virtual ~JSONObject();

    JSONObject(const JSONObject&) = delete;
    JSONObject& operator=(const JSONObject&) = delete;

    // Resets id, name, text cache and tree. Never throws std::exception.
    void clear();

    virtual int getId();
    virtual void setId(int id);
    virtual Json::Value* getJSON();
    // The member key of the tree, created as null when missing (a null tree
    // becomes an object). Throws when the tree is neither null nor an object.
    // Changes made through the reference leave the cached text stale.
    virtual Json::Value& getMember(const char* key);
    virtual Json::Value& getMember(const std::string& key);
    // JSONPath query; appends a copy of every hit to values and, when paths is
    // given, the concrete path of every hit to paths. False on a failed query,
    // which leaves values unchanged.
    virtual bool query(const std::string& path, std::vector<Json::Value>& values,
                       std::vector<std::string>* paths = nullptr);
    virtual void setJSON(const Json::Value& value);
    virtual Json::ValueType getType();
    virtual std::string getName();
    // Compact text of the tree ("null\n" for a fresh document), cached until
    // the next change.
    virtual std::string toString();
    // Removes comments and raw CR, LF and TAB outside strings and cuts text in
    // place to begin at its first "{", then parses it; true on success. A text
    // that fails to parse leaves the tree as it was.
    virtual bool parse(std::string& text);
    virtual void setMember(const Json::Value& value, const std::string& key);
    // Stores the parsed text under key only when it parses.
    virtual void parseMember(const std::string& text, const std::string& key);
    virtual void parseMember(const char* text, const std::string& key);
    virtual void setMember(const Json::Value& value, const char* key);
    virtual void parseMember(const std::string& text, const char* key);
    virtual void parseMember(const char* text, const char* key);
    // Throws when the tree is neither null nor an object.
    virtual void removeMember(const char* key);
    virtual void removeMember(const std::string& key);
    // Removes element index of array; anything else leaves array as it was.
    // applyTelegram calls it with the lock held: an override must not call the
    // document's locking operations.
    virtual void removeIndex(Json::Value& array, int index);
    virtual void swapJSON(Json::Value& value);
    // Applies a device telegram ("INST" with "DEL" and "SET" lists) to tree,
    // deletes first; one record per element is appended to results. A failed
    // element changes nothing and is recorded as ElementFailed. False only when
    // the telegram as a whole cannot be read; then nothing changes.
    virtual bool applyTelegram(Json::Value& telegram, Json::Value* tree,
                               std::vector<TelegramResult>* results);
    // Parses the cached text back into the tree.
    virtual void reparse();
    virtual bool parseStream(std::istream& in);
    virtual bool isValidIndex(int index, Json::Value& array, bool append);

    // Thread-safe helpers for readers of a shared document.
    Json::Value snapshot() const;   // copy of the tree
    // Calls reader with the tree under the shared lock. reader must not call
    // back into this document (the lock is not recursive).
    void read(const std::function<void(const Json::Value&)>& reader) const;

    void setName(const std::string& name);

    // Splits one dotted-path part "NAME", "NAME[n]" or "NAME[]"; index is -1
    // when there is none ("NAME[-1]" is "NAME[]"). Throws std::invalid_argument
    // for any other use of brackets, an index that is not a decimal int, or
    // one of the characters [ ] ( ) ? * @ in the name.
    static void parsePathElement(const std::string& part, std::string& name, int& index, bool& indexed);
    // Appends nulls to array until it holds count elements.
    static void padArray(Json::Value& array, int count);

protected:
    // Work without locking; the caller holds lock exclusively (or is a
    // constructor). They throw what jsoncpp throws and return the replaced
    // value, so the caller can drop it after releasing the lock.
    Json::Value setJSONLocked(Json::Value value);
    Json::Value setMemberLocked(Json::Value value, const std::string& key);
    // Empties the cache; parses text (cleaned in place) and swaps it in on
    // success. error receives the reason of a failure when given.
    bool parseLocked(std::string& text, std::string* error = nullptr);
    void invalidateCache();   // caller holds lock exclusively

    int id;
    Json::Value root;
    std::string cachedText;
    std::string name;
    mutable QReadWriteLock lock;   // guards root, cachedText, id and name
    mutable QMutex cacheMutex;     // lets readers build cachedText one at a time

private:
    bool parseText(std::string& text);
};

} // namespace JSON
} // namespace KORVALIS
