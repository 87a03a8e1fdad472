// DeviceConfigUtil's table builder: one TableStructure from a configuration
// node of the device description, of kind ROWS (entries of the node), STAB
// (selection table) or DTAB (data table). Whatever is missing is read from
// the device once, and every path the table depends on is watched.
#include "util/DeviceConfigUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/CommonJSONUtil.h"
#include "json/JSONObject.h"
#include "util/JSONUtil.h"

#include <QHash>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// "HIDD": absent or null shows the entry; a boolean or number hides it when
// true or not 0 (a fraction counts by its whole part); anything else hides it.
bool isHidden(const Json::Value& hidden)
{
    if (hidden.isNull())
        return false;
    if (hidden.isBool())
        return hidden.asBool();
    if (hidden.isNumeric())
        return std::trunc(hidden.asDouble()) != 0.0;
    return true;
}

} // namespace

QImage DeviceConfigUtil::configIcon(int number)
{
    // Builders on several threads share the decoded pictures.
    static QMutex iconMutex;
    static QHash<int, QImage> icons;
    AnnotatedMutexLocker locker(&iconMutex);
    const auto known = icons.constFind(number);
    if (known != icons.constEnd())
        return *known;
    const QImage image(QStringLiteral(":/pic/config/Icon_%1.png").arg(number));
    icons.insert(number, image);
    return image;
}

QString DeviceConfigUtil::processRequest(const QString& path)
{
    {
        AnnotatedMutexLocker locker(&mutex);
        currentPath = path;
    }
    if (!jsonUtil)
        return path;
    QString solved = path;
    beginBuild();
    try {
        solved = solvedPath(path);
        addWatchedPath(solved);
        Json::Value node;
        readNode(solved, node);
        if (!isEmptyValue(node))
            buildTable(node, solved);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Configuration table" << solved << "could not be built:" << e.what();
    } catch (...) {
        qWarning().noquote() << "Configuration table" << solved << "could not be built";
    }
    // Something the table shows may have changed while it was read: show it again.
    if (finishBuild() && isRunning())
        emit updateConfigTable();
    return solved;
}

void DeviceConfigUtil::buildTable(const Json::Value& node, const QString& path)
{
    if (!isRunning())
        return;
    TableStructure table;
    if (!isEmptyValue(member(node, "ROWS"))) {
        buildRowsTable(node, table, path);
    } else if (!isEmptyValue(member(node, "STAB"))) {
        buildStabTable(node, table, path);
    } else if (!isEmptyValue(member(node, "DTAB"))) {
        buildDtabTable(node, table, path);
    } else {
        requestReadOnce(path);
        return;
    }
    if (isRunning())
        emit updateConfigTable(table);
}

void DeviceConfigUtil::buildRowsTable(const Json::Value& node, TableStructure& table, const QString& path)
{
    if (!isRunning())
        return;
    table.setPath(path);
    setTableTitle(node, table);
    setTableAut(node, table);
    table.setTableType(TableStructure::ROWS);
    table.setHeaderVisible(false);
    table.setHeader({TableEntry(QStringLiteral("ICON")), TableEntry(QStringLiteral("Text")),
                     TableEntry(QStringLiteral("Eingabe")), TableEntry(QStringLiteral("Dimension"))});

    const Json::Value& keys = member(node, "ROWS");
    if (!keys.isArray()) {
        requestReadOnce(path);
        return;
    }
    QVector<QVector<TableCell>> rows;
    for (const Json::Value& key : keys) {
        if (!isRunning())
            break;
        if (!key.isString() || key.asString().empty())
            continue;
        appendRowsEntry(node, QString::fromStdString(key.asString()), path, rows);
    }
    table.setRows(rows);
}

