// Reading the recordings, exported files and destinations from the mirror.
#include "util/HistMeasureListUtil.h"

#include "util/JSONUtil.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const Json::Value& member(const Json::Value& node, const char* key)
{
    static const Json::Value none;
    if (!node.isObject())
        return none;
    const Json::Value* found = node.find(key, key + std::strlen(key));
    return found ? *found : none;
}

QString textOf(const Json::Value& node)
{
    return node.isString() ? QString::fromStdString(node.asString()) : QString();
}

bool isFiniteNumber(const Json::Value& node)
{
    return node.isNumeric() && std::isfinite(node.asDouble());
}

QString elementPath(const QString& table, int index)
{
    return QStringLiteral("%1[%2]").arg(table).arg(index);
}

} // namespace

QString HistMeasureListUtil::unitText(const Json::Value& size)
{
    int id = -1;
    QString text;
    jsonUtil->getInternationalisationFromID(member(size, "DIM"), id, text);
    return text;
}

bool HistMeasureListUtil::acceptKeyedRow(const Json::Value& element, const QString& path, bool typesOk,
                                         const QString& typesReason, QSet<int>& seen)
{
    if (!element.isObject() || element.empty()) {
        warnOnce(path, QStringLiteral("empty or not an object"));
        return false;
    }
    if (!typesOk) {
        warnOnce(path, typesReason);
        return false;
    }
    const int id = member(element, "ID").asInt();
    if (seen.contains(id)) {
        warnOnce(path, QStringLiteral("ID %1 is listed before").arg(id));
        return false;
    }
    seen.insert(id);
    return true;
}

void HistMeasureListUtil::readMeasures(QVector<Measure>& out)
{
    const QString table = QStringLiteral("$.MEM.MTAB");
    Json::Value elements;
    if (!readTable(table, elements))
        return;
    QSet<int> seen;
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
        const Json::Value& element = elements[i];
        const QString path = elementPath(table, static_cast<int>(i));
        const Json::Value& id = member(element, "ID");
        const bool typesOk =
            id.isInt() && member(element, "STAT").isInt64() && member(element, "STOT").isInt64();
        if (!acceptKeyedRow(element, path, typesOk, QStringLiteral("ID, STAT or STOT is not an integer"), seen))
            continue;

        const QString name = textOf(member(element, "FILE"));
        const Json::Value& size = member(element, "SIZE");
        double sizeValue = 0.0;
        QString unit;
        if (size.isObject()) {
            unit = unitText(size);
            const Json::Value& value = member(size, "VAL");
            if (isFiniteNumber(value))
                sizeValue = value.asDouble();
            else if (!value.isNull())
                warnOnce(path, QStringLiteral("SIZE.VAL is not a number, read as 0"));
        }
        Measure measure(name, id.asInt(), member(element, "STAT").asInt64(), member(element, "STOT").asInt64(),
                        sizeValue, unit);

        const Json::Value& addresses = member(element, "ADR");
        const Json::Value& units = member(element, "DIM");
        const Json::Value& designations = member(element, "KB");
        if (!addresses.isNull() && !addresses.isArray())
            warnOnce(path, QStringLiteral("ADR is not a list, no channels"));
        if (!units.isNull() && !units.isArray())
            warnOnce(path, QStringLiteral("DIM is not a list, no units"));
        if (!designations.isNull() && !designations.isArray())
            warnOnce(path, QStringLiteral("KB is not a list, no designations"));
        const Json::ArrayIndex channels = addresses.isArray() ? addresses.size() : 0;
        for (Json::ArrayIndex k = 0; k < channels; ++k) {
            const QString unitK = units.isArray() && k < units.size() ? textOf(units[k]) : QString();
            const QString designation =
                designations.isArray() && k < designations.size() ? textOf(designations[k]) : QString();
            measure.addChannel(
                CharacteristicLine(name, textOf(addresses[k]), unitK, designation, id.asInt(), 2, -1));
        }
        out.append(measure);
    }
}

