#pragma once

#include <QDoubleValidator>

// Validator of the numeric line editor: the standard double validation plus a
// maximum number of characters (DG) in which a leading minus sign may be left
// uncounted. A comma typed or pasted becomes the decimal point, since the
// device reads only a full stop and a technician may type a decimal comma.
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

private:
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
