#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QLabel>

// A label on a coloured block that blinks: solid, then a 400 ms fade-out and a
// 400 ms fade-in, on a 4096 ms cycle of the wall clock. The phase depends on the
// clock only, so every blinking label on screen fades at the same moment.
class ZAnimatedLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit ZAnimatedLabel(QWidget* parent = nullptr);
    explicit ZAnimatedLabel(const QString& text, QWidget* parent = nullptr);

    bool isAnimating() const;

    // The block's alpha at a moment (ms since the epoch) of the blink cycle.
    static int blinkAlpha(qint64 msSinceEpoch);

public slots:
    virtual void startAnimation();
    virtual void stopAnimation();
    // Stores the block colour and repaints. The blink fades a copy: color()
    // always returns what was set.
    virtual void setColor(const QColor& color);
    virtual QColor color() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Milliseconds since the epoch; the blink clock.
    virtual qint64 currentTimeMs() const;

private:
    void updateTicking();

    QColor m_color = Qt::red;
    // Share of the colour's alpha in the last painted frame (255 = solid).
    int m_frameAlpha = 255;
    bool m_animating = false;
    QBasicTimer m_timer;
};
