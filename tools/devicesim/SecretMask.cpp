#include "SecretMask.h"

#include "JsonText.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace devicesim {

const char* const SecretMask::mask = "***";

namespace {

const char* const secretKeys[] = {"PASS", "PW"};

bool isWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The secret key standing as a word of its own at position, or nullptr.
const char* secretKeyAt(const std::string& text, std::size_t position)
{
    if (position > 0 && isWordCharacter(text[position - 1]))
        return nullptr;
    for (const char* key : secretKeys) {
        const std::size_t length = std::strlen(key);
        if (text.compare(position, length, key) == 0
            && (position + length == text.size() || !isWordCharacter(text[position + length])))
            return key;
    }
    return nullptr;
}

// Whether the quote at position delimits a string of JSON whose quotes carry
// `escapes` backslashes (JSON inside a JSON string): at each level a quote
// inside a string gains 2 * escapes + 1 backslashes, so the run before a
// delimiting quote is escapes modulo 2 * (escapes + 1).
bool isDelimitingQuote(const std::string& text, std::size_t position, std::size_t escapes)
{
    std::size_t run = 0;
    while (run < position && text[position - run - 1] == '\\')
        ++run;
    return run % (2 * (escapes + 1)) == escapes;
}

// After the closing quote of the string opening at the quote at start; the
// text's end when it is cut off inside.
std::size_t stringEnd(const std::string& text, std::size_t start, std::size_t escapes)
{
    for (std::size_t end = start + 1; end < text.size(); ++end) {
        if (text[end] == '"' && isDelimitingQuote(text, end, escapes))
            return end + 1;
    }
    return text.size();
}

// After the object or array opening at start, strings inside skipped; the
// text's end when it is cut off inside.
std::size_t bracketsEnd(const std::string& text, std::size_t start, std::size_t escapes)
{
    std::size_t depth = 0;
    for (std::size_t end = start; end < text.size(); ++end) {
        const char c = text[end];
        if (c == '"' && isDelimitingQuote(text, end, escapes))
            end = stringEnd(text, end, escapes) - 1;
        else if (c == '{' || c == '[')
            ++depth;
        else if ((c == '}' || c == ']') && --depth == 0)
            return end + 1;
    }
    return text.size();
}

// Whether a string (its quote after `escapes` backslashes) starts at position.
bool quoteAt(const std::string& text, std::size_t position, std::size_t escapes)
{
    return position + escapes < text.size() && text[position + escapes] == '"'
           && text.compare(position, escapes, std::string(escapes, '\\')) == 0;
}

// The end of a value starting at position: after its closing quote or
// bracket (the text's end when it is cut), or at its first delimiter.
std::size_t valueEnd(const std::string& text, std::size_t position, std::size_t escapes)
{
    if (quoteAt(text, position, escapes))
        return stringEnd(text, position + escapes, escapes);
    if (position < text.size() && (text[position] == '{' || text[position] == '['))
        return bracketsEnd(text, position, escapes);
    std::size_t end = position;
    while (end < text.size() && !isBlank(text[end]) && !std::strchr(",}]&", text[end]))
        ++end;
    return end;
}

} // namespace

Json::Value SecretMask::ofValue(const Json::Value& value)
{
    if (value.isArray()) {
        Json::Value copy(Json::arrayValue);
        for (const Json::Value& item : value)
            copy.append(ofValue(item));
        return copy;
    }
    if (!value.isObject())
        return value;
    Json::Value copy(Json::objectValue);
    for (const std::string& name : value.getMemberNames()) {
        const bool secret = name == secretKeys[0] || name == secretKeys[1];
        copy[name] = secret ? Json::Value(mask) : ofValue(value[name]);
    }
    return copy;
}

std::string SecretMask::ofText(const std::string& text)
{
    std::string masked;
    masked.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char* key = secretKeyAt(text, i);
        if (!key) {
            masked += text[i++];
            continue;
        }
        std::size_t next = i + std::strlen(key);
        // A JSON key's quotes, with the backslashes they carry inside a JSON string.
        std::size_t escapes = 0;
        if (i > 0 && text[i - 1] == '"') {
            while (escapes + 1 < i && text[i - escapes - 2] == '\\')
                ++escapes;
            if (!quoteAt(text, next, escapes))
                escapes = 0;
            if (quoteAt(text, next, escapes))
                next += escapes + 1;
        }
        std::size_t separator = next;
        while (separator < text.size() && isBlank(text[separator]))
            ++separator;
        if (separator == text.size() || (text[separator] != ':' && text[separator] != '=')) {
            masked.append(text, i, next - i);
            i = next;
            continue;
        }
        std::size_t value = separator + 1;
        while (value < text.size() && isBlank(text[value]))
            ++value;
        masked.append(text, i, value - i);
        const bool quoted = quoteAt(text, value, escapes) || (value < text.size() && std::strchr("{[", text[value]));
        const std::string quote = std::string(escapes, '\\') + '"';
        masked += quoted ? quote + mask + quote : std::string(mask);
        i = valueEnd(text, value, escapes);
    }
    return masked;
}

std::string SecretMask::logText(const Json::Value& value)
{
    return toCompactText(ofValue(value));
}

} // namespace devicesim
