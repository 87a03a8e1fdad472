#include "SyntheticMirror.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

namespace tevarobench {

namespace {

// Fixed pseudo-random numbers, so every run measures the same mirror.
class Numbers
{
public:
    std::uint32_t next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state >> 33);
    }
    double real(double low, double high) { return low + (high - low) * (next() % 100000) / 100000.0; }

private:
    std::uint64_t state = 0x5EED;
};

const char* const dimensions[] = {"mV", "V", "mA", "bar", "\xC2\xB0" "C", "Hz"};
const char* const words[] = {"measured", "value", "of", "input", "channel", "limit", "filter", "scaled"};

std::string text(Numbers& numbers, std::size_t length)
{
    std::string t;
    while (t.size() < length) {
        t += words[numbers.next() % 8];
        t += ' ';
    }
    t.resize(length);
    return t;
}

Json::Value entry(Numbers& numbers, int channel, int index, int growth)
{
    Json::Value e(Json::objectValue);
    e["ID"] = channel * 1000 + index;
    e["MW"] = std::round(numbers.real(-500.0, 500.0) * 1000.0) / 1000.0;
    e["VAL"] = static_cast<int>(numbers.next() % 1000);
    e["DIM"] = dimensions[index % 6];
    e["AUT"] = 3;
    e["ALRM"] = index % 5 == 0;
    Json::Value& inp = e["INP"];
    inp["MODE"] = index % 3;
    inp["MIN"] = -100.0;
    inp["MAX"] = 100.0;
    inp["DG"] = 4;
    inp["DP"] = 2;
    Json::Value& lim = e["LIM"];
    lim["LO"] = index % 2 == 0 ? Json::Value() : Json::Value(-50.5);
    lim["HI"] = 50.5;
    if (growth > 0) {
        e["TXT"] = text(numbers, static_cast<std::size_t>(growth) * 8);
        Json::Value& hist = e["HIST"];
        hist = Json::Value(Json::arrayValue);
        for (int i = 0; i < growth; ++i)
            hist.append(static_cast<int>(100000 + numbers.next() % 900000));
    }
    return e;
}

Json::Value user(int index)
{
    Json::Value u(Json::objectValue);
    u["ID"] = index + 1;
    u["NAME"] = "user" + std::to_string(index);
    u["AUT"] = static_cast<Json::Int64>(index % 3 == 0 ? -1 : 0x0F0F);
    u["LANG"] = index % 2 == 0 ? "de" : "en";
    u["DACT"] = index % 17 == 0;
    u["RIGT"]["CFG"] = index % 4;
    u["RIGT"]["MEAS"] = 1;
    return u;
}

std::size_t compactSize(const MirrorShape& shape)
{
    Json::FastWriter writer;
    return writer.write(buildMirror(shape)).size();
}

} // namespace

Json::Value buildMirror(const MirrorShape& shape)
{
    Numbers numbers;
    Json::Value root(Json::objectValue);

    Json::Value& ipth = root["IPTH"];
    for (const char* path : {"$.DEV", "$.DATA.CH", "$.USMG.USLI", "$.SERV.FCT.STST.VAL"})
        ipth.append(path);

    root["DEV"]["NAME"] = "instrument";
    root["DEV"]["SER"] = "SN-000123";
    root["DEV"]["FW"] = "1.2.3";

    Json::Value& channels = root["DATA"]["CH"];
    channels = Json::Value(Json::arrayValue);
    for (int c = 0; c < shape.channels; ++c) {
        Json::Value ch(Json::objectValue);
        ch["ID"] = c;
        ch["NAME"] = "Channel " + std::to_string(c);
        ch["EN"] = c % 2 == 0;
        ch["AUT"] = 4095;
        Json::Value& table = ch["MVTB"];
        table = Json::Value(Json::arrayValue);
        for (int e = 0; e < shape.entriesPerChannel; ++e)
            table.append(entry(numbers, c, e, shape.growth));
        channels.append(std::move(ch));
    }

    Json::Value& users = root["USMG"]["USLI"];
    users = Json::Value(Json::arrayValue);
    for (int u = 0; u < shape.users; ++u)
        users.append(user(u));

    root["SERV"]["FCT"]["STST"]["VAL"] = 0;
    return root;
}

MirrorShape shapeFor(MirrorSize size)
{
    if (size == MirrorSize::Small)
        return MirrorShape{4, 13, 10, 0};

    const double target = size == MirrorSize::Medium ? 1024.0 * 1024.0 : 10.0 * 1024.0 * 1024.0;
    MirrorShape shape;
    // The text grows linearly with growth (from 1 on); two measurements give the line.
    shape.growth = 1;
    const double one = static_cast<double>(compactSize(shape));
    shape.growth = 9;
    const double perUnit = (static_cast<double>(compactSize(shape)) - one) / 8.0;
    shape.growth = std::max(1, 1 + static_cast<int>(std::lround((target - one) / perUnit)));
    return shape;
}

const Json::Value& mirror(MirrorSize size)
{
    static std::mutex mutex;
    static std::map<MirrorSize, Json::Value> built;
    std::lock_guard<std::mutex> guard(mutex);
    auto it = built.find(size);
    if (it == built.end())
        it = built.emplace(size, buildMirror(shapeFor(size))).first;
    return it->second;
}

const std::string& mirrorText(MirrorSize size)
{
    static std::mutex mutex;
    static std::map<MirrorSize, std::string> written;
    const Json::Value& tree = mirror(size);
    std::lock_guard<std::mutex> guard(mutex);
    auto it = written.find(size);
    if (it == written.end()) {
        Json::FastWriter writer;
        it = written.emplace(size, writer.write(tree)).first;
    }
    return it->second;
}

std::string byteLabel(std::size_t bytes)
{
    char buffer[32];
    if (bytes >= 1024 * 1024)
        std::snprintf(buffer, sizeof buffer, "%.2f MB", bytes / (1024.0 * 1024.0));
    else
        std::snprintf(buffer, sizeof buffer, "%.1f KB", bytes / 1024.0);
    return buffer;
}

} // namespace tevarobench
