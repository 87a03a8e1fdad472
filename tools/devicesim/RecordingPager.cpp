#include "RecordingPager.h"

#include "InputLimits.h"
#include "JsonText.h"
#include "MeasurementControl.h"
#include "SecretMask.h"
#include "TelegramBuilder.h"

#include <QtGlobal>

#include <algorithm>

namespace devicesim {

namespace {

const std::size_t maxSamplesPerChannel = 2000;
const std::size_t maxSamplesPerBlock = 500;
const int pagedSource = 2;
const int firstBlockAttribute = 11;
const int nextBlockAttribute = 12;
const std::int64_t endOfPaging = -1;

// A JSON integer (not a fraction, text or truth value) as 64 bits.
bool integerOf(const Json::Value& value, std::int64_t& number)
{
    if ((value.type() != Json::intValue && value.type() != Json::uintValue) || !value.isInt64())
        return false;
    number = value.asInt64();
    return true;
}

// Up to limit indices of [first, end), evenly spread, the first and the last among them.
std::vector<std::size_t> thinned(std::size_t first, std::size_t end, std::size_t limit)
{
    const std::size_t count = end - first;
    std::vector<std::size_t> picked;
    if (count <= limit) {
        for (std::size_t i = first; i < end; ++i)
            picked.push_back(i);
        return picked;
    }
    for (std::size_t k = 0; k < limit; ++k)
        picked.push_back(first + (k * (count - 1) + (limit - 1) / 2) / (limit - 1));
    return picked;
}

} // namespace

RecordingPager::RecordingPager(ChartRecorder& recorder) : recorder(recorder)
{
}

bool RecordingPager::windowOf(const Json::Value& request, Window& window, std::string& reason)
{
    if (!request.isObject()) {
        reason = "\"VAL\" is not an object";
        return false;
    }
    if (!integerOf(memberOf(request, "ID"), window.id)) {
        reason = "\"ID\" is not an integer";
        return false;
    }
    if (window.id == endOfPaging)
        return true;
    if (!integerOf(memberOf(request, "LOW"), window.low) || !integerOf(memberOf(request, "UP"), window.up)) {
        reason = "\"LOW\" and \"UP\" must be integers (ms since the epoch)";
        return false;
    }
    if (window.low > window.up) {
        reason = "\"LOW\" lies after \"UP\"";
        return false;
    }
    std::int64_t direction = -1;
    if (!integerOf(memberOf(request, "DIRC"), direction) || (direction != 0 && direction != 1)) {
        reason = "\"DIRC\" must be 0 or 1";
        return false;
    }
    window.newestFirst = direction == 1;
    return true;
}

void RecordingPager::run(DeviceState::Access& device, const Json::Value& element,
                         const TelegramProcessor::Context& context)
{
    const Json::Value& request = memberOf(element, "VAL");
    Window window;
    std::string reason;
    if (!windowOf(request, window, reason)) {
        qWarning("Paging request %s of \"%s\" refused: %s", SecretMask::logText(request).c_str(), context.user.c_str(),
                 reason.c_str());
        return;
    }
    if (window.id == endOfPaging) {
        qInfo("Paging of \"%s\" ended", context.user.c_str());
        return;
    }
    const ChartSeries* series = recorder.recording(device.tree(), window.id, reason);
    if (!series) {
        qWarning("Paging request %s of \"%s\" refused: %s", SecretMask::logText(request).c_str(), context.user.c_str(),
                 reason.c_str());
        return;
    }

    // Of the running measurement the ring buffer holds the samples from "LIMT" on.
    const Json::Value measurement = device.tree().valueAt("$.SERV.STAT.MEAS");
    const Json::Value& runningId = memberOf(measurement, "ID");
    double ring = 0;
    if (MeasurementControl::isMeasuring(device.tree()) && runningId.isInt64() && runningId.asInt64() == window.id
        && InputLimits::toNumber(device.tree().valueAt("$.MEM.RING"), ring) && ring == 3
        && memberOf(measurement, "LIMT").isInt64())
        window.low = std::max(window.low, measurement["LIMT"].asInt64());
    if (window.low > window.up) {
        qInfo("Paging request %s: the window lies before the ring buffer's oldest sample",
              SecretMask::logText(request).c_str());
        return;
    }
    answer(device, *series, window, context.token);
}

void RecordingPager::answer(DeviceState::Access& device, const ChartSeries& series, const Window& window,
                            const std::string& token)
{
    const auto range = series.window(window.low, window.up);
    if (range.first == range.second) {
        qInfo("Paging of recording %lld: no samples within [%lld, %lld]", static_cast<long long>(window.id),
              static_cast<long long>(window.low), static_cast<long long>(window.up));
        return;
    }
    const std::vector<std::size_t> picked = thinned(range.first, range.second, maxSamplesPerChannel);

    std::vector<std::vector<std::size_t>> blocks;
    for (std::size_t start = 0; start < picked.size(); start += maxSamplesPerBlock) {
        const std::size_t end = std::min(picked.size(), start + maxSamplesPerBlock);
        blocks.emplace_back(picked.begin() + static_cast<std::ptrdiff_t>(start),
                            picked.begin() + static_cast<std::ptrdiff_t>(end));
    }
    if (window.newestFirst)
        std::reverse(blocks.begin(), blocks.end());

    TelegramBuilder telegram;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        telegram.chartBlock(series.block(blocks[i], pagedSource, i == 0 ? firstBlockAttribute : nextBlockAttribute));
    device.publish(telegram.build(), token);
}

} // namespace devicesim
