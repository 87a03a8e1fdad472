#include "view/DoubleValidator.h"

DoubleValidator::DoubleValidator(QObject* parent)
    : QDoubleValidator(parent)
{
}

void DoubleValidator::setMaxLength(const int& length, const bool& minusAllowed)
{
    maxLength = length;
    allowMinus = minusAllowed;
}

void DoubleValidator::takeCommaAsPoint(QString& input)
{
    input.replace(QLatin1Char(','), QLatin1Char('.'));
}

QValidator::State DoubleValidator::validate(QString& input, int& pos) const
{
    // The line editor shows the input as changed here when it is not Invalid.
    takeCommaAsPoint(input);
    const State state = judge(input, pos);
    return state == Invalid ? Intermediate : state;
}

QValidator::State DoubleValidator::judge(QString& input, int& pos) const
{
    QString text = input;
    if (maxLength > 0 && allowMinus && text.startsWith(QLatin1Char('-')) && text.size() >= 2)
        text.remove(0, 1);
    if (text.isEmpty())
        return Acceptable;
    if (maxLength > 0 && text.size() > maxLength)
        return Invalid;
    return QDoubleValidator::validate(input, pos);
}

DecimalCommaValidator::DecimalCommaValidator(QObject* parent)
    : QValidator(parent)
{
}

QValidator::State DecimalCommaValidator::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos)
    DoubleValidator::takeCommaAsPoint(input);
    return Acceptable;
}
