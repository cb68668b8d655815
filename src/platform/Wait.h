#pragma once
// Timed waits on a condition variable. libstdc++ waits on the steady clock through
// pthread_cond_clockwait, which the ThreadSanitizer of this toolchain does not intercept: it then
// misses the mutex hand-over inside the wait and reports races that are not there. Under that
// sanitizer the wait runs on the system clock, whose wait it does understand.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

template <class Predicate>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, std::chrono::milliseconds timeout,
             Predicate pred)
{
#if defined(__SANITIZE_THREAD__)
    return cv.wait_until(lock, std::chrono::system_clock::now() + timeout, pred);
#else
    return cv.wait_for(lock, timeout, pred);
#endif
}

} // namespace platform
