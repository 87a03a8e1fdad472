#include "util/HTTPRequestPoll.h"

#include "dao/HTTPRequestDAO.h"
#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"

#include <QtDebug>

#include <exception>

HTTPRequestPoll::HTTPRequestPoll(HTTPRequestUtil* httpRequestUtil, JSONUtil* jsonUtil, QObject* parent)
    : QObject(parent),
      httpRequestUtil(httpRequestUtil),
      jsonUtil(jsonUtil),
      dao(new HTTPRequestDAO(httpRequestUtil->getReplyTimeout())),
      telegramGeneration(0)
{
    qRegisterMetaType<HTTPRequestDAO::ResponseType>("HTTPRequestDAO::ResponseType");
    // Acknowledgements are handled on the poll thread at once.
    connect(dao, SIGNAL(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)),
            this, SLOT(replyAvailable(QVariant,HTTPRequestDAO::ResponseType)), Qt::DirectConnection);
    connect(dao, SIGNAL(httpStatusError(QVariant,int)), this, SLOT(httpStatusError(QVariant,int)),
            Qt::DirectConnection);
    connect(dao, SIGNAL(outcomeUnknown(QVariant)), this, SLOT(outcomeUnknown(QVariant)), Qt::DirectConnection);
}

HTTPRequestPoll::~HTTPRequestPoll()
{
    delete dao;
}

void HTTPRequestPoll::poll()
{
    try {
        httpRequestUtil->takeReplies(dao);
        if (dao->isBusy())
            return;

        const bool dataRequestDue = !sinceDataRequest.isValid()
                                    || sinceDataRequest.elapsed() >= httpRequestUtil->getDataRequestPeriod();
        if (jsonUtil->getRequestCount() > 0 && !dataRequestDue) {
            sendTelegram();
        } else {
            sinceDataRequest.start();
            httpRequestUtil->requestData(dao);
        }
    } catch (const std::exception& e) {
        qWarning().noquote() << "Poll step failed:" << e.what();
    }
}

void HTTPRequestPoll::sendTelegram()
{
    int kind = 0;
    Json::Value telegram;
    QList<qint64> ids;
    jsonUtil->buildTelegram(kind, telegram, ids, telegramGeneration);
    const QVariant key = QVariant::fromValue(ids);

    PreparedRequest request;
    switch (kind) {
    case REQUEST_PATH:
        request = httpRequestUtil->getPathRequest(telegram);
        break;
    case REQUEST_CONFIG:
    case REQUEST_MESSAGE:
        request = httpRequestUtil->getConfigRequest(telegram);
        break;
    case REQUEST_MEASURE:
        request = httpRequestUtil->getMeasureRequest(telegram);
        break;
    case REQUEST_EXPORT:
        request = httpRequestUtil->getExportRequest(telegram);
        break;
    case REQUEST_USER:
        request = httpRequestUtil->getUserRequest(telegram);
        break;
    default:
        return;
    }
    // Once handed to the network, a request may reach the device whatever its
    // end: Qt may send it again on a new connection, which is then refused.
    if (httpRequestUtil->send(dao, key, request))
        jsonUtil->noteSent(ids, telegramGeneration);
}

void HTTPRequestPoll::replyAvailable(QVariant key, HTTPRequestDAO::ResponseType type)
{
    try {
        httpRequestUtil->getReply(key, type, telegramGeneration);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Answer could not be acknowledged:" << e.what();
    }
}

void HTTPRequestPoll::httpStatusError(QVariant key, int status)
{
    try {
        httpRequestUtil->getStatusError(key, status, telegramGeneration);
    } catch (const std::exception& e) {
        qWarning().noquote() << "HTTP error could not be handled:" << e.what();
    }
}

void HTTPRequestPoll::outcomeUnknown(QVariant key)
{
    try {
        httpRequestUtil->noteOutcomeUnknown(key, telegramGeneration);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Unanswered request could not be noted:" << e.what();
    }
}
