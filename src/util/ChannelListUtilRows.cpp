#include "util/ChannelListUtilRows.h"

#include "common/ChannelDataFlags.h"
#include "util/JSONUtil.h"

#include <QVariant>

#include <string>

namespace {

const int MARKS = ChannelDataFlags::MAXIMUM_MARK | ChannelDataFlags::MINIMUM_MARK;

// The member key of an object node, or null.
const Json::Value* memberOf(const Json::Value& node, const char* key)
{
    return node.isObject() ? node.find(key, key + std::char_traits<char>::length(key)) : nullptr;
}

QString textOf(const Json::Value& value)
{
    const char* begin = nullptr;
    const char* end = nullptr;
    value.getString(&begin, &end);
    return QString::fromUtf8(begin, int(end - begin));
}

} // namespace

ChannelListUtilRows::ChannelListUtilRows(const ChannelListBuildInput& input, JSONUtil* jsonUtil)
    : jsonUtil(jsonUtil)
{
    for (const QString& way : input.descriptionWays)
        descriptionWays.push_back(split(way));
    for (int c = 0; c < VALUE_COLUMNS; ++c) {
        const QString way = c < input.columnWays.size() ? input.columnWays.at(c) : QString();
        columnWays.push_back(split(way));
        // The marks "h" and "l" belong to the maximum and minimum columns only.
        if (way == input.valueWay)
            columnMasks.push_back(ALL_BUT_MARKS);
        else if (way == input.maximumWay)
            columnMasks.push_back(MAXIMUM_MARK_ONLY);
        else if (way == input.minimumWay)
            columnMasks.push_back(MINIMUM_MARK_ONLY);
        else
            columnMasks.push_back(NO_STATUS);
    }
    statusPath = split(input.flagWay);
    statusPath.push_back("VAL");
}

ChannelListUtilRows::KeyPath ChannelListUtilRows::split(const QString& way)
{
    KeyPath path;
    const QStringList parts = way.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (const QString& part : parts)
        path.push_back(part.toStdString());
    return path;
}

const Json::Value* ChannelListUtilRows::find(const Json::Value& node, const KeyPath& path)
{
    if (path.empty())
        return nullptr;
    const Json::Value* current = &node;
    for (const std::string& key : path) {
        if (!current->isObject())
            return nullptr;
        current = current->find(key.data(), key.data() + key.size());
        if (!current)
            return nullptr;
    }
    return current;
}

int ChannelListUtilRows::masked(int bits, StatusMask mask)
{
    switch (mask) {
    case ALL_BUT_MARKS:
        return bits & ~MARKS;
    case MAXIMUM_MARK_ONLY:
        return bits & ChannelDataFlags::MAXIMUM_MARK;
    case MINIMUM_MARK_ONLY:
        return bits & ChannelDataFlags::MINIMUM_MARK;
    case NO_STATUS:
        break;
    }
    return 0;
}

QString ChannelListUtilRows::valueText(const Json::Value& value)
{
    switch (value.type()) {
    case Json::stringValue:
        return textOf(value);
    case Json::intValue:
    case Json::uintValue:
    case Json::realValue:
        return QString::number(value.asDouble(), 'g', 6);
    default:
        return QStringLiteral("---");
    }
}

bool ChannelListUtilRows::buildRow(const Json::Value& channel, const QString& path, QVector<TableCell>& row) const
{
    row.clear();
    if (!channel.isObject())
        return false;
    row.reserve(1 + VALUE_COLUMNS);

    TableCell name;
    name.setCellType(TableCell::TEXT);
    name.setValue(description(channel));
    name.setPath(path);
    row.append(name);

    const Json::Value* letters = find(channel, statusPath);
    const int status = letters ? ChannelDataFlags::parseLeftFlags(*letters) : 0;
    for (int c = 0; c < VALUE_COLUMNS; ++c) {
        const Json::Value* item = find(channel, columnWays[c]);
        if (item && item->isObject())
            row.append(valueCell(*item, path, status, columnMasks[c]));
        else
            row.append(TableCell());
    }
    return true;
}

QString ChannelListUtilRows::description(const Json::Value& channel) const
{
    // Every part is followed by one blank, the last one too.
    QString text;
    for (const KeyPath& way : descriptionWays) {
        const Json::Value* part = find(channel, way);
        if (part && part->isString())
            text += textOf(*part) + QLatin1Char(' ');
    }
    return text;
}

TableCell ChannelListUtilRows::valueCell(const Json::Value& item, const QString& path, int status,
                                         StatusMask mask) const
{
    const Json::Value* value = memberOf(item, "VAL");
    const Json::Value* dim = memberOf(item, "DIM");
    const QVector<QString> texts{value ? valueText(*value) : QStringLiteral("---"),
                                 dim ? unitText(*dim) : QString()};
    TableCell cell;
    cell.setCellType(TableCell::MEASURE);
    cell.setValue(QVariant::fromValue(texts));
    cell.setData(QVariant::fromValue<ChannelDataFlags::LeftFlags>(masked(status, mask)));
    cell.setPath(path);
    cell.setAlignment(TableCell::ALIGN_RIGHT);
    return cell;
}

QString ChannelListUtilRows::unitText(const Json::Value& dim) const
{
    if (dim.isString())
        return textOf(dim);
    if (!dim.isObject())
        return QString();
    QString unit;
    if (jsonUtil) {
        int id = -1;
        jsonUtil->getInternationalisationFromID(dim, id, unit);
    } else if (const Json::Value* text = memberOf(dim, "T")) {
        if (text->isString())
            unit = textOf(*text);
    }
    return unit;
}
