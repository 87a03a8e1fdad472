#pragma once

#include "common/CommonJSONUtil.h"
#include "common/GlobalEnums.h"
#include "common/TelegramRequest.h"
#include "dao/Reply.h"
#include "json/TelegramResult.h"

#include <json/json.h>

#include <QList>
#include <QMap>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class CustomPlotLineUtil;
class DeviceConfigUtil;
class HTTPRequestUtil;
class LanguageUtil;

namespace KORVALIS {
namespace HighLevelCommunication {
class MasterJSON;
}
}

// The device-link service object: owner of the master JSON (the local mirror
// of the instrument's JSON tree), of the request queue, of the list of received
// telegrams and of the web-service utility.
//
// Callable from any thread: the mirror queries, the request entry points and
// the queue operations. The mirror has its own reader/writer lock; queries get
// copies of what they find. The queue, the received list and the token each
// have a mutex of their own, and no two of these locks are ever held together;
// a change filter's lock is held while the filter runs, which may take them.
class JSONUtil : public CommonJSONUtil
{
    Q_OBJECT

public:
    explicit JSONUtil(QObject* parent = nullptr);
    ~JSONUtil() override;

    // --- Mirror queries; with request set, a path the mirror lacks, or a node
    // it holds in part, is asked for by requestReadOnce.
    bool getMasterJSONbyPath(const QString& path, QVector<Json::Value>& values, QVector<QString>& paths,
                             bool request);
    bool getMasterJSONbyPath(const QString& path, QVector<Json::Value>& values, bool request);
    bool getMasterJSONbyPath(const QString& path, Json::Value& value, bool request);

    // Replaces every reference "($.CLNT.<rest>)" in path by the scalar value
    // found at that path in the mirror.
    void getAndSolvePath(QString& path);

    // --- Translation hook.
    static void setLanguageUtil(LanguageUtil* languageUtil);
    static LanguageUtil* getLanguageUtil();
    QString getTranslation(const int& id, const QString& defaultText);
    // Resolves a device text {"ID", "T"}; T is a text or {"PATH": mirror path}.
    void getInternationalisationFromID(const Json::Value& node, int& id, QString& text);

    // --- Login state.
    void setToken(const QString& token);
    QString getToken();
    HTTPRequestUtil* getHTTPRequestUtil();
    void setCustomPlotLineUtil(CustomPlotLineUtil* chartUtil);

    // --- Change filters: called in the thread that applies a telegram (the
    // receive thread) before its paths are announced, for each applied path
    // and afterwards, and in the thread that drops configuration writes (the
    // poll thread). Once removeChangeFilter returns, no call into that filter
    // is under way or still to come.
    void addChangeFilter(DeviceConfigUtil* filter);
    void removeChangeFilter(DeviceConfigUtil* filter);

    void login(Json::Value& loginData);
    void handleLoginReply(const QByteArray& data);
    void logout();

    // --- Request queue.
    void requestPath(const QString& path);
    // Queues reads of several paths at once, so they go out in one telegram.
    void requestPaths(const QStringList& paths);
    void requestIPTH();
    // label: the entry as the screen names it, for telling the user of a write
    // that never reached the device (takeUnwrittenConfigNames); empty: its path.
    void requestConfig(const QString& path, const Json::Value& value, const int& mode,
                       const QString& label = QString());
    // writer and save: told to the change filters as the writes end
    // (DeviceConfigUtil::noteWritesAnswered, noteDroppedRequests).
    void requestConfig(const QMap<QString, Json::Value>& values, const int& mode,
                       const QMap<QString, QString>& labels = QMap<QString, QString>(), const void* writer = nullptr,
                       quint64 save = 0);
    void requestMeasure(const QString& path, const Json::Value& value, const int& mode);
    void requestExport(const QString& path, const Json::Value& value, const int& mode);
    void requestUser(const QString& path, const Json::Value& value, const int& mode);
    void requestMessage(const QString& user, const qint64& muid, const qint64& mid, const int& mtyp,
                        const int& value);

