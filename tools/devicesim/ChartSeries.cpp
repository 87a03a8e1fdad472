#include "ChartSeries.h"

#include "ValueForm.h"

#include <algorithm>
#include <cmath>

namespace devicesim {

ChartSeries::ChartSeries(std::int64_t id, std::string file, std::vector<std::string> addresses)
    : id(id), file(std::move(file)), addresses(std::move(addresses))
{
    forms.resize(this->addresses.size());
    columns.resize(this->addresses.size());
}

void ChartSeries::append(std::int64_t time, std::vector<double> values)
{
    times.push_back(time);
    for (std::size_t channel = 0; channel < columns.size(); ++channel) {
        const double value = channel < values.size() ? values[channel] : std::nan("");
        const double scale = std::pow(10.0, forms[channel].decimals);
        columns[channel].push_back(std::isnan(value) ? value : std::round(value * scale) / scale + 0.0);
    }
}

void ChartSeries::halve()
{
    const auto keepEven = [](auto& list) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < list.size(); i += 2)
            list[kept++] = list[i];
        list.resize(kept);
    };
    keepEven(times);
    for (std::vector<double>& column : columns)
        keepEven(column);
}

std::pair<std::size_t, std::size_t> ChartSeries::window(std::int64_t low, std::int64_t up) const
{
    const auto first = std::lower_bound(times.begin(), times.end(), low);
    const auto end = std::upper_bound(first, times.end(), up);
    return {static_cast<std::size_t>(first - times.begin()), static_cast<std::size_t>(end - times.begin())};
}

Json::Value ChartSeries::valueAt(std::size_t channel, std::size_t sample) const
{
    const double value = columns[channel][sample];
    if (std::isnan(value))
        return "-";
    const Form& form = forms[channel];
    return inFormOf(form.text ? Json::Value("") : Json::Value(0), value, form.decimals);
}

Json::Value ChartSeries::block(const std::vector<std::size_t>& samples, int source, int attribute) const
{
    Json::Value block(Json::objectValue);
    block["FILE"] = file;
    block["ID"] = Json::Int64(id);
    block["SRC"] = source;
    block["ATR"] = attribute;
    block["DU"] = Json::Value(Json::arrayValue);
    for (std::size_t sample : samples)
        block["DU"].append(Json::Int64(times[sample]));
    for (std::size_t channel = 0; channel < addresses.size(); ++channel) {
        Json::Value& values = block[addresses[channel]] = Json::Value(Json::arrayValue);
        for (std::size_t sample : samples)
            values.append(valueAt(channel, sample));
    }
    return block;
}

} // namespace devicesim
