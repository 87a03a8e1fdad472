#include "util/StatusMessageSink.h"

#include <QCoreApplication>
#include <QThread>

StatusMessageSink::StatusMessageSink()
{
    qRegisterMetaType<Severity>("Severity");
    // The sink only emits; giving it the main thread keeps it valid whichever
    // thread happened to create it.
    if (QCoreApplication::instance())
        moveToThread(QCoreApplication::instance()->thread());
}

StatusMessageSink* StatusMessageSink::instance()
{
    // Never deleted: emitters on other threads may still use it during shutdown.
    static StatusMessageSink* const sink = new StatusMessageSink();
    return sink;
}

void StatusMessageSink::post(const QString& text, Severity severity, int durationMs)
{
    emit instance()->showMessage(text, severity, durationMs);
}

void StatusMessageSink::postText(int textId, const QString& defaultText, const QStringList& arguments,
                                 Severity severity, int durationMs)
{
    emit instance()->showTextMessage(textId, defaultText, arguments, severity, durationMs);
}

void StatusMessageSink::withdraw(const QString& text)
{
    emit instance()->withdrawMessage(text);
}

void StatusMessageSink::withdrawText(int textId, const QString& defaultText, const QStringList& arguments)
{
    emit instance()->withdrawTextMessage(textId, defaultText, arguments);
}
