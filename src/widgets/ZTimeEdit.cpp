#include "ZTimeEdit.h"

#include <QLineEdit>
#include <QSignalBlocker>

ZTimeEdit::ZTimeEdit(QWidget* parent)
    : ZDateTimeEdit(QTime(0, 0), parent)
{
}

void ZTimeEdit::startClock()
{
    connect(&m_clock, &QTimer::timeout, this, &ZTimeEdit::updateClock, Qt::UniqueConnection);
    m_clock.start(1000);
}

void ZTimeEdit::updateClock()
{
    if (hasFocus() || !isEnabled() || lineEdit()->hasSelectedText())
        return;
    const QSignalBlocker blocker(this);
    setTime(time().addSecs(1));
}
