#include "skype/CommandQueue.h"

#include "skype/SkypeConstants.h"

bool CCommandQueue::Enqueue(const QString& command)
{
    if (command.isEmpty())
        return false;
    // The client takes one UTF-8 text of at most the send buffer's size, NUL included. A longer
    // command is refused whole rather than sent cut short.
    if (command.toUtf8().size() + 1 > kSendBufferBytes)
        return false;
    std::lock_guard lock(m_lock);
    if (!m_open)
        return false;
    m_commands.push_back(command);
    return true;
}

std::optional<QString> CCommandQueue::TakeFirst()
{
    std::lock_guard lock(m_lock);
    if (!m_open || m_commands.empty())
        return std::nullopt;
    QString first = std::move(m_commands.front());
    m_commands.pop_front();
    return first;
}

void CCommandQueue::Open()
{
    std::lock_guard lock(m_lock);
    m_open = true;
}

void CCommandQueue::Close()
{
    std::lock_guard lock(m_lock);
    m_open = false;
}

void CCommandQueue::Clear()
{
    std::lock_guard lock(m_lock);
    m_commands.clear();
}

std::size_t CCommandQueue::Size() const
{
    std::lock_guard lock(m_lock);
    return m_commands.size();
}
