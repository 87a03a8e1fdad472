#pragma once

#include "ZDateTimeEdit.h"

// A date editor with a calendar popup (a ZCalendarWidget).
class ZDateEdit : public ZDateTimeEdit
{
    Q_OBJECT

public:
    explicit ZDateEdit(QWidget* parent = nullptr);

signals:
    void openCalendarPopup();

public slots:
    void showCalendar();
};
