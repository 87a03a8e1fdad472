#pragma once

#include <json/json.h>

#include <string>

namespace devicesim {

// Sizes as the device writes them: {"VAL": number, "DIM": {"T": unit}} with
// the units B, KB, MB, GB and TB in any case ("kB", "Mb"), in steps of 1024.
class StorageUnits
{
public:
    // Bytes per unit; false for a unit the device does not know.
    static bool bytesPer(const std::string& unit, double& bytes);
    // The size node's value in bytes; false when VAL is no finite number or the unit unknown.
    static bool bytesOf(const Json::Value& size, double& bytes);
    // The unit text of a size node ("DIM"."T"); empty when there is none.
    static std::string unitOf(const Json::Value& size);
    // A value rounded to three decimals.
    static double rounded(double value);
};

} // namespace devicesim
