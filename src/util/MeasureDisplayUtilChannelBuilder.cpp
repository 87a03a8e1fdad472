#include "util/MeasureDisplayUtilChannelBuilder.h"

#include "common/ChannelDataFlags.h"
#include "common/CommonJSONUtil.h"
#include "common/JsonMember.h"
#include "util/DeviceConfigUtil.h"
#include "util/JSONUtil.h"
#include "util/MeasureDisplayUtilDescription.h"
#include "util/MeasureDisplayUtilGetTableDataWorker.h"

#include <QVariant>

const QString MeasureDisplayUtilChannelBuilder::NO_VALUE = QStringLiteral("---");

namespace {

const int COMPENSATION_COLUMNS = 5;
const int FUNCTION_COLUMNS = 3;

TableCell cell(const QString& text, TableCell::CellType type, int alignment, int columnSpan = 1)
{
    TableCell made;
    made.setValue(text);
    made.setCellType(type);
    made.setAlignment(alignment);
    made.setColumnSpan(columnSpan);
    return made;
}

// A cell that only fills a position (inside a span, or an empty column).
TableCell filler()
{
    return TableCell();
}

QVector<TableEntry> emptyHeader(int columns)
{
    return QVector<TableEntry>(columns, TableEntry(QString()));
}

// The function-flag bits that make a compensation row show; 0 for a way
// that never shows.
int compensationMask(const QString& way)
{
    if (way == QLatin1String("MV.CJ"))
        return 0x800;                           // CJ
    if (way == QLatin1String("MV.CT"))
        return 0x80 | 0x100 | 0x200 | 0x400;    // CT, CT_, CTP, CTP_
    if (way == QLatin1String("MV.CP"))
        return 0x20 | 0x40 | 0x200 | 0x400;     // CP, CP_, CTP, CTP_
    return 0;
}

} // namespace

MeasureDisplayUtilChannelBuilder::MeasureDisplayUtilChannelBuilder(JSONUtil* json, DeviceConfigUtil* factory)
    : jsonUtil(json), cellFactory(factory)
{
}

bool MeasureDisplayUtilChannelBuilder::valueText(const Json::Value& value, QString& text)
{
    if (value.isString()) {
        text = QString::fromStdString(value.asString());
        return true;
    }
    if (value.isNumeric()) {
        text = QString::number(value.asDouble(), 'g', 6);
        return true;
    }
    return false;
}

Json::Value MeasureDisplayUtilChannelBuilder::lookUp(const Json::Value& channel, const QString& way)
{
    Json::Value found;
    if (way.isEmpty() || !CommonJSONUtil::getValueByKeyPath(channel, found, way))
        return Json::Value();
    return found;
}

QString MeasureDisplayUtilChannelBuilder::deviceText(const Json::Value& node) const
{
    if (!node.isObject())
        return QString();
    if (!jsonUtil) {
        const Json::Value& text = jsonMember(node, "T");
        return text.isString() ? QString::fromStdString(text.asString()) : QString();
    }
    int id = -1;
    QString text;
    jsonUtil->getInternationalisationFromID(node, id, text);
    return text;
}

QString MeasureDisplayUtilChannelBuilder::unitText(const Json::Value& dim) const
{
    if (dim.isString())
        return QString::fromStdString(dim.asString());
    return deviceText(dim);
}

ChannelData MeasureDisplayUtilChannelBuilder::build(const MeasureDisplayUtilDescription& description,
                                                    const Json::Value& channel, const QString& channelPath,
                                                    int channelIndex, bool loadFunctions) const
{
    ChannelData data;
    data.setChannelIndex(channelIndex);

    const Json::Value value = lookUp(channel, description.valueWay);
    QString text;
    if (valueText(jsonMember(value, "VAL"), text))
        data.setValue(text);
    data.setUnit(unitText(jsonMember(value, "DIM")));

    const int leftFlags = ChannelDataFlags::parseLeftFlags(jsonMember(lookUp(channel, description.statusWay), "VAL"));
    const int rightFlags = ChannelDataFlags::parseRightFlags(lookUp(channel, description.functionFlagWay));
    data.setLeftFlags(leftFlags);
    data.setRightFlags(rightFlags);
    data.setTable(compensationTable(description, channel, leftFlags, rightFlags));

    if (loadFunctions && cellFactory)
        addFunctions(description, channel, channelPath, data);
    return data;
}

TableStructure MeasureDisplayUtilChannelBuilder::compensationTable(const MeasureDisplayUtilDescription& description,
                                                                   const Json::Value& channel, int leftFlags,
                                                                   int rightFlags) const
{
    TableStructure table;
    table.setHeader(emptyHeader(COMPENSATION_COLUMNS));
    table.setHeaderVisible(false);
    QVector<QVector<TableCell>> rows;
    rows.append(extremesRow(description, channel, leftFlags));
    for (const QString& way : description.compensationWays) {
        const Json::Value compensation = lookUp(channel, way);
        if (compensation.isObject() && (rightFlags & compensationMask(way)) != 0)
            rows.append(compensationRow(compensation));
    }
    table.setRows(rows);
    return table;
}

