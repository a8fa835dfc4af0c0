#pragma once

#include <QMutex>
#include <QWaitCondition>

#if defined(__SANITIZE_THREAD__)
#define KELVRA_LOG_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KELVRA_LOG_TSAN 1
#endif
#endif

#ifdef KELVRA_LOG_TSAN
#include <sanitizer/tsan_interface.h>
#endif

// Holds a QMutex for one scope, like QMutexLocker. The distribution's Qt is
// not built for ThreadSanitizer, so under that sanitizer the lock and unlock
// are also announced to it; otherwise this is a plain locker.
class CLogLocker
{
public:
    explicit CLogLocker(QMutex &mutex) : m_mutex(mutex)
    {
        m_mutex.lock();
        Acquired();
    }
    ~CLogLocker()
    {
        Releasing();
        m_mutex.unlock();
    }

    // Waits on the condition, releasing the mutex meanwhile.
    void Wait(QWaitCondition &condition)
    {
        Releasing();
        condition.wait(&m_mutex);
        Acquired();
    }

    Q_DISABLE_COPY(CLogLocker)

private:
    void Acquired()
    {
#ifdef KELVRA_LOG_TSAN
        __tsan_acquire(&m_mutex);
#endif
    }
    void Releasing()
    {
#ifdef KELVRA_LOG_TSAN
        __tsan_release(&m_mutex);
#endif
    }

    QMutex &m_mutex;
};
