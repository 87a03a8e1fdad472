#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QTimer;
class QWidget;

// A tool tip shown under a widget for a given time. Create it with new: it
// deletes itself when the time is up. A resize of the watched object (the main
// window) hides the tip, since it would no longer point at its widget. The
// text is plain text.
class ZTooltip : public QObject
{
    Q_OBJECT

public:
    ZTooltip(const QString& text, QWidget* widget, QObject* watched, int msecs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QObject> m_watched;
    QTimer* m_lifeTimer;
};
