#include "util/UserMenuUtil.h"

#include "common/ChannelDataFlags.h"
#include "common/CommonJSONUtil.h"
#include "common/Severity.h"
#include "util/ChannelListUtil.h"
#include "util/FileUtil.h"
#include "util/JSONUtil.h"
#include "util/MeasureDisplayUtil.h"
#include "util/StatusMessageSink.h"
#include "util/UserRoleUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>
#include <QtDebug>

#include <exception>
#include <memory>

namespace {

const int TEXT_FILE_MOVED_ASIDE = 1490;
const int TEXT_CHANGE_NOT_SAVED = 1491;
const int MESSAGE_MS = 10000;

const char* const MENUS = "MENU";
const char* const CELLS = "CELL";

// A member name inside a path or way: no path syntax, no blanks.
const QString& memberName()
{
    static const QString pattern = QStringLiteral("[^.\\[\\]()?*@$,:'\"\\s]+");
    return pattern;
}

QString stringOr(const Json::Value& value, const QString& placeholder)
{
    return value.isString() ? QString::fromStdString(value.asString()) : placeholder;
}

bool isCellObjectAt(const Json::Value& element, int cellIndex)
{
    if (!element.isObject())
        return false;
    const Json::Value& index = element["IDX"];
    return index.isInt() && index.asInt() == cellIndex;
}

} // namespace

UserMenuUtil::UserMenuUtil(QObject* parent)
    : OverallUtil(parent)
{
    GlobalEnums::registerMetaTypes();
    TableStructure::registerMetaTypes();
    ChannelDataFlags::registerMetaTypes();
    qRegisterMetaType<UserMenuUtil::TableStyle>("UserMenuUtil::TableStyle");
    qRegisterMetaType<QVector<QString>>("QVector<QString>");

    filePath = FileUtil::basePath() + QStringLiteral("/User/UserMenu.json");
    openFile();

    if (jsonUtil) {
        connect(jsonUtil, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable), this,
                &UserMenuUtil::jsonTelegramm);
        connect(jsonUtil, &JSONUtil::beforeTelegramAvailable, this, &UserMenuUtil::beforeJsonTelegramm);
        connect(jsonUtil, &JSONUtil::afterTelegramAvailable, this, &UserMenuUtil::afterJsonTelegramm);
    }
    setBlockable(true);
}

UserMenuUtil::~UserMenuUtil()
{
    delete choicesSource;
    delete menuFile;
}

// ------------------------------------------------------------------ the file

void UserMenuUtil::openFile()
{
    if (QFileInfo(filePath).isDir()) {
        qCritical().noquote() << "A folder has the user-menu file's name; user menus cannot be saved:" << filePath;
        changesRefused = true;
        menuFile = new CommonJSONUtil(nullptr);
        return;
    }
    // A missing file stays missing: the first change writes it whole.
    std::unique_ptr<CommonJSONUtil> file(new CommonJSONUtil(filePath, nullptr));
    bool damaged = file->getFileState() == CommonJSONUtil::FILE_UNREADABLE;
    if (file->getFileState() == CommonJSONUtil::FILE_PARSED) {
        const Json::Value& root = *file->getJSON();
        if (!root.isObject()) {
            damaged = true;
        } else {
            const Json::Value& menus = root[MENUS];
            damaged = !menus.isArray() && !menus.isNull();
        }
    }
    if (!damaged) {
        menuFile = file.release();
        return;
    }

    menuFile = new CommonJSONUtil(nullptr);
    QString backup;
    if (moveFileAside(backup)) {
        qCritical().noquote() << "The user-menu file was damaged and has been moved to" << backup
                              << "; the user menus start empty";
        unreportedBackup = QFileInfo(backup).fileName();
    } else {
        qCritical().noquote() << "The damaged user-menu file could not be moved aside and is left as it is;"
                              << "no user-menu change is saved while the program runs:" << filePath;
        changesRefused = true;
    }
}

bool UserMenuUtil::moveFileAside(QString& backupPath)
{
    // An existing backup is never replaced: a later one gets the time in its name.
    const auto taken = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    backupPath = filePath + QStringLiteral(".bak");
    if (taken(backupPath)) {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        backupPath = filePath + QLatin1Char('.') + stamp + QStringLiteral(".bak");
        for (int n = 2; taken(backupPath); ++n) {
            if (n > 999)
                return false;
            backupPath = filePath + QLatin1Char('.') + stamp + QLatin1Char('-') + QString::number(n)
                         + QStringLiteral(".bak");
        }
    }
    QFile file(filePath);
    if (file.rename(backupPath))
        return true;
    qWarning().noquote() << "Could not move" << filePath << "to" << backupPath << ":" << file.errorString();
    return false;
}

