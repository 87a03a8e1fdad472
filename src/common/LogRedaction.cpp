#include "common/LogRedaction.h"

#include <QRegularExpression>

namespace {

// "TOKN" : "..." or "TOKN" : 123 in JSON text (compact or indented).
const QRegularExpression& jsonTokenPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(\"TOKN\"\\s*:\\s*)(\"(?:[^\"\\\\]|\\\\.)*\"|[-+0-9.eE]+)"));
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
