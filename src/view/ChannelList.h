#pragma once

#include "common/TableStructure.h"
#include "view/OverallView.h"

#include <QString>
#include <QWidget>

class ChannelListUtil;
class TableObject;
class QTimer;

namespace Ui {
class ChannelList;
}

// The channel list, first tab of the measurement screen: one row per
// displayed channel, its description and three measured-value columns whose
// items the user picks in the header's combo boxes. Device changes are
// gathered for one cycle (200 ms unless the settings say otherwise) and then
// the rows are built anew off the GUI thread; no build starts while the user
// scrolls. Tapping a description hands the channel to the measured-value display.
class ChannelList : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit ChannelList(QWidget* parent = nullptr);
    ~ChannelList() override;

    TableObject* tableObject() const { return table; }
    // The rows on screen. The table widget holds the last table it was
    // rebuilt from: cells updated in place since are only here.
    const TableStructure& shownTable() const { return shown; }
    ChannelListUtil* channelListUtil() const { return util; }
    int getCycleTime() const { return cycleTime; }

signals:
    // The concrete path of the channel the user tapped.
    void selectChannel(QString path);

public slots:
    // A built table, shown keeping the scroll position.
    void setTableData(TableStructure& built);
    // Builds the header widgets, once until setDefault.
    void setTableHeader(TableStructure& header);
    // The cycle's tick: asks for rows unless the user scrolls.
    void setTableData();
    // Something changed: starts the cycle unless it runs.
    void updateTableData();
    // The description changed: reads it and builds the header table.
    void setTableHeader();
    // A header combo box chose another item for its column.
    void refreshTableData(int index);
    void clickTable(int row, int column);
    void scrollStart();
    void scrollStop();
    void init();
    // After a login: no rows, and the header is built anew.
    void setDefault();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void requestUnlessScrolling();
    // Updates the cells that changed where they are shown; false when the
    // rows, the channels or the kinds of cells changed (or a cell is not there).
    bool updateShownCells(const TableStructure& built);
    bool updateShownCell(int row, int column, const TableCell& before, const TableCell& cell);

    Ui::ChannelList* ui;
    ChannelListUtil* util;          // child
    TableObject* table;             // child
    TableStructure shown;
    QTimer* cycleTimer;
    QTimer* initTimer;              // child
    int cycleTime;
    bool headerBuilt;
    bool scrolling;
    bool tickDropped;               // a request fell into scrolling; it follows when scrolling stops
};
