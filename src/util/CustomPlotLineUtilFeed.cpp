// The chart worker's feed thread: chart data blocks into graph points.
//
// This runs for every telegram of a running measurement, so the per-value
// path stays free of allocations: times are read once per block, values are
// walked with iterators (jsoncpp keeps arrays in a map), and number texts are
// parsed from a stack buffer.
#include "util/CustomPlotLineUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/ChartPoints.h"

#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <QDateTime>
#include <QLocale>
#include <QStringView>
#include <QVarLengthArray>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Arrays of blocks kept for a measurement that is not accepted yet.
const int MAX_PARKED_ARRAYS = 64;
const int SHORT_TEXT = 64;

// A sample time is taken from this long before the measurement's start up to
// this far beyond the newest time known (the newest time taken, the start, and
// the clock; for a stored measurement its stop). One time outside, such as a
// garbled 1e18 ms, would stretch the time axis over ages. A day covers device
// clocks set to another time zone.
const double MAX_SECONDS_BEFORE_START = 24 * 3600.0;
const double MAX_SECONDS_AHEAD = 24 * 3600.0;

// What is wrong with part of an array; each kind is logged once per array.
enum Fault : unsigned {
    NOT_OBJECT = 1u << 0,
    BAD_HEADER = 1u << 1,
    NO_TIMES = 1u << 2,
    BAD_TIME = 1u << 3,
    NO_VALUE_LIST = 1u << 4,
    BAD_TEXT = 1u << 5,
    NOT_FINITE = 1u << 6,
    BAD_TYPE = 1u << 7,
    NOT_SHOWABLE = 1u << 8,
    FAR_TIME = 1u << 9
};

class FaultLog
{
public:
    // True the first time kind is seen in this array.
    bool first(Fault kind)
    {
        if (seen & kind)
            return false;
        seen |= kind;
        return true;
    }

private:
    unsigned seen = 0;
};

const Json::Value* memberOf(const Json::Value& object, const char* key)
{
    return object.find(key, key + qstrlen(key));
}

bool intMember(const Json::Value& block, const char* key, int& out)
{
    const Json::Value* value = memberOf(block, key);
    if (!value || !value->isInt())
        return false;
    out = value->asInt();
    return true;
}

// As QString::toDouble, without building a QString for short ASCII texts.
bool parseNumberText(const char* begin, const char* end, double& out)
{
    const std::ptrdiff_t length = end - begin;
    bool ok = false;
    if (length <= SHORT_TEXT) {
        char16_t wide[SHORT_TEXT];
        bool ascii = true;
        for (std::ptrdiff_t i = 0; i < length && ascii; ++i) {
            const unsigned char c = static_cast<unsigned char>(begin[i]);
            ascii = c < 0x80;
            wide[i] = c;
        }
        if (ascii) {
            // Like QString::toDouble: the C locale, no group separators.
            thread_local const QLocale cLocale = [] {
                QLocale locale = QLocale::c();
                locale.setNumberOptions(QLocale::RejectGroupSeparator);
                return locale;
            }();
            out = cLocale.toDouble(QStringView(wide, length), &ok);
            return ok && std::isfinite(out);
        }
    }
    out = QString::fromUtf8(begin, int(length)).toDouble(&ok);
    return ok && std::isfinite(out);
}

enum class ValueKind { NUMBER, GAP, FAULT };

ValueKind readNumber(const Json::Value& value, double& out, Fault& fault)
{
    switch (value.type()) {
    case Json::intValue:
        out = double(value.asLargestInt());
        return ValueKind::NUMBER;
    case Json::uintValue:
        out = double(value.asLargestUInt());
        return ValueKind::NUMBER;
    case Json::realValue:
        out = value.asDouble();
        if (std::isfinite(out))
            return ValueKind::NUMBER;
        fault = NOT_FINITE;
        return ValueKind::FAULT;
    case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        value.getString(&begin, &end);
        // The device marks a missing value with "" or "-".
        if (begin == end || (end - begin == 1 && *begin == '-'))
            return ValueKind::GAP;
        if (parseNumberText(begin, end, out))
            return ValueKind::NUMBER;
        fault = BAD_TEXT;
        return ValueKind::FAULT;
    }
    default:
        fault = BAD_TYPE;
        return ValueKind::FAULT;
    }
}

ValueKind readValue(const Json::Value& value, double& out, Fault& fault)
{
    const ValueKind kind = readNumber(value, out, fault);
    if (kind != ValueKind::NUMBER || chartValueShowable(out))
        return kind;
    fault = NOT_SHOWABLE;
    return ValueKind::FAULT;
}

