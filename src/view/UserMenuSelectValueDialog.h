#pragma once

#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QPointer>
#include <QStringList>

class QTimer;
class UserMenuUtil;

namespace Ui {
class UserMenuSelectValueDialog;
}

// Assigns one tile of the shown user menu: a channel and which of its values
// (measured value, maximum, ...) the tile shows, or clears the tile. The
// choices come from the store and are refreshed shortly after a shown value
// changed, keeping what the user picked. Covers the window given as parent,
// shows itself when made, closes when the application wakes up again.
class UserMenuSelectValueDialog : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    static constexpr int REFRESH_DELAY_MS = 200;

    // cellIndex: the tile's position in reading order.
    UserMenuSelectValueDialog(UserMenuUtil* menuUtil, int cellIndex, QWidget* parent);
    ~UserMenuSelectValueDialog() override;

    // Asks the store for the choices; they arrive through setComboBox.
    void loadChannels();
    int getCellIndex() const { return cellIndex; }

public slots:
    void setComboBox(QStringList& channelNames, QStringList& channelPaths, QStringList& valueNames,
                     QStringList& valueWays);
    void clearCell(bool checked);
    void addCell(bool checked);
    void closeMenu(bool checked);
    void startTimer();

private:
    void retranslate();

    Ui::UserMenuSelectValueDialog* ui;
    QPointer<UserMenuUtil> util;
    QTimer* refreshTimer;
    int cellIndex;
    // The paths behind the entries of the channel box and of the value box.
    QStringList channelPaths;
    QStringList valueWays;
};
