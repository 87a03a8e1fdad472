#pragma once

// Scoped lockers for QMutex and QReadWriteLock that ThreadSanitizer can see.
//
// Qt locks inside its own, uninstrumented library, so under ThreadSanitizer
// nothing guarded by a Qt lock looks synchronised. These lockers announce
// each lock and unlock by hand in a TSan build; in every other build they
// are the Qt lockers themselves. Like those, they accept a null lock and
// then do nothing.
//
// To wait on a QWaitCondition with an AnnotatedMutexLocker held, use
// waitLocked(condition, locker) instead of condition.wait(mutex).

#include <QMutex>
#include <QMutexLocker>
#include <QReadLocker>
#include <QReadWriteLock>
#include <QWaitCondition>
#include <QWriteLocker>

#include "common/ThreadSanitizerBuild.h"

#include <climits>

#ifndef TEVARO_THREAD_SANITIZER

using AnnotatedMutexLocker = QMutexLocker;
using AnnotatedReadLocker = QReadLocker;
using AnnotatedWriteLocker = QWriteLocker;

inline bool waitLocked(QWaitCondition& condition, AnnotatedMutexLocker& locker, unsigned long time = ULONG_MAX)
{
    return condition.wait(locker.mutex(), time);
}

#else

#include <sanitizer/tsan_interface.h>

#include <type_traits>

namespace AnnotatedLocks {

// Locks and unlocks one Qt lock, telling ThreadSanitizer; Lock is QMutex or
// QReadWriteLock, Read picks the shared mode of the latter.
template <typename Lock, bool Read>
class Scoped
{
public:
    explicit Scoped(Lock* lock) : lock(lock) { relock(); }
    ~Scoped() { unlock(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    void relock()
    {
        if (!lock || held)
            return;
        __tsan_mutex_pre_lock(lock, flags);
        take();
        __tsan_mutex_post_lock(lock, flags, 0);
        held = true;
    }

    void unlock()
    {
        if (!lock || !held)
            return;
        __tsan_mutex_pre_unlock(lock, flags);
        lock->unlock();
        __tsan_mutex_post_unlock(lock, flags);
        held = false;
    }

    Lock* target() const { return lock; }

protected:
    // For a wait that gives the lock up and takes it back inside Qt.
    void announceUnlock()
    {
        if (!lock || !held)
            return;
        __tsan_mutex_pre_unlock(lock, flags);
        __tsan_mutex_post_unlock(lock, flags);
    }
    void announceLock()
    {
        if (!lock || !held)
            return;
        __tsan_mutex_pre_lock(lock, flags);
        __tsan_mutex_post_lock(lock, flags, 0);
    }

private:
    static constexpr unsigned flags = Read ? __tsan_mutex_read_lock : 0u;

    void take()
    {
        if constexpr (std::is_same_v<Lock, QMutex>)
            lock->lock();
        else if constexpr (Read)
            lock->lockForRead();
        else
            lock->lockForWrite();
    }

    Lock* lock;
    bool held = false;
};

} // namespace AnnotatedLocks

class AnnotatedMutexLocker : public AnnotatedLocks::Scoped<QMutex, false>
{
public:
    using Scoped::Scoped;
    QMutex* mutex() const { return target(); }

    friend bool waitLocked(QWaitCondition& condition, AnnotatedMutexLocker& locker, unsigned long time);
};

class AnnotatedReadLocker : public AnnotatedLocks::Scoped<QReadWriteLock, true>
{
public:
    using Scoped::Scoped;
    QReadWriteLock* readWriteLock() const { return target(); }
};

class AnnotatedWriteLocker : public AnnotatedLocks::Scoped<QReadWriteLock, false>
{
public:
    using Scoped::Scoped;
    QReadWriteLock* readWriteLock() const { return target(); }
};

// QWaitCondition unlocks and relocks the mutex inside Qt.
inline bool waitLocked(QWaitCondition& condition, AnnotatedMutexLocker& locker, unsigned long time = ULONG_MAX)
{
    locker.announceUnlock();
    const bool woken = condition.wait(locker.mutex(), time);
    locker.announceLock();
    return woken;
}

#endif
