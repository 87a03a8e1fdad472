// DeviceConfigUtil's cell factory: one TableCell from a device entry
// {"VAL", "INP"}, with its type, value, options, limits, format and rights,
// and the small table helpers (title, level, header, "PATH" links).
#include "util/DeviceConfigUtil.h"

#include "util/JSONUtil.h"
#include "util/LanguageUtil.h"
#include "util/UserRoleUtil.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QtDebug>

#include <cmath>
#include <cstring>
#include <exception>

namespace {

// 0001-01-01T00:00:00Z and 9999-12-31T23:59:59.999Z: the dates shown as dd.MM.yyyy.
const qint64 FIRST_SHOWN_MS = -62135596800000LL;
const qint64 LAST_SHOWN_MS = 253402300799999LL;

bool isMode(const Json::Value& mode, const char* name)
{
    return mode.isString() && std::strcmp(mode.asCString(), name) == 0;
}

bool isScalar(const Json::Value& value)
{
    return value.isString() || value.isNumeric() || value.isBool();
}

// Milliseconds since the epoch as a local date and time; false outside the shown years.
bool epochText(const Json::Value& value, QString& text)
{
    qint64 ms = 0;
    if (value.isInt64()) {
        ms = value.asInt64();
    } else if (value.isDouble() && std::isfinite(value.asDouble())
               && std::fabs(value.asDouble()) < 9.2e18) {
        ms = static_cast<qint64>(value.asDouble());
    } else {
        return false;
    }
    if (ms < FIRST_SHOWN_MS || ms > LAST_SHOWN_MS)
        return false;
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    if (!time.isValid())
        return false;
    text = time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    return true;
}

} // namespace

void DeviceConfigUtil::setInputCell(const Json::Value& entry, const QString& entryPath, TableCell& cell)
{
    if (!entry.isObject())
        return;
    try {
        const Json::Value value = member(entry, "VAL");
        const Json::Value inp = member(entry, "INP");
        if (inp.isObject() && !inp.empty()) {
            const TableCell::CellType type = setTablecellValueMode(cell, entryPath, member(inp, "MODE"), value, inp);
            setCellRights(inp, cell, type);
            if (type != TableCell::NONE)
                cell.setPath(entryPath + QStringLiteral(".VAL"));
            return;
        }
        cell.setCellType(TableCell::TEXT);
        cell.setRights(TableCell::NO_RIGHTS_INFO);
        cell.setValue(valueText(value));
        cell.setPath(entryPath + QStringLiteral(".VAL"));
    } catch (const std::exception& e) {
        qWarning().noquote() << "Input cell of" << entryPath << "could not be made:" << e.what();
    }
}

