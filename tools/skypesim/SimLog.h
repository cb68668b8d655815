#pragma once
// skypesim's log: one line per event on standard output, flushed at once, and optionally the
// same lines in a file. Lines start with an upper-case tag ("RECV", "SENT", "ATTACH", "AUDIO",
// ...) so that a test can read them. Safe from any thread.
#include <QString>

#include <cstdio>
#include <mutex>

class CSimLog {
public:
    static CSimLog& Instance();

    // Also writes every line to path (appending); false when the file cannot be opened.
    bool OpenFile(const QString& path);
    void Close();
    // Writes "<tag> <text>" (or just the tag when text is empty).
    void Line(const char* tag, const QString& text = QString());

private:
    CSimLog() = default;
    std::mutex m_lock;
    std::FILE* m_file = nullptr;
};

// Shorthand.
inline void SimLog(const char* tag, const QString& text = QString())
{
    CSimLog::Instance().Line(tag, text);
}
