#pragma once

#include <QDoubleValidator>

// Validator of the numeric line editor: the standard double validation plus a
// maximum number of characters (DG) in which a leading minus sign may be left
// uncounted. A comma typed or pasted becomes the decimal point, since the
// device reads only a full stop and a technician may type a decimal comma.
//
// No keystroke is ever refused: a refused one would be dropped while the next
// ones make another number, which Enter would write. A text the cell does not
// take (a second separator, a minus below a positive range, too many digits
// or decimals, letters) is Intermediate instead: the editor keeps it as typed,
// shows it as not acceptable, and Enter writes nothing.
class DoubleValidator : public QDoubleValidator
{
    Q_OBJECT

public:
    explicit DoubleValidator(QObject* parent = nullptr);

    // maxLength 0 or less means no limit.
    void setMaxLength(const int& maxLength, const bool& allowMinus);

    QValidator::State validate(QString& input, int& pos) const override;

    // Every comma of input becomes a full stop; the length, and so the cursor, stays.
    static void takeCommaAsPoint(QString& input);

    int getMaxLength() const { return maxLength; }

private:
    // The strict judgement: Invalid for a text that no further typing can mend.
    QValidator::State judge(QString& input, int& pos) const;

    int maxLength = -1;
    bool allowMinus = false;
};

// The editor of a numeric cell whose input is not checked: only a comma
// becomes the decimal point, anything else is taken as typed.
class DecimalCommaValidator : public QValidator
{
    Q_OBJECT

public:
    explicit DecimalCommaValidator(QObject* parent = nullptr);

    QValidator::State validate(QString& input, int& pos) const override;
};