QString shortText(const Json::Value& value)
{
    if (!value.isString())
        return QString();
    return QString::fromStdString(value.asString()).left(SHORT_TEXT);
}

void logValueFault(Fault fault, const Json::Value& value, const QString& channel)
{
    if (fault == NOT_SHOWABLE)
        qWarning().noquote() << QStringLiteral("Chart data: value %1 of channel %2 is beyond what the chart can show; "
                                               "skipped")
                                    .arg(value.isString() ? shortText(value) : QString::number(value.asDouble()),
                                         channel);
    else if (fault == BAD_TEXT)
        qWarning().noquote() << QStringLiteral("Chart data: value \"%1\" of channel %2 is no finite number; skipped")
                                    .arg(shortText(value), channel);
    else if (fault == NOT_FINITE)
        qWarning().noquote() << QStringLiteral("Chart data: value of channel %1 is no finite number; skipped")
                                    .arg(channel);
    else
        qWarning().noquote() << QStringLiteral("Chart data: value of channel %1 is neither number nor text; skipped")
                                    .arg(channel);
}

// A block's times in seconds, NaN where a time is unusable or lies outside
// plausible (seconds).
void readTimes(const Json::Value& times, const QCPRange& plausible, std::vector<double>& out, FaultLog& log,
               Json::ArrayIndex blockIndex)
{
    out.clear();
    out.reserve(times.size());
    for (const Json::Value& time : times) {
        double seconds = std::numeric_limits<double>::quiet_NaN();
        if (!time.isNumeric() || !std::isfinite(time.asDouble())) {
            if (log.first(BAD_TIME))
                qWarning().noquote() << QStringLiteral("Chart data: time %1 of block %2 is no finite number; "
                                                       "its values are skipped")
                                            .arg(out.size())
                                            .arg(blockIndex);
        } else if (!plausible.contains(time.asDouble() / 1000.0)) {
            if (log.first(FAR_TIME))
                qWarning().noquote() << QStringLiteral("Chart data: time %1 ms of block %2 lies far outside the "
                                                       "measurement (%3 to %4 ms); its values are skipped")
                                            .arg(time.asDouble(), 0, 'f', 0)
                                            .arg(blockIndex)
                                            .arg(plausible.lower * 1000.0, 0, 'f', 0)
                                            .arg(plausible.upper * 1000.0, 0, 'f', 0);
        } else {
            seconds = time.asDouble() / 1000.0;
        }
        out.push_back(seconds);
    }
}

} // namespace

void CustomPlotLineUtil::runFeed()
{
    for (;;) {
        QList<Json::Value> batch;
        {
            AnnotatedMutexLocker locker(&queueMutex);
            while (pending.isEmpty() && !stopping)
                waitLocked(queueChanged, locker);
            if (stopping)
                return;
            batch.swap(pending);
        }
        for (Json::Value& array : batch) {
            if (abortFeed)
                break;
            Json::Value taken;
            taken.swap(array);
            setChartData(std::move(taken));
        }
    }
}