bool UserMenuUtil::commitDocument(const Json::Value& root)
{
    if (changesRefused) {
        reportNotSaved();
        return false;
    }
    QDir().mkpath(QFileInfo(filePath).absolutePath());   // the folder may have been removed meanwhile
    std::unique_ptr<CommonJSONUtil> written(new CommonJSONUtil(root, nullptr));
    if (!written->saveJson(filePath)) {
        reportNotSaved();
        return false;
    }
    delete menuFile;
    menuFile = written.release();
    return true;
}

void UserMenuUtil::reportNotSaved()
{
    qWarning().noquote() << "The user-menu change could not be saved and is discarded:" << filePath;
    StatusMessageSink::postText(
        TEXT_CHANGE_NOT_SAVED,
        QStringLiteral("Das Usermenü konnte nicht gespeichert werden; die Änderung wurde verworfen."), {},
        SEVERITY_ERROR, MESSAGE_MS);
}

bool UserMenuUtil::isDefinitePath(const QString& path)
{
    // Member names and array indices only: one node at most, never a search.
    static const QRegularExpression definite(
        QStringLiteral("^\\$(\\.%1(\\[[0-9]{1,9}\\])*)+$").arg(memberName()));
    return definite.match(path).hasMatch();
}

bool UserMenuUtil::isMemberWay(const QString& way)
{
    static const QRegularExpression members(QStringLiteral("^%1(\\.%1)*$").arg(memberName()));
    return members.match(way).hasMatch();
}

// ------------------------------------------------------------------- reading

void UserMenuUtil::getJsonPath()
{
    QVector<QVector<QString>> paths;
    QVector<QVector<QString>> ways;
    QVector<QVector<int>> indices;
    QVector<int> styles;
    QVector<QString> names;
    QVector<int> arrayIndices;
    int skipped = 0;
    try {
        const Json::Value& root = *menuFile->getJSON();
        const Json::Value& menus = root.isObject() ? root[MENUS] : Json::Value::nullSingleton();
        const int count = menus.isArray() ? static_cast<int>(menus.size()) : 0;
        for (int m = 0; m < count; ++m) {
            const Json::Value& menu = menus[static_cast<Json::ArrayIndex>(m)];
            if (!menu.isObject() || !menu["NAME"].isString() || !menu["ST"].isInt()) {
                ++skipped;
                continue;
            }
            QVector<QString> menuPaths;
            QVector<QString> menuWays;
            QVector<int> menuIndices;
            const Json::Value& cells = menu[CELLS];
            if (cells.isArray()) {
                for (const Json::Value& cell : cells) {
                    const bool complete = cell.isObject() && cell["IDX"].isInt() && cell["CHAN"].isObject()
                                          && cell["CHAN"]["PATH"].isString() && cell["VAL"].isObject()
                                          && cell["VAL"]["WAY"].isString();
                    const QString path = complete ? stringOr(cell["CHAN"]["PATH"], QString()) : QString();
                    const QString way = complete ? stringOr(cell["VAL"]["WAY"], QString()) : QString();
                    if (!complete || !isDefinitePath(path) || !isMemberWay(way)) {
                        ++skipped;
                        continue;
                    }
                    menuPaths.append(path);
                    menuWays.append(way);
                    menuIndices.append(cell["IDX"].asInt());
                }
            }
            names.append(QString::fromStdString(menu["NAME"].asString()));
            styles.append(menu["ST"].asInt());
            paths.append(menuPaths);
            ways.append(menuWays);
            indices.append(menuIndices);
            arrayIndices.append(m);
        }
    } catch (const std::exception& e) {
        qCritical().noquote() << e.what();
    }
    if (skipped != reportedSkips && skipped > 0)
        qWarning().noquote() << "The user-menu file holds" << skipped
                             << "incomplete menus or cells; they are kept in the file but not shown";
    reportedSkips = skipped;

    cellChannelPaths = paths;
    cellValueWays = ways;
    cellIndices = indices;
    tableStyles = styles;
    menuNames = names;
    menuArrayIndices = arrayIndices;
}

