#include "util/LanguageUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/CommonJSONUtil.h"
#include "util/FileUtil.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtDebug>

#include <algorithm>
#include <exception>
#include <tuple>

namespace {

const char* const SELECTION_KEY = "Config/Language/Selection";
const char* const FALLBACK_KEY = "DE";

// member of value when value is an object holding it; else a null value.
const Json::Value& memberOf(const Json::Value& value, const char* key)
{
    static const Json::Value none;
    if (!value.isObject())
        return none;
    const Json::Value* found = value.find(key, key + qstrlen(key));
    return found ? *found : none;
}

QString textOf(const Json::Value& value)
{
    return QString::fromStdString(value.asString());
}

// Folders of root, sorted by name, so every platform lists them alike.
QStringList sortedFolders(const QString& root)
{
    return QDir(root).entryList(QDir::AllDirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

LanguageUtil::LanguageUtil(QObject* parent)
    : OverallUtil(parent), currentIndex(-1)
{
    localBase = FileUtil::basePath() + QStringLiteral("/Lang/");
    JSONUtil::setLanguageUtil(this);
    syncLocalLanguages();
    selectAtStart();
}

LanguageUtil::~LanguageUtil()
{
    if (JSONUtil::getLanguageUtil() == this)
        JSONUtil::setLanguageUtil(nullptr);
    qDeleteAll(localList);
    qDeleteAll(resourceList);
}

QString LanguageUtil::resourceBase()
{
    return QStringLiteral(":/lang/");
}

QString LanguageUtil::getLocalBase() const
{
    return localBase;
}

// --- Language files --------------------------------------------------------

bool LanguageUtil::readLanguageFile(const QString& path, Json::Value& root)
{
    if (!QFile::exists(path))
        return false;
    try {
        CommonJSONUtil file(path, nullptr);
        root = file.getSnapshot();
    } catch (const std::exception& e) {
        qWarning().noquote() << QStringLiteral("Language file could not be read: ") + path << e.what();
        return false;
    }
    return root.isObject();
}

bool LanguageUtil::readInfo(const Json::Value& root, LanguageInfo& info)
{
    const Json::Value& infoNode = memberOf(root, "INFO");
    const Json::Value& version = memberOf(infoNode, "VER");
    const Json::Value& language = memberOf(infoNode, "LANG");
    const Json::Value& key = memberOf(language, "K");
    const Json::Value& title = memberOf(language, "T");
    const Json::Value& order = memberOf(infoNode, "ORD");
    const Json::Value& table = memberOf(root, "LT");
    if (!version.isString() || !key.isString() || !title.isString() || !order.isInt())
        return false;
    // A file without texts cannot serve as a language.
    if (!table.isArray() || table.empty() || textOf(key).isEmpty())
        return false;

    info.key = textOf(key);
    info.title = textOf(title);
    info.order = order.asInt();
    const QStringList parts = textOf(version).split(QLatin1Char('.'), Qt::KeepEmptyParts);
    info.versionMajor = info.versionMinor = info.versionPatch = 0;
    if (parts.size() == 3) {
        info.versionMajor = parts.at(0).toInt();
        info.versionMinor = parts.at(1).toInt();
        info.versionPatch = parts.at(2).toInt();
    }
    return true;
}

QList<LanguageInfo*>& LanguageUtil::listOf(bool local)
{
    return local ? localList : resourceList;
}

void LanguageUtil::readLanguageInfos(bool local)
{
    const QString root = local ? localBase : resourceBase();
    QList<LanguageInfo*>& list = listOf(local);
    qDeleteAll(list);
    list.clear();

    for (const QString& folder : sortedFolders(root)) {
        const QString base = root + folder + QLatin1Char('/') + folder;
        const QString jsonPath = base + QStringLiteral(".json");
        if (!QFile::exists(jsonPath))
            continue;
        Json::Value file;
        LanguageInfo info;
        if (!readLanguageFile(jsonPath, file) || !readInfo(file, info)) {
            qWarning().noquote() << QStringLiteral("Language file is not valid and is not used: ") + jsonPath;
            continue;
        }
        // Local folders are named by their key; a file in the wrong folder
        // would be taken for another language.
        if (local && info.key != folder) {
            qWarning().noquote() << QStringLiteral("Language file does not belong to its folder and is not used: ")
                                        + jsonPath;
            continue;
        }
        info.jsonPath = jsonPath;
        const QString iconPath = base + QStringLiteral(".png");
        info.iconPath = QFile::exists(iconPath) ? iconPath : QString();
        list.append(new LanguageInfo(info));
    }

    if (local) {
        // The lists may have been rebuilt in another order: follow the key.
        int index = -1;
        currentIndex = findByKey(getCurrentKey(), index, true) ? index : -1;
    }
}

void LanguageUtil::syncLocalLanguages()
{
    readLanguageInfos(false);
    readLanguageInfos(true);

    if (!QDir(localBase).exists())
        FileUtil::createPath(localBase);

    for (int r = 0; r < resourceList.size(); ++r) {
        const LanguageInfo* resource = resourceList.at(r);
        int l = -1;
        if (!findByKey(resource->key, l, true)) {
            const QString localJson = localBase + resource->key + QLatin1Char('/') + resource->key
                                      + QStringLiteral(".json");
            if (QFile::exists(localJson)) {
                qWarning().noquote() << QStringLiteral("Local language file replaced by the one of the program: ")
                                            + localJson;
                FileUtil::replaceWithBackup(resource->jsonPath, localJson);
            }
            copyLanguageToLocal(r);
        } else if (checkVersion(r, l)) {
            FileUtil::replaceWithBackup(resource->jsonPath, localList.at(l)->jsonPath);
        }
    }

    readLanguageInfos(true);
}

void LanguageUtil::copyLanguageToLocal(const int& resourceIndex)
{
    if (resourceIndex < 0 || resourceIndex >= resourceList.size())
        return;
    const LanguageInfo* resource = resourceList.at(resourceIndex);
    const QString base = localBase + resource->key + QLatin1Char('/') + resource->key;
    if (!QFile::exists(base + QStringLiteral(".json")))
        FileUtil::copyFile(resource->jsonPath, base + QStringLiteral(".json"), true);
    if (!resource->iconPath.isEmpty() && !QFile::exists(base + QStringLiteral(".png")))
        FileUtil::copyFile(resource->iconPath, base + QStringLiteral(".png"), true);
}

bool LanguageUtil::checkVersion(const int& indexRessource, const int& indexLocal)
{
    if (indexRessource < 0 || indexRessource >= resourceList.size() || indexLocal < 0
        || indexLocal >= localList.size()) {
        qWarning().noquote() << QStringLiteral("bool LanguageUtil::checkVersion(const int&, const int&)")
                                    + QStringLiteral("\nInvalid parameter. Unable to execute method")
                                    + QStringLiteral("\nindexRessource: ") + QString::number(indexRessource)
                                    + QStringLiteral("\nindexLocal:     ") + QString::number(indexLocal);
        return false;
    }
    const LanguageInfo* resource = resourceList.at(indexRessource);
    const LanguageInfo* local = localList.at(indexLocal);
    const auto resourceVersion = std::make_tuple(resource->versionMajor, resource->versionMinor,
                                                 resource->versionPatch);
    const auto localVersion = std::make_tuple(local->versionMajor, local->versionMinor, local->versionPatch);
    return resourceVersion > localVersion;
}

bool LanguageUtil::findByKey(const QString& key, int& index, bool local)
{
    const QList<LanguageInfo*>& list = listOf(local);
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i)->key == key) {
            index = i;
            return true;
        }
    }
    return false;
}