void DeviceConfigUtil::appendRowsEntry(const Json::Value& node, const QString& key, const QString& nodePath,
                                       QVector<QVector<TableCell>>& rows)
{
    static const Json::Value noEntry(Json::objectValue);
    const std::string name = key.toStdString();
    const Json::Value& own = member(node, name.c_str());
    const Json::Value& link = member(own, "PATH");
    Json::Value linked;
    const Json::Value* found = &noEntry;
    QString entryPath;
    if (isEmptyValue(link) || (link.isString() && link.asString().empty())) {
        if (!own.isNull() && !own.isObject())
            return;   // not an entry
        if (own.isObject())
            found = &own;
        entryPath = nodePath + QLatin1Char('.') + key;
    } else {
        if (!link.isString())
            return;
        entryPath = solvedPath(QString::fromStdString(link.asString()));
        // Until a missing entry arrives, its row is shown empty.
        if (readNode(entryPath, linked) && linked.isObject()) {
            found = &linked;
            checkAndLoadID(linked, entryPath);
        }
    }
    const Json::Value& entry = *found;

    if (isHidden(member(entry, "HIDD")))
        return;
    addWatchedPath(entryPath);

    const Json::Value& valueLink = member(member(entry, "VAL"), "PATH");
    if (valueLink.isString()) {
        const QString valuePath = solvedPath(QString::fromStdString(valueLink.asString()));
        Json::Value linkedValue;
        readNode(valuePath, linkedValue);
        addWatchedPath(valuePath);
    }

    TableCell icon;
    const Json::Value& iconNumber = member(entry, "ICON");
    const bool withIcon = !isEmptyValue(iconNumber);
    if (withIcon) {
        icon.setCellType(TableCell::ICON);
        icon.setRights(TableCell::NO_RIGHTS_INFO);
        icon.setPath(entryPath + QStringLiteral(".ICON"));
        icon.setAlignment(TableCell::ALIGN_CENTER);
        int number = 0;
        if (readInt(iconNumber, number)) {
            const QImage image = configIcon(number);
            if (!image.isNull())
                icon.setValue(image);
        }
    }

    TableCell text;
    text.setCellType(TableCell::TEXT);
    text.setRights(TableCell::NO_RIGHTS_INFO);
    text.setValue(deviceText(entry));
    text.setPath(entryPath + QStringLiteral(".T"));

    TableCell input;
    setInputCell(entry, entryPath, input);
    if (input.getCellType() == TableCell::LINK)
        input.setValue(entryPath + QStringLiteral(".MEN"));

    TableCell unit;
    const Json::Value& dimension = member(entry, "DIM");
    const bool withUnit = !isEmptyValue(dimension);
    if (withUnit) {
        unit.setCellType(TableCell::TEXT);
        unit.setRights(TableCell::NO_RIGHTS_INFO);
        if (dimension.isString()) {
            unit.setValue(valueText(dimension));
            unit.setPath(entryPath + QStringLiteral(".DIM"));
        } else {
            unit.setValue(deviceText(dimension));
            unit.setPath(entryPath + QStringLiteral(".DIM.T"));
        }
    }

    QVector<TableCell> row;
    row.reserve(4);
    if (withIcon) {
        row << icon << text;
    } else {
        text.setColumnSpan(2);
        row << text << TableCell();
    }
    if (withUnit) {
        row << input << unit;
    } else {
        input.setColumnSpan(2);
        row << input << TableCell();
    }
    rows.append(row);
}

void DeviceConfigUtil::buildStabTable(const Json::Value& node, TableStructure& table, const QString& path)
{
    buildColumnTable(node, table, path, TableStructure::STAB);
}

void DeviceConfigUtil::buildDtabTable(const Json::Value& node, TableStructure& table, const QString& path)
{
    buildColumnTable(node, table, path, TableStructure::DTAB);
}

// A selection table (STAB: with the chosen row's index and the row count)
// and a data table (DTAB) are built alike from their linked description.
void DeviceConfigUtil::buildColumnTable(const Json::Value& node, TableStructure& table, const QString& path, int kind)
{
    if (!isRunning())
        return;
    const bool selection = kind == TableStructure::STAB;
    table.setPath(path);
    const Json::Value& descriptionLink = member(member(node, selection ? "STAB" : "DTAB"), "PATH");
    if (!descriptionLink.isString())
        return;
    const QString descriptionPath = solvedPath(QString::fromStdString(descriptionLink.asString()));
    addWatchedPath(descriptionPath);
    Json::Value description;
    readNode(descriptionPath, description);
    if (!description.isObject())
        return;

    setTableTitle(description, table);
    setTableAut(description, table);
    table.setTableType(kind);
    if (selection) {
        const Json::Value& idx = member(member(description, "IDX"), "PATH");
        table.setIdxPath(idx.isString() ? valueText(idx) : QString());
    }
    const Json::Value& content = member(member(description, "CONT"), "PATH");
    if (content.isString()) {
        table.setContPath(valueText(content));
        addWatchedPath(valueText(content));
    }
    setTableHeader(description, table);
    setColumntableDefinition(description, table, selection, table.getHeader().size());
}

