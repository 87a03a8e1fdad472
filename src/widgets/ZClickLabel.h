#pragma once

#include <QLabel>

// A label that reports a mouse press as clicked(). Presses closer than 100 ms to
// the last reported one are swallowed, so a bouncing touch gives one click.
class ZClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ZClickLabel(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // Milliseconds since the epoch; the debounce clock.
    virtual qint64 currentTimeMs() const;

private:
    qint64 m_lastClickMs = 0;
};
