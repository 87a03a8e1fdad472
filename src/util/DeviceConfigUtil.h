#pragma once

#include "common/GlobalEnums.h"
#include "common/TableCell.h"
#include "common/TableStructure.h"
#include "common/TelegramRequest.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QImage>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>

class CommonJSONUtil;
class DeviceConfigUtilWork;
class QThread;

// One queued build request of a DeviceConfigUtilTask.
struct ConfigTableRequest
{
    int force = 0;   // 1: asked for by the user, never displaced by a later background refresh
    QString path;    // configuration node, "($.CLNT...)" references already solved
};

// The worker behind every device-configuration table. It builds a
// TableStructure for a node of the device's "$.DISP" description (the table
// builder), turns single device entries {"VAL", "INP"} into table cells (the
// cell factory), remembers the mirror paths the last table depends on and
// announces a refresh when the device changes one of them, writes edited
// cells back to the device and keeps them pending until the device confirms
// them, and reports deleted paths.
//
// Threads: the change filter (jsonTelegramm, beforeJsonTelegramm,
// afterJsonTelegramm) runs in the receive thread and noteDroppedRequests in the
// poll thread, called by the device link (JSONUtil::addChangeFilter);
// building runs on the caller's thread here and on the build thread in
// DeviceConfigUtilTask; saveConfig runs on the GUI thread. mutex guards the
// pending writes (and earlier unechoed values), the watched paths, the reads already asked for and the
// current path; it is never held while calling into JSONUtil or emitting.
class DeviceConfigUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit DeviceConfigUtil(QObject* parent = nullptr);
    ~DeviceConfigUtil() override;

    // False once a threaded util was told to stop; every builder loop tests it.
    virtual bool isRunning();

    // --- Writing back and pending writes.
    // Sends every changed editable cell (rights 2) as one configuration write
    // each, labelled with the entry's name (entryName), and makes them the
    // pending writes, replacing earlier ones.
    // A write the device has not confirmed within the time-out has its path
    // read (writesNotConfirmed); its cell keeps the written value until the
    // answer, and is let go when the read is refused or unanswered for another
    // time-out. A write the device refused is let go at once without a read.
    // A change at a written path confirms the write, unless the mirror holds
    // there the value of an earlier write of the path replaced or given up
    // before its echo came (and not this write's): that is the earlier one's
    // late echo. Those earlier values are forgotten with the pending writes.
    // Whatever happens meanwhile, a write stays pending while its request is
    // queued, in flight or being sent again: it is let go no earlier than the
    // request's end (the device's answer, or its final drop). One whose read
    // back was given up while its request was open waits, once answered, for
    // that read (queued behind it) for another time-out, so the cell goes from
    // the written value straight to the device's. A write told
    // unconfirmed that the device confirms after all is told too
    // (writesConfirmedAfterAll), once no write told unconfirmed is left.
    void saveConfig(const TableStructure& table);
    void clearPendingWrites();
    bool hasPendingWrites();
    // For a table about to be shown, built before or after a save: while writes
    // wait, their cells show the written value, not the mirror's older one, and
    // no cell but a link takes input.
    void holdPendingCells(TableStructure& table);
    QStringList getPendingWritePaths();
    // How long a write may stay unconfirmed before it is dropped.
    static constexpr int DEFAULT_PENDING_WRITE_TIMEOUT_MS = 5000;
    static void setPendingWriteTimeout(int ms);
    static int getPendingWriteTimeout();

    // --- Watched paths of the last table and the reads it asked for.
    void addWatchedPath(const QString& path);
    void clearWatchedPaths();
    QStringList getWatchedPaths();
    // Forgets which reads were already asked for, so a rebuild asks again.
    void resetRequestedReads();
    QString getCurrentPath();

    // --- Table builder.
    QString processRequest(const QString& path);
    void buildTable(const Json::Value& node, const QString& path);
    void buildRowsTable(const Json::Value& node, TableStructure& table, const QString& path);
    void buildStabTable(const Json::Value& node, TableStructure& table, const QString& path);
    void buildDtabTable(const Json::Value& node, TableStructure& table, const QString& path);
    void buildColumnTable(const Json::Value& node, TableStructure& table, const QString& path, int kind);
    void setColumntableDefinition(const Json::Value& description, TableStructure& table, const bool& useRcnt,
                                  const int& columnCount);

    // --- Cell factory.
    void setInputCell(const Json::Value& entry, const QString& entryPath, TableCell& cell);
    TableCell::CellType setTablecellValueMode(TableCell& cell, const QString& cellPath, const Json::Value& mode,
                                              const Json::Value& value, Json::Value inp);
    void setCellRights(const Json::Value& inp, TableCell& cell, int cellType);
    void setCellLimits(TableCell& cell, const Json::Value& inp);
    void readOptionList(const Json::Value& tab, QStringList& list);
    void readOptionArray(const Json::Value& array, QStringList& list);
    bool readOptionPath(const Json::Value& object, QStringList& list);
    void setTableTitle(const Json::Value& node, TableStructure& table);
    static void setTableAut(const Json::Value& node, TableStructure& table);
    void setTableHeader(const Json::Value& description, TableStructure& table);
    void resolvePathNode(Json::Value& value, QString& path);
    void checkAndLoadID(const Json::Value& entry, const QString& entryPath);
    void writeLocalIndex(TableStructure& table, const int& index);

    // Longest "PATH" chain followed before giving up.
    static constexpr int MAX_PATH_STEPS = 16;
    // Largest row count a selection table's "RCNT" may announce.
    static constexpr int MAX_ROW_COUNT = 10000;

