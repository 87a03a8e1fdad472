#include "ZAnimatedLabel.h"

#include <QDateTime>
#include <QEasingCurve>
#include <QPainter>
#include <QTimerEvent>

namespace {
constexpr int kFrameMs = 33;
constexpr qint64 kCycleMs = 4096;
constexpr qint64 kFadeOutStart = 1648;
constexpr qint64 kFadeInStart = 2048;
constexpr qint64 kFadeMs = 400;
} // namespace

ZAnimatedLabel::ZAnimatedLabel(QWidget* parent)
    : ZAnimatedLabel(QString(), parent)
{
}

ZAnimatedLabel::ZAnimatedLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
}

bool ZAnimatedLabel::isAnimating() const
{
    return m_animating;
}

int ZAnimatedLabel::blinkAlpha(qint64 msSinceEpoch)
{
    static const QEasingCurve curve(QEasingCurve::InOutCubic);
    const qint64 t = ((msSinceEpoch % kCycleMs) + kCycleMs) % kCycleMs;
    if (t >= kFadeOutStart && t < kFadeOutStart + kFadeMs)
        return int(255.0 - 255.0 * curve.valueForProgress(qreal(t - kFadeOutStart) / kFadeMs));
    if (t >= kFadeInStart && t < kFadeInStart + kFadeMs)
        return int(255.0 * curve.valueForProgress(qreal(t - kFadeInStart) / kFadeMs));
    // Solid between the fades, whatever the last frame was: a label that was
    // hidden or not repainted during a fade must not stay translucent.
    return 255;
}

void ZAnimatedLabel::startAnimation()
{
    m_animating = true;
    updateTicking();
}

void ZAnimatedLabel::stopAnimation()
{
    m_animating = false;
    updateTicking();
    // Back to the solid block, even when stopped in the middle of a fade.
    m_frameAlpha = 255;
    update();
}

void ZAnimatedLabel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

QColor ZAnimatedLabel::color() const
{
    return m_color;
}

void ZAnimatedLabel::paintEvent(QPaintEvent* event)
{
    // The fade works on a copy: the colour itself stays as it was set.
    m_frameAlpha = m_animating ? blinkAlpha(currentTimeMs()) : 255;
    QColor block = m_color;
    block.setAlpha(m_color.alpha() * m_frameAlpha / 255);
    {
        QPainter painter(this);
        painter.fillRect(frameRect(), block);
    }
    QLabel::paintEvent(event);
}

void ZAnimatedLabel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        QLabel::timerEvent(event);
        return;
    }
    // Repaint only when the frame would differ; the block is solid most of the cycle.
    if (blinkAlpha(currentTimeMs()) != m_frameAlpha)
        update();
}

void ZAnimatedLabel::showEvent(QShowEvent* event)
{
    QLabel::showEvent(event);
    updateTicking();
}

void ZAnimatedLabel::hideEvent(QHideEvent* event)
{
    QLabel::hideEvent(event);
    updateTicking();
}

qint64 ZAnimatedLabel::currentTimeMs() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

// A hidden label needs no frames: many table cells carry an overlay that is
// hidden while their channel is fine.
void ZAnimatedLabel::updateTicking()
{
    if (m_animating && isVisible()) {
        if (!m_timer.isActive())
            m_timer.start(kFrameMs, this);
    } else {
        m_timer.stop();
    }
}
