#pragma once
// A small event in the manner of the Win32 ones: auto-reset (one waiter released per Set, the
// event clears itself) or manual-reset (stays set until Reset).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/Wait.h"

class CEvent {
public:
    explicit CEvent(bool manualReset = false, bool initiallySet = false)
        : m_manual(manualReset), m_set(initiallySet) {}

    void Set()
    {
        {
            std::lock_guard lock(m_lock);
            m_set = true;
        }
        if (m_manual)
            m_cv.notify_all();
        else
            m_cv.notify_one();
    }
    void Reset()
    {
        std::lock_guard lock(m_lock);
        m_set = false;
    }
    // Waits until set or timeoutMs passes (negative: no time-out). True when it was set; an
    // auto-reset event is cleared by the successful wait.
    bool Wait(int timeoutMs = -1)
    {
        std::unique_lock lock(m_lock);
        if (timeoutMs < 0)
            m_cv.wait(lock, [&] { return m_set.load(); });
        else if (!platform::WaitFor(m_cv, lock, std::chrono::milliseconds(timeoutMs), [&] { return m_set.load(); }))
            return false;
        if (!m_manual)
            m_set = false;
        return true;
    }
    bool IsSet() const
    {
        std::lock_guard lock(m_lock);
        return m_set.load();
    }

private:
    const bool m_manual;
    // Written under the lock; atomic as well, so that a reader never sees a torn or stale value
    // whatever the sanitizer makes of the condition variable's internal hand-over.
    std::atomic<bool> m_set;
    mutable std::mutex m_lock;
    std::condition_variable m_cv;
};