signals:
    void updateConfigTable();
    void updateConfigTable(TableStructure& table);
    void deleteConfigTable(QString path);
    void notExistingConfigPath();
    // Writes let go unconfirmed; a read of each path is on its way.
    void writesNotConfirmed(QStringList paths);
    // Writes the device refused, or reads back of unconfirmed writes it refused, let go;
    // the device link has said so on the status bar.
    void writesRefused(QStringList paths);
    // Every write told unconfirmed (writesNotConfirmed) has since been confirmed by its own value.
    void writesConfirmedAfterAll();

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void jsonTelegramm(GlobalEnums::InstructionResult result, QString path);
    void beforeJsonTelegramm();
    void afterJsonTelegramm();

public:
    // Requests the device link dropped (poll thread): this util's refused
    // writes, and unconfirmed writes whose read back was dropped, are let go as
    // soon as their own request has ended. A read back dropped with the
    // session (withSession) leaves its write pending: it ends unconfirmed with
    // the session (JSONUtil::takeUnwrittenWrites).
    void noteDroppedRequests(const QList<TelegramRequest>& dropped, bool withSession);
    // The device answered these configuration writes (poll thread): this
    // util's among them have ended; one already confirmed is let go, one given
    // up waits for its read back, which goes out now.
    void noteWritesAnswered(const QList<TelegramRequest>& answered);

protected:
    // Removes the change filter and waits until a call of it running in the
    // receive thread has ended. Safe to call more than once.
    void detachFromDeviceLink();

    // Device values, type-checked: a missing member or a non-object reads as null.
    static const Json::Value& member(const Json::Value& node, const char* key);
    static bool isEmptyValue(const Json::Value& value);
    // Display text of a scalar; the empty text for null, arrays and objects.
    static QString valueText(const Json::Value& value);
    static bool readInt(const Json::Value& value, int& out);
    // The picture ":/pic/config/Icon_<n>.png", decoded once; null when it does not load.
    static QImage configIcon(int number);

    // A device text object through JSONUtil::getInternationalisationFromID;
    // a "T" given as {"PATH"} is watched and read at most once.
    QString deviceText(const Json::Value& node);
    // Number of mirror values at path, nothing queued; value is set when there is exactly one.
    int lookUp(const QString& path, Json::Value& value);
    // The same, and a read of path is queued (once) when nothing is there, or an
    // object or list is there that was not read in this session; true for exactly one value.
    bool readNode(const QString& path, Json::Value& value);
    // Queues a read of path unless the device accepted a read of it or of a node
    // above it in this session, or this util asked for it already and nothing
    // changed at, above or below it since; true when queued now.
    bool requestReadOnce(const QString& path);
    static bool isContainer(const Json::Value& value);
    QString solvedPath(const QString& path);

    // A write sent and not yet confirmed: its cell shows value while it waits.
    struct PendingWrite
    {
        QVariant value;             // the cell's value as the user left it
        Json::Value sent;           // the value as sent, to know its echo
        bool readingBack = false;   // unconfirmed in time, its path is being read
        quint64 generation = 0;     // the save that sent it
        bool requestOpen = true;    // its request is queued, in flight or being sent again
        enum Settled { NOT_YET, CONFIRMED, GIVEN_UP };
        Settled settled = NOT_YET;  // while its request was open: let go at its end
    };

    bool dirty;
    QMap<QString, PendingWrite> pendingWrites;
    // Per path, values of writes replaced or given up before their echo came:
    // an echo of one of them is late and confirms no newer write.
    QMap<QString, QVector<Json::Value>> unechoedWrites;
    // Per path, the value of a write told unconfirmed and not confirmed since.
    QMap<QString, Json::Value> toldUnconfirmed;
    QSet<QString> watchedPaths;
    QString currentPath;
    QMutex mutex;

