#pragma once

#include "dao/HTTPRequestDAO.h"

#include <QElapsedTimer>
#include <QObject>
#include <QVariant>

class HTTPRequestUtil;
class JSONUtil;

// One poll step per timer tick, on the poll thread: hand finished answers to
// the receive path, then, when the transport is free, send either the next
// telegram of the request queue or a data request. While requests are queued a
// data request still goes out at least once per data-request period.
class HTTPRequestPoll : public QObject
{
    Q_OBJECT

public:
    HTTPRequestPoll(HTTPRequestUtil* httpRequestUtil, JSONUtil* jsonUtil, QObject* parent = nullptr);
    ~HTTPRequestPoll() override;

public slots:
    void poll();

private slots:
    // The transport's outcome, handed on with the generation of the telegram sent.
    void replyAvailable(QVariant key, HTTPRequestDAO::ResponseType type);
    void httpStatusError(QVariant key, int status);
    void outcomeUnknown(QVariant key);

private:
    void sendTelegram();

    HTTPRequestUtil* httpRequestUtil;
    JSONUtil* jsonUtil;
    HTTPRequestDAO* dao;                  // the poll transport, owned
    QElapsedTimer sinceDataRequest;       // monotonic; invalid until the first data request
    quint64 telegramGeneration;           // queue generation of the last telegram sent
};
