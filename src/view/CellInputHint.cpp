#include "view/CellInputHint.h"

#include "view/DoubleValidator.h"
#include "view/OverallView.h"

#include <QStringList>
#include <QtMath>

namespace {

enum TextId {
    NOT_TAKEN = 1620,
    ALLOWED = 1629,
    NUMBER_FROM_TO = 1621,
    NUMBER_FROM = 1622,
    NUMBER_UP_TO = 1623,
    NUMBER = 1624,
    NO_DECIMALS = 1625,
    AT_MOST_DECIMALS = 1626,
    AT_MOST_CHARACTERS = 1627,
    PATTERN_TEXT = 1628
};

// Limits as the cell shows numbers: a full stop, no exponent for usual sizes.
QString number(double value)
{
    return QString::number(value, 'g', 12);
}

QString allowedText(const QStringList& allowed)
{
    return OverallView::translated(ALLOWED, QStringLiteral("Erlaubt: %1.")).arg(allowed.join(QStringLiteral(", ")));
}

QString rangeText(double bottom, double top)
{
    const bool hasBottom = !qIsInf(bottom), hasTop = !qIsInf(top);
    if (hasBottom && hasTop)
        return OverallView::translated(NUMBER_FROM_TO, QStringLiteral("eine Zahl von %1 bis %2"))
            .arg(number(bottom), number(top));
    if (hasBottom)
        return OverallView::translated(NUMBER_FROM, QStringLiteral("eine Zahl ab %1")).arg(number(bottom));
    if (hasTop)
        return OverallView::translated(NUMBER_UP_TO, QStringLiteral("eine Zahl bis %1")).arg(number(top));
    return OverallView::translated(NUMBER, QStringLiteral("eine Zahl"));
}

} // namespace

namespace CellInputHint {

QString forNumber(const DoubleValidator& validator)
{
    QStringList allowed{rangeText(validator.bottom(), validator.top())};
    // QDoubleValidator's default of 1000 decimals means none were set.
    const int decimals = validator.decimals();
    if (decimals == 0)
        allowed << OverallView::translated(NO_DECIMALS, QStringLiteral("ohne Nachkommastellen"));
    else if (decimals < 1000)
        allowed << OverallView::translated(AT_MOST_DECIMALS, QStringLiteral("Nachkommastellen: höchstens %1"))
                       .arg(decimals);
    if (validator.getMaxLength() > 0)
        allowed << OverallView::translated(AT_MOST_CHARACTERS, QStringLiteral("Zeichen: höchstens %1"))
                       .arg(validator.getMaxLength());
    return allowedText(allowed);
}

QString forPattern()
{
    return allowedText({OverallView::translated(PATTERN_TEXT, QStringLiteral("ein Text nach der Vorgabe des Geräts"))});
}

QString notTaken(const QString& hint)
{
    return OverallView::translated(NOT_TAKEN, QStringLiteral("Eingabe nicht übernommen. %1")).arg(hint);
}

} // namespace CellInputHint