private:
    void expirePendingWrites(quint64 generation);
    // Lets go the writes still waiting for their read back after its time-out.
    void giveUpReadBacks(quint64 generation);
    void beginBuild();
    // Swaps in the watched set of the build just ended; true when a change
    // that arrived during the build concerns it.
    bool finishBuild();
    bool isWatchedLocked(const QString& path) const;   // caller holds mutex
    // A change at, above or below a read asked for allows asking again.
    void allowReadsAroundLocked(const QString& changed);   // caller holds mutex
    static bool confirms(const QString& notified, const QString& written);
    // Remembers what the writes at paths sent, as they are let go unechoed; caller holds mutex.
    void rememberUnechoedLocked(const QStringList& paths);
    // Lets go the writes a change at path confirms; true when it did. A late echo
    // of an earlier write, seen in the mirror, keeps the newer write waiting.
    bool releaseConfirmedWrites(const QString& path);
    // Lets the write go and moves write past it, or, while its request is
    // open, marks it to go at the request's end as how and moves past it; true
    // when it went. Caller holds mutex.
    bool letGoLocked(QMap<QString, PendingWrite>::iterator& write, PendingWrite::Settled how);
    // Erases the write; one given up is remembered, as its echo may still come.
    // Returns the next one. Caller holds mutex.
    QMap<QString, PendingWrite>::iterator eraseLocked(QMap<QString, PendingWrite>::iterator write,
                                                      PendingWrite::Settled how);
    // The writes told unconfirmed that a change at path shows confirmed after
    // all are forgotten; true when that left none told.
    bool noteLateConfirmations(const QString& path);
    // Numbers compare as numbers: the client sends "2.5", the device may echo 2.5.
    static bool sameValue(const Json::Value& a, const Json::Value& b);
    bool readOptionPathChain(const Json::Value& object, QStringList& list, QStringList& chain);
    void readOptionArrayChain(const Json::Value& array, QStringList& list, QStringList& chain);
    void fillColumn(CommonJSONUtil& copy, const Json::Value& column, int columnIndex, int expectedFromRcnt,
                    bool useRcnt, int columnCount, QVector<QVector<TableCell>>& rows);
    bool containerIsEmpty(CommonJSONUtil& copy, const QString& columnPath);
    void fallbackCell(TableCell& cell, const QString& cellPath, const Json::Value& value);
    void appendRowsEntry(const Json::Value& node, const QString& key, const QString& nodePath,
                         QVector<QVector<TableCell>>& rows);

    QVector<QString> watchedSorted;       // watchedPaths in order, for the filter's look-ups
    QSet<QString> buildWatched;           // watched set of the build under way
    bool building;                        // a build collects its watched set
    QStringList changedDuringBuild;       // notified paths while building
    bool changeOverflow;                  // too many of them to keep: treat as relevant
    QSet<QString> requestedReads;         // reads asked for since the last reset and no change around them
    quint64 pendingGeneration;            // counts saves, so a late timeout ignores newer writes
    std::atomic<bool> pendingAny;         // pendingWrites is not empty
    std::atomic<bool> toldAny;            // toldUnconfirmed is not empty
};

// A DeviceConfigUtil with a build thread of its own: getConfigTable queues
// the request and returns a placeholder at once; the table follows through
// updateConfigTable(TableStructure&), emitted on the build thread.
class DeviceConfigUtilTask : public DeviceConfigUtil
{
    Q_OBJECT

public:
    explicit DeviceConfigUtilTask(QObject* parent = nullptr);
    // Stops the build loop, waits for the thread and deletes thread and worker.
    ~DeviceConfigUtilTask() override;

    TableStructure getConfigTable(bool force, const QString& path);
    bool isRunning() override;
    // Requests queued and not yet taken by the build thread.
    int queuedRequests();

private:
    void startWorker();

    DeviceConfigUtilWork* worker;
    QThread* thread;
};

// The build loop of a DeviceConfigUtilTask, run on its thread: takes the
// queued requests and has the owner build them, until told to stop.
class DeviceConfigUtilWork : public QObject
{
    Q_OBJECT

public:
    explicit DeviceConfigUtilWork(DeviceConfigUtil* owner);

    void addRequest(const ConfigTableRequest& request);
    // The path to build: the newest forced request, else the newest one; the
    // queue is emptied. "" when it was empty.
    QString takeRequest();
    QString takeRequest(bool& force);
    int queueSize();
    bool isRunning() const;
    void stop();
    void processNext();

    // Idle wait between looks at the queue.
    static constexpr unsigned long IDLE_MS = 30;

signals:
    void finishedWork();

public slots:
    void work();

private:
    DeviceConfigUtil* owner;   // not a Qt parent
    QMutex queueMutex;         // guards queue
    std::atomic<bool> stopRequested;
    QList<ConfigTableRequest> queue;
};
