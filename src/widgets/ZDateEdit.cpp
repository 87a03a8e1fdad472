#include "ZDateEdit.h"

#include "ZCalendarWidget.h"

ZDateEdit::ZDateEdit(QWidget* parent)
    : ZDateTimeEdit(QDate(2000, 1, 1), parent)
{
    setCalendarPopup(true);
    auto* calendar = new ZCalendarWidget(this);
    setCalendarWidget(calendar);
    connect(calendar, &ZCalendarWidget::showCalendar, this, &ZDateEdit::showCalendar);
}

void ZDateEdit::showCalendar()
{
    emit openCalendarPopup();
}
