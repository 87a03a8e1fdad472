#pragma once

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace KORVALIS {
namespace JSON {
namespace JsonPathDetail {

// Limits that keep every query bounded in time, memory and stack.
constexpr std::size_t kMaxExpressionLength = 4096;
constexpr std::size_t kMaxSteps = 256;
constexpr int kMaxScriptDepth = 16;
constexpr int kMaxTraceDepth = 1500;           // tree levels plus steps on the stack
// Work is counted in units of about one visited node (20 to 30 ns in a
// release build); the costlier operations count as many units as they take.
// A query may spend kWorkPerNode units per node of the queried tree, at least
// kMinWork and at most kMaxWork: about 40 times what "$..*" with its paths
// spends, so no expression costs much more than a walk over the whole tree.
// The tree is counted only when a query has spent kMinWork, so a short query
// on a large tree never walks it. From about 7,500 nodes on the budget is
// kMaxWork, which lets a descent with a name step ("$..VAL", three units a
// node) cover a mirror of about 14 MB and keeps a walk within about 100 ms.
// Hits are few in practice (a few thousand on a full mirror); each costs its
// path text and, in JSONObject::query, a copy of its value.
constexpr std::uint64_t kMaxWork = 3000000;
constexpr std::uint64_t kMinWork = 20000;
constexpr std::uint64_t kWorkPerNode = 400;
constexpr std::uint64_t kMaxHits = 50000;
// A script's text goes through several regular expressions, once per query.
constexpr std::uint64_t kScriptWork = 48;         // reading a script, plus per character:
constexpr std::uint64_t kScriptCharWork = 8;
constexpr std::uint64_t kKeyWork = 2;             // classifying a union member or a script's key
constexpr std::uint64_t kFilterParseWork = 8;     // parsing a filter met as a key
constexpr std::uint64_t kFilterWork = 2;          // testing one child against a filter
constexpr std::uint64_t kSliceWork = 16;          // reading a slice
// Copying one node of a hit takes longer than visiting it, but the channel
// list of a 10 MB mirror (about 720,000 nodes) must stay copyable.
constexpr std::uint64_t kCopyWork = 3;
constexpr std::size_t kTextBytesPerWork = 16;     // text scanned or copied per unit
constexpr std::uint64_t kMaxPathBytes = 64u * 1024u * 1024u;   // path texts with their string objects

enum class StepKind {
    Empty,    // ""
    Star,     // "*"
    Descend,  // ".."
    Script,   // "(...)"
    Filter,   // "?(...)"
    Slice,    // "start:end:step"
    Union,    // "a,b"
    Name      // anything else: a member name or an index
};

enum class FilterOp { None, Has, Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

// A filter "?(@.NAME op operand)" parsed once per step.
struct FilterTest
{
    FilterOp op = FilterOp::None;
    std::string member;
    std::string operand;        // trimmed, one pair of quotes removed
    std::string upperOperand;   // operand upper-cased for text comparison
    // The operand as a number, read on the first numeric member met.
    mutable bool numberRead = false;
    mutable double numericOperand = 0.0;
};

struct Step
{
    std::string_view text;
    StepKind kind = StepKind::Name;
    bool digits = false;             // all decimal digits: an index candidate
    const FilterTest* filter = nullptr;
};

using StepList = std::vector<Step>;

// One part of a hit's concrete path: a name (member or step text) or an
// array position found by walking or slicing.
struct PathPart
{
    std::string_view text;
    std::uint64_t index = 0;
    bool isIndex = false;
};

// Splits text at every ';' (empty parts kept), as views into text.
std::vector<std::string_view> splitSteps(std::string_view text);

bool isAllDigits(std::string_view text);

// "start:end" or "start:end:step": start and end each an optional "-" and
// digits, step digits only, every part possibly empty.
bool isSliceText(std::string_view text);

// Parses a filter step's text (with its "?(" and ")").
FilterTest parseFilter(std::string_view step);

} // namespace JsonPathDetail
} // namespace JSON
} // namespace KORVALIS