void HistMeasureListUtil::readExports(QVector<Measure>& out)
{
    const QString table = QStringLiteral("$.EXP.MTAB");
    Json::Value elements;
    if (!readTable(table, elements))
        return;
    QVector<Measure> exports;
    QSet<int> seen;
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
        const Json::Value& element = elements[i];
        const QString path = elementPath(table, static_cast<int>(i));
        const Json::Value& id = member(element, "ID");
        if (!acceptKeyedRow(element, path, id.isInt(), QStringLiteral("ID is not an integer"), seen))
            continue;

        const Json::Value& time = member(element, "DU");
        const Json::Value& destination = member(member(element, "DEST"), "ID");
        const Json::Value& size = member(element, "SIZE");
        double sizeValue = 0.0;
        QString unit;
        if (isFiniteNumber(member(size, "VAL")) && member(size, "DIM").isObject()) {
            unit = unitText(size);
            sizeValue = member(size, "VAL").asDouble();
        }
        exports.append(Measure(textOf(member(element, "FILE")), id.asInt(),
                               time.isInt64() ? time.asInt64() : NO_EXPORT_TIME, 0, sizeValue, unit,
                               destination.isInt() ? destination.asInt() : NO_DESTINATION));
    }
    std::stable_sort(exports.begin(), exports.end(), measureLessThan);
    out += exports;
}

void HistMeasureListUtil::readDestinations()
{
    destinations.clear();
    const QString table = QStringLiteral("$.EXP.DEST");
    Json::Value elements;
    if (!readTable(table, elements))
        return;
    const double factor = getTemplateFactor(1);
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
        const Json::Value& element = elements[i];
        const QString path = elementPath(table, static_cast<int>(i));
        const Json::Value& id = member(element, "ID");
        const Json::Value& device = member(element, "DEV");
        const Json::Value& size = member(element, "SIZE");
        if (!element.isObject() || element.empty()) {
            warnOnce(path, QStringLiteral("empty or not an object"));
            continue;
        }
        if (!id.isInt() || !member(device, "ID").isInt() || !member(device, "T").isString()
            || !member(element, "UNC").isString() || !size.isObject()) {
            warnOnce(path, QStringLiteral("ID, DEV, UNC or SIZE missing or of another kind"));
            continue;
        }
        if (destinations.contains(id.asInt()))
            warnOnce(path, QStringLiteral("ID %1 is listed before, this one is used").arg(id.asInt()));
        const Json::Value& value = member(size, "VAL");
        const bool sizeValid = isFiniteNumber(value);
        const double available = sizeValid ? std::max(value.asDouble(), 0.0) : 0.0;
        destinations.insert(id.asInt(), ExportDestination(id.asInt(), textOf(member(element, "UNC")),
                                                          textOf(member(device, "T")), member(device, "ID").asInt(),
                                                          available, unitText(size), factor, sizeValid));
    }
}

double HistMeasureListUtil::getTemplateFactor(const int& templateId)
{
    // The container is read first, so a missing one is asked for as a whole.
    Json::Value templates;
    if (!readTable(QStringLiteral("$.EXP.TPL"), templates))
        return 0.0;
    QString path = QStringLiteral("$.EXP.TPL[?(@.ID ==%TEMPLATE_ID%)].FACT");
    path.replace(QStringLiteral("%TEMPLATE_ID%"), QString::number(templateId));
    QVector<Json::Value> values;
    jsonUtil->getMasterJSONbyPath(path, values, false);
    return values.size() == 1 && isFiniteNumber(values.first()) ? values.first().asDouble() : 0.0;
}

void HistMeasureListUtil::readExportState()
{
    if (listMode != 2)
        return;
    Json::Value state;
    exportState = readNode(QStringLiteral("$.EXP.STAS"), state) && state.isInt() ? state.asInt() : 0;
}
