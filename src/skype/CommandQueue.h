#pragma once
// Outgoing commands, first in first out. Safe from any thread; refuses commands while closed.
#include <QString>

#include <deque>
#include <mutex>
#include <optional>

class CCommandQueue {
public:
    // Appends the command when the queue is open and the text is not empty.
    bool Enqueue(const QString& command);
    // Removes the first command when the queue is open and not empty.
    std::optional<QString> TakeFirst();
    void Open();
    void Close();
    void Clear();
    std::size_t Size() const;

private:
    mutable std::mutex m_lock;
    std::deque<QString> m_commands;
    bool m_open = false;
};
