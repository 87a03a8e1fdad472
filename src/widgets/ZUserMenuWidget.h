#pragma once

#include "ZStylableWidget.h"

class QLabel;
class ZLabel;
class ZMeasureTextWidget;

// One tile of a user menu: the measured value with its unit and status over
// a line with the channel's number and name. The texts come from the device
// and are shown as plain text. The tile takes no taps itself: they reach the
// table cell beneath, which opens the cell's dialog.
class ZUserMenuWidget : public ZStylableWidget
{
    Q_OBJECT

public:
    explicit ZUserMenuWidget(QWidget* parent = nullptr);

    QLabel* getChannelNumber() const { return channelNumber; }
    ZLabel* getChannelName() const { return channelName; }
    ZMeasureTextWidget* getMeasureText() const { return measureText; }

private:
    QLabel* channelNumber;
    ZLabel* channelName;
    ZMeasureTextWidget* measureText;
};
