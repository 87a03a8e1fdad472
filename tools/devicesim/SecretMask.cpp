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

// The end of a value starting at position: after its closing quote (escapes
// skipped; the text's end when it is cut), or at its first delimiter.
std::size_t valueEnd(const std::string& text, std::size_t position)
{
    if (position < text.size() && text[position] == '"') {
        std::size_t end = position + 1;
        while (end < text.size() && text[end] != '"')
            end += text[end] == '\\' ? 2 : 1;
        return std::min(end + 1, text.size());
    }
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
        if (i > 0 && text[i - 1] == '"' && next < text.size() && text[next] == '"')
            ++next;   // the closing quote of a JSON key
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
        const bool quoted = value < text.size() && text[value] == '"';
        masked += quoted ? std::string("\"") + mask + "\"" : std::string(mask);
        i = valueEnd(text, value);
    }
    return masked;
}

std::string SecretMask::logText(const Json::Value& value)
{
    return toCompactText(ofValue(value));
}

} // namespace devicesim
