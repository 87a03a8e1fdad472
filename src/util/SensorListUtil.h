#pragma once

#include "common/GlobalEnums.h"
#include "common/TableStructure.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QSet>
#include <QString>
#include <QStringList>

class DeviceConfigUtilTask;

// Worker of the sensor list. It knows nothing of the device tree's layout:
// the description at "$.DATA.SE" names the device list (SEG), the selected
// device's sensor list (SEM_), the configuration node of the sensor table
// (TAB), the settings node of one sensor (DEST), the description paths that
// make up a device's name (DESC) and the change markers (CCHG). The sensor
// table is built by a configuration worker of its own, like any
// configuration table.
//
// Lives in the GUI thread; the change notifications reach it queued, one
// batch between beforeJsonTelegramm and afterJsonTelegramm.
class SensorListUtil : public OverallUtil
{
    Q_OBJECT

public:
    // Device counts beyond this are taken for garbage, not allocated.
    static constexpr int MAX_DEVICES = 1000;

    explicit SensorListUtil(QObject* parent = nullptr);

    // Reads the description from the mirror (missing nodes are asked for)
    // until it is complete; once complete, nothing until setDefault.
    void readSensorList();
    // Emits updateDeviceList with one name per device.
    void readDeviceList();
    // Selects a device in the local mirror only (a negative index as 0), the
    // first sensor with it, and asks for its sensor table.
    void setDevice(int index);
    // Opens the sensor of row when the link clicked there (linkPath) lies at
    // or below the element contPath names for that row in the mirror now;
    // false otherwise.
    bool openSensor(int row, const QString& contPath, const QString& linkPath);
    // After a login: the description is read anew.
    void setDefault();
    bool isInitialised() const { return initialised; }

signals:
    void updateDeviceList(QStringList& names);
    void updateSensorTable(TableStructure& table);
    void setDeviceConfigByPath(QString& path, QString& startPath);
    void updateData();

public slots:
    void getSensorContent(TableStructure& table);
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void beforeJsonTelegramm();
    void afterJsonTelegramm();
    void updateContent();

private:
    enum PartState { PART_READ, PART_MISSING, PART_WRONG };

    // A member {"PATH": text} of the description; false when it is not one.
    static bool readLink(const Json::Value& description, const char* key, QString& path);
    // The node at a definite path; false when the mirror lacks it, which is
    // then asked for once until a change at or around it arrives.
    bool readNode(const QString& path, Json::Value& node);
    // The generic forms of the paths whose changes concern the list: the
    // description, SEG, SEM_, the device count, DESC and CCHG.
    void followPaths();
    // The "IDX"."PATH" of the selection-table node at path (asked for when missing).
    PartState readSelectionNode(const QString& path, QString& idxPath);
    // 0 for anything but a whole number in 0..MAX_DEVICES, with a warning once per bad value.
    int readDeviceCount();
    // path lies at, below or above a followed path (indices taken as "[*]").
    bool concernsList(const QString& path) const;

    DeviceConfigUtilTask* configUtil;
    QSet<QString> changePaths;
    QStringList descPaths;
    QString segPath;
    QString semPath;
    QString destPath;
    QString tabPath;
    QString segIdxPath;
    QString semIdxPath;
    bool dirty;
    bool initialised;
    QString countPath;              // the device count, from SEG's RCNT
    QSet<QString> followedPaths;    // see followPaths
    QStringList followedPrefixes;   // followedPaths up to their first index, a cheap first filter
    QString lastProblem;            // what the last incomplete reading missed, logged once
    QString countProblem;           // the last bad device count, logged once
};
