#pragma once

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace devicesim {

// The samples of one measurement, kept outside the tree: times in ms since
// the epoch (ascending) and, per recorded channel, one value per time (NaN
// where the channel had no number). Each channel has one form, text with a
// number of decimals or a JSON number, so that a value reads the same in the
// live block and in every paging answer.
struct ChartSeries
{
    struct Form
    {
        bool text = false;
        int decimals = 2;
    };

    std::int64_t id = 0;
    std::string file;                         // the measurement's file name
    std::vector<std::string> addresses;       // "CH01", ...
    std::vector<Form> forms;                  // per channel
    std::vector<std::int64_t> times;
    std::vector<std::vector<double>> columns; // per channel, one value per time

    ChartSeries() = default;
    ChartSeries(std::int64_t id, std::string file, std::vector<std::string> addresses);

    std::size_t size() const { return times.size(); }
    std::size_t valueCount() const { return times.size() * addresses.size(); }

    // Appends one sample; values has one entry per channel, rounded here to the channel's decimals.
    void append(std::int64_t time, std::vector<double> values);
    // Keeps every second sample, for a series that grew beyond its bound.
    void halve();
    // The samples with low <= time <= up, as [first, end).
    std::pair<std::size_t, std::size_t> window(std::int64_t low, std::int64_t up) const;

    // A chart block {"FILE","ID","SRC","ATR","DU", <address>: [...]} of the
    // samples at the given indices (ascending).
    Json::Value block(const std::vector<std::size_t>& samples, int source, int attribute) const;
    // One value as it goes out: the channel's form, "-" for none.
    Json::Value valueAt(std::size_t channel, std::size_t sample) const;
};

} // namespace devicesim