void UserMenuUtil::getMenuList()
{
    currentMenu = 0;
    menuShown = false;
    if (!unreportedBackup.isEmpty()) {
        StatusMessageSink::postText(TEXT_FILE_MOVED_ASIDE,
                                    QStringLiteral("Die Usermenü-Datei war beschädigt und wurde als %1 gesichert."),
                                    {unreportedBackup}, SEVERITY_ERROR, MESSAGE_MS);
        unreportedBackup.clear();
    }

    const QPixmap trash(QStringLiteral(":/pic/icon/trash.png"));
    QVector<QVector<TableCell>> rows;
    rows.reserve(menuNames.size());
    for (const QString& name : qAsConst(menuNames)) {
        TableCell nameCell;
        nameCell.setCellType(TableCell::TEXT);
        nameCell.setValue(name);
        TableCell trashCell;
        trashCell.setCellType(TableCell::ICON);
        trashCell.setAlignment(TableCell::ALIGN_RIGHT);
        if (!trash.isNull())
            trashCell.setValue(trash);
        rows.append({nameCell, trashCell});
    }
    TableStructure table;
    table.setRows(rows);
    emit updateMenuList(table);
}

void UserMenuUtil::getUserMenu(const int& index)
{
    valuePaths.clear();
    TableStructure table;
    if (index >= 0 && index < tableStyles.size() && index < cellChannelPaths.size()
        && index < cellValueWays.size() && index < cellIndices.size()) {
        currentMenu = index;
        menuShown = true;
        const QVector<QString>& paths = cellChannelPaths.at(index);
        const QVector<QString>& ways = cellValueWays.at(index);
        if (paths.size() == ways.size())
            for (int p = 0; p < paths.size(); ++p)
                valuePaths.append(paths.at(p) + QLatin1Char('.') + ways.at(p));

        const QVector<int>& indices = cellIndices.at(index);
        QVector<QVector<TableCell>> rows;
        int k = 0;
        for (int r = 0; r < rowCount; ++r) {
            QVector<TableCell> row;
            for (int c = 0; c < columnCount; ++c, ++k) {
                const int p = indices.indexOf(k);
                TableCell cell = p >= 0 ? getTableCell(p) : TableCell();
                cell.setCellType(TableCell::OWNER_WIDGET);
                row.append(cell);
            }
            rows.append(row);
        }
        table.setRows(rows);
        table.setHeaderVisible(false);
    }
    emit updateUserMenu(table);
}

TableCell UserMenuUtil::getTableCell(const int& cellPos)
{
    TableCell cell;
    cell.setCellType(TableCell::OWNER_WIDGET);
    if (currentMenu < 0 || currentMenu >= cellChannelPaths.size() || currentMenu >= cellValueWays.size())
        return cell;
    const QVector<QString>& paths = cellChannelPaths.at(currentMenu);
    const QVector<QString>& ways = cellValueWays.at(currentMenu);
    if (cellPos < 0 || cellPos >= paths.size() || cellPos >= ways.size())
        return cell;

    QString number = QStringLiteral("--");
    QString name = QStringLiteral("-----");
    QString valueText = QStringLiteral("---");
    QString unit = QStringLiteral("--");
    ChannelDataFlags::LeftFlags status = 0;
    try {
        const QString& channel = paths.at(cellPos);
        const QString& way = ways.at(cellPos);
        if (jsonUtil) {
            Json::Value node;
            jsonUtil->getMasterJSONbyPath(channel + QStringLiteral(".ADR"), node, true);
            number = stringOr(node, number);

            Json::Value channelText;
            if (jsonUtil->getMasterJSONbyPath(channel + QStringLiteral(".MV"), channelText, true)
                && channelText.isObject()) {
                int id = -1;
                jsonUtil->getInternationalisationFromID(channelText, id, name);
            }

            Json::Value value;
            jsonUtil->getMasterJSONbyPath(getValuePath(cellPos, QStringLiteral("VAL")), value, true);
            if (value.isString())
                valueText = QString::fromStdString(value.asString());
            else if (value.isNumeric())
                valueText = QString::number(value.asDouble(), 'g', 6);

            Json::Value dimension;
            jsonUtil->getMasterJSONbyPath(getValuePath(cellPos, QStringLiteral("DIM")), dimension, true);
            if (dimension.isString()) {
                unit = QString::fromStdString(dimension.asString());
            } else if (dimension.isObject()) {
                int id = -1;
                jsonUtil->getInternationalisationFromID(dimension, id, unit);
            }

            // Which status bits the shown value can carry: a maximum only its
            // mark, a minimum only its mark, the value never either mark.
            int mask = 0;
            if (way.count(QLatin1String("MV.MW")) == 1)
                mask = ~(ChannelDataFlags::MAXIMUM_MARK | ChannelDataFlags::MINIMUM_MARK);
            else if (way.count(QLatin1String("MV.MAW")) == 1)
                mask = ChannelDataFlags::MAXIMUM_MARK;
            else if (way.count(QLatin1String("MV.MIW")) == 1)
                mask = ChannelDataFlags::MINIMUM_MARK;
            if (mask != 0) {
                Json::Value flags;
                jsonUtil->getMasterJSONbyPath(channel + QStringLiteral(".MV.STF.VAL"), flags, true);
                status = MeasureDisplayUtil::parseLeftFlags(flags) & mask;
            }
        }
    } catch (const std::exception& e) {
        qCritical().noquote() << e.what();
    }
    cell.setData(QVariant::fromValue<ChannelDataFlags::LeftFlags>(status));
    cell.setValue(QVariant::fromValue(QVector<QString>{number, name, valueText, unit}));
    return cell;
}

