#pragma once

#include "ZStylableWidget.h"

class QGridLayout;
class QLabel;
class ZAnimatedLabel;
class ZFlagWidget;
class ZScaleLabel;

// The large measured value of the display: the value fills its area, the unit
// sits bottom right, up to six function flags top right, and the blinking
// status block over the top left. Status and overlay work as in
// ZMeasureTextWidget.
class ZMeasureDisplayWidget : public ZStylableWidget
{
    Q_OBJECT
    Q_PROPERTY(QString measureOverlay READ measureOverlay WRITE setMeasureOverlay)
    Q_PROPERTY(QString measureValue READ measureValue WRITE setMeasureValue)
    Q_PROPERTY(QString measureUnit READ measureUnit WRITE setMeasureUnit)

public:
    explicit ZMeasureDisplayWidget(QWidget* parent = nullptr);
    ~ZMeasureDisplayWidget() override;

    QString measureOverlay() const;
    QString measureValue() const;
    QString measureUnit() const;

    // Refits the value's font to every new value.
    void setMeasureValue(const QString& value);
    void setMeasureUnit(const QString& unit);
    void setMeasureOverlay(const QString& overlay);
    // leftFlags: a ChannelDataFlags::LeftFlags word.
    void setMeasureStatus(const int& leftFlags);

    // One flag per set bit, lowest first, placed from the first position on
    // (callers clear the flags first); the grid takes six. Values below 1
    // change nothing.
    void setFlags(const int& rightFlags);
    void clearFlags();

    // Its clicked() is the tap on the value.
    ZScaleLabel* getValueLabel() const;

private:
    QGridLayout* m_layout;
    ZScaleLabel* m_value;
    QLabel* m_unit;
    ZAnimatedLabel* m_overlay;
    ZFlagWidget* m_flags;
};
