#pragma once

#include "common/GraphDescriptor.h"
#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QMap>

class DataMain;

namespace Ui {
class ChannelSelection;
}

// Which channels the line chart draws: one row per graph with a check
// button. At most MAX_CHECKED may be checked; at the limit the unchecked
// buttons are disabled. The dialog edits a copy of the graphs; OK hands it
// to the measurement screen, Cancel drops it. Closes when the session ends
// and when the application becomes active again.
class ChannelSelection : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    static const int MAX_CHECKED = 20;

    // parent: the window to cover; null stands for the main window.
    ChannelSelection(DataMain* owner, QMap<int, GraphDescriptor>& graphs, QWidget* parent = nullptr);
    ~ChannelSelection() override;

    const QMap<int, GraphDescriptor>& getGraphs() const { return graphs; }

public slots:
    void setChannelSelection();
    void cancelChannelSelection();
    void tableClick(int row, int column);
    void setGraphVisible(bool on);

private:
    void buildTable();
    // Below the limit every button may be checked; at it only the checked ones stay enabled.
    void checkLimit();

    QMap<int, GraphDescriptor> graphs;
    DataMain* owner;
    Ui::ChannelSelection* ui;
};
