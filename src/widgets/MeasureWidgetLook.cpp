#include "MeasureWidgetLook.h"

#include "ZAnimatedLabel.h"

#include <QEvent>
#include <QMetaObject>
#include <QStyle>
#include <QVariant>
#include <QWidget>

namespace {

const QColor kOverlayColor(167, 67, 67);

QStringList bitEntries(const QString& prefix, int flags)
{
    QStringList entries;
    // 64-bit walk: the top bit of an int must not overflow the shift.
    for (qint64 bit = 1; bit <= flags; bit <<= 1)
        if (flags & bit)
            entries << prefix + QString::number(bit);
    return entries;
}

void repolishOne(QWidget* widget)
{
    QStyle* style = widget->style();
    style->unpolish(widget);
    style->polish(widget);
}

} // namespace

namespace MeasureWidgetLook {

QStringList statusEntries(int leftFlags)
{
    return bitEntries(QStringLiteral("LF"), leftFlags);
}

QStringList flagNames(int rightFlags)
{
    return bitEntries(QStringLiteral("RF"), rightFlags);
}

ZAnimatedLabel* createOverlay(QWidget* owner, const QString& objectName)
{
    auto* overlay = new ZAnimatedLabel(owner);
    overlay->setObjectName(objectName);
    overlay->setTextFormat(Qt::PlainText);
    overlay->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    overlay->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    overlay->setColor(kOverlayColor);
    overlay->move(0, 0);
    overlay->hide();
    overlay->startAnimation();
    new OverlaySizeKeeper(overlay);
    return overlay;
}

void setShownText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

void setOverlayText(ZAnimatedLabel* overlay, const QString& text)
{
    // The overlay's font comes from the style sheet: polish it before its
    // size hint is taken, or the block keeps the size of the default font.
    overlay->ensurePolished();
    overlay->setText(text);
    overlay->resize(overlay->sizeHint());
    overlay->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        overlay->raise();
}

void applyStatus(QWidget* widget, QLabel* valueLabel, int leftFlags)
{
    widget->setProperty("measureStatus", statusEntries(leftFlags));
    repolishOne(widget);
    repolishOne(valueLabel);
    widget->update();
    widget->ensurePolished();
}

} // namespace MeasureWidgetLook

OverlaySizeKeeper::OverlaySizeKeeper(ZAnimatedLabel* overlay)
    : QObject(overlay)
    , m_overlay(overlay)
{
    overlay->installEventFilter(this);
}

bool OverlaySizeKeeper::eventFilter(QObject* watched, QEvent* event)
{
    // The label takes its new font only after the filters ran: fit once the
    // event is through.
    if (watched == m_overlay && event->type() == QEvent::FontChange && !m_fitPending) {
        m_fitPending = true;
        QMetaObject::invokeMethod(this, [this] { fit(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void OverlaySizeKeeper::fit()
{
    m_fitPending = false;
    if (!m_overlay->text().isEmpty())
        m_overlay->resize(m_overlay->sizeHint());
}
