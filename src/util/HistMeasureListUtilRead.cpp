// Reading the recordings, exported files and destinations from the mirror.
#include "util/HistMeasureListUtil.h"

#include "common/JsonMember.h"
#include "util/JSONUtil.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

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
    jsonUtil->getInternationalisationFromID(jsonMember(size, "DIM"), id, text);
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
    const int id = jsonMember(element, "ID").asInt();
    if (seen.contains(id)) {
        warnOnce(path, QStringLiteral("ID %1 is listed before").arg(id));
        return false;
    }
    seen.insert(id);
    return true;
}

void HistMeasureListUtil::readMeasures(QVector<Measure>& out)
{
    const QString& table = MEMORY_TABLE;
    Json::Value elements;
    if (!readTable(table, elements))
        return;
    QSet<int> seen;
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
        const Json::Value& element = elements[i];
        const QString path = elementPath(table, static_cast<int>(i));
        const Json::Value& id = jsonMember(element, "ID");
        const bool typesOk =
            id.isInt() && jsonMember(element, "STAT").isInt64() && jsonMember(element, "STOT").isInt64();
        if (!acceptKeyedRow(element, path, typesOk, QStringLiteral("ID, STAT or STOT is not an integer"), seen))
            continue;

        const QString name = textOf(jsonMember(element, "FILE"));
        const Json::Value& size = jsonMember(element, "SIZE");
        double sizeValue = 0.0;
        QString unit;
        if (size.isObject()) {
            unit = unitText(size);
            const Json::Value& value = jsonMember(size, "VAL");
            if (isFiniteNumber(value))
                sizeValue = value.asDouble();
            else if (!value.isNull())
                warnOnce(path, QStringLiteral("SIZE.VAL is not a number, read as 0"));
        }
        Measure measure(name, id.asInt(), jsonMember(element, "STAT").asInt64(), jsonMember(element, "STOT").asInt64(),
                        sizeValue, unit);

        const Json::Value& addresses = jsonMember(element, "ADR");
        const Json::Value& units = jsonMember(element, "DIM");
        const Json::Value& designations = jsonMember(element, "KB");
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
    const QString& table = EXPORT_TABLE;
    Json::Value elements;
    if (!readTable(table, elements))
        return;
    QVector<Measure> exports;
    QSet<int> seen;
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
        const Json::Value& element = elements[i];
        const QString path = elementPath(table, static_cast<int>(i));
        const Json::Value& id = jsonMember(element, "ID");
        if (!acceptKeyedRow(element, path, id.isInt(), QStringLiteral("ID is not an integer"), seen))
            continue;

        const Json::Value& time = jsonMember(element, "DU");
        const Json::Value& destination = jsonMember(jsonMember(element, "DEST"), "ID");
        const Json::Value& size = jsonMember(element, "SIZE");
        double sizeValue = 0.0;
        QString unit;
        if (isFiniteNumber(jsonMember(size, "VAL")) && jsonMember(size, "DIM").isObject()) {
            unit = unitText(size);
            sizeValue = jsonMember(size, "VAL").asDouble();
        }
        exports.append(Measure(textOf(jsonMember(element, "FILE")), id.asInt(),
                               time.isInt64() ? time.asInt64() : NO_EXPORT_TIME, 0, sizeValue, unit,
                               destination.isInt() ? destination.asInt() : NO_DESTINATION));
    }
    std::stable_sort(exports.begin(), exports.end(), measureLessThan);
    out += exports;
}

void HistMeasureListUtil::readDestinations()
{
    destinations.clear();
    const QString& table = DESTINATIONS;
    Json::Value elements;
    if (!readTable(table, elements))
        return;
    const double factor = getTemplateFactor(1);
    for (Json::ArrayIndex i = 0; i < elements.size(); ++i) {
        const Json::Value& element = elements[i];
        const QString path = elementPath(table, static_cast<int>(i));
        const Json::Value& id = jsonMember(element, "ID");
        const Json::Value& device = jsonMember(element, "DEV");
        const Json::Value& size = jsonMember(element, "SIZE");
        if (!element.isObject() || element.empty()) {
            warnOnce(path, QStringLiteral("empty or not an object"));
            continue;
        }
        if (!id.isInt() || !jsonMember(device, "ID").isInt() || !jsonMember(device, "T").isString()
            || !jsonMember(element, "UNC").isString() || !size.isObject()) {
            warnOnce(path, QStringLiteral("ID, DEV, UNC or SIZE missing or of another kind"));
            continue;
        }
        if (destinations.contains(id.asInt()))
            warnOnce(path, QStringLiteral("ID %1 is listed before, this one is used").arg(id.asInt()));
        const Json::Value& value = jsonMember(size, "VAL");
        const bool sizeValid = isFiniteNumber(value);
        const double available = sizeValid ? std::max(value.asDouble(), 0.0) : 0.0;
        destinations.insert(id.asInt(), ExportDestination(id.asInt(), textOf(jsonMember(element, "UNC")),
                                                          textOf(jsonMember(device, "T")), jsonMember(device, "ID").asInt(),
                                                          available, unitText(size), factor, sizeValid));
    }
}

double HistMeasureListUtil::getTemplateFactor(const int& templateId)
{
    // The container is read first, so a missing one is asked for as a whole.
    Json::Value templates;
    if (!readTable(TEMPLATES, templates))
        return 0.0;
    const QString path = QStringLiteral("%1[?(@.ID ==%2)].FACT").arg(TEMPLATES).arg(templateId);
    QVector<Json::Value> values;
    jsonUtil->getMasterJSONbyPath(path, values, false);
    return values.size() == 1 && isFiniteNumber(values.first()) ? values.first().asDouble() : 0.0;
}

void HistMeasureListUtil::readExportState()
{
    if (listMode != 2)
        return;
    Json::Value state;
    exportState = readNode(EXPORT_STATE, state) && state.isInt() ? state.asInt() : 0;
}
