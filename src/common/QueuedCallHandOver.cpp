// ThreadSanitizer builds only: shows ThreadSanitizer the hand-over of every
// queued signal and posted call, and the end of every QThread.
//
// Qt passes a queued call to the receiving thread through the event queue of
// that thread, which it guards with a lock ThreadSanitizer cannot see. Qt's
// signal spy hook runs in the emitting thread at the start of every emission
// and announces the hand-over for the sender; Qt's event notify hook runs in
// the receiving thread before each event and accepts it for the sender of a
// queued call (for a call posted without a sender: for its receiver, which
// the poster announces itself). The end of a thread is announced once its
// finished() signal has been delivered; waitForThread() accepts it.
//
// The file is linked into every program of a ThreadSanitizer build and
// installs both hooks before main().

#include "common/ThreadHandOver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QtCore/private/qobject_p.h>

#include <atomic>

namespace {

// QtTest installs a signal spy of its own for -vs and removes it at the end
// of QTest::qExec, before the test object and its threads are destroyed.
// Its set is kept here and called from ours, which stays installed. Relaxed:
// the set is static, and the hook itself must not order threads.
std::atomic<QSignalSpyCallbackSet*> chained{nullptr};

void signalBegins(QObject* sender, int index, void** argv)
{
    announceHandOver(sender);
    const QSignalSpyCallbackSet* other = chained.load(std::memory_order_relaxed);
    if (other && other->signal_begin_callback)
        other->signal_begin_callback(sender, index, argv);
}

void signalEnds(QObject* sender, int index)
{
    // After finished() the thread touches nothing of ours any more.
    if (qobject_cast<QThread*>(sender))
        announceHandOver(sender);
    const QSignalSpyCallbackSet* other = chained.load(std::memory_order_relaxed);
    if (other && other->signal_end_callback)
        other->signal_end_callback(sender, index);
}

void slotBegins(QObject* receiver, int index, void** argv)
{
    const QSignalSpyCallbackSet* other = chained.load(std::memory_order_relaxed);
    if (other && other->slot_begin_callback)
        other->slot_begin_callback(receiver, index, argv);
}

void slotEnds(QObject* receiver, int index)
{
    const QSignalSpyCallbackSet* other = chained.load(std::memory_order_relaxed);
    if (other && other->slot_end_callback)
        other->slot_end_callback(receiver, index);
}

bool eventArrives(void** data)
{
    auto* receiver = static_cast<QObject*>(data[0]);
    const auto* event = static_cast<const QEvent*>(data[1]);
    if (event && event->type() == QEvent::MetaCall) {
        const QObject* sender = static_cast<const QAbstractMetaCallEvent*>(event)->sender();
        acceptHandOver(sender ? sender : receiver);
    }
    return false;   // the event is delivered as usual
}

QSignalSpyCallbackSet handOverCallbacks = {signalBegins, slotBegins, signalEnds, slotEnds};

[[maybe_unused]] const bool installed = [] {
    qt_signal_spy_callback_set.storeRelease(&handOverCallbacks);
    return QInternal::registerCallback(QInternal::EventNotifyCallback, eventArrives);
}();

} // namespace

// Takes the place of Qt's own function for the whole program (a program's
// definitions come first in symbol lookup), so that nobody replaces the
// hand-over callbacks; a set registered here is called from them.
void qt_register_signal_spy_callbacks(QSignalSpyCallbackSet* callbackSet)
{
    chained.store(callbackSet, std::memory_order_relaxed);
}
