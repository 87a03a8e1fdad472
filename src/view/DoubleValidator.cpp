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

QValidator::State DoubleValidator::validate(QString& input, int& pos) const
{
    QString text = input;
    if (maxLength > 0 && allowMinus && text.startsWith(QLatin1Char('-')) && text.size() >= 2)
        text.remove(0, 1);
    if (text.isEmpty())
        return Acceptable;
    if (text.contains(QLatin1Char(',')))
        return Invalid;
    if (maxLength > 0 && text.size() > maxLength)
        return Invalid;
    return QDoubleValidator::validate(input, pos);
}