void DeviceConfigUtil::setColumntableDefinition(const Json::Value& description, TableStructure& table,
                                                const bool& useRcnt, const int& columnCount)
{
    if (!isRunning() || !jsonUtil)
        return;
    const Json::Value& columns = member(description, "TD");
    if (!columns.isArray() || columns.empty())
        return;

    // One consistent copy of the mirror answers every query of this table.
    Json::Value tree = jsonUtil->getSnapshot();
    KORVALIS::JSON::JSONObject* document = new KORVALIS::JSON::JSONObject();
    document->swapJSON(tree);
    CommonJSONUtil copy(document, nullptr);

    int expectedFromRcnt = 0;
    if (useRcnt) {
        const Json::Value& countLink = member(member(description, "RCNT"), "PATH");
        if (countLink.isString()) {
            const QString countPath = solvedPath(valueText(countLink));
            addWatchedPath(countPath);
            Json::Value count;
            if (!copy.getJSONbyPath(countPath, count))
                requestReadOnce(countPath);
            // A negative or fractional count counts 0.
            if (readInt(count, expectedFromRcnt) && expectedFromRcnt < 0)
                expectedFromRcnt = 0;
            if (expectedFromRcnt > MAX_ROW_COUNT) {
                qWarning().noquote() << "Row count" << expectedFromRcnt << "at" << countPath << "is above"
                                     << MAX_ROW_COUNT << "- the table is not filled";
                return;
            }
        }
    }

    QVector<QVector<TableCell>> rows;
    for (Json::ArrayIndex i = 0; i < columns.size(); ++i) {
        if (!isRunning())
            break;
        fillColumn(copy, columns[i], int(i), expectedFromRcnt, useRcnt, columnCount, rows);
    }
    table.setRows(rows);
}

void DeviceConfigUtil::fillColumn(CommonJSONUtil& copy, const Json::Value& column, int columnIndex,
                                  int expectedFromRcnt, bool useRcnt, int columnCount,
                                  QVector<QVector<TableCell>>& rows)
{
    const Json::Value& pathNode = member(column, "PATH");
    if (!pathNode.isString())
        return;
    const QString columnPath = solvedPath(valueText(pathNode));
    if (columnIndex >= columnCount) {
        qWarning().noquote() << "Column" << columnIndex << "(" + columnPath + ") has no header entry and is skipped";
        return;
    }
    const Json::Value inp = member(column, "INP");
    const Json::Value& mode = member(inp, "MODE");

    QVector<Json::Value> values;
    QVector<QString> paths;
    const bool found = copy.getJSONbyPath(columnPath, values, paths);
    addWatchedPath(columnPath);
    // An existing but empty list is data too: nothing to ask the device for.
    const bool emptyList = !found && containerIsEmpty(copy, columnPath);
    // Entries that are there may hold only what a read of a part of them brought.
    if ((!found && !emptyList) || std::any_of(values.cbegin(), values.cend(), isContainer))
        requestReadOnce(columnPath);

    const int real = values.size();
    const int expected = useRcnt ? expectedFromRcnt : real;
    while (rows.size() < expected)
        rows.append(QVector<TableCell>(columnCount));
    if (expected != real) {
        if (expected > 0 && !emptyList && requestReadOnce(columnPath))
            qInfo().noquote() << "Reload column because of wrong row count. Expected: " << expected << " Real: "
                              << real << " at " << columnPath;
        return;
    }

    for (int r = 0; r < real; ++r) {
        if (!isRunning())
            return;
        const Json::Value& value = values.at(r);
        if (value.empty())
            continue;
        // The value's own path: with several [*] the row number is not its index everywhere.
        const QString cellPath = r < paths.size() ? paths.at(r) : QString();
        QVector<TableCell>& row = rows[r];
        if (row.size() < columnCount)
            row.resize(columnCount);

        TableCell cell;
        const TableCell::CellType type = setTablecellValueMode(cell, cellPath, mode, value, inp);
        setCellRights(inp, cell, type);
        cell.setPath(cellPath);
        if (type == TableCell::NONE)
            fallbackCell(cell, cellPath, value);
        row[columnIndex] = cell;
    }
}

bool DeviceConfigUtil::containerIsEmpty(CommonJSONUtil& copy, const QString& columnPath)
{
    const int wildcard = columnPath.indexOf(QStringLiteral("[*]"));
    if (wildcard <= 0)
        return false;
    Json::Value container;
    if (!copy.getJSONbyPath(columnPath.left(wildcard), container))
        return false;
    return (container.isArray() || container.isObject()) && container.empty();
}

void DeviceConfigUtil::fallbackCell(TableCell& cell, const QString& cellPath, const Json::Value& value)
{
    if (value.isString() || value.isBool()) {
        cell.setCellType(TableCell::TEXT);
        cell.setValue(valueText(value));
    } else if (value.isNumeric()) {
        cell.setCellType(TableCell::NUMBER_EDIT);
        cell.setValue(valueText(value));
    } else if (value.isObject()) {
        // An entry given inline, or linked through "PATH", writes below its own path.
        Json::Value resolved = value;
        QString resolvedPath = cellPath;
        resolvePathNode(resolved, resolvedPath);
        cell.setRights(TableCell::NO_RIGHTS_INFO);
        if (resolved.isObject())
            setInputCell(resolved, resolvedPath, cell);
        if (cell.getRights() == TableCell::NO_RIGHTS_INFO) {
            cell.setCellType(TableCell::TEXT);
            cell.setValue(deviceText(resolved));
        }
    } else {
        cell.setCellType(TableCell::TEXT);
        cell.setValue(QStringLiteral("No valid path! ") + cellPath);
    }
}