TableCell::CellType DeviceConfigUtil::setTablecellValueMode(TableCell& cell, const QString& cellPath,
                                                            const Json::Value& mode, const Json::Value& value,
                                                            Json::Value inp)
{
    if (!mode.isString())
        return TableCell::NONE;
    const bool withInp = inp.isObject();
    // An array or object counts as no value when it is empty.
    const bool noValue = value.empty();

    if (isMode(mode, "M")) {
        QVector<Json::Value> nodes;
        if (jsonUtil)
            jsonUtil->getMasterJSONbyPath(cellPath, nodes, false);
        if (nodes.size() != 1 || nodes.first().isNull())
            return TableCell::NONE;
        cell.setCellType(TableCell::LINK);
        cell.setValue(cellPath);
        cell.setAlignment(TableCell::ALIGN_RIGHT);
        return TableCell::LINK;
    }
    if (isMode(mode, "Z")) {
        if (!value.isString() && !value.isNumeric() && !noValue)
            return TableCell::NONE;
        cell.setCellType(TableCell::NUMBER_EDIT);
        cell.setValue(valueText(value));
        setCellLimits(cell, inp);
        return TableCell::NUMBER_EDIT;
    }
    if (isMode(mode, "A")) {
        if (!value.isString() && !noValue)
            return TableCell::NONE;
        cell.setCellType(TableCell::TEXT_EDIT);
        cell.setValue(valueText(value));
        setCellLimits(cell, inp);
        return TableCell::TEXT_EDIT;
    }
    if (isMode(mode, "YC")) {
        if (!value.isBool())
            return TableCell::NONE;
        cell.setCellType(TableCell::CHECK);
        cell.setValue(value.asBool());
        return TableCell::CHECK;
    }
    if (withInp && isMode(mode, "R")) {
        int index = 0;
        if (!readInt(value, index)) {
            qWarning().noquote() << "Value Radio-Button can't be created! \n";
            return TableCell::NONE;
        }
        QStringList options;
        readOptionList(member(inp, "TAB"), options);
        if (index < 0 || index >= options.size()) {
            qWarning().noquote() << "Value " << index << "is out of Range as Index !";
            return TableCell::NONE;
        }
        cell.setData(options);
        cell.setValue(index);
        cell.setCellType(TableCell::RADIO_GROUP);
        return TableCell::RADIO_GROUP;
    }
    if (withInp && isMode(mode, "L")) {
        QStringList options;
        readOptionList(member(inp, "TAB"), options);
        if (options.isEmpty())
            return TableCell::NONE;
        cell.setValue(options.join(QStringLiteral(", ")));
        cell.setCellType(TableCell::GROWING_TEXT);
        return TableCell::GROWING_TEXT;
    }
    if (withInp && isMode(mode, "TI")) {
        int index = 0;
        if (!readInt(value, index)) {
            qWarning().noquote() << "Value " << valueText(value) << " at " << cellPath
                                 << "is not an integer, combobox can't be created! \n";
            return TableCell::NONE;
        }
        QStringList options;
        readOptionList(member(inp, "TAB"), options);
        if (index < 0 || index >= options.size()) {
            qWarning().noquote() << "Value " << index << " at " << cellPath << " is out of Range as Index! \n";
            return TableCell::NONE;
        }
        cell.setData(options);
        cell.setValue(index);
        cell.setCellType(TableCell::COMBO_INDEX);
        return TableCell::COMBO_INDEX;
    }
    if (withInp && isMode(mode, "TT")) {
        if (!value.isString())
            return TableCell::NONE;
        QStringList options;
        readOptionList(member(inp, "TAB"), options);
        if (options.isEmpty()) {
            qWarning().noquote() << "In TAB-Node at " << cellPath << "is empty can't create a ComboBox! \n";
            return TableCell::NONE;
        }
        const QString text = valueText(value);
        if (options.contains(text)) {
            cell.setValue(text);
        } else {
            const QString unknown = QStringLiteral("- - -");
            cell.setValue(unknown);
            options.prepend(unknown);
        }
        cell.setData(options);
        cell.setCellType(TableCell::COMBO_TEXT);
        return TableCell::COMBO_TEXT;
    }
    if (withInp && (isMode(mode, "U") || isMode(mode, "UF"))) {
        if (!value.isString())
            return TableCell::NONE;
        const QString text = valueText(value);
        const Json::Value& form = member(inp, "FORM");
        const QTime time = form.isString() ? QTime::fromString(text, valueText(form)) : QTime();
        if (!time.isValid()) {
            cell.setValue(text);
            cell.setCellType(TableCell::TEXT);
            return TableCell::TEXT;
        }
        const TableCell::CellType type = isMode(mode, "U") ? TableCell::CLOCK : TableCell::TIME;
        cell.setValue(time);
        cell.setData(valueText(form));
        cell.setCellType(type);
        return type;
    }
    if (withInp && isMode(mode, "D")) {
        if (!value.isString())
            return TableCell::NONE;
        const QString text = valueText(value);
        const Json::Value& form = member(inp, "FORM");
        const QDate date = form.isString() ? QDate::fromString(text, valueText(form)) : QDate();
        if (!date.isValid()) {
            cell.setValue(text);
            cell.setCellType(TableCell::TEXT);
            return TableCell::TEXT;
        }
        cell.setValue(date);
        cell.setData(valueText(form));
        cell.setCellType(TableCell::DATE);
        return TableCell::DATE;
    }
    if (isMode(mode, "DU")) {
        QString text;
        if (!value.isNumeric() || !epochText(value, text))
            return TableCell::NONE;
        cell.setValue(text);
        cell.setCellType(TableCell::TEXT_EDIT);
        return TableCell::TEXT_EDIT;
    }
    if (isMode(mode, "PDF")) {
        int id = 0;
        if (!readInt(value, id))
            return TableCell::NONE;
        LanguageUtil* languages = JSONUtil::getLanguageUtil();
        cell.setData(languages ? languages->getText(3, id, QString()) : QString());
        cell.setValue(QStringLiteral("PDF"));
        cell.setCellType(TableCell::DOCUMENT_LINK);
        return TableCell::DOCUMENT_LINK;
    }
    if (isMode(mode, "LNK")) {
        if (!value.isString())
            return TableCell::NONE;
        cell.setValue(valueText(value));
        cell.setCellType(TableCell::LINK_LABEL);
        return TableCell::LINK_LABEL;
    }
    if (isMode(mode, "MR")) {
        if (value.isString())
            cell.setValue(valueText(value));
        else if (value.isObject())
            cell.setValue(deviceText(value));
        else
            return TableCell::NONE;
        cell.setCellType(TableCell::GROWING_TEXT);
        return TableCell::GROWING_TEXT;
    }
    if (isMode(mode, "REF")) {
        const Json::Value& tab = member(inp, "TAB");
        // Compared as whole 64-bit numbers: a fraction matches nothing.
        if (!value.isInt64() || !tab.isArray())
            return TableCell::NONE;
        const qint64 wanted = value.asInt64();
        for (const Json::Value& element : tab) {
            const Json::Value& ref = member(element, "REF");
            if (!ref.isInt64() || ref.asInt64() != wanted)
                continue;
            const Json::Value& txt = member(element, "TXT");
            if (txt.isString())
                cell.setValue(valueText(txt));
            else if (txt.isObject())
                cell.setValue(deviceText(txt));
            else
                return TableCell::NONE;
            cell.setCellType(TableCell::TEXT_EDIT);
            return TableCell::TEXT_EDIT;
        }
        return TableCell::NONE;
    }
    return TableCell::NONE;
}

