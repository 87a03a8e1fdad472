#pragma once

#include <QDateTimeEdit>

// A date and time editor that tells when it takes the focus: the table counts
// it as being edited from then on.
class ZDateTimeEdit : public QDateTimeEdit
{
    Q_OBJECT

public:
    explicit ZDateTimeEdit(QWidget* parent = nullptr);

signals:
    void focusDateTime();

protected:
    // For the date-only and time-only editors.
    ZDateTimeEdit(const QDate& date, QWidget* parent);
    ZDateTimeEdit(const QTime& time, QWidget* parent);

    void focusInEvent(QFocusEvent* event) override;
};