// ------------------------------------------------------------------- changes

void UserMenuUtil::addUserMenu(QString name, UserMenuUtil::TableStyle style)
{
    try {
        Json::Value root = menuFile->getSnapshot();
        if (root.isNull())
            root = Json::Value(Json::objectValue);
        Json::Value& menus = root[MENUS];
        if (menus.isNull())
            menus = Json::Value(Json::arrayValue);

        Json::Value menu(Json::objectValue);
        menu["NAME"] = name.toStdString();
        menu["ST"] = static_cast<int>(style);
        menu["USER"] = (userRoleUtil ? userRoleUtil->getUserName() : QString()).toStdString();
        menu["TIME"] = Json::Int64(QDateTime::currentMSecsSinceEpoch());
        menu["MEN"] = Json::Value(Json::arrayValue);
        menus.append(menu);
        if (!commitDocument(root))
            return;
    } catch (const std::exception& e) {
        qCritical().noquote() << e.what();
        return;
    }
    getJsonPath();
    // The new menu is complete and last in the file, so it is the list's last.
    const int index = menuNames.size() - 1;
    emit openMenu(index, style);
}

void UserMenuUtil::deleteUserMenu(const int& index)
{
    if (index >= 0 && index < menuArrayIndices.size()) {
        try {
            Json::Value root = menuFile->getSnapshot();
            const Json::Value& menus = root[MENUS];
            const Json::ArrayIndex removed = static_cast<Json::ArrayIndex>(menuArrayIndices.at(index));
            Json::Value kept(Json::arrayValue);
            for (Json::ArrayIndex i = 0; i < menus.size(); ++i)
                if (i != removed)
                    kept.append(menus[i]);
            root[MENUS] = kept.empty() ? Json::Value() : kept;
            commitDocument(root);
        } catch (const std::exception& e) {
            qCritical().noquote() << e.what();
        }
    }
    getJsonPath();
    getMenuList();
}

bool UserMenuUtil::replaceCell(int cellIndex, const Json::Value* newCell)
{
    if (currentMenu < 0 || currentMenu >= menuArrayIndices.size())
        return false;
    Json::Value root = menuFile->getSnapshot();
    const Json::ArrayIndex place = static_cast<Json::ArrayIndex>(menuArrayIndices.at(currentMenu));
    if (!root.isObject() || !root[MENUS].isArray() || place >= root[MENUS].size()
        || !root[MENUS][place].isObject())
        return false;
    Json::Value& cells = root[MENUS][place][CELLS];
    if (!cells.isNull() && !cells.isArray()) {
        qWarning().noquote() << "The cells of user menu" << currentMenu << "are no list; they are left as they are";
        return false;
    }
    // Only the cell's own objects go; whatever else the list holds stays.
    Json::Value kept(Json::arrayValue);
    bool removed = false;
    for (const Json::Value& element : cells) {
        if (isCellObjectAt(element, cellIndex))
            removed = true;
        else
            kept.append(element);
    }
    if (newCell)
        kept.append(*newCell);
    else if (!removed)
        return false;
    cells = kept.empty() ? Json::Value() : kept;
    return commitDocument(root);
}

void UserMenuUtil::setCell(int cellIndex, QString channelPath, QString valueWay)
{
    if (!isDefinitePath(channelPath) || !isMemberWay(valueWay)) {
        qWarning().noquote() << "A user-menu cell needs a channel path and a value way; not assigned:"
                             << channelPath << valueWay;
    } else {
        try {
            Json::Value cell(Json::objectValue);
            cell["CHAN"]["PATH"] = channelPath.toStdString();
            cell["VAL"]["WAY"] = valueWay.toStdString();
            cell["IDX"] = cellIndex;
            replaceCell(cellIndex, &cell);
        } catch (const std::exception& e) {
            qCritical().noquote() << e.what();
        }
    }
    getJsonPath();
    getUserMenu(currentMenu);
}