QVector<TableCell> MeasureDisplayUtilChannelBuilder::extremesRow(const MeasureDisplayUtilDescription& description,
                                                                 const Json::Value& channel, int leftFlags) const
{
    const Json::Value range = lookUp(channel, description.rangeWay);
    QVector<TableCell> row;
    row.append(cell(range.isString() ? QString::fromStdString(range.asString()) : NO_VALUE, TableCell::NONE,
                    TableCell::ALIGN_LEFT));

    // Maximum and minimum each show only their own mark ("h" red, "l" blue).
    const QString ways[] = {description.maximumWay, description.minimumWay};
    const int marks[] = {ChannelDataFlags::MAXIMUM_MARK, ChannelDataFlags::MINIMUM_MARK};
    for (int i = 0; i < 2; ++i) {
        const Json::Value item = lookUp(channel, ways[i]);
        row.append(cell(deviceText(item), TableCell::TEXT, TableCell::ALIGN_RIGHT));
        QString text;
        if (!valueText(jsonMember(item, "VAL"), text))
            text = NO_VALUE;
        TableCell extreme = cell(text, TableCell::MEASURE, TableCell::ALIGN_RIGHT);
        extreme.setData(leftFlags & marks[i]);
        row.append(extreme);
    }
    return row;
}

QVector<TableCell> MeasureDisplayUtilChannelBuilder::compensationRow(const Json::Value& compensation) const
{
    QString text;
    if (valueText(jsonMember(compensation, "VAL"), text)) {
        const QString unit = unitText(jsonMember(compensation, "DIM"));
        if (!unit.isEmpty())
            text += QLatin1Char(' ') + unit;
    }
    return {cell(deviceText(compensation), TableCell::TEXT, TableCell::ALIGN_LEFT, 3), filler(), filler(),
            cell(text, TableCell::NONE, TableCell::ALIGN_RIGHT, 2), filler()};
}

void MeasureDisplayUtilChannelBuilder::addFunctions(const MeasureDisplayUtilDescription& description,
                                                    const Json::Value& channel, const QString& channelPath,
                                                    ChannelData& data) const
{
    QVector<ChannelData::Function> functions;
    QVector<TableStructure> tables;
    // Titled by the channel, so a write is named with it (entryName).
    const QString title = MeasureDisplayUtilGetTableDataWorker::channelName(channel, description.descriptionWays);
    for (int k = 0; k < description.functionWays.size(); ++k) {
        const QString& way = description.functionWays.at(k);
        const Json::Value function = lookUp(channel, way);
        if (!function.isObject())
            continue;

        // The user may run the function when he may edit its entry.
        TableCell entry;
        cellFactory->setInputCell(function, QString(), entry);
        ChannelData::Function listed;
        listed.name = deviceText(function);
        listed.flag = entry.getRights() == TableCell::EDITABLE && entry.getCellType() != TableCell::NONE;
        functions.append(listed);

        QVector<QVector<TableCell>> rows;
        for (const QString& valueWay : description.functionValueWays.value(k)) {
            const Json::Value node = lookUp(channel, valueWay);
            if (node.isObject())
                rows.append(functionValueRow(node, channelPath + QLatin1Char('.') + valueWay));
        }
        TableStructure table;
        table.setTableType(TableStructure::ROWS);   // the editors apply the entries' limits
        table.setHeader(emptyHeader(FUNCTION_COLUMNS));
        table.setHeaderVisible(false);
        table.setRows(rows);
        table.setPath(channelPath + QLatin1Char('.') + way + QStringLiteral(".VAL"));
        table.setTitle(title);
        // While a write waits, the typed value shows read-only, not the mirror's older one.
        cellFactory->holdPendingCells(table);
        tables.append(table);
    }
    data.setFunctionList(functions);
    data.setFunctionTables(tables);
}

QVector<TableCell> MeasureDisplayUtilChannelBuilder::functionValueRow(const Json::Value& node,
                                                                      const QString& valuePath) const
{
    TableCell input;
    cellFactory->setInputCell(node, valuePath, input);
    if (input.getCellType() == TableCell::NONE) {
        // An entry the factory cannot make an editor for is shown, never written.
        QString text;
        valueText(jsonMember(node, "VAL"), text);
        input = cell(text, TableCell::TEXT, TableCell::ALIGN_RIGHT);
    }
    input.setAlignment(TableCell::ALIGN_RIGHT);
    return {cell(deviceText(node), TableCell::TEXT, TableCell::ALIGN_LEFT), input,
            cell(unitText(jsonMember(node, "DIM")), TableCell::TEXT, TableCell::ALIGN_RIGHT)};
}
