#pragma once

#include "common/CharacteristicLine.h"
#include "common/GlobalEnums.h"
#include "common/Measure.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QList>
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <string>
#include <vector>

class CustomPlotLine;
class JSONUtil;
class CustomPlotLineUtil;

// The chart's feed thread: waits until chart telegrams are queued, drains
// the queue into the graphs and waits again, until its worker goes.
class CustomPlotLineTask : public QThread
{
    Q_OBJECT

public:
    explicit CustomPlotLineTask(CustomPlotLineUtil* util);

protected:
    void run() override;

private:
    CustomPlotLineUtil* util;
};

// The line chart's worker. The device link hands it every chart telegram
// ("INST" "SET" "MEM"); its feed thread turns the blocks of the accepted
// measurement into points of the channels' graphs and trims them. In the GUI
// thread it follows the measurement state and the start/stop function, cuts
// the graphs at the device's limit time and sends start/stop and the
// stored-window requests.
//
// The accepted measurement, the mode and the channel table change only
// under the chart's structure lock held for writing (GUI thread); the feed
// reads them under it held for reading, block by block.
class CustomPlotLineUtil : public OverallUtil
{
    Q_OBJECT
    friend class CustomPlotLineTask;

public:
    explicit CustomPlotLineUtil(CustomPlotLine* owner, QObject* parent = nullptr);
    // Unregisters from the device link, stops the feed thread and waits for it.
    ~CustomPlotLineUtil() override;

    // Receive thread: queues a copy of one "MEM" array and wakes the feed.
    void addChartData(const Json::Value& memArray);
    // GUI thread, structure lock held for writing by the caller.
    void registerChannel(const QString& channel, const int& graphIndex);
    void clearData();
    void setMode(int mode);
    // Accepts the measurement's blocks; live blocks of its id that were
    // parked before are queued again.
    void setMeasure(const Measure& measure);

    void requestStartStop();
    void getMeasureState();
    void requestHistData(const int& id, const qint64& low, const qint64& up, int dirc);
    void resetHistRequest();
    // Reads $.SERV.STAT.MEAS.LIMT and cuts the graphs there (live only).
    void getLimit();
    void applyLimit(qint64 limitMs);

    int getMaxPoints() const { return maxPoints; }
    int getMode() const { return mode; }
    // Arrays queued and not yet drawn (tests).
    int pendingCount();

signals:
    void updateStartStop(bool& enabled, QString& text);
    void updateMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure);
    void updateMeasureData();
    void checkPlotData(GlobalEnums::GraphTelegramAttribute attribute);

public slots:
    void getStartStop();
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    // Feed thread: one "MEM" array into the graphs; emits updateMeasureData() once.
    void setChartData(Json::Value jsonMem);

private:
    // A channel of the accepted measurement and its key in a data block.
    struct ChannelKey {
        QString address;
        std::string key;
    };
    // Where the parked blocks of the array being fed go.
    struct ParkState {
        bool open = false;
        quint64 epoch = 0;
    };

    // Feed thread: waits for queued arrays and drains them until stopped.
    void runFeed();
    // Feed thread, structure lock held for reading.
    bool acceptLine(const CharacteristicLine& line);
    void addMeasureData(const CharacteristicLine& line);
    // Feed thread, structure lock held for reading: keeps a live block of a
    // measurement not accepted yet.
    void parkBlock(Json::Value&& block, ParkState& state);
    // Feed thread, structure lock held for reading: the sample times (s)
    // taken for the accepted measurement.
    QCPRange plausibleTimes() const;
    // GUI thread: a new live measurement started; drops what belongs to others.
    void dropOtherMeasurements(int measureId);

    CustomPlotLine* owner;
    Measure measure;
    QMutex queueMutex;     // guards pending, parked and stopping
    QMutex channelMutex;   // guards channelTable
    qint64 measureStart;
    int maxPoints;
    QList<Json::Value> pending;
    QMap<QString, int> channelTable;
    int mode;
    CustomPlotLineTask* task;
    QList<Json::Value> parked;      // live blocks of ids not accepted yet, newest arrays
    QWaitCondition queueChanged;    // with queueMutex
    bool stopping;                  // guarded by queueMutex
    std::atomic<bool> abortFeed;    // checked per block

    QPointer<JSONUtil> link;              // the device link this worker is registered with
    QCPRange histWindow;                  // seconds; the stored window asked for last (structure lock)
    std::vector<ChannelKey> channelKeys;  // of measure, in its order (structure lock)
    quint64 parkedEpoch = 0;              // counts changes of parked by others (queueMutex)
    std::vector<double> blockTimes;       // feed scratch: a block's times, NaN where unusable
    double newestTime = 0.0;              // s; newest sample time taken for measure (structure lock)
    QSet<QString> reportedChannels;       // feed: channels without a graph logged in this array
};
