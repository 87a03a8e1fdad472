#pragma once

#include "common/Severity.h"

#include <QObject>
#include <QString>
#include <QStringList>

// The one way from any thread to the status bar. Code that wants a timed
// status message emits showMessage() here; the status bar connects this
// signal to its own with an automatic connection, so a message emitted on the
// poll or receive thread is delivered queued to the GUI thread. Nothing ever
// touches a widget from here.
class StatusMessageSink : public QObject
{
    Q_OBJECT

public:
    // The process-wide sink, created on first use; it lives until the process ends.
    static StatusMessageSink* instance();

    // Emits showMessage(text, severity, durationMs) on the sink.
    static void post(const QString& text, Severity severity, int durationMs);
    // A text of the language files: the status bar looks textId up in the
    // selected language (defaultText when it is missing) and puts the
    // arguments in for %1, %2, ... in the GUI thread.
    static void postText(int textId, const QString& defaultText, const QStringList& arguments,
                         Severity severity, int durationMs);
    // Takes a notice that is no longer true off the bar, should it still be
    // the message shown; any other message stays. From any thread.
    static void withdraw(const QString& text);
    // The same for a text of the language files, looked up as postText does.
    static void withdrawText(int textId, const QString& defaultText, const QStringList& arguments);

signals:
    void showMessage(QString text, Severity severity, int durationMs);
    void showTextMessage(int textId, QString defaultText, QStringList arguments, Severity severity,
                         int durationMs);
    void withdrawMessage(QString text);
    void withdrawTextMessage(int textId, QString defaultText, QStringList arguments);

private:
    StatusMessageSink();
};
