#include "dao/ReplyTimeout.h"

#include "util/StatusMessageSink.h"

#include <QNetworkReply>
#include <QTimer>
#include <QtDebug>

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
    const QString text = QStringLiteral("HTTP-Request Timeout");
    qWarning().noquote() << text;
    StatusMessageSink::post(text, SEVERITY_ERROR, 10000);
    reply->close();
}
