#include "dao/HTTPRequestDAO.h"

#include "common/AnnotatedLocks.h"
#include "common/LogRedaction.h"
#include "common/ThreadHandOver.h"
#include "dao/ReplyTimeout.h"
#include "util/StatusMessageSink.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <utility>

namespace {

// Marks a reply that abortAll() ended.
const char* const ABORTED_PROPERTY = "AbortedByCaller";
// An HTTP status the caller expects for this request (requestExpecting).
const char* const EXPECTED_STATUS_PROPERTY = "ExpectedStatus";

// The request surely never reached the device. A refused connection does not
// prove it: Qt sends a request again on a new connection when a kept-alive one
// closes, and the first attempt may have arrived.
bool neverSent(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::HostNotFoundError;
}

// The link failure last shown by any transport, and when: one record for all
// of them, so a success of any (the poll link's, a login's, a logout's)
// withdraws both the notice and the record, and the same failure coming back
// is told at once. The notice is posted and withdrawn under the lock and the
// withdrawal is always queued, so it never overtakes the notice it takes back.
// Never deleted: transports on other threads may use it during shutdown.
struct LinkFailure
{
    QMutex mutex;
    QString shown;   // empty when withdrawn
    QElapsedTimer sinceShown;
};

LinkFailure& linkFailure()
{
    static LinkFailure* const failure = new LinkFailure();
    return *failure;
}

} // namespace

HTTPRequestDAO::HTTPRequestDAO(int timeoutMs, QObject* parent)
    : QObject(parent),
      timeoutMs(timeoutMs),
      failureIntervalMs(FAILURE_SHOWN_MS),
      manager(new QNetworkAccessManager(this)),
      busy(false)
{
    connect(manager, SIGNAL(finished(QNetworkReply*)), this, SLOT(replyFinished(QNetworkReply*)));
    qRegisterMetaType<RequestMethod>("RequestMethod");
    connect(this, SIGNAL(addingReply(Reply)), this, SLOT(addedReply(Reply)));
    connect(this, SIGNAL(showingErrorMessage(QString)), this, SLOT(showedErrorMessage(QString)));
    setBusy(false);
}

HTTPRequestDAO::~HTTPRequestDAO()
{
    manager->clearAccessCache();
    // A reply still in flight is destroyed with the manager; it must not call back.
    manager->disconnect(this);
    disconnect(this, SIGNAL(abortRequest()), nullptr, nullptr);
    delete manager;
    manager = nullptr;
}

void HTTPRequestDAO::requested(QVariant key, QString url, RequestMethod method, QByteArray data)
{
    requestExpecting(key, url, method, data, 0);
}

void HTTPRequestDAO::requestExpecting(QVariant key, QString url, RequestMethod method, QByteArray data,
                                      int expectedStatus)
{
    {
        AnnotatedMutexLocker locker(&mutex);
        if (busy)
            return;   // the caller tries again later
        busy = true;
    }

    QNetworkRequest request{QUrl(url)};
    QNetworkReply* reply = nullptr;
    switch (method) {
    case RequestMethod::Post:
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
        reply = manager->post(request, data);
        break;
    case RequestMethod::Get:
        reply = manager->get(request);
        break;
    case RequestMethod::Put:
        reply = manager->put(request, data);
        break;
    case RequestMethod::Head:
        reply = manager->head(request);
        break;
    case RequestMethod::Delete:
        reply = manager->deleteResource(request);
        break;
    default:
        reply = manager->sendCustomRequest(request, data);
        break;
    }

    connect(this, SIGNAL(abortRequest()), reply, SLOT(abort()));
    new ReplyTimeout(reply, timeoutMs);
    reply->setProperty("RequestKey", key);
    reply->setProperty(EXPECTED_STATUS_PROPERTY, expectedStatus);
    inFlight = reply;
}

