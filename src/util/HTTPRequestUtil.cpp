#include "util/HTTPRequestUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/ZZJSON.h"
#include "util/AppContext.h"
#include "util/JSONUtil.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "util/TevaroApp.h"
#include "util/WebServiceAddress.h"

#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QtDebug>

namespace {

const char* const LOGIN_KEY = "loginRequest";
const char* const LOGOUT_KEY = "logoutRequest";
const char* const DATA_KEY = "dataRequest";

// Status texts of the language files (the defaults are the German texts).
const int TEXT_ADDRESS_INVALID = 1453;
const int TEXT_DATA_REQUEST_REFUSED = 1454;
const int TEXT_REQUEST_REJECTED = 1455;
const int TEXT_REQUEST_FAILED = 1456;

const int HTTP_UNAUTHORIZED = 401;

JSONUtil* applicationJSONUtil()
{
    AppContext* context = AppContext::get();
    TevaroApp* app = context->getApp();
    JSONUtil* jsonUtil = app ? app->getJSONUtil() : nullptr;
    AppContext::release();
    return jsonUtil;
}

// Query values are percent-encoded completely, so "+", "&" or "=" in a token
// reach the device unchanged.
QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

bool isTelegramKey(const QVariant& key)
{
    return key.userType() == qMetaTypeId<QList<qint64>>();
}

} // namespace

HTTPRequestUtil::HTTPRequestUtil()
    : HTTPRequestUtil(applicationJSONUtil())
{
}

HTTPRequestUtil::HTTPRequestUtil(JSONUtil* jsonUtil)
    : jsonUtil(jsonUtil),
      dao(new HTTPRequestDAO(DEFAULT_TIMEOUT_MS)),
      reqId(-1),
      replyTimeoutMs(DEFAULT_TIMEOUT_MS),
      dataRequestPeriodMs(DEFAULT_DATA_REQUEST_PERIOD_MS),
      serverErrorHeadId(-1),
      serverErrorCount(0),
      lastDataRequestStatus(0),
      tokenRejectedSignalled(false),
      loginSequence(0)
{
    qRegisterMetaType<HTTPRequestDAO::ResponseType>("HTTPRequestDAO::ResponseType");
}

HTTPRequestUtil::~HTTPRequestUtil()
{
    delete dao;
}

void HTTPRequestUtil::setReplyTimeout(int ms)
{
    replyTimeoutMs = ms;
    dao->setTimeout(ms);
}

void HTTPRequestUtil::buildBaseUrl()
{
    reqId = -1;
    serverErrorHeadId = -1;
    serverErrorCount = 0;
    lastDataRequestStatus = 0;
    tokenRejectedSignalled = false;
    const QString host = SettingsUtil::getValue(QStringLiteral("Config/Network/WebServer/IPAdress"), QVariant())
                             .toString().trimmed();
    const QString port = SettingsUtil::getValue(QStringLiteral("Config/Network/WebServer/Port"), QVariant())
                             .toString().trimmed();

    const bool valid = WebServiceAddress::check(host, port) == WebServiceAddress::Problem::None;
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    if (!port.isEmpty())
        url.setPort(port.toInt());
    url.setPath(QStringLiteral("/webservice/"));

    QString base;
    if (valid) {
        base = url.toString(QUrl::FullyEncoded);
    } else {
        report(QStringLiteral("Web service address is not valid (host \"%1\", port \"%2\"); no request is sent.")
                   .arg(host, port),
               TEXT_ADDRESS_INVALID,
               QStringLiteral("Die Adresse des Geräts ist ungültig (Host \"%1\", Port \"%2\"); es wird nichts gesendet."),
               {host, port});
    }
    AnnotatedMutexLocker locker(&baseUrlMutex);
    baseUrl = base;
}

QString HTTPRequestUtil::getBaseUrl()
{
    AnnotatedMutexLocker locker(&baseUrlMutex);
    return baseUrl;
}

// --- Login and logout (GUI thread) ---------------------------------------

void HTTPRequestUtil::login(Json::Value& loginData)
{
    // Disconnect first: aborting a pending login must not look like its failure.
    disconnectLoginReply();
    const quint64 sequence = ++loginSequence;
    buildBaseUrl();
    dao->abortAll();
    dao->clearAccessCache();

    const QString base = getBaseUrl();
    if (base.isEmpty()) {
        // Answered from the event loop, as a sent login would be; a login or
        // logout made before then replaces this one.
        QTimer::singleShot(0, this, [this, sequence]() { failLogin(sequence); });
        return;
    }
    connect(dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)),
            this, SLOT(getLoginReply(QVariant,HTTPRequestDAO::ResponseType)), Qt::UniqueConnection);
    send(dao, QVariant(QString::fromLatin1(LOGIN_KEY)),
         PreparedRequest(base + QStringLiteral("login"), RequestMethod::Post, ZZJSON::toByteArray(loginData)));
}

