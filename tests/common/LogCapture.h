#pragma once

// Records every Qt log message while it exists (from any thread), so a test
// can look at what was logged. Messages are not printed.

#include "common/AnnotatedLocks.h"

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

class LogCapture
{
public:
    LogCapture()
    {
        AnnotatedMutexLocker locker(&mutex);
        current = this;
        previous = qInstallMessageHandler(&LogCapture::handler);
    }

    ~LogCapture()
    {
        qInstallMessageHandler(previous);
        AnnotatedMutexLocker locker(&mutex);
        current = nullptr;
    }

    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const
    {
        AnnotatedMutexLocker locker(&mutex);
        return recorded;
    }

    QString all() const { return messages().join(QLatin1Char('\n')); }

    // Messages that contain text.
    QStringList matching(const QString& text) const { return messages().filter(text); }

    void clear()
    {
        AnnotatedMutexLocker locker(&mutex);
        recorded.clear();
    }

private:
    static void handler(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        AnnotatedMutexLocker locker(&mutex);
        if (current)
            current->recorded.append(message);
    }

    static inline QMutex mutex;
    static inline LogCapture* current = nullptr;

    QtMessageHandler previous = nullptr;
    QStringList recorded;
};