void HTTPRequestDAO::replyFinished(QNetworkReply* reply)
{
    const QVariant key = reply->property("RequestKey");
    const bool current = (reply == inFlight);
    if (current)
        inFlight = nullptr;

    if (reply->error() != QNetworkReply::NoError) {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        // Our own abort is no failure: the caller has moved on (a new login
        // replaces a pending one). A time-out closes the reply instead and is shown.
        const bool abortedByUs = reply->error() == QNetworkReply::OperationCanceledError
                                 && reply->property(ABORTED_PROPERTY).toBool();
        const bool expected = status.isValid() && status.toInt() == reply->property(EXPECTED_STATUS_PROPERTY).toInt();
        if (ReplyTimeout::isTimedOut(reply)) {
            tellFailure(QStringLiteral("HTTP-Request Timeout"));
        } else if (!abortedByUs && !expected) {
            // Qt's error text holds the URL; neither the token nor any other query value is shown.
            const QString text = LogRedaction::hideUrlQuery(reply->errorString(), reply->url());
            tellFailure(QStringLiteral("HTTP-Request Failure: ") + LogRedaction::redactToken(text));
        }
        if (status.isValid() && status.toInt() >= 400)
            emit httpStatusError(key, status.toInt());
        else if (!abortedByUs && !neverSent(reply->error()))
            emit outcomeUnknown(key);
        emit replyAvailable(key, NETWORK_ERROR);
    } else {
        withdrawLinkFailure();
        const QByteArray body = reply->readAll();
        if (!body.isEmpty()) {
            emit addingReply(Reply(key, body));   // stored before anyone is told
            emit replyAvailable(key, DATA_RECEIVED);
        } else {
            emit replyAvailable(key, EMPTY_ANSWER);
        }
    }

    reply->deleteLater();
    // A reply that finishes after abortAll must not free the request sent since.
    if (current)
        setBusy(false);
}

void HTTPRequestDAO::addedReply(Reply reply)
{
    AnnotatedMutexLocker locker(&mutex);
    replies.append(reply);
}

void HTTPRequestDAO::tellFailure(const QString& text)
{
    LinkFailure& failure = linkFailure();
    AnnotatedMutexLocker locker(&failure.mutex);
    if (text == failure.shown && failure.sinceShown.isValid() && failure.sinceShown.elapsed() < failureIntervalMs)
        return;
    failure.shown = text;
    failure.sinceShown.start();
    emit showingErrorMessage(text);
}

void HTTPRequestDAO::withdrawLinkFailure()
{
    LinkFailure& failure = linkFailure();
    AnnotatedMutexLocker locker(&failure.mutex);
    if (failure.shown.isEmpty())
        return;
    const QString shown = std::exchange(failure.shown, QString());
    failure.sinceShown.invalidate();
    // Queued even on the GUI thread: a notice posted from the poll thread
    // before this point is still on its way there, and must be taken back.
    postCall(StatusMessageSink::instance(), [shown] { StatusMessageSink::withdraw(shown); });
}

void HTTPRequestDAO::showedErrorMessage(QString text)
{
    StatusMessageSink::post(text, SEVERITY_ERROR, failureIntervalMs);
}

bool HTTPRequestDAO::isBusy()
{
    AnnotatedMutexLocker locker(&mutex);
    return busy;
}

int HTTPRequestDAO::getReplyCount()
{
    AnnotatedMutexLocker locker(&mutex);
    return replies.size();
}

QList<Reply> HTTPRequestDAO::takeAllReplies()
{
    AnnotatedMutexLocker locker(&mutex);
    QList<Reply> taken;
    taken.swap(replies);
    return taken;
}

Reply HTTPRequestDAO::takeFirstReply()
{
    AnnotatedMutexLocker locker(&mutex);
    if (replies.isEmpty())
        return Reply();
    return replies.takeFirst();
}

void HTTPRequestDAO::clearReplies()
{
    AnnotatedMutexLocker locker(&mutex);
    replies.clear();
}

void HTTPRequestDAO::abortAll()
{
    if (inFlight)
        inFlight->setProperty(ABORTED_PROPERTY, true);
    inFlight = nullptr;
    emit abortRequest();
    clearReplies();
    setBusy(false);
}

void HTTPRequestDAO::clearAccessCache()
{
    manager->clearAccessCache();
}

void HTTPRequestDAO::setBusy(bool value)
{
    AnnotatedMutexLocker locker(&mutex);
    busy = value;
}