// --- Selection and tables --------------------------------------------------

void LanguageUtil::selectAtStart()
{
    const QString stored = SettingsUtil::getValue(QLatin1String(SELECTION_KEY), QLatin1String(FALLBACK_KEY))
                               .toString();
    int index = -1;
    if (findByKey(stored, index, true) && setLanguage(index, false))
        return;

    // A fallback is no choice of the user's: it is not stored.
    if (findByKey(QLatin1String(FALLBACK_KEY), index, true) && setLanguage(index, false))
        return;
    for (const QPair<int, int>& entry : orderedIndexes()) {
        if (setLanguage(entry.first, false))
            return;
    }
    if (!localList.isEmpty())
        qWarning().noquote() << "No language file could be read; the built-in texts stay.";
}

bool LanguageUtil::setLanguage(const int& index, bool persist)
{
    if (index < 0 || index >= localList.size() || localList.at(index)->jsonPath.isEmpty())
        return false;
    if (index == currentIndex) {
        // Already in force: nothing to read. The user may still pick the
        // language a fallback chose, and that choice is kept.
        if (persist)
            SettingsUtil::setValue(QLatin1String(SELECTION_KEY), localList.at(index)->key);
        return true;
    }
    if (!readTexts(index))
        return false;
    extractFileFromJSONFile(index);

    const QString key = localList.at(index)->key;
    currentIndex = index;
    {
        AnnotatedWriteLocker locker(&tablesLock);
        currentKey = key;
    }
    if (persist)
        SettingsUtil::setValue(QLatin1String(SELECTION_KEY), key);
    return true;
}

