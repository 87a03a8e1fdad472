#pragma once

#include "ZDateTimeEdit.h"

#include <QTimer>

// A time editor that can run as a clock: once started it advances by a second
// every second, but never while the user is editing it, and without emitting
// timeChanged (only the user's changes are edits).
class ZTimeEdit : public ZDateTimeEdit
{
    Q_OBJECT

public:
    explicit ZTimeEdit(QWidget* parent = nullptr);

    void startClock();

public slots:
    void updateClock();

private:
    QTimer m_clock;
};
