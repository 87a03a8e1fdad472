#pragma once

// Records the emissions of one signal like QSignalSpy, but the signal reaches
// the spy queued, in the thread that made the spy. A signal emitted on the
// poll, receive or feed thread is recorded without that thread touching the
// list; an emission shows once the spy's thread has processed its events
// (QTRY_*, waitUntil). QSignalSpy appends in the emitting thread.

#include <QByteArray>
#include <QList>
#include <QMetaMethod>
#include <QMetaObject>
#include <QObject>
#include <QVariant>

class QueuedSignalSpy : public QObject, public QList<QList<QVariant>>
{
public:
    template <typename Signal>
    QueuedSignalSpy(const typename QtPrivate::FunctionPointer<Signal>::Object* sender, Signal signal)
        : QueuedSignalSpy(sender, QMetaMethod::fromSignal(signal))
    {
    }

    // signal as written by SIGNAL(...).
    QueuedSignalSpy(const QObject* sender, const char* signal)
        : QueuedSignalSpy(sender, sender->metaObject()->method(sender->metaObject()->indexOfSignal(
                                      QMetaObject::normalizedSignature(signal + 1).constData())))
    {
    }

    int qt_metacall(QMetaObject::Call call, int id, void** args) override
    {
        id = QObject::qt_metacall(call, id, args);
        if (id < 0 || call != QMetaObject::InvokeMetaMethod)
            return id;
        if (id == 0) {
            QList<QVariant> values;
            for (int i = 0; i < signal.parameterCount(); ++i)
                values << QVariant(signal.parameterType(i), args[i + 1]);
            append(values);
        }
        return id - 1;
    }

private:
    QueuedSignalSpy(const QObject* sender, const QMetaMethod& signal) : signal(signal)
    {
        // The method just past QObject's own is the spy's recorder (qt_metacall id 0).
        if (!signal.isValid()
            || !QMetaObject::connect(sender, signal.methodIndex(), this, QObject::staticMetaObject.methodCount(),
                                     Qt::QueuedConnection))
            qFatal("QueuedSignalSpy: no such signal to connect");
    }

    QMetaMethod signal;
};
