#include "MemoryUsage.h"

#include "JsonText.h"
#include "MeasurementControl.h"
#include "StorageUnits.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace devicesim {

namespace {

const char* const freePath = "$.MEM.SF";
const char* const totalPath = "$.MEM.SG";
const double bytesPerValue = 8;

} // namespace

MemoryUsage::MemoryUsage(int sampleIntervalMs) : sampleIntervalMs(std::max(1, sampleIntervalMs))
{
}

double MemoryUsage::bytesPerSecond(DeviceTree& tree) const
{
    const Json::Value channels = tree.valueAt("$.SERV.STAT.MEAS.ADR");
    return (channels.isArray() ? channels.size() : 0) * bytesPerValue * 1000.0 / sampleIntervalMs;
}

bool MemoryUsage::change(DeviceTree& tree, double deltaBytes, TelegramBuilder& telegram) const
{
    double unshown = 0;
    return change(tree, deltaBytes, unshown, telegram);
}

bool MemoryUsage::change(DeviceTree& tree, double deltaBytes, double& unshown, TelegramBuilder& telegram) const
{
    const Json::Value free = tree.valueAt(freePath);
    const Json::Value total = tree.valueAt(totalPath);
    double freeBytes = 0;
    double totalBytes = 0;
    double perUnit = 0;
    if (!StorageUnits::bytesOf(free, freeBytes) || !StorageUnits::bytesOf(total, totalBytes) || totalBytes <= 0
        || !StorageUnits::bytesPer(StorageUnits::unitOf(free), perUnit)) {
        qWarning("Memory nodes %s / %s hold no sizes with known units; free memory not updated",
                 toCompactText(free).c_str(), toCompactText(total).c_str());
        return false;
    }
    freeBytes = std::min(totalBytes, std::max(0.0, freeBytes + unshown + deltaBytes));
    const double freeValue = StorageUnits::rounded(freeBytes / perUnit);
    const int usedPercent = static_cast<int>(std::round((totalBytes - freeBytes) / totalBytes * 100.0));

    TelegramBuilder leaves;
    leaves.set("$.MEM.SF.VAL", freeValue).set("$.MEM.SFP.VAL", usedPercent);
    const double rate = bytesPerSecond(tree);
    if (rate > 0)
        leaves.set("$.MEM.TRE.VAL", Json::Int64(std::floor(freeBytes / rate)));
    if (!tree.apply(leaves.build())) {
        qWarning("Free memory could not be updated in the tree");
        return false;
    }
    unshown = freeBytes - freeValue * perUnit;
    telegram.set("$.MEM.SF.VAL", freeValue).set("$.MEM.SFP.VAL", usedPercent);
    if (rate > 0)
        telegram.set("$.MEM.TRE.VAL", Json::Int64(std::floor(freeBytes / rate)));
    return true;
}

void MemoryUsage::step(DeviceState::Access& device, std::int64_t nowMs)
{
    if (!MeasurementControl::isMeasuring(device.tree())) {
        lastStepMs = 0;
        return;
    }
    const std::int64_t since = lastStepMs;
    lastStepMs = nowMs;
    if (since == 0 || nowMs <= since)
        return;
    TelegramBuilder telegram;
    if (change(device.tree(), -bytesPerSecond(device.tree()) * (nowMs - since) / 1000.0, unshownBytes, telegram))
        device.publish(telegram.build());
}

} // namespace devicesim
