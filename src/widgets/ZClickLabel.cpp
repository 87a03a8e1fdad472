#include "ZClickLabel.h"

#include <QDateTime>
#include <QMouseEvent>

namespace {
constexpr qint64 kDebounceMs = 100;
}

ZClickLabel::ZClickLabel(QWidget* parent, Qt::WindowFlags flags)
    : QLabel(parent, flags)
{
    setObjectName(QStringLiteral("ZClickLabel"));
}

void ZClickLabel::mousePressEvent(QMouseEvent* event)
{
    const qint64 now = currentTimeMs();
    if (now - m_lastClickMs > kDebounceMs) {
        emit clicked();
        m_lastClickMs = now;
    }
    // Consumed either way: the press must not reach the widgets below.
    event->accept();
}

qint64 ZClickLabel::currentTimeMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}