bool LanguageUtil::readTexts(const int& index)
{
    if (index < 0 || index >= localList.size())
        return false;
    Json::Value file;
    if (!readLanguageFile(localList.at(index)->jsonPath, file))
        return false;
    const Json::Value& table = memberOf(file, "LT");
    if (!table.isArray() || table.empty())
        return false;

    QMap<int, QString> newTexts;
    QMap<int, QString> newHs;
    QMap<int, QString> newHl;
    int skipped = 0;
    for (const Json::Value& entry : table) {
        if (!entry.isObject()) {
            ++skipped;
            continue;
        }
        if (entry.empty())
            continue;
        const Json::Value& idNode = memberOf(entry, "ID");
        const int id = idNode.isInt() ? idNode.asInt() : 0;
        if (id == 0)
            continue;
        // Only real texts are stored, so a missing one falls back to the default.
        const Json::Value& text = memberOf(entry, "T");
        const Json::Value& shortText = memberOf(entry, "HS");
        const Json::Value& longText = memberOf(entry, "HL");
        if (text.isString())
            newTexts.insert(id, textOf(text));
        if (shortText.isString())
            newHs.insert(id, textOf(shortText));
        if (longText.isString())
            newHl.insert(id, textOf(longText));
    }
    if (skipped > 0)
        qWarning().noquote() << QStringLiteral("Language file %1: %2 entries of \"LT\" are no objects and were skipped")
                                    .arg(localList.at(index)->jsonPath)
                                    .arg(skipped);

    AnnotatedWriteLocker locker(&tablesLock);
    texts.swap(newTexts);
    hs.swap(newHs);
    hl.swap(newHl);
    return true;
}

bool LanguageUtil::extractFileFromJSONFile(const int& index)
{
    QMap<int, QString> newFiles;
    if (index >= 0 && index < localList.size()) {
        const LanguageInfo* language = localList.at(index);
        Json::Value file;
        readLanguageFile(language->jsonPath, file);

        // The documents come from the resource folder of the same language.
        QString resourceFolder;
        int resourceIndex = -1;
        if (findByKey(language->key, resourceIndex, false))
            resourceFolder = QFileInfo(resourceList.at(resourceIndex)->jsonPath).path() + QLatin1Char('/');

        const Json::Value& entries = memberOf(file, "FILE");
        if (entries.isArray()) {
            for (const Json::Value& entry : entries) {
                const Json::Value& idNode = memberOf(entry, "ID");
                const Json::Value& nameNode = memberOf(entry, "NAME");
                if (!idNode.isInt() || idNode.asInt() == 0 || !nameNode.isString())
                    continue;
                const QString name = textOf(nameNode);
                if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
                    continue;
                const QString source = resourceFolder.isEmpty() ? QString() : resourceFolder + name;
                const QString destination = localBase + language->key + QLatin1Char('/') + name;
                const bool haveSource = !source.isEmpty() && QFile::exists(source);
                if (!haveSource && !QFile::exists(destination)) {
                    qWarning().noquote() << QStringLiteral("File ") + source + QStringLiteral(" doesn't exist.");
                    continue;
                }
                if (!QFile::exists(destination))
                    FileUtil::copyFile(source, destination, true);
                // Only a document that is really there can be opened later.
                if (QFile::exists(destination))
                    newFiles.insert(idNode.asInt(), destination);
            }
        }
    }
    AnnotatedWriteLocker locker(&tablesLock);
    files.swap(newFiles);
    return true;
}

QString LanguageUtil::getText(const int& kind, const int& id, const QString& defaultText)
{
    AnnotatedReadLocker locker(&tablesLock);
    const QMap<int, QString>* table = nullptr;
    switch (kind) {
    case TEXT:
        table = &texts;
        break;
    case HS:
        table = &hs;
        break;
    case HL:
        table = &hl;
        break;
    case FILES:
        table = &files;
        break;
    default:
        return defaultText;
    }
    const auto found = table->constFind(id);
    return found == table->constEnd() ? defaultText : found.value();
}

QVariant LanguageUtil::getLanguageInfo(const int& index, const int& field)
{
    if (index < 0 || index >= localList.size())
        return QVariant();
    const LanguageInfo* language = localList.at(index);
    switch (field) {
    case JSON_PATH:
        return language->jsonPath;
    case ICON_PATH:
        return language->iconPath.isEmpty() ? resourceBase() + QStringLiteral("NoIcon.png") : language->iconPath;
    case TITLE:
        return language->title;
    case KEY:
        return language->key;
    case ORDER:
        return language->order;
    default:
        return QVariant();
    }
}

QList<QPair<int, int>> LanguageUtil::orderedIndexes()
{
    QList<QPair<int, int>> result;
    for (int i = 0; i < localList.size(); ++i)
        result.append(qMakePair(i, localList.at(i)->order));
    std::stable_sort(result.begin(), result.end(),
                     [](const QPair<int, int>& a, const QPair<int, int>& b) { return a.second < b.second; });
    return result;
}

QString LanguageUtil::getCurrentKey()
{
    AnnotatedReadLocker locker(&tablesLock);
    return currentKey;
}

int LanguageUtil::getCurrentIndex()
{
    return currentIndex;
}

int LanguageUtil::getLocalCount() const
{
    return localList.size();
}
