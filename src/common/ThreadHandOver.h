#pragma once

// Hand-overs between threads that ThreadSanitizer cannot see.
//
// Qt orders a queued signal, a posted call and the end of a QThread through
// locks inside its own, uninstrumented library. In a ThreadSanitizer build
// announceHandOver(from) marks that everything the calling thread did so far
// is handed over, and acceptHandOver(from) that the calling thread takes over
// all that was announced for `from` before. In every other build both are
// empty inline functions.
//
// Queued signals need nothing at the call sites: in a ThreadSanitizer build
// every program carries a hook (QueuedCallHandOver.cpp) that announces each
// emitted signal for its sender and accepts each delivered queued call for
// its sender. A call posted without a sender is accepted for its receiver:
// post it with postCall(), which announces it. The end of a thread is
// announced by its finished() signal; waitForThread() accepts it once the
// thread has ended.

#include "common/ThreadSanitizerBuild.h"

#include <QObject>
#include <QThread>

#include <climits>
#include <type_traits>
#include <utility>

#ifdef TEVARO_THREAD_SANITIZER

#include <sanitizer/tsan_interface.h>

#include <cstdint>

namespace ThreadHandOverDetail {

// One synchronisation address per object, kept apart from the object's own
// memory, which may be freed while its queued calls are still on their way.
// Two objects sharing an address merely synchronise a little more.
inline void* keyOf(const QObject* object)
{
    static std::uint64_t keys[4096];
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
    return &keys[(bits * 0x9E3779B97F4A7C15ull) >> 52];
}

} // namespace ThreadHandOverDetail

inline void announceHandOver(const QObject* from)
{
    __tsan_release(ThreadHandOverDetail::keyOf(from));
}

inline void acceptHandOver(const QObject* from)
{
    __tsan_acquire(ThreadHandOverDetail::keyOf(from));
}

#else

inline void announceHandOver(const QObject*) {}
inline void acceptHandOver(const QObject*) {}

#endif

namespace ThreadHandOverDetail {

// A posted call as Qt stores it. Qt moves it into a call object it allocates
// and posts that at once: the move, the last write of the caller's thread to
// the call object, announces the hand-over, so the receiving thread takes over
// the call object too, not only what was done before it was built.
template <typename Call>
class AnnouncedCall
{
public:
    AnnouncedCall(QObject* receiver, Call&& call) : receiver(receiver), call(std::move(call)) {}
    AnnouncedCall(AnnouncedCall&& other) : receiver(other.receiver), call(std::move(other.call))
    {
        announceHandOver(receiver);
    }
    AnnouncedCall(const AnnouncedCall&) = delete;
    AnnouncedCall& operator=(const AnnouncedCall&) = delete;
    AnnouncedCall& operator=(AnnouncedCall&&) = delete;

    decltype(auto) operator()() { return call(); }

private:
    QObject* receiver;
    Call call;
};

} // namespace ThreadHandOverDetail

// Calls call in receiver's thread (queued by default, as the event loop of
// that thread next turns), handing everything the caller did so far over to it.
template <typename Call>
bool postCall(QObject* receiver, Call&& call, Qt::ConnectionType type = Qt::QueuedConnection)
{
    using Stored = std::decay_t<Call>;
    return QMetaObject::invokeMethod(
        receiver, ThreadHandOverDetail::AnnouncedCall<Stored>(receiver, Stored(std::forward<Call>(call))), type);
}

// QThread::wait(); when the thread has ended, the caller takes over what it did.
inline bool waitForThread(QThread* thread, unsigned long timeMs = ULONG_MAX)
{
    const bool ended = thread->wait(timeMs);
    if (ended)
        acceptHandOver(thread);
    return ended;
}