void DeviceConfigUtil::setCellRights(const Json::Value& inp, TableCell& cell, int cellType)
{
    const int rights = userRoleUtil ? userRoleUtil->checkNodeRights(inp) : UserRoleUtil::NO_MASK;
    switch (rights) {
    case UserRoleUtil::NO_MASK:
    case UserRoleUtil::READ_ONLY:
        cell.setRights(TableCell::READ_ONLY);
        break;
    case UserRoleUtil::EDITABLE:
        // While writes wait for the device, only links stay usable.
        cell.setRights(cellType == TableCell::LINK || !hasPendingWrites() ? TableCell::EDITABLE
                                                                          : TableCell::READ_ONLY);
        break;
    case UserRoleUtil::DEACTIVATED:
        cell.setRights(TableCell::NO_ACCESS);
        break;
    default:
        return;
    }
    // Dates from milliseconds and reference texts cannot be written back as they are shown.
    const Json::Value& mode = member(inp, "MODE");
    if (cell.getRights() == TableCell::EDITABLE && (isMode(mode, "DU") || isMode(mode, "REF")))
        cell.setRights(TableCell::READ_ONLY);
}

void DeviceConfigUtil::setCellLimits(TableCell& cell, const Json::Value& inp)
{
    if (!inp.isObject())
        return;
    int flags = cell.getLimitFlags();
    const char* const keys[] = {"MAX", "MIN", "DG", "DP"};
    for (const char* key : keys) {
        Json::Value limit = member(inp, key);
        if (limit.isObject() && !limit.empty()) {
            const Json::Value& pathNode = member(limit, "PATH");
            if (!pathNode.isString())
                continue;
            const QString path = solvedPath(QString::fromStdString(pathNode.asString()));
            addWatchedPath(path);
            Json::Value target;
            if (readNode(path, target))
                limit = target;
        }
        int whole = 0;
        if (std::strcmp(key, "MAX") == 0 && limit.isNumeric()) {
            cell.setMax(limit.asDouble());
            flags |= TableCell::MAX;
        } else if (std::strcmp(key, "MIN") == 0 && limit.isNumeric()) {
            cell.setMin(limit.asDouble());
            flags |= TableCell::MIN;
        } else if (std::strcmp(key, "DG") == 0 && readInt(limit, whole)) {
            cell.setDg(whole);
            flags |= TableCell::DG;
        } else if (std::strcmp(key, "DP") == 0 && readInt(limit, whole)) {
            cell.setDp(whole);
            flags |= TableCell::DP;
        }
    }
    const Json::Value& regx = member(inp, "REGX");
    if (regx.isString()) {
        cell.setRegx(valueText(regx));
        flags |= TableCell::REGX;
    }
    cell.setLimitFlags(flags);
}

