#include "view/TableObjectLinkText.h"

#include <QRegularExpression>
#include <QStringList>

namespace tablelinktext {

namespace {

// Index of the '>' that ends the tag opened at start, outside quoted values; -1 when none.
int tagEnd(const QString& text, int start)
{
    QChar quote;
    for (int i = start + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            return i;
        }
    }
    return -1;
}

QString hrefOf(const QString& attributes)
{
    static const QRegularExpression attribute(
        QStringLiteral("([A-Za-z_:][-A-Za-z0-9_:.]*)\\s*(?:=\\s*(\"[^\"]*\"|'[^']*'|[^\\s\"'>]+))?"));
    auto it = attribute.globalMatch(attributes);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1).compare(QLatin1String("href"), Qt::CaseInsensitive) != 0)
            continue;
        QString value = match.captured(2);
        if (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        value.replace(QLatin1Char('"'), QLatin1String("&quot;"));
        value.replace(QLatin1Char('<'), QLatin1String("&lt;"));
        value.replace(QLatin1Char('>'), QLatin1String("&gt;"));
        return value;
    }
    return QString();
}

} // namespace

QString keepSimpleMarkup(const QString& text)
{
    static const QRegularExpression tag(QStringLiteral("^<(/?)([A-Za-z][A-Za-z0-9]*)(.*?)/?>$"),
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QStringList plainTags{QStringLiteral("b"), QStringLiteral("i"), QStringLiteral("u")};
    static const QStringList hiddenContent{QStringLiteral("style"), QStringLiteral("script"),
                                           QStringLiteral("head"), QStringLiteral("title")};

    QString result;
    result.reserve(text.size());
    int pos = 0;
    while (pos < text.size()) {
        const int open = text.indexOf(QLatin1Char('<'), pos);
        if (open < 0) {
            result += text.midRef(pos);
            break;
        }
        result += text.midRef(pos, open - pos);
        if (text.midRef(open, 4) == QLatin1String("<!--")) {
            const int close = text.indexOf(QLatin1String("-->"), open + 4);
            pos = close < 0 ? text.size() : close + 3;
            continue;
        }
        const int close = tagEnd(text, open);
        const QRegularExpressionMatch match =
            close < 0 ? QRegularExpressionMatch() : tag.match(text.mid(open, close - open + 1));
        if (!match.hasMatch()) {
            // Not a tag: a '<' of the text itself (or a declaration, which goes).
            if (close >= 0 && text.midRef(open + 1, 1) == QLatin1String("!")) {
                pos = close + 1;
                continue;
            }
            result += QLatin1String("&lt;");
            pos = open + 1;
            continue;
        }
        pos = close + 1;
        const bool closing = !match.captured(1).isEmpty();
        const QString name = match.captured(2).toLower();
        if (plainTags.contains(name)) {
            result += (closing ? QLatin1String("</") : QLatin1String("<")) + name + QLatin1Char('>');
        } else if (name == QLatin1String("br")) {
            if (!closing)
                result += QLatin1String("<br/>");
        } else if (name == QLatin1String("a")) {
            if (closing) {
                result += QLatin1String("</a>");
            } else {
                const QString href = hrefOf(match.captured(3));
                result += href.isEmpty() ? QStringLiteral("<a>") : QStringLiteral("<a href=\"%1\">").arg(href);
            }
        } else if (!closing && hiddenContent.contains(name)) {
            const QRegularExpression end(QStringLiteral("</%1\\s*>").arg(name),
                                         QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch endMatch = end.match(text, pos);
            pos = endMatch.hasMatch() ? endMatch.capturedEnd() : text.size();
        }
        // Any other tag is dropped; its text stays.
    }
    return result;
}

} // namespace tablelinktext
