#pragma once

// Helpers shared by the fuzz targets. A broken property prints what broke and
// aborts, so libFuzzer keeps the input as a crash artifact.

#include <json/json.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace fuzzsupport {

[[noreturn]] inline void fail(const char* what, const std::string& detail = std::string())
{
    std::fprintf(stderr, "fuzz property violated: %s\n", what);
    if (!detail.empty())
        std::fprintf(stderr, "%s\n", detail.substr(0, 2000).c_str());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool ok, const char* what, const std::string& detail = std::string())
{
    if (!ok)
        fail(what, detail);
}

inline std::string compactText(const Json::Value& value) { return Json::FastWriter().write(value); }

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
// jsoncpp's writer escapes every non-ASCII character from its UTF-8 decoding
// and replaces what it cannot decode, so only such text survives a write and
// a read unchanged.
inline bool isStrictUtf8(const std::string& text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        // Continuation bytes after a lead byte 110xxxxx, 1110xxxx or 11110xxx.
        const int extra = c < 0x80 ? 0 : c < 0xC0 ? -1 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : c < 0xF8 ? 3 : -1;
        if (extra < 0)
            return false;
        std::uint32_t cp = c & (0x7F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if (i + static_cast<std::size_t>(k) >= n || (s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// True when every string and member name of the tree is strict UTF-8, so the
// tree is expected to survive a write and a read unchanged.
inline bool survivesRoundTrip(const Json::Value& value)
{
    switch (value.type()) {
    case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        value.getString(&begin, &end);
        return begin == nullptr || isStrictUtf8(std::string(begin, end));
    }
    case Json::arrayValue:
        for (const Json::Value& element : value)
            if (!survivesRoundTrip(element))
                return false;
        return true;
    case Json::objectValue:
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!isStrictUtf8(it.name()) || !survivesRoundTrip(*it))
                return false;
        }
        return true;
    default:
        return true;
    }
}

// Nesting depth: 0 for a scalar, 1 for an empty container.
inline int depthOf(const Json::Value& value)
{
    if (!value.isArray() && !value.isObject())
        return 0;
    int deepest = 0;
    for (const Json::Value& child : value)
        deepest = std::max(deepest, depthOf(child));
    return deepest + 1;
}

// Reads text with jsoncpp alone; false on a syntax error or on nesting beyond
// the reader's limit (which it reports by throwing).
inline bool readWithJsoncpp(const std::string& text, Json::Value& out)
{
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    try {
        return reader->parse(text.data(), text.data() + text.size(), &out, nullptr);
    } catch (const std::exception&) {
        return false;
    }
}

// A fixed tree of a target, from its text; a broken text stops the run.
inline Json::Value fixedTree(const char* text)
{
    Json::Value tree;
    if (!readWithJsoncpp(text, tree))
        fail("fixed tree does not parse", text);
    return tree;
}

} // namespace fuzzsupport