void UserMenuUtil::clearCell(int cellIndex)
{
    try {
        replaceCell(cellIndex, nullptr);
    } catch (const std::exception& e) {
        qCritical().noquote() << e.what();
    }
    getJsonPath();
    getUserMenu(currentMenu);
}

// ------------------------------------------------------------------- getters

UserMenuUtil::TableStyle UserMenuUtil::getTableStyle(int index)
{
    if (index < 0 || index >= tableStyles.size())
        return STYLE_TWELVE;
    return static_cast<TableStyle>(tableStyles.at(index));
}

int UserMenuUtil::getCurrentMenu()
{
    return currentMenu;
}

UserMenuUtil::TableStyle UserMenuUtil::getCurrentTableStyle()
{
    return getTableStyle(currentMenu);
}

void UserMenuUtil::setColumnCount(int count)
{
    columnCount = count;
}

void UserMenuUtil::setRowCount(int count)
{
    rowCount = count;
}

QString UserMenuUtil::getValuePath(const int& cellPos, const QString& key)
{
    if (currentMenu < 0 || currentMenu >= cellChannelPaths.size() || currentMenu >= cellValueWays.size())
        return QString();
    const QVector<QString>& paths = cellChannelPaths.at(currentMenu);
    const QVector<QString>& ways = cellValueWays.at(currentMenu);
    if (cellPos < 0 || cellPos >= paths.size() || cellPos >= ways.size())
        return QString();
    return paths.at(cellPos) + QLatin1Char('.') + ways.at(cellPos) + QLatin1Char('.') + key;
}

QString UserMenuUtil::getCellChannelPath(int cellIndex)
{
    if (currentMenu < 0 || currentMenu >= cellIndices.size())
        return QString();
    const int p = cellIndices.at(currentMenu).indexOf(cellIndex);
    return p >= 0 ? cellChannelPaths.at(currentMenu).value(p) : QString();
}

QString UserMenuUtil::getCellValueWay(int cellIndex)
{
    if (currentMenu < 0 || currentMenu >= cellIndices.size())
        return QString();
    const int p = cellIndices.at(currentMenu).indexOf(cellIndex);
    return p >= 0 ? cellValueWays.at(currentMenu).value(p) : QString();
}

// ------------------------------------------------------- change notifications

void UserMenuUtil::beforeJsonTelegramm()
{
    valuesChanged = false;
    channelsChanged = false;
}

void UserMenuUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    // Both flags set: nothing more this batch can tell.
    if (!menuShown || (valuesChanged && channelsChanged))
        return;
    for (const QString& valuePath : qAsConst(valuePaths)) {
        if (path.count(valuePath) == 1) {
            valuesChanged = true;
            break;
        }
    }
    // An empty update path (no channel list read yet) matches nothing.
    if (path.count(QLatin1String(MeasureDisplayUtil::DESCRIPTION_PATH)) == 1
        || (!updatePath.isEmpty() && CommonJSONUtil::getGenericPath(path).count(updatePath) == 1)) {
        valuesChanged = true;
        channelsChanged = true;
    }
}

void UserMenuUtil::afterJsonTelegramm()
{
    if (valuesChanged)
        emit updateChannelData();
    if (channelsChanged)
        emit updateActiveChannels();
}

// ---------------------------------------------------------- cell dialog lists

void UserMenuUtil::getActiveChannels()
{
    if (choicesSource)
        return;   // the list under way answers this request too
    choicesSource = new MeasureDisplayUtil();
    // Not paused with the application: the dialog waits for this answer.
    choicesSource->setBlockable(false);
    connect(choicesSource, &MeasureDisplayUtil::updateComboBox, this, [this](QStringList&) { deliverChoices(); });
    choicesSource->readChannelDescription();
    choicesSource->requestChannelList();
    // The end of the build hands the names over even when there are none.
    choicesSource->resendChannelNames();
}

void UserMenuUtil::deliverChoices()
{
    MeasureDisplayUtil* source = choicesSource;
    if (!source)
        return;
    choicesSource = nullptr;
    source->disconnect(this);
    QVector<QString> paths;
    QVector<QString> names;
    source->getChannelList(paths, names);
    updatePath = source->getUpdatePath();
    source->deleteLater();   // it is still delivering its signal

    // Only the description's items are wanted: no header (and no stored column choice) is built.
    ChannelListUtil items;
    items.readChannelDescription();
    QStringList valueNames = items.getItemNames();
    QStringList valueWays = items.getItemWays();

    QStringList channelNames(names.cbegin(), names.cend());
    QStringList channelPaths(paths.cbegin(), paths.cend());
    emit updateAddSelectDialog(channelNames, channelPaths, valueNames, valueWays);
}
