#include "dao/HTTPRequestDAO.h"

#include "common/AnnotatedLocks.h"
#include "common/LogRedaction.h"
#include "dao/ReplyTimeout.h"
#include "util/StatusMessageSink.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

// Marks a reply that abortAll() ended.
const char* const ABORTED_PROPERTY = "AbortedByCaller";
// An HTTP status the caller expects for this request (requestExpecting).
const char* const EXPECTED_STATUS_PROPERTY = "ExpectedStatus";

// The request surely never reached the device.
bool neverSent(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::ConnectionRefusedError || error == QNetworkReply::HostNotFoundError;
}

// The link failure last shown by any transport: a success of any of them
// (the poll link's, a login's, a logout's) shows the device answers again.
// Never deleted: transports on other threads may use it during shutdown.
struct LinkFailure
{
    QMutex mutex;
    QString shown;   // empty when withdrawn
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
        withdrawFailure();
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
    if (text == failureShown && sinceFailureShown.isValid() && sinceFailureShown.elapsed() < failureIntervalMs)
        return;
    failureShown = text;
    sinceFailureShown.start();
    emit showingErrorMessage(text);
    AnnotatedMutexLocker locker(&linkFailure().mutex);
    linkFailure().shown = text;
}

void HTTPRequestDAO::withdrawFailure()
{
    failureShown.clear();
    QString shown;
    {
        AnnotatedMutexLocker locker(&linkFailure().mutex);
        shown.swap(linkFailure().shown);
    }
    if (!shown.isEmpty())
        StatusMessageSink::withdraw(shown);
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
