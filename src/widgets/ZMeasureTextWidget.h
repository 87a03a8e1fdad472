#pragma once

#include "ZStylableWidget.h"

class QHBoxLayout;
class QLabel;
class ZAnimatedLabel;

// The compact measured value of table cells and user-menu tiles: the value,
// its unit and a blinking status block over the top left. The status is
// published as "measureStatus"; the style sheet turns it into the block's text
// (through the property measureOverlay) and the value colour.
class ZMeasureTextWidget : public ZStylableWidget
{
    Q_OBJECT
    Q_PROPERTY(QString measureOverlay READ measureOverlay WRITE setMeasureOverlay)
    Q_PROPERTY(QString measureValue READ measureValue WRITE setMeasureValue)
    Q_PROPERTY(QString measureUnit READ measureUnit WRITE setMeasureUnit)

public:
    // A scalable widget fits the value's font to its size (ZScaleLabel); the
    // fit follows a new value on the next resize.
    explicit ZMeasureTextWidget(const bool& scalable, QWidget* parent = nullptr);
    ~ZMeasureTextWidget() override;

    QString measureOverlay() const;
    QString measureValue() const;
    QString measureUnit() const;

    void setMeasureValue(const QString& value);
    void setMeasureUnit(const QString& unit);
    void setMeasureOverlay(const QString& overlay);
    // leftFlags: a ChannelDataFlags::LeftFlags word.
    void setMeasureStatus(const int& leftFlags);

private:
    QHBoxLayout* m_layout;
    QLabel* m_value;
    QLabel* m_unit;
    ZAnimatedLabel* m_overlay;
};
