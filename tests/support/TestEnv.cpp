#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace testenv {

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void Pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

MessageBoxRecorder& MessageBoxRecorder::Instance()
{
    static MessageBoxRecorder recorder;
    return recorder;
}

std::vector<MessageBoxCall> MessageBoxRecorder::Calls()
{
    std::lock_guard lock(m_lock);
    return m_calls;
}

void MessageBoxRecorder::Clear()
{
    std::lock_guard lock(m_lock);
    m_calls.clear();
    m_answer = IDOK;
}

void MessageBoxRecorder::SetAnswer(int answer)
{
    std::lock_guard lock(m_lock);
    m_answer = answer;
}

int MessageBoxRecorder::Record(HWND owner, const QString& text, const QString& caption, UINT type)
{
    std::lock_guard lock(m_lock);
    m_calls.push_back({owner, text, caption, type});
    return m_answer;
}

} // namespace testenv
