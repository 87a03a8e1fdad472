#pragma once

// Synthetic mirrors shaped like the device's tree, for the benchmarks:
//   "DATA"."CH"[c]: channels, each with a "MVTB" table of measured-value
//     entries {"ID","MW","VAL","DIM","AUT","ALRM","INP":{"MODE","MIN","MAX","DG","DP"},
//     "LIM":{"LO","HI"}, "TXT", "HIST":[...]}
//   "USMG"."USLI": users {"ID","NAME":"user<n>","AUT","LANG","DACT","RIGT":{...}}
//   plus "IPTH", "DEV" and "SERV" as the device sends them.
// Larger mirrors have longer "TXT" texts and "HIST" sample lists per entry.

#include <json/json.h>

#include <cstddef>
#include <string>

namespace tevarobench {

enum class MirrorSize {
    Small,    // about 10 KB of compact text: 4 channels x 13 entries, 10 users
    Medium,   // about 1 MB: 64 channels x 50 entries, 1,000 users
    Large     // about 10 MB: the same shape with larger entries
};

struct MirrorShape
{
    int channels = 64;
    int entriesPerChannel = 50;
    int users = 1000;
    int growth = 0;   // per entry: "HIST" samples, and 8 "TXT" characters per sample
};

Json::Value buildMirror(const MirrorShape& shape);

// The shape whose compact text comes closest to the size class.
MirrorShape shapeFor(MirrorSize size);

// Built once per process and kept.
const Json::Value& mirror(MirrorSize size);
const std::string& mirrorText(MirrorSize size);   // compact (FastWriter) text

// "10.2 KB", "1.00 MB", ...
std::string byteLabel(std::size_t bytes);

} // namespace tevarobench
