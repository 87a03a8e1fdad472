#pragma once

#include <QDoubleValidator>

// Validator of the numeric line editor: the standard double validation plus a
// maximum number of characters (DG) in which a leading minus sign may be left
// uncounted, and no comma as decimal separator (the device wants a full stop).
class DoubleValidator : public QDoubleValidator
{
    Q_OBJECT

public:
    explicit DoubleValidator(QObject* parent = nullptr);

    // maxLength 0 or less means no limit.
    void setMaxLength(const int& maxLength, const bool& allowMinus);

    QValidator::State validate(QString& input, int& pos) const override;

private:
    int maxLength = -1;
    bool allowMinus = false;
};
