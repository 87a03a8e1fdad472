#pragma once

#include "common/ChannelData.h"
#include "common/GlobalEnums.h"
#include "common/TableStructure.h"
#include "util/MeasureDisplayUtilChannelList.h"
#include "util/MeasureDisplayUtilDescription.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

class DeviceConfigUtil;
class MeasureDisplayUtilGetTableDataWorker;
class QThread;

// The measured-value display's worker: reads the channel description
// "$.DATA.CH", has the list of displayed channels built on a thread of its
// own, builds the shown channel's ChannelData (with the channel's functions
// while the function dialog needs them), writes function settings and
// triggers functions, and tells the screens when the description, the data
// or the shown channel's node changed.
//
// Threads: everything but the list build runs in the GUI thread. The channel
// list (paths, names, current channel, pending hand-over) lives under the
// worker's mutex: the build hands its result over under it, and this class
// reads and changes it only under it. The cell factory's change filter
// (receive thread) and its note of dropped writes (poll thread) reach it
// through queued signals.
class MeasureDisplayUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit MeasureDisplayUtil(QObject* parent = nullptr);
    // Ends a running build and waits for the thread.
    ~MeasureDisplayUtil() override;

    static constexpr const char* DESCRIPTION_PATH = "$.DATA.CH";

    // Reads "$.DATA.CH" (a read is queued while it is missing).
    void readChannelDescription();
    // Hands changed channel names to updateComboBox and starts a build of the
    // channel list; asked during a build, it builds once more when that ends.
    void requestChannelList();
    // Builds and emits the channel at index of the list; nothing for an index outside it.
    void requestChannel(const bool& loadFunctions, int index);
    // Builds and emits the current channel; nothing without one.
    void requestCurrentChannel(const bool& loadFunctions);
    // A channel handed over by the channel list: shown at once when listed,
    // else made current when a list holding it arrives.
    void selectChannel(const QString& path, const bool& loadFunctions);
    // The function dialog's channel, with its functions; nothing unless listed.
    void requestChannelFunctions(const QString& path);
    // Makes path current (the first channel when it is not listed), builds
    // its ChannelData and emits updateChannelData(ChannelData&, bool&).
    void buildChannelData(const QString& path, const bool& loadFunctions);

    static int parseLeftFlags(const Json::Value& node);

    // Sets the function's "VAL" to 1 on the device; nothing for a table without path.
    // The write is named by the table's title (the channel) and functionName.
    void triggerFunction(const TableStructure& functionTable, const QString& functionName);
    // Writes the table's changed editable cells to the device. Until the device
    // confirms them (or the configuration's time-outs pass, see
    // DeviceConfigUtil::saveConfig), function tables hold their cells read-only
    // with the written values; each release emits updateChannelData().
    void saveFunctionTable(const TableStructure& table);
    // A function write waits for the device.
    bool isFunctionWriteWaiting();
    // While function writes wait: the written values, read-only (DeviceConfigUtil::holdPendingCells).
    void holdFunctionCells(TableStructure& table);

    QVector<QString> getChannelNames();
    QVector<QString> getChannelPaths();
    // Paths and names of the same build.
    void getChannelList(QVector<QString>& paths, QVector<QString>& names);
    QString getCurrentChannelPath();
    int getCurrentChannelIndex();
    QString getUpdatePath() const;
    bool isWorking();
    // A list build runs, its end has not been handled yet, or another one is due after it.
    bool isBuildingList() const { return listBuildOpen || rebuildPending; }
    // During updateChannelData(ChannelData&, bool&): the path and the name
    // of the channel delivered.
    QString getDeliveredChannelPath() const { return deliveredPath; }
    QString getDeliveredChannelName() const { return deliveredName; }
    // The next list hands the names to updateComboBox even when unchanged.
    void resendChannelNames();

    // A new session: no channels, none current.
    void reset();

signals:
    void updateComboBox(QStringList& names);
    void updateChannelData(ChannelData& data, bool& loadFunctions);
    void updateChannelData();
    void updateJsonPath();
    // The device deleted the channel the screens show, a node above it or one below it.
    void deleteSonsor();
    // The login session ended; dialogs of it close.
    void sessionEnded();
    // The device did not confirm a function write in time; it is read back.
    void functionWriteNotConfirmed();
    // The function writes told unconfirmed were confirmed after all.
    void functionWriteConfirmedAfterAll();

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void beforeJsonTelegramm();
    void afterJsonTelegramm();

private slots:
    void buildFinished();
    void endSession();

private:
    friend class MeasureDisplayUtilGetTableDataWorker;
    // Called by the worker with its mutex held.
    // refusedPath: the display path, when the evaluator refused it.
    void takeChannelList(const QVector<QString>& paths, const QVector<QString>& names, quint64 generation,
                         const QString& refusedPath);

    // Emits updateComboBox, then updateChannelData, when the names or the current
    // channel changed; true when it did.
    bool handOverChangedNames();
    void writeClientReferences(const Json::Value& channel);

    MeasureDisplayUtilDescription description;
    Json::Value lastDescription;                 // the "$.DATA.CH" node last read
    bool descriptionDirty = false;
    bool dataDirty = false;
    bool rebuildPending = false;
    bool listBuildOpen = false;                  // a build was started and its end not handled
    QString deliveredPath;
    QString deliveredName;
    // The channel the screens show (the last one delivered), until they clear it. A delete
    // is judged by it, not by the list's current channel: a list build racing the delete
    // may already have published the list without that channel.
    QString shownPath;
    QSet<QString> unwritableClientPaths;         // client paths the mirror refused

    MeasureDisplayUtilChannelList channelList;   // under the worker's mutex
    quint64 listGeneration = 0;                  // written under the worker's mutex
    QString refusedDisplayPath;                  // under the worker's mutex

    DeviceConfigUtil* cellFactory;               // owned; one for the util's life
    MeasureDisplayUtilGetTableDataWorker* worker;
    QThread* thread;
};
