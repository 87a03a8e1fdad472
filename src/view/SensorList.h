#pragma once

#include "common/TableStructure.h"
#include "view/OverallView.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class SensorListUtil;
class TableObject;
class QTimer;

namespace Ui {
class SensorList;
}

// The sensor list, page 1 of the measurement screen: a device chooser over
// the table of the chosen device's sensors. A sensor's link opens its
// settings in the configuration screen. Every showing and every change the
// worker reports lead, 200 ms later, to a full re-read of devices and
// sensors; tables are shown 250 ms after they came, always from the top.
// Nothing can be edited here.
class SensorList : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit SensorList(QWidget* parent = nullptr);
    ~SensorList() override;

    SensorListUtil* sensorListUtil() const { return util; }
    TableObject* tableObject() const;

signals:
    // Asks the measurement screen to open the configuration at a sensor's path.
    void setDeviceConfigByPath(QString& path, QString& startPath);

public slots:
    void setComboBox(QStringList& names);
    void setSensorTable(TableStructure& t);
    // The user chose a device.
    void changedDevice(int index);
    void clickedSensor(int& row, int& column, TableCell& cell);
    void getDeviceConfigByPath(QString& path, QString& startPath);
    void startInitTimer();
    void startUpdateTimer();
    void setData();
    void updateSensorTable();
    // After a login: worker, device chooser and table reset.
    void setDefault();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void selectDevice(int index);

    Ui::SensorList* ui;
    SensorListUtil* util;      // owned, no Qt parent
    QTimer* updateTimer;       // owned, no Qt parent
    QTimer* initTimer;         // owned, no Qt parent
    TableStructure table;      // the last sensor table received
    int requestedDevice;       // the device whose table was asked for last; -2 none
    bool waitingForTable;      // another device was chosen and its table is not shown yet
};