void HTTPRequestUtil::getLoginReply(QVariant key, HTTPRequestDAO::ResponseType type)
{
    Q_UNUSED(type)
    if (key.toString() != QLatin1String(LOGIN_KEY))
        return;
    disconnectLoginReply();
    const Reply reply = dao->takeFirstReply();
    jsonUtil->handleLoginReply(reply.getData());
}

void HTTPRequestUtil::failLogin(quint64 sequence)
{
    if (sequence != loginSequence)
        return;   // a later login or logout has taken over
    jsonUtil->handleLoginReply(QByteArray());
}

void HTTPRequestUtil::logout()
{
    disconnectLoginReply();
    ++loginSequence;
    dao->abortAll();
    const QString url = endpointUrl(QStringLiteral("logout"), false);
    if (url.isEmpty()) {
        QTimer::singleShot(0, this, SIGNAL(logoutFinished()));
        return;
    }
    connect(dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)),
            this, SLOT(getLogoutReply(QVariant,HTTPRequestDAO::ResponseType)), Qt::UniqueConnection);
    // A session the device ended already is refused with 401: the user has
    // been told why the session ended, which that answer must not cover.
    dao->requestExpecting(QVariant(QString::fromLatin1(LOGOUT_KEY)), url, RequestMethod::Post, QByteArray(),
                          HTTP_UNAUTHORIZED);
}

void HTTPRequestUtil::getLogoutReply(QVariant key, HTTPRequestDAO::ResponseType type)
{
    Q_UNUSED(type)
    if (key.toString() != QLatin1String(LOGOUT_KEY))
        return;
    disconnect(dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)),
               this, SLOT(getLogoutReply(QVariant,HTTPRequestDAO::ResponseType)));
    dao->takeAllReplies();   // the answer carries nothing the client needs
    emit logoutFinished();
}

void HTTPRequestUtil::disconnectLoginReply()
{
    disconnect(dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)),
               this, SLOT(getLoginReply(QVariant,HTTPRequestDAO::ResponseType)));
}

// --- Request builders (poll thread) ---------------------------------------

PreparedRequest HTTPRequestUtil::getPathRequest(const Json::Value& telegram)
{
    return telegramRequest(QStringLiteral("path"), telegram);
}

PreparedRequest HTTPRequestUtil::getConfigRequest(const Json::Value& telegram)
{
    return telegramRequest(QStringLiteral("config"), telegram);
}

PreparedRequest HTTPRequestUtil::getMeasureRequest(const Json::Value& telegram)
{
    return telegramRequest(QStringLiteral("measure"), telegram);
}

PreparedRequest HTTPRequestUtil::getExportRequest(const Json::Value& telegram)
{
    return telegramRequest(QStringLiteral("export"), telegram);
}

PreparedRequest HTTPRequestUtil::getUserRequest(const Json::Value& telegram)
{
    return telegramRequest(QStringLiteral("user"), telegram);
}

PreparedRequest HTTPRequestUtil::getDataRequest()
{
    return PreparedRequest(endpointUrl(QStringLiteral("data"), true), RequestMethod::Get, QByteArray());
}

PreparedRequest HTTPRequestUtil::telegramRequest(const QString& endpoint, const Json::Value& telegram)
{
    return PreparedRequest(endpointUrl(endpoint, false), RequestMethod::Post, ZZJSON::toByteArray(telegram));
}

QString HTTPRequestUtil::endpointUrl(const QString& endpoint, bool withReqId)
{
    const QString base = getBaseUrl();
    if (base.isEmpty())
        return QString();
    QUrl url(base + endpoint);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("TOKN"), queryValue(jsonUtil->getToken()));
    if (withReqId)
        query.addQueryItem(QStringLiteral("REQID"), QString::number(reqId.load()));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}

bool HTTPRequestUtil::send(HTTPRequestDAO* target, QVariant key, PreparedRequest request)
{
    if (request.getUrl().isEmpty())
        return false;   // no valid address: buildBaseUrl has said so
    target->requested(key, request.getUrl(), request.getMethod(), request.getBody());
    return true;
}

void HTTPRequestUtil::requestData(HTTPRequestDAO* target)
{
    send(target, QVariant(QString::fromLatin1(DATA_KEY)), getDataRequest());
}

void HTTPRequestUtil::takeReplies(HTTPRequestDAO* target)
{
    if (target->getReplyCount() <= 0)
        return;
    QList<Reply> replies = target->takeAllReplies();
    const qint64 newest = jsonUtil->handleReplies(-1, replies);
    if (newest >= 0)
        reqId = newest;
}

// --- Outcome of poll requests (poll thread) -------------------------------

void HTTPRequestUtil::getReply(QVariant key, HTTPRequestDAO::ResponseType type)
{
    getReply(key, type, jsonUtil->getRequestGeneration());
}

