#include "ZCalendarWidget.h"

ZCalendarWidget::ZCalendarWidget(QWidget* parent)
    : QCalendarWidget(parent)
{
}

void ZCalendarWidget::showEvent(QShowEvent* event)
{
    emit showCalendar();
    QCalendarWidget::showEvent(event);
}

void ZCalendarWidget::hideEvent(QHideEvent* event)
{
    emit hideCalendar();
    QCalendarWidget::hideEvent(event);
}
