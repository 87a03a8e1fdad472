#pragma once

#include <json/json.h>

#include <boost/regex_fwd.hpp>

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
// The budget lets a descent with a name step ("$..VAL", three units a node)
// cover a mirror of about 14 MB and keeps every query within about 100 ms.
// Hits are few in practice (a few thousand on a full mirror); each costs its
// path text and, in JSONObject::query, a copy of its value.
constexpr std::uint64_t kMaxWork = 3000000;
constexpr std::uint64_t kMaxHits = 50000;
constexpr std::uint64_t kScriptWork = 48;         // a script, plus one unit per character of it
constexpr std::uint64_t kFilterWork = 2;          // testing one child against a filter
constexpr std::uint64_t kSliceWork = 16;          // recognising or reading a slice
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

// "^(-?[0-9]*):(-?[0-9]*):?([0-9]*)$", compiled once.
const boost::regex& sliceRegex();

// Parses a filter step's text (with its "?(" and ")").
FilterTest parseFilter(std::string_view step);

} // namespace JsonPathDetail
} // namespace JSON
} // namespace KORVALIS
