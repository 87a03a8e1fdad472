#pragma once

#include <QObject>

class QNetworkReply;

// Bounds one network reply: a child of the reply (destroyed with it) that
// closes the reply when it is still running after the given time. Closing ends
// it with a cancellation error, which the transport reports as a failure.
class ReplyTimeout : public QObject
{
    Q_OBJECT

public:
    ReplyTimeout(QNetworkReply* reply, int ms);

public slots:
    void timeout();
};
