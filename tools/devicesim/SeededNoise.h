#pragma once

#include <cstdint>
#include <initializer_list>

namespace devicesim {

// A number in [-1, 1) that depends on the seed and two keys alone (a time and
// a channel, say), so that chart values come out the same however the steps
// of the device's clock fall.
inline double seededNoise(unsigned seed, std::int64_t first, std::int64_t second)
{
    // splitmix64 over the three inputs
    std::uint64_t x = seed;
    for (std::uint64_t part : {static_cast<std::uint64_t>(first), static_cast<std::uint64_t>(second)}) {
        x ^= part + 0x9e3779b97f4a7c15ULL + (x << 6) + (x >> 2);
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        x ^= x >> 31;
    }
    return static_cast<double>(x >> 11) / static_cast<double>(std::uint64_t(1) << 52) - 1.0;
}

} // namespace devicesim
