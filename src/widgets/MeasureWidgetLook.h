#pragma once

#include <QObject>
#include <QStringList>

class QLabel;
class QWidget;
class ZAnimatedLabel;

// What ZMeasureTextWidget and ZMeasureDisplayWidget share: the status and flag
// words as the style sheet's names, the blinking overlay and the label setters.
namespace MeasureWidgetLook {

// "LF" + the decimal value of every set bit, lowest first; empty for 0 or less.
QStringList statusEntries(int leftFlags);
// "RF" + the decimal value of every set bit, lowest first; empty for 0 or less.
QStringList flagNames(int rightFlags);

// The status block over the value: rgb(167,67,67), blinking, hidden, plain text.
ZAnimatedLabel* createOverlay(QWidget* owner, const QString& objectName);

// A label for device text: shown only while the text is not empty.
void setShownText(QLabel* label, const QString& text);
// The overlay text, sized to fit and shown only while not empty.
void setOverlayText(ZAnimatedLabel* overlay, const QString& text);

// Publishes the status as "measureStatus" and re-polishes the widget and its
// value label: the value colour rules select on the parent's status, and the
// overlay text comes in through the widget's own polish.
void applyStatus(QWidget* widget, QLabel* valueLabel, int leftFlags);

} // namespace MeasureWidgetLook

// Keeps an overlay at its size hint when its font changes after the text was
// set (a re-polish under another parent brings another point size).
class OverlaySizeKeeper : public QObject
{
    Q_OBJECT

public:
    explicit OverlaySizeKeeper(ZAnimatedLabel* overlay);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();

    ZAnimatedLabel* m_overlay;
    bool m_fitPending = false;
};
