#pragma once

#include "util/LanguageInfo.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QList>
#include <QMap>
#include <QPair>
#include <QReadWriteLock>
#include <QString>
#include <QVariant>

// The language files and the text tables.
//
// At construction the language files of the resources (":/lang/<folder>/")
// are copied to the data folder ("Lang/<key>/") or refresh the local copies
// there: a newer resource version, or a local copy that cannot be read, is
// replaced (the old copy kept as ".bak"). All later reading uses the local
// copies. Then the stored language ("Config/Language/Selection") is selected,
// falling back to "DE" and then to the lowest order.
//
// The text tables are read from any thread (device texts are translated on
// the receive thread and on table builders); they are guarded by a lock and
// replaced as a whole. The language lists belong to the GUI thread.
class LanguageUtil : public OverallUtil
{
    Q_OBJECT

public:
    enum TextKind { TEXT = 0, HS = 1, HL = 2, FILES = 3 };
    enum InfoField { JSON_PATH = 0, ICON_PATH = 1, TITLE = 2, KEY = 3, ORDER = 4 };

    explicit LanguageUtil(QObject* parent = nullptr);
    ~LanguageUtil() override;

    static QString resourceBase();   // ":/lang/"
    QString getLocalBase() const;

    void syncLocalLanguages();
    void readLanguageInfos(bool local);
    void copyLanguageToLocal(const int& resourceIndex);
    bool checkVersion(const int& indexRessource, const int& indexLocal);
    bool findByKey(const QString& key, int& index, bool local);
    // Selects the local language at index. The language already in force is
    // not read again. With persist the key is stored as the user's choice,
    // also when that language is already in force.
    bool setLanguage(const int& index, bool persist = true);
    bool readTexts(const int& index);
    bool extractFileFromJSONFile(const int& index);

    QString getText(const int& kind, const int& id, const QString& defaultText);
    QVariant getLanguageInfo(const int& index, const int& field);
    // (local index, order) of every local language, by ascending order.
    QList<QPair<int, int>> orderedIndexes();
    QString getCurrentKey();
    int getCurrentIndex();
    int getLocalCount() const;

private:
    void selectAtStart();
    QList<LanguageInfo*>& listOf(bool local);
    static bool readLanguageFile(const QString& path, Json::Value& root);
    static bool readInfo(const Json::Value& root, LanguageInfo& info);

    QString localBase;
    int currentIndex;                  // GUI thread; -1 until a language is selected
    QList<LanguageInfo*> localList;    // GUI thread
    QList<LanguageInfo*> resourceList; // GUI thread

    mutable QReadWriteLock tablesLock; // guards the tables and currentKey
    QString currentKey;
    QMap<int, QString> texts;
    QMap<int, QString> hs;
    QMap<int, QString> hl;
    QMap<int, QString> files;
};
