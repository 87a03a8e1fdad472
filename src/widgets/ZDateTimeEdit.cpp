#include "ZDateTimeEdit.h"

ZDateTimeEdit::ZDateTimeEdit(QWidget* parent)
    : QDateTimeEdit(parent)
{
}

ZDateTimeEdit::ZDateTimeEdit(const QDate& date, QWidget* parent)
    : QDateTimeEdit(date, parent)
{
}

ZDateTimeEdit::ZDateTimeEdit(const QTime& time, QWidget* parent)
    : QDateTimeEdit(time, parent)
{
}

void ZDateTimeEdit::focusInEvent(QFocusEvent* event)
{
    emit focusDateTime();
    QDateTimeEdit::focusInEvent(event);
}
