#include "common/LogRedaction.h"

#include <json/json.h>

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

#include <vector>

namespace {

// "TOKN", "PW" or "PASS" : "..." (or a number or literal) in JSON text,
// compact or indented. The closing quote is optional: a cut-off text may end
// inside the value.
const QRegularExpression& jsonSecretPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "(\"(?:TOKN|PW|PASS)\"\\s*:\\s*)(\"(?:[^\"\\\\]|\\\\.?)*\"?|[-+0-9.eE]+|true|false|null)"));
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
    QString result = text;
    result.replace(jsonSecretPattern(), QStringLiteral("\\1\"***\""));
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
