#pragma once

#include <QRegExpValidator>

// Validator of a text cell with the device's input pattern. Like the numeric
// editor's, it never refuses a keystroke: a character the pattern refuses
// would be dropped and the rest written. A text that cannot match is
// Intermediate instead, kept as typed and shown as not acceptable.
class PatternValidator : public QRegExpValidator
{
    Q_OBJECT

public:
    PatternValidator(const QRegExp& pattern, QObject* parent);

    QValidator::State validate(QString& input, int& pos) const override;
};
