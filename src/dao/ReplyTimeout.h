#pragma once

#include <QObject>

class QNetworkReply;

// Bounds one network reply: a child of the reply (destroyed with it) that
// closes the reply when it is still running after the given time. Closing ends
// it with a cancellation error; the reply is marked (isTimedOut), so the
// transport reports it as a time-out under its own rules for failures.
class ReplyTimeout : public QObject
{
    Q_OBJECT

public:
    static bool isTimedOut(const QNetworkReply* reply);

    ReplyTimeout(QNetworkReply* reply, int ms);

public slots:
    void timeout();
};
