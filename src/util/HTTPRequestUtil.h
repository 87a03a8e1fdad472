#pragma once

#include "common/TelegramRequest.h"
#include "dao/HTTPRequestDAO.h"
#include "util/PreparedRequest.h"

#include <json/json.h>

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>

class JSONUtil;

// Knows the instrument's web service: builds the base URL from the settings,
// sends login and logout on the GUI thread, and builds the URL, method and body
// of every telegram and data request the poll thread sends. It also decides
// what happens to queued requests when their telegram was answered.
//
// The base URL is written on the GUI thread and read on the poll thread; it is
// guarded by a mutex. The token is read from JSONUtil, which guards it.
class HTTPRequestUtil : public QObject
{
    Q_OBJECT

public:
    static const int DEFAULT_TIMEOUT_MS = 60000;
    static const int DEFAULT_DATA_REQUEST_PERIOD_MS = 31000;
    // A telegram answered with a server error (5xx) is sent again at most this often.
    static const int MAX_SERVER_ERROR_RESENDS = 3;

    // Takes the application's JSONUtil from the context holder.
    HTTPRequestUtil();
    explicit HTTPRequestUtil(JSONUtil* jsonUtil);
    ~HTTPRequestUtil() override;

    // "http://" + host [+ ":" + port] + "/webservice/" from the settings; an
    // invalid host or port leaves the base empty, which sends nothing.
    void buildBaseUrl();
    QString getBaseUrl();

    void login(Json::Value& loginData);
    void logout();

    PreparedRequest getPathRequest(const Json::Value& telegram);
    PreparedRequest getConfigRequest(const Json::Value& telegram);
    PreparedRequest getMeasureRequest(const Json::Value& telegram);
    PreparedRequest getExportRequest(const Json::Value& telegram);
    PreparedRequest getUserRequest(const Json::Value& telegram);
    PreparedRequest getDataRequest();

    // False when nothing went out (no valid address).
    bool send(HTTPRequestDAO* dao, QVariant key, PreparedRequest request);
    void requestData(HTTPRequestDAO* dao);
    // Hands the answers stored in dao to the receive path.
    void takeReplies(HTTPRequestDAO* dao);

    // Outcome of a telegram built from the given queue generation
    // (JSONUtil::buildTelegram), as the slots getReply and getStatusError; the
    // outcome of a telegram of another generation is ignored, as its ids may
    // now name requests of a later session. The slots assume the current one.
    void getReply(QVariant key, HTTPRequestDAO::ResponseType type, quint64 generation);
    void getStatusError(QVariant key, int status, quint64 generation);
    // The telegram failed without an answer after it may have reached the
    // device: its writes, still queued, count as possibly taken.
    void noteOutcomeUnknown(QVariant key, quint64 generation);

    qint64 getReqId() const { return reqId; }

    // Time-out of every reply, login and poll link alike (60000 ms by default).
    void setReplyTimeout(int ms);
    int getReplyTimeout() const { return replyTimeoutMs; }
    // Longest time between two data requests while telegrams are queued.
    void setDataRequestPeriod(int ms) { dataRequestPeriodMs = ms; }
    int getDataRequestPeriod() const { return dataRequestPeriodMs; }

public slots:
    void getLoginReply(QVariant key, HTTPRequestDAO::ResponseType type);
    // Acknowledgement: requests answered with data or an empty answer leave the queue.
    void getReply(QVariant key, HTTPRequestDAO::ResponseType type);
    // The device answered with an HTTP error status.
    void getStatusError(QVariant key, int status);

signals:
    // The device no longer accepts the token (HTTP 401 on the poll link).
    void tokenRejected();
    // The logout request was answered, failed or timed out.
    void logoutFinished();

private slots:
    void getLogoutReply(QVariant key, HTTPRequestDAO::ResponseType type);

private:
    PreparedRequest telegramRequest(const QString& endpoint, const Json::Value& telegram);
    QString endpointUrl(const QString& endpoint, bool withReqId);
    void failLogin(quint64 sequence);
    void disconnectLoginReply();
    bool isStale(const QVariant& key, quint64 generation);
    // "path, path, MUID n" for the log and the status bar.
    static QString namesOf(const QList<TelegramRequest>& requests);
    // Takes the requests from the queue and returns them; reason goes to the
    // log, the language file's text textId (the dropped paths appended to its
    // arguments) to the status bar.
    QList<TelegramRequest> dropRequests(const QList<qint64>& ids, quint64 generation, const QString& reason, int textId,
                      const QString& defaultText, QStringList arguments);
    // Logs text (English) and shows the language file's text textId on the
    // status bar, with the arguments put in for %1, %2, ...
    static void report(const QString& logText, int textId, const QString& defaultText, const QStringList& arguments);

    JSONUtil* jsonUtil;
    QMutex baseUrlMutex;   // guards baseUrl
    QString baseUrl;
    HTTPRequestDAO* dao;   // login and logout transport, owned
    std::atomic<qint64> reqId;
    std::atomic<int> replyTimeoutMs;
    std::atomic<int> dataRequestPeriodMs;

    // Outcome tracking of the poll link, reset at every login.
    std::atomic<qint64> serverErrorHeadId;    // telegram head that keeps getting server errors
    std::atomic<int> serverErrorCount;
    std::atomic<int> lastDataRequestStatus;   // HTTP error last reported for the data request; 0 after a success
    std::atomic<bool> tokenRejectedSignalled; // tokenRejected() was emitted since the last success
    quint64 loginSequence;                    // counts login() and logout() calls (GUI thread only)
};