void CustomPlotLineUtil::setChartData(Json::Value jsonMem)
{
    if (!jsonMem.isArray() || jsonMem.empty())
        return;
    FaultLog log;
    ParkState parking;
    reportedChannels.clear();
    QVarLengthArray<int, 4> attributes;   // of the lines handed on, each once

    Json::ArrayIndex blockIndex = 0;
    for (Json::Value& block : jsonMem) {
        const Json::ArrayIndex index = blockIndex++;
        if (abortFeed)
            return;
        if (!block.isObject()) {
            if (log.first(NOT_OBJECT))
                qWarning().noquote() << QStringLiteral("Chart data: block %1 is no object; skipped").arg(index);
            continue;
        }
        int id = 0;
        int source = 0;
        int attribute = 0;
        if (!intMember(block, "ID", id) || !intMember(block, "SRC", source) || !intMember(block, "ATR", attribute)) {
            if (log.first(BAD_HEADER))
                qWarning().noquote()
                    << QStringLiteral("Chart data: ID, SRC or ATR of block %1 is no whole number; skipped").arg(index);
            continue;
        }
        const Json::Value* times = memberOf(block, "DU");
        if (!times || !times->isArray()) {
            if (log.first(NO_TIMES))
                qWarning().noquote() << QStringLiteral("Chart data: block %1 has no time list DU; skipped").arg(index);
            continue;
        }

        AnnotatedReadLocker structure(owner ? &owner->structureLock() : nullptr);
        if (id != measure.getId()) {
            // Live data may come before the start telegram that announces it.
            if (source == 1)
                parkBlock(std::move(block), parking);
            continue;
        }
        readTimes(*times, plausibleTimes(), blockTimes, log, index);
        const Json::Value* file = memberOf(block, "FILE");
        QString fileName;   // made with the first line
        const Json::ArrayIndex timeCount = Json::ArrayIndex(blockTimes.size());

        for (const ChannelKey& channel : channelKeys) {
            const Json::Value* values = block.find(channel.key.data(), channel.key.data() + channel.key.size());
            if (!values)
                continue;
            if (!values->isArray()) {
                if (log.first(NO_VALUE_LIST))
                    qWarning().noquote() << QStringLiteral("Chart data: values of channel %1 in block %2 are no list; "
                                                           "skipped")
                                                .arg(channel.address)
                                                .arg(index);
                continue;
            }
            const Json::ArrayIndex count = std::min(values->size(), timeCount);
            if (count == 0)
                continue;
            ChartPoints points;
            points.reserve(int(count));
            Json::ArrayIndex j = 0;
            for (auto it = values->begin(); j < count; ++it, ++j) {
                const double time = blockTimes[j];
                if (std::isnan(time))
                    continue;
                double number = 0.0;
                Fault fault = BAD_TYPE;
                const ValueKind kind = readValue(*it, number, fault);
                if (kind == ValueKind::NUMBER) {
                    points.append(QCPGraphData(time, number));
                    newestTime = std::max(newestTime, time);
                } else if (kind == ValueKind::FAULT && log.first(fault))
                    logValueFault(fault, *it, channel.address);
            }
            if (points.isEmpty())
                continue;
            if (fileName.isNull() && file && file->isString())
                fileName = QString::fromStdString(file->asString());
            CharacteristicLine line(fileName, channel.address, id, source, attribute);
            line.setPoints(std::move(points));   // sorts only what is out of order
            addMeasureData(line);
            if (!attributes.contains(attribute))
                attributes.append(attribute);
        }
    }
    if (abortFeed)
        return;
    // One of each: the chart rescales on some of them, and each is a queued call.
    for (int attribute : attributes)
        emit checkPlotData(static_cast<GlobalEnums::GraphTelegramAttribute>(attribute));
    emit updateMeasureData();
}

QCPRange CustomPlotLineUtil::plausibleTimes() const
{
    const double start = measure.getStart() / 1000.0;
    const double stop = measure.getStop() / 1000.0;
    double newest = 0.0;
    if (mode == 1 && stop > start) {
        newest = stop;
    } else {
        // Live, the device clock runs on; it may differ from this one.
        newest = std::max({start, newestTime, QDateTime::currentMSecsSinceEpoch() / 1000.0});
    }
    return QCPRange(start - MAX_SECONDS_BEFORE_START, newest + MAX_SECONDS_AHEAD);
}

void CustomPlotLineUtil::parkBlock(Json::Value&& block, ParkState& state)
{
    AnnotatedMutexLocker locker(&queueMutex);
    if (!state.open || state.epoch != parkedEpoch || parked.isEmpty()) {
        parked.append(Json::Value(Json::arrayValue));
        while (parked.size() > MAX_PARKED_ARRAYS)
            parked.removeFirst();
        state.open = true;
        state.epoch = parkedEpoch;
    }
    parked.last().append(std::move(block));
}

bool CustomPlotLineUtil::acceptLine(const CharacteristicLine& line)
{
    if (mode == 0)
        return line.getSource() == 1;
    if (mode == 1)
        return line.getSource() == 2 && line.getMeasureId() == measure.getId();
    return false;
}

void CustomPlotLineUtil::addMeasureData(const CharacteristicLine& line)
{
    if (!acceptLine(line))
        return;
    int index = -1;
    bool found = false;
    {
        AnnotatedMutexLocker locker(&channelMutex);
        const auto it = channelTable.constFind(line.getChannel());
        if (it != channelTable.constEnd()) {
            found = true;
            index = it.value();
        }
    }
    LockedGraph* graph = nullptr;
    if (found && owner && index >= 0 && index < owner->graphCount())
        graph = owner->lockedGraph(index);
    if (graph) {
        graph->insertPoints(line.pointsRef(), maxPoints, mode == 1 ? &histWindow : nullptr);
        return;
    }
    if (!isBlocked() && !reportedChannels.contains(line.getChannel())) {
        reportedChannels.insert(line.getChannel());
        qInfo().noquote() << "Channel " + line.getChannel() + " is not valid in plot";
    }
}
