#include "dao/ReplyTimeout.h"

#include <QNetworkReply>
#include <QTimer>
#include <QtDebug>

namespace {

const char* const TIMED_OUT_PROPERTY = "TimedOut";

} // namespace

bool ReplyTimeout::isTimedOut(const QNetworkReply* reply)
{
    return reply && reply->property(TIMED_OUT_PROPERTY).toBool();
}

ReplyTimeout::ReplyTimeout(QNetworkReply* reply, int ms)
    : QObject(reply)
{
    if (reply)
        QTimer::singleShot(ms, this, SLOT(timeout()));
}

void ReplyTimeout::timeout()
{
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(parent());
    if (!reply || !reply->isRunning())
        return;   // already finished: nothing to cut short
    qWarning().noquote() << "HTTP-Request Timeout";
    reply->setProperty(TIMED_OUT_PROPERTY, true);
    reply->close();
}
