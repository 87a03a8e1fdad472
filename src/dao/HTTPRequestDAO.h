#pragma once

#include "dao/Reply.h"
#include "dao/RequestMethod.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class QNetworkAccessManager;
class QNetworkReply;

// The program's way onto the network: sends one HTTP request at a time, tags
// the reply with the caller's key, bounds it with a time-out and reports the
// outcome. Answers that carry data are stored until their owner takes them.
//
// A DAO is used only from the thread that created it; its mutex lets other
// threads look at the busy flag and the stored replies.
class HTTPRequestDAO : public QObject
{
    Q_OBJECT

public:
    enum ResponseType {
        DATA_RECEIVED = 0,   // a body of at least one byte was stored
        NETWORK_ERROR = 1,   // transport failure, HTTP error status, time-out or abort
        EMPTY_ANSWER = 2     // success without a body
    };

    // How long a failure shows on the status bar. The same failure again is
    // shown only once this time has passed since it was: a device that stays
    // away fails every poll alike, and would cover every other notice; it is
    // told again after this time. The next success of any transport withdraws it.
    static const int FAILURE_SHOWN_MS = 10000;

    HTTPRequestDAO(int timeoutMs, QObject* parent = nullptr);
    ~HTTPRequestDAO() override;

    bool isBusy();
    int getReplyCount();
    QList<Reply> takeAllReplies();
    // The oldest stored reply; an empty Reply when none is stored.
    Reply takeFirstReply();
    void clearReplies();
    // Aborts the reply in flight (reported as a network error, but not shown
    // on the status bar), drops the stored replies and makes the DAO accept a
    // new request at once.
    void abortAll();
    void clearAccessCache();

    int getTimeout() const { return timeoutMs; }
    void setTimeout(int ms) { timeoutMs = ms; }
    // FAILURE_SHOWN_MS unless set (tests shorten it).
    void setFailureInterval(int ms) { failureIntervalMs = ms; }

    // As requested(), for a request whose caller expects the device may
    // answer it with expectedStatus: such an answer is reported as a failure
    // to the caller but not shown.
    void requestExpecting(QVariant key, QString url, RequestMethod method, QByteArray data, int expectedStatus);

    // A request of some transport succeeded: the link failure shown, this
    // transport's or another's (an ended session's poll link), is no longer
    // true, and the same failure again is told at once. The withdrawal reaches
    // the status bar after the notice it takes back, whichever thread posted that.
    static void withdrawLinkFailure();

public slots:
    // Sends one request; dropped without a word while another is in flight.
    void requested(QVariant key, QString url, RequestMethod method, QByteArray data = QByteArray());
    void replyFinished(QNetworkReply* reply);
    void addedReply(Reply reply);
    void showedErrorMessage(QString text);

signals:
    void addingReply(Reply reply);
    void replyAvailable(QVariant key, HTTPRequestDAO::ResponseType type);
    void showingErrorMessage(QString text);
    void abortRequest();
    // The server answered with an HTTP error status; emitted just before
    // replyAvailable reports the request as failed.
    void httpStatusError(QVariant key, int status);
    // The request failed without an answer after it may have reached the
    // device (a time-out, a connection lost or refused); emitted just before
    // replyAvailable. Not emitted when the host was not found.
    void outcomeUnknown(QVariant key);

private:
    void setBusy(bool value);
    // Shows a failure text unless the same one was shown, by any transport,
    // less than the failure interval ago.
    void tellFailure(const QString& text);

    int timeoutMs;
    int failureIntervalMs;
    QNetworkAccessManager* manager;
    bool busy;
    QList<Reply> replies;
    QMutex mutex;   // guards busy and replies
    QPointer<QNetworkReply> inFlight;   // the reply of the last request until it finishes or is aborted
};

Q_DECLARE_METATYPE(HTTPRequestDAO::ResponseType)