    // Queues the request and gives it its id; a read of a path already queued
    // for reading is dropped.
    void addRequest(TelegramRequest& request);
    // The run of requests at the head of the queue that share one type, as one
    // telegram; kind 0 and nothing touched when the queue is empty.
    void buildTelegram(int& kind, Json::Value& telegram, QList<qint64>& ids);
    // The same, and the queue generation the ids belong to.
    void buildTelegram(int& kind, Json::Value& telegram, QList<qint64>& ids, quint64& generation);
    // The device accepted the requests with these ids: they leave the queue, the
    // reads among them count as read (wasRead) and the change filters are told
    // of the configuration writes among them.
    void removeRequests(const QList<qint64>& ids);
    // Removes the requests with these ids and returns them.
    QList<TelegramRequest> takeRequests(const QList<qint64>& ids);
    // The same, but only while the queue is still of that generation: ids
    // restart at every clear, so an id of an earlier generation names another request.
    void removeRequests(const QList<qint64>& ids, quint64 generation);
    QList<TelegramRequest> takeRequests(const QList<qint64>& ids, quint64 generation);
    // takeRequests for requests the device will never carry out; tells the
    // change filters of the configuration writes and reads among them, and
    // whether they went with the session (HTTP 401).
    QList<TelegramRequest> dropRequests(const QList<qint64>& ids, quint64 generation, bool withSession = false);
    // Empties the queue and starts a new generation; what was read is forgotten.
    void clearRequests();
    // Configuration writes the device dropped because it refused the session (HTTP 401).
    void keepWritesOfRefusedSession(const QList<TelegramRequest>& dropped);
    // The queued requests with these ids were handed to the network (only
    // while the queue is of that generation).
    void noteSent(const QList<qint64>& ids, quint64 generation);
    // The queued requests with these ids were sent and got no answer: the
    // device may have taken them (only while the queue is of that generation).
    void noteMayHaveReached(const QList<qint64>& ids, quint64 generation);
    // The configuration writes a session left behind, each by its name (label, else path).
    struct UnwrittenWrites
    {
        QStringList notWritten;     // surely not taken: never handed to the network, or refused with the session
        QStringList notConfirmed;   // every other: sent without an answer, or taken and not yet confirmed
    };
    // Those of the writes kept, of the configuration writes still queued, which
    // the next login clears, and of the writes accepted in this session that a
    // change filter still waits to see confirmed; each path once, by its last
    // write. The kept ones are forgotten.
    UnwrittenWrites takeUnwrittenWrites();
    int getRequestCount();
    quint64 getRequestGeneration();

    // --- Reads of this session.
    // True when the device accepted a read of path, or of a node above it, in
    // this session; a "[*]" of a read covers every element. A node the mirror
    // holds need not be whole: a read of one member of it brings only that
    // member. A deleted node takes the reads around it along.
    bool wasRead(const QString& path);
    // Queues a read of path unless this session read it (wasRead) or already
    // asked for it with no change at, above or below it since: a worker that
    // asks at every refresh sends one read, not a storm. True when queued.
    bool requestReadOnce(const QString& path);

    // --- Receive path.
    // Unwraps answers {"ReqID", "ReqContent"} into the received list; returns
    // the newest ReqID seen, or lastReqId when none.
    qint64 handleReplies(qint64 lastReqId, QList<Reply>& replies);
    void addReceiveJSON(const Json::Value& value);
    Json::Value getReceiveJSON(const int& index);
    // Takes the oldest received telegram; false when the list is empty.
    bool takeReceiveJSON(Json::Value& telegram);
    void removeReceiveJSON(const int& index);
    int getReceiveCount();
    // Applies one telegram to the mirror, announces every changed path and
    // forwards chart data and device messages.
    void handleReceiveJSON(Json::Value& telegram);
    // Queues reads of the paths listed at "$.IPTH".
    void requestInitialPaths();

