#pragma once

#include "common/ChannelData.h"
#include "common/TableCell.h"
#include "common/TableStructure.h"
#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

class MeasureDisplayUtil;
class QTimer;
class TableObject;

namespace Ui {
class ChannelFunctionDialog;
}

// The functions of one measuring channel (clear maximum and minimum, zero,
// ...): a menu of them, the chosen function's settings, editable in place and
// written at once, and a button that runs the function on the device. A
// written value stays read-only, as typed, and the button off, until the
// device confirms it (a slow link alike: held at once, not at a refresh); one
// the device leaves unconfirmed is read back (said on the status bar) and the
// device's value shows when the read answers or is given up.
//
// The dialog belongs to the channel shown when it opened, known by its path
// and name: it asks for that channel only, takes deliveries of that channel
// only, follows it when the list moves it to another path or the device
// renames it, and offers no trigger and no input while it is not listed. It
// closes when the session ends. Opened and deleted (on close) by the
// measured-value display.
class ChannelFunctionDialog : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    static const int START_DELAY_MS = 80;

    // channelIndex and channelName: the entry of the display's channel box;
    // parent: the window to cover. Shows itself.
    ChannelFunctionDialog(const int& channelIndex, const QString& channelName, MeasureDisplayUtil* util,
                          QWidget* parent);
    ~ChannelFunctionDialog() override;

    QString getChannelPath() const { return channelPath; }
    bool isChannelListed() const { return listed; }
    // The function shown; -1 none.
    int getShownFunction() const { return shownFunction; }

public slots:
    void setChannelData(ChannelData& data, bool& loadFunctions);
    void setChannelLabel(QStringList& names);
    void closeDialog(bool checked);
    void changeFunction(int index);
    void setFunction(bool checked);
    void changeFunctionData(int row, int column, TableCell& cell);
    void updateFunction();
    void setChannel();

private:
    // Looks the channel up in the display's list, taking a new name given in
    // its place; true when it moved to another path.
    bool followChannel();
    // Trigger and input follow the listing and the shown function.
    void applyListing();
    // The table shown holds functions of the dialog's channel at its present path.
    bool tableOfChannel() const;
    void fillMenu();
    TableObject* table() const;

    Ui::ChannelFunctionDialog* ui;
    QPointer<MeasureDisplayUtil> util;
    int channelIndex;
    QString channelPath;
    QString channelName;   // as listed, to know the channel again
    QVector<QString> knownNames;   // the list's names when last looked at, to tell a rename from a move
    bool listed;
    QVector<ChannelData::Function> functionList;
    QVector<TableStructure> functionTables;
    int shownFunction;
    QTimer* startDelayTimer;   // asks for the channel shortly after the dialog shows
};
