#include "view/PatternValidator.h"

PatternValidator::PatternValidator(const QRegExp& pattern, QObject* parent)
    : QRegExpValidator(pattern, parent)
{
}

QValidator::State PatternValidator::validate(QString& input, int& pos) const
{
    const State state = QRegExpValidator::validate(input, pos);
    return state == Invalid ? Intermediate : state;
}