    // Writes the mirror to the data folder when F11 and F12 are held together.
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void clearReceiveJSON();

signals:
    void telegramAvailable(GlobalEnums::InstructionType type, QString path);
    void telegramAvailable(GlobalEnums::InstructionResult result, QString path);
    void loginAvailable(Json::Value& reply);
    void beforeTelegramAvailable();
    void afterTelegramAvailable();

private:
    void announceResults(const std::vector<KORVALIS::JSON::TelegramResult>& results);
    void forwardTelegram(const Json::Value& telegram);
    void forwardMessages(const Json::Value& telegram);
    void dumpMasterJSON();
    void addTyped(RequestType kind, const QString& path, const Json::Value& value, int mode,
                  const QString& label = QString(), const void* writer = nullptr, quint64 save = 0);
    // Sets flag on the queued requests with these ids, while the queue is of that generation.
    void markQueued(const QList<qint64>& ids, quint64 generation, bool TelegramRequest::*flag);
    void addRequestLocked(TelegramRequest& request);   // caller holds queueMutex
    QList<TelegramRequest> takeRequestsLocked(const QList<qint64>& ids);   // caller holds queueMutex
    void noteReads(const QList<TelegramRequest>& accepted);
    void noteAcceptedWrites(const QList<TelegramRequest>& accepted);
    // The nodes an applied SET of the device replaced whole count as read.
    void noteSentNodes(const Json::Value& telegram, const std::vector<KORVALIS::JSON::TelegramResult>& results);
    void noteReadLocked(const QString& path);                                    // caller holds readsMutex
    bool wasReadLocked(const QString& path) const;   // caller holds readsMutex
    // A read asked for may be asked again once a change at, above or below it was applied.
    void allowReadsAround(const std::vector<KORVALIS::JSON::TelegramResult>& results);
    void forgetReadsAround(const QString& deleted);
    void forgetSessionReads();

    QMutex tokenMutex;                        // guards token
    QString token;
    HTTPRequestUtil* httpRequestUtil;         // owned
    QMutex receivedMutex;                     // guards received
    QList<Json::Value> received;
    QMutex queueMutex;                        // guards queue, queuedReads, requestCounter, requestGeneration, refusedWrites and acceptedWrites
    QList<TelegramRequest> queue;
    QList<TelegramRequest> refusedWrites;     // configuration writes dropped for a refused session
    QMap<QString, QString> acceptedWrites;    // path to name of the configuration writes accepted in this session
    QSet<QString> queuedReads;                // paths of the queued type-1 requests
    qint64 requestCounter;
    quint64 requestGeneration;                // counts clearRequests(); ids are unique within one
    QMutex readsMutex;                        // guards readPaths, patternReads and askedReads
    QSet<QString> readPaths;                  // nodes read or sent whole in this session
    QStringList patternReads;                 // those of readPaths with a "[*]" or a filter
    QSet<QString> askedReads;                 // asked for by requestReadOnce, no change around them since

    KORVALIS::HighLevelCommunication::MasterJSON* masterJSON;   // the same object as document
    QMutex chartMutex;                        // held while chart data is handed over and while the chart registers
    CustomPlotLineUtil* chartUtil;            // guarded by chartMutex
    struct ChangeFilterGate;
    using ChangeFilters = std::vector<std::shared_ptr<ChangeFilterGate>>;
    // The filters registered now; the copy is called without the list lock.
    ChangeFilters changeFilterSnapshot();
    // Calls each of filters not removed since, under its gate.
    static void callChangeFilters(const ChangeFilters& filters, const std::function<void(DeviceConfigUtil*)>& call);
    QMutex filterListMutex;                   // guards changeFilters
    QList<std::shared_ptr<ChangeFilterGate>> changeFilters;
    QSet<int> keysHeld;                       // F11/F12 currently held down
    bool chordDumped;                         // the held chord already wrote its dump
};