void DeviceConfigUtil::readOptionList(const Json::Value& tab, QStringList& list)
{
    QStringList chain;
    if (tab.isArray())
        readOptionArrayChain(tab, list, chain);
    else if (tab.isObject())
        readOptionPathChain(tab, list, chain);
}

void DeviceConfigUtil::readOptionArray(const Json::Value& array, QStringList& list)
{
    QStringList chain;
    readOptionArrayChain(array, list, chain);
}

bool DeviceConfigUtil::readOptionPath(const Json::Value& object, QStringList& list)
{
    QStringList chain;
    return readOptionPathChain(object, list, chain);
}

void DeviceConfigUtil::readOptionArrayChain(const Json::Value& array, QStringList& list, QStringList& chain)
{
    if (!array.isArray())
        return;
    for (const Json::Value& element : array) {
        if (isScalar(element))
            list.append(valueText(element));
        else if (element.isObject() && !readOptionPathChain(element, list, chain))
            list.append(deviceText(element));
    }
}

bool DeviceConfigUtil::readOptionPathChain(const Json::Value& object, QStringList& list, QStringList& chain)
{
    const Json::Value& pathNode = member(object, "PATH");
    if (!pathNode.isString())
        return false;
    const QString path = solvedPath(QString::fromStdString(pathNode.asString()));
    if (chain.contains(path) || chain.size() >= MAX_PATH_STEPS) {
        qWarning().noquote() << "Option list stops at a repeated path or after" << MAX_PATH_STEPS
                             << "links:" << path;
        return true;
    }
    addWatchedPath(path);
    QVector<Json::Value> values;
    if (jsonUtil)
        jsonUtil->getMasterJSONbyPath(path, values, false);
    if (values.isEmpty())
        requestReadOnce(path);
    chain.append(path);
    for (const Json::Value& value : qAsConst(values)) {
        if (value.isArray())
            readOptionArrayChain(value, list, chain);
        else if (isScalar(value))
            list.append(valueText(value));
    }
    chain.removeLast();
    return true;
}

void DeviceConfigUtil::setTableTitle(const Json::Value& node, TableStructure& table)
{
    table.setTitle(deviceText(node));
}

void DeviceConfigUtil::setTableAut(const Json::Value& node, TableStructure& table)
{
    int level = 0;
    readInt(member(node, "AUT"), level);
    table.setAut(level);
}

void DeviceConfigUtil::setTableHeader(const Json::Value& description, TableStructure& table)
{
    if (!isRunning())
        return;
    table.setHeaderVisible(true);
    QVector<TableEntry> header;
    const Json::Value& texts = member(description, "TH");
    if (texts.isArray()) {
        for (const Json::Value& text : texts) {
            if (!isRunning())
                break;
            // A malformed element keeps its column, with an empty text.
            header.append(TableEntry(deviceText(text)));
        }
    }
    table.setHeader(header);
}

void DeviceConfigUtil::resolvePathNode(Json::Value& value, QString& path)
{
    QStringList visited;
    while (value.isObject()) {
        const Json::Value& pathNode = member(value, "PATH");
        if (!pathNode.isString() || pathNode.asString().empty())
            return;
        const QString next = solvedPath(QString::fromStdString(pathNode.asString()));
        if (visited.contains(next) || visited.size() >= MAX_PATH_STEPS) {
            qWarning().noquote() << "PATH links stop at a repeated path or after" << MAX_PATH_STEPS
                                 << "links:" << next;
            return;
        }
        visited.append(next);
        addWatchedPath(next);
        Json::Value target;
        if (lookUp(next, target) != 1)
            return;   // the target is not there (yet): its arrival rebuilds the table
        value = target;
        path = next;
    }
}

void DeviceConfigUtil::checkAndLoadID(const Json::Value& entry, const QString& entryPath)
{
    if (!isEmptyValue(member(entry, "ID")))
        return;
    if (requestReadOnce(entryPath))
        qInfo().noquote() << "Folgender Eintrag besass keine ID und wird nachgeladen " + entryPath;
}

void DeviceConfigUtil::writeLocalIndex(TableStructure& table, const int& index)
{
    if (!jsonUtil)
        return;
    const QString idxPath = table.getIdxPath();
    if (!idxPath.isEmpty())
        jsonUtil->appendJson(Json::Value(index), idxPath);
    QString contPath = table.getContPath();
    jsonUtil->getAndSolvePath(contPath);
    table.setContPath(contPath);
}
