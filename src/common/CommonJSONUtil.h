#pragma once

#include <json/json.h>

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QVector>

namespace KORVALIS {
namespace JSON {
class JSONObject;
}
}

// Owner of one JSON document and the gate through which JSON is read by path.
// Besides the device mirror (JSONUtil) it serves short-lived local documents:
// a received sub-tree, a language file, the user-menu file.
//
// No operation throws to its caller; failures are logged and reported by a
// false result or an unchanged output.
class CommonJSONUtil : public QObject
{
    Q_OBJECT

public:
    // What the file constructor found. Documents not read from a file are FILE_EMPTY.
    enum FileState {
        FILE_EMPTY = 0,       // no file, or one holding nothing but white space (and a byte-order mark)
        FILE_PARSED = 1,      // the whole file is one JSON value, now the document
        FILE_UNREADABLE = 2   // the file could not be read or is not JSON; the document is empty
    };

    explicit CommonJSONUtil(QObject* parent = nullptr);
    // Takes ownership of document.
    CommonJSONUtil(KORVALIS::JSON::JSONObject* document, QObject* parent);
    CommonJSONUtil(const Json::Value& value, QObject* parent);
    // Reads and parses a UTF-8 file (a leading byte-order mark is skipped);
    // the whole text must be one JSON value. Anything else gives an empty
    // document; getFileState() tells which case it was.
    CommonJSONUtil(const QString& fileName, QObject* parent);
    ~CommonJSONUtil() override;

    FileState getFileState() const { return fileState; }

    // Path queries. values is replaced by the hits, each hit's concrete path is
    // appended to paths; true when at least one value was found.
    bool getJSONbyPath(const QString& path, QVector<Json::Value>& values, QVector<QString>& paths);
    bool getJSONbyPath(const QString& path, QVector<Json::Value>& values);
    // Exactly one hit is assigned to value; with several hits value stays as it
    // was (a warning is logged) and the result is still true.
    bool getJSONbyPath(const QString& path, Json::Value& value);

    // The document's root. Only for documents no other thread changes; readers
    // of a shared document use getSnapshot().
    Json::Value* getJSON();
    // A copy of the whole tree, taken under the document's lock.
    Json::Value getSnapshot() const;

    // path with every array index "[n]" replaced by "[*]".
    static QString getGenericPath(const QString& path);
    // Walks member names separated by "." (empty parts skipped) from source.
    static bool getValueByKeyPath(const Json::Value& source, Json::Value& out, const QString& keyPath);
    // Parses data with the JSON reader; on failure logs the text and sets value
    // to null.
    static bool getJsonFromByteArray(const QByteArray& data, Json::Value& value);

    // Merges value into the document at path, without change notifications.
    void appendJson(const Json::Value& value, const QString& path);
    // Empties the document.
    void clear();
    // Writes the document, indented, to fileName, whole or not at all (a
    // temporary file takes its place only when completely written); creates
    // no folder. True when the file was replaced; a failure is logged.
    bool saveJson(QString fileName);
    // Writes tree to fileName in the same way.
    static bool writeJsonFile(const QString& fileName, const Json::Value& tree);

protected:
    KORVALIS::JSON::JSONObject* document;   // owned, never null
    QMutex mutex;                           // serialises clear() and the failed-query report
    FileState fileState = FILE_EMPTY;

private:
    void reportFailedQuery(const QString& path);
};
