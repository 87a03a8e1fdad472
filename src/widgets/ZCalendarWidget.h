#pragma once

#include <QCalendarWidget>

// The calendar of a date editor's popup; it reports being shown and hidden, so
// the table knows a date is being chosen.
class ZCalendarWidget : public QCalendarWidget
{
    Q_OBJECT

public:
    explicit ZCalendarWidget(QWidget* parent = nullptr);

signals:
    void showCalendar();
    void hideCalendar();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};
