#pragma once

#include "common/ExportDestination.h"
#include "common/Measure.h"
#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QMap>
#include <QPointer>

class HistMeasureListUtil;

namespace Ui {
class ExportMeasureDialog;
}

// Asks where one recording of the device memory goes: offers the destinations
// that reported their free space, shows path, free space and the space the
// export needs at most, and allows the export only when the free space is
// strictly larger. Sizes in B, KB, MB, GB or TB are converted for the
// comparison; sizes in units that cannot be compared refuse the export.
// Works on copies; covers the window given as parent, shows itself when made,
// deletes itself when closed, and closes when the session ends or the
// application wakes up again.
class ExportMeasureDialog : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    ExportMeasureDialog(QWidget* parent, const Measure& measure, const QMap<int, ExportDestination>& destinations,
                        HistMeasureListUtil* util);
    ~ExportMeasureDialog() override;

public slots:
    void changeOfCombobox(int index);
    void exportMeasure();

private:
    void fill();
    void showDestination(const ExportDestination& destination);
    // The space the export needs at most, in the recording's unit; at least 0.01.
    double neededSpace(const ExportDestination& destination) const;

    Ui::ExportMeasureDialog* ui;
    QMap<int, ExportDestination> destinations;
    Measure measure;
    QPointer<HistMeasureListUtil> util;
};
