#pragma once

#include <QString>

namespace Json {
class Value;
}
class QUrl;

// Prepares texts that may hold secrets (JSON with a "TOKN", "PW" or "PASS"
// member, URLs with such a query item) for the log and the status bar.
class LogRedaction
{
public:
    static const int DEFAULT_MAX_CHARS = 4096;

    // The text with every "TOKN", "PW" and "PASS" value replaced by "***".
    static QString redactToken(const QString& text);
    // text with url, in any of the spellings Qt uses, replaced by url without
    // its query, so no query value (such as the token) is shown.
    static QString hideUrlQuery(const QString& text, const QUrl& url);
    // redactToken, then cut to maxChars with a note of the full length, so a
    // multi-megabyte document never floods the log.
    static QString forLog(const QString& text, int maxChars = DEFAULT_MAX_CHARS);
    // Replaces, at any depth, the value of every "TOKN", "PW" and "PASS"
    // member by "***" (every scalar inside, when the value is an object or an
    // array), so a tree can be written to a file without its secrets.
    static void maskSecrets(Json::Value& tree);
};