void HTTPRequestUtil::getReply(QVariant key, HTTPRequestDAO::ResponseType type, quint64 generation)
{
    if (type != HTTPRequestDAO::DATA_RECEIVED && type != HTTPRequestDAO::EMPTY_ANSWER)
        return;   // a failed telegram stays queued and goes out again
    if (isStale(key, generation))
        return;
    tokenRejectedSignalled = false;
    if (!isTelegramKey(key)) {
        lastDataRequestStatus = 0;
        return;
    }
    const QList<qint64> ids = key.value<QList<qint64>>();
    if (ids.contains(serverErrorHeadId)) {
        serverErrorHeadId = -1;
        serverErrorCount = 0;
    }
    jsonUtil->removeRequests(ids, generation);
}

void HTTPRequestUtil::getStatusError(QVariant key, int status)
{
    getStatusError(key, status, jsonUtil->getRequestGeneration());
}

void HTTPRequestUtil::getStatusError(QVariant key, int status, quint64 generation)
{
    if (isStale(key, generation))
        return;
    // A refused token ends the session, which says so itself; the refused
    // requests are not reported on their own: that would cover its notice.
    const bool sessionRefused = status == HTTP_UNAUTHORIZED;
    if (sessionRefused && !tokenRejectedSignalled.exchange(true))
        emit tokenRejected();

    if (!isTelegramKey(key)) {
        // A failing data request is simply repeated; report each new failure once.
        if (status != lastDataRequestStatus && !sessionRefused)
            report(QStringLiteral("Data request refused by the device (HTTP %1).").arg(status), TEXT_DATA_REQUEST_REFUSED,
                   QStringLiteral("Das Gerät hat die Datenanfrage abgelehnt (HTTP %1)."), {QString::number(status)});
        lastDataRequestStatus = status;
        return;
    }

    const QList<qint64> ids = key.value<QList<qint64>>();
    if (ids.isEmpty())
        return;
    if (sessionRefused) {
        // Writes of a session the device ended are named to the user at the login.
        const QList<TelegramRequest> dropped = jsonUtil->dropRequests(ids, generation, true);
        if (!dropped.isEmpty())
            qWarning().noquote() << "Requests refused with the session (HTTP 401) and dropped:" << namesOf(dropped);
        jsonUtil->keepWritesOfRefusedSession(dropped);
        return;
    }
    if (status < 500) {
        // The device rejects the telegram itself; sending it again cannot help.
        dropRequests(ids, generation, QStringLiteral("rejected by the device (HTTP %1)").arg(status),
                     TEXT_REQUEST_REJECTED, QStringLiteral("Das Gerät hat die Anfrage abgelehnt (HTTP %1); verworfen: %2"),
                     {QString::number(status)});
        return;
    }
    if (ids.first() == serverErrorHeadId) {
        ++serverErrorCount;
    } else {
        serverErrorHeadId = ids.first();
        serverErrorCount = 1;
    }
    if (serverErrorCount > MAX_SERVER_ERROR_RESENDS) {
        dropRequests(ids, generation,
                     QStringLiteral("failed %1 times on the device (HTTP %2)").arg(serverErrorCount).arg(status),
                     TEXT_REQUEST_FAILED,
                     QStringLiteral("Die Anfrage ist %1-mal am Gerät gescheitert (HTTP %2); verworfen: %3"),
                     {QString::number(serverErrorCount), QString::number(status)});
        serverErrorHeadId = -1;
        serverErrorCount = 0;
    }
}

void HTTPRequestUtil::noteOutcomeUnknown(QVariant key, quint64 generation)
{
    if (!isTelegramKey(key) || isStale(key, generation))
        return;
    jsonUtil->noteMayHaveReached(key.value<QList<qint64>>(), generation);
}

QString HTTPRequestUtil::namesOf(const QList<TelegramRequest>& requests)
{
    QStringList paths;
    for (const TelegramRequest& request : requests)
        paths.append(request.path.isEmpty() ? QStringLiteral("MUID %1").arg(request.muid) : request.path);
    return paths.join(QStringLiteral(", "));
}

bool HTTPRequestUtil::isStale(const QVariant& key, quint64 generation)
{
    if (!isTelegramKey(key) || generation == jsonUtil->getRequestGeneration())
        return false;
    // The queue was cleared since the telegram went out; its ids now belong
    // to requests of the new session.
    qInfo().noquote() << "Outcome of a telegram of an earlier session ignored";
    return true;
}

QList<TelegramRequest> HTTPRequestUtil::dropRequests(const QList<qint64>& ids, quint64 generation,
                                                    const QString& reason, int textId, const QString& defaultText,
                                                    QStringList arguments)
{
    const QList<TelegramRequest> dropped = jsonUtil->dropRequests(ids, generation);
    if (dropped.isEmpty())
        return dropped;   // already gone, or the queue was cleared meanwhile
    const QString pathList = namesOf(dropped);
    arguments.append(pathList);
    report(QStringLiteral("Request %1 and dropped: %2").arg(reason, pathList), textId, defaultText, arguments);
    return dropped;
}

void HTTPRequestUtil::report(const QString& logText, int textId, const QString& defaultText,
                             const QStringList& arguments)
{
    qWarning().noquote() << logText;
    StatusMessageSink::postText(textId, defaultText, arguments, SEVERITY_ERROR, 10000);
}
