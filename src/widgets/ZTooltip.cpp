#include "ZTooltip.h"

#include <QDebug>
#include <QEvent>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QWidget>

ZTooltip::ZTooltip(const QString& text, QWidget* widget, QObject* watched, int msecs)
    : QObject(nullptr)
    , m_watched(watched)
    , m_lifeTimer(new QTimer(this))
{
    m_lifeTimer->setSingleShot(true);
    connect(m_lifeTimer, &QTimer::timeout, this, &QObject::deleteLater);

    if (!widget || msecs <= 0) {
        qWarning() << "ZTooltip: nothing shown for" << text
                   << (widget ? "with a duration of" : "without a widget, duration") << msecs;
        m_lifeTimer->start(0);
        return;
    }
    const QPoint position = widget->mapToGlobal(QPoint(0, int(widget->height() * 0.75)));
    // The texts come from the device (network names and the like): markup in
    // them is shown as it is, never interpreted.
    QToolTip::showText(position, Qt::convertFromPlainText(text), widget, QRect(), msecs);
    m_lifeTimer->start(msecs);
    if (watched)
        watched->installEventFilter(this);
}

bool ZTooltip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::Resize && QToolTip::isVisible())
        QToolTip::hideText();
    return QObject::eventFilter(watched, event);
}
