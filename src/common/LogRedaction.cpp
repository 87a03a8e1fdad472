#include "common/LogRedaction.h"

#include <json/json.h>

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <vector>

namespace {

// The key "TOKN", "PW" or "PASS" and its colon in JSON text, compact or
// indented. Its quotes may carry backslashes (JSON logged inside a JSON
// string, such as {\"PW\":\"x\"}); group 1 holds them.
const QRegularExpression& jsonSecretKeyPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(\\\\*)\"(?:TOKN|PW|PASS)\\1\"\\s*:\\s*"));
    return pattern;
}

// A number or literal value at the start of the text looked at.
const QRegularExpression& jsonScalarPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\G(?:[-+0-9.eE]+|true|false|null)"));
    return pattern;
}

// TOKN=..., PW=... or PASS=... in a URL query, up to the next separator.
const QRegularExpression& urlSecretPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("((?:TOKN|(?<![A-Za-z0-9_])PW|(?<![A-Za-z0-9_])PASS)=)[^&#\\s\"']*"));
    return pattern;
}

const char* const MASK = "***";

bool isSecretName(const std::string& name)
{
    return name == "TOKN" || name == "PW" || name == "PASS";
}

// Every scalar below value becomes the mask; the structure stays.
void maskAll(Json::Value& value)
{
    if (value.isObject() || value.isArray()) {
        for (Json::Value& child : value)
            maskAll(child);
    } else {
        value = MASK;
    }
}

// Whether the quote at position is one of the quotes of JSON whose quotes
// carry `escapes` backslashes: at each level of nesting a quote inside a string
// gains 2 * escapes + 1 backslashes, so the run before a delimiting quote is
// escapes modulo 2 * (escapes + 1).
bool isDelimitingQuote(const QString& text, int position, int escapes)
{
    int run = 0;
    while (position - run > 0 && text.at(position - run - 1) == QLatin1Char('\\'))
        ++run;
    return run % (2 * (escapes + 1)) == escapes;
}

// Just after the closing quote of the string opening at the quote at start;
// the text's end when the text is cut off inside it.
int stringEnd(const QString& text, int start, int escapes)
{
    for (int i = start + 1; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('"') && isDelimitingQuote(text, i, escapes))
            return i + 1;
    }
    return text.size();
}

// Just after the value starting at position (a string, object, array, number
// or literal); the text's end when it is cut off inside; -1 for no value.
int valueEnd(const QString& text, int position, int escapes)
{
    const int quote = position + escapes;
    if (quote < text.size() && text.at(quote) == QLatin1Char('"')
        && text.midRef(position, escapes).count(QLatin1Char('\\')) == escapes)
        return stringEnd(text, quote, escapes);
    if (position < text.size() && (text.at(position) == QLatin1Char('{') || text.at(position) == QLatin1Char('['))) {
        int depth = 0;
        for (int i = position; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('"') && isDelimitingQuote(text, i, escapes))
                i = stringEnd(text, i, escapes) - 1;   // brackets inside strings do not count
            else if (c == QLatin1Char('{') || c == QLatin1Char('['))
                ++depth;
            else if ((c == QLatin1Char('}') || c == QLatin1Char(']')) && --depth == 0)
                return i + 1;
        }
        return text.size();
    }
    const QRegularExpressionMatch scalar = jsonScalarPattern().match(text, position);
    return scalar.hasMatch() ? scalar.capturedEnd() : -1;
}

// Every JSON value of a secret key, whatever its type, becomes "***".
QString maskJsonSecrets(const QString& text)
{
    QString result;
    int copied = 0;
    QRegularExpressionMatchIterator keys = jsonSecretKeyPattern().globalMatch(text);
    while (keys.hasNext()) {
        const QRegularExpressionMatch key = keys.next();
        if (key.capturedStart() < copied)
            continue;   // inside a value masked already
        const int escapes = key.capturedLength(1);
        const int end = valueEnd(text, key.capturedEnd(), escapes);
        if (end < 0)
            continue;
        const QString quote = QString(escapes, QLatin1Char('\\')) + QLatin1Char('"');
        result += text.midRef(copied, key.capturedEnd() - copied);
        result += quote + QLatin1String(MASK) + quote;
        copied = end;
    }
    if (copied == 0)
        return text;
    result += text.midRef(copied);
    return result;
}

} // namespace

void LogRedaction::maskSecrets(Json::Value& tree)
{
    // An explicit stack: a device tree may be deeper than the call stack allows.
    std::vector<Json::Value*> pending{&tree};
    while (!pending.empty()) {
        Json::Value* value = pending.back();
        pending.pop_back();
        if (value->isObject()) {
            for (const std::string& name : value->getMemberNames()) {
                Json::Value& member = (*value)[name];
                if (isSecretName(name))
                    maskAll(member);
                else
                    pending.push_back(&member);
            }
        } else if (value->isArray()) {
            for (Json::Value& element : *value)
                pending.push_back(&element);
        }
    }
}

QString LogRedaction::redactToken(const QString& text)
{
    if (!text.contains(QLatin1String("TOKN")) && !text.contains(QLatin1String("PW"))
        && !text.contains(QLatin1String("PASS")))
        return text;
    QString result = maskJsonSecrets(text);
    result.replace(urlSecretPattern(), QStringLiteral("\\1***"));
    return result;
}

QString LogRedaction::hideUrlQuery(const QString& text, const QUrl& url)
{
    if (!url.hasQuery())
        return text;
    const QString bare = url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
    QString result = text;
    // Qt writes the URL into its error texts decoded, where a token with a
    // blank no longer ends at a separator; every usual spelling is replaced.
    const QStringList spellings{url.toString(), url.toString(QUrl::FullyEncoded), url.toDisplayString(),
                                bare + QLatin1Char('?') + url.query(QUrl::FullyDecoded)};
    for (const QString& spelling : spellings)
        result.replace(spelling, bare);
    return result;
}

QString LogRedaction::forLog(const QString& text, int maxChars)
{
    QString result = redactToken(text);
    if (maxChars >= 0 && result.size() > maxChars) {
        const int fullSize = result.size();
        result.truncate(maxChars);
        result += QStringLiteral("\n... (%1 characters in all)").arg(fullSize);
    }
    return result;
}
