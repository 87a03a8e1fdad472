#pragma once

#include "common/TableStructure.h"
#include "view/OverallView.h"
#include "view/TableObject.h"

#include <QString>
#include <QVector>
#include <QWidget>

class DataMain;
class DeviceConfigUtilTask;
class QTimer;

namespace Ui {
class DeviceConfig;
}

// The device configuration as tables, page 2 of the measurement screen. One
// table at a time; a history of the tables walked through lets the back
// button return. Tables are built by the worker's thread and arrive queued;
// edits are written back at once.
//   mode 0: opened from the configuration button, root "$.DISP";
//   mode 1: opened from the sensor list at a sensor's path (startPath).
class DeviceConfig : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit DeviceConfig(QWidget* parent = nullptr);
    ~DeviceConfig() override;

    // The configuration button: restart, another mode or an empty history
    // open the root; otherwise the table left is asked for again.
    void openConfig(const bool& restart, int mode);
    // A sensor chosen in the sensor list.
    void openConfigPath(const QString& path, int mode, const QString& startPath);
    // After a login: blank table, no pending writes, empty history.
    void resetConfig();

    // For tests: the history's paths, oldest first, and the table widget.
    QStringList historyPaths() const;
    TableObject* tableObject() const;

public slots:
    void setConfigTable(TableStructure& t);
    void updateConfigTable();
    void updateConfig();
    void clickCellElement(int& row, int& column, TableCell& cell);
    void checkTableSequence(QString path);
    void replaceTableSequence(TableStructure t);
    void saveConfig(int row, int column, TableCell& cell);
    void updateConfigHard();
    // The back button: true when a previous table is shown, false when there is none.
    bool setFormerTable();
    void getFailure(TableObject::TableFailure failure, QString path);
protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void pushTable(const TableStructure& t);
    // True when the status bar shows nothing, note, or this screen's saving
    // note: a notice (the device did not confirm a write, the device link
    // refused it, the device's reason for refusing a value) is not replaced
    // by the routine note of the tables that follow while it shows.
    bool statusBarHoldsNoMessageBut(const QString& note) const;
    void openRootTable();
    // The refresh after a change: the table on screen asked for again, keeping its scroll position.
    void refreshShownTable();
    // Asks the worker for path; the placeholder it returns carries the solved path.
    TableStructure request(const QString& path, bool force = true);

    Ui::DeviceConfig* ui;
    DataMain* dataMain;
    DeviceConfigUtilTask* util;
    QVector<TableStructure> history;
    TableObject* table;
    bool keepScroll;
    QTimer* refreshTimer;
    QString startPath;
    int mode;
};
