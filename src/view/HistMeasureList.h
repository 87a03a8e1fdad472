#pragma once

#include "common/Measure.h"
#include "view/OverallView.h"
#include "widgets/ZCheckButton.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QVector>
#include <QWidget>

class HistMeasureListUtil;
class QTimer;

namespace Ui {
class HistMeasureList;
}

// The table of what the instrument has stored, in one of four uses:
// choose a recording for the chart, delete recordings, export a recording,
// delete exported files. Rows come from HistMeasureListUtil; a shown list
// follows the device, a hidden one does not.
class HistMeasureList : public QWidget, public OverallView
{
    Q_OBJECT

public:
    enum ListMode { CHOOSE = 0, DELETE_RECORDINGS = 1, EXPORT = 2, DELETE_EXPORTS = 3 };
    // Without a new list this long after a delete, the list reloads itself.
    static constexpr int DELETE_ANSWER_MS = 5000;

    HistMeasureList(int mode, QWidget* parent = nullptr);
    ~HistMeasureList() override;

    // After a login: header in the current language, mode applied again.
    void setDefault();
    QVector<Measure> shownMeasures() const { return measures; }
    HistMeasureListUtil* worker() const { return util; }

signals:
    void loadingHistMeasure(Measure measure);
    void cancelingHistMeasure();
    void enablingInput(bool enabled);
    void changeCheckStatus(ZCheckButton::CheckState state);

public slots:
    void cancelHistMeasureList();
    void measureClick(int row, int column);
    void getHistMeasure();
    void deleteHistMeasure();
    void setHistMeasure(QVector<Measure> records, bool editable);
    void clickCheckbox();
    // Clears the list and reads the stored measurements.
    void requestHistMeasures();
    void selectAll(bool on);
    void exportClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildTable();
    void applyMode();
    void clearList();
    void fillRow(int row, const Measure& record);
    // Column of the row check buttons; -1 in modes without them.
    int checkColumn() const;
    ZCheckButton* rowCheckButton(int row) const;
    QVector<Measure> selectedMeasures() const;
    bool rowValid(int row) const { return row >= 0 && row < measures.size(); }
    // After a reload: the chosen records still listed are chosen again, the others forgotten.
    void restoreChoice();
    void updateExportButton();

    Ui::HistMeasureList* ui;
    int selectedRow;
    QVector<Measure> measures;
    int listMode;
    HistMeasureListUtil* util;
    // The last list allowed changes (rights of the shown table).
    bool editable;
    bool selectingAll;
    QList<QPointer<QWidget>> headerWidgets;
    QTimer* deleteAnswerTimer;
    // The records the user chose, by ID, which a reload of the shown list
    // keeps: the ticked rows (modes 1 and 3) or the selected row (mode 2).
    QSet<int> chosenIds;
};
