#include "common/LogRedaction.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

// "TOKN" : "..." or "TOKN" : 123 in JSON text (compact or indented). The
// closing quote is optional: a cut-off answer may end inside the token.
const QRegularExpression& jsonTokenPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(\"TOKN\"\\s*:\\s*)(\"(?:[^\"\\\\]|\\\\.?)*\"?|[-+0-9.eE]+)"));
    return pattern;
}

// TOKN=... in a URL query, up to the next separator.
const QRegularExpression& urlTokenPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(TOKN=)[^&#\\s\"']*"));
    return pattern;
}

} // namespace

QString LogRedaction::redactToken(const QString& text)
{
    if (!text.contains(QLatin1String("TOKN")))
        return text;
    QString result = text;
    result.replace(jsonTokenPattern(), QStringLiteral("\\1\"***\""));
    result.replace(urlTokenPattern(), QStringLiteral("\\1***"));
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
