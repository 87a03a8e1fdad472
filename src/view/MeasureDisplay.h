#pragma once

#include "common/ChannelData.h"
#include "view/OverallView.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class ChannelFunctionDialog;
class MeasureDisplayUtil;
class QTimer;

namespace Ui {
class MeasureDisplay;
}

// The measured-value display, second tab of the measurement screen: one
// channel at a time, chosen in a combo box, with its value in large digits,
// its unit, status and function flags, and a small table of range, maximum,
// minimum and active compensations. Tapping the value opens the channel's
// function dialog.
//
// Refreshes are coalesced: a change of the shown data starts a 200 ms
// timer, whose tick rebuilds the channel list and the shown channel.
class MeasureDisplay : public QWidget, public OverallView
{
    Q_OBJECT

public:
    static const int REFRESH_DELAY_MS = 200;

    explicit MeasureDisplay(QWidget* parent = nullptr);
    // Closes an open function dialog and deletes the worker after its thread ended.
    ~MeasureDisplay() override;

    MeasureDisplayUtil* getUtil() const { return util; }
    // The open function dialog, or null.
    ChannelFunctionDialog* getFunctionDialog() const;
    int getCurrentChannelIndex() const { return currentChannelIndex; }
    // A refresh is due or the channel list is being built.
    bool isRefreshing() const;

public slots:
    void setComboBox(QStringList& names);
    // The user chose a channel in the combo box.
    void setChannel(int index);
    void setChannelData(ChannelData& data, bool& loadFunctions);
    void setFunctionDialog();
    void startTimer();
    // Reads the channel description again, then refreshes.
    void getJsonPath();
    // The refresh: channel list and shown channel.
    void setChannelData();
    // The shown channel's node was deleted.
    void setDeletedSensor();
    void openFunctionDialog();
    void closeFunctionDialog();
    // After a login: nothing shown, channels built and read anew.
    void setDefault();
    // Shows the channel at path (handed over by the channel list).
    void selectChannel(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void clearShownChannel();
    void showCompensationTable(const ChannelData& data);
    void selectComboRow(int index);

    Ui::MeasureDisplay* ui;
    MeasureDisplayUtil* util;
    QTimer* dataTimer;
    QTimer* pathTimer;
    int currentChannelIndex;
    bool functionDialogOpen;
    QPointer<ChannelFunctionDialog> dialog;
    int shownStatus;       // status and flags on the value widget; -1 none yet
    int shownFlags;
};
