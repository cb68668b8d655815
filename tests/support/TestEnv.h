#pragma once
// Shared test support: every test binary runs with HOME and the XDG folders in a fresh
// temporary folder, an offscreen QApplication and a message-box recorder, so no test touches
// the real home folder or blocks on a dialog.
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <vector>

#include "platform/MessageBox.h"

namespace testenv {

// The temporary folder standing in for HOME in this test binary.
QString Root();

// Runs the event loop until pred() is true or timeoutMs passes; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
// Runs the event loop for ms milliseconds.
void Pump(int ms);

struct MessageBoxCall {
    HWND owner;
    QString text;
    QString caption;
    UINT type;
};

// Captures every message box; answers with Answer (IDOK unless a test changes it).
class MessageBoxRecorder {
public:
    static MessageBoxRecorder& Instance();
    std::vector<MessageBoxCall> Calls();
    void Clear();
    void SetAnswer(int answer);
    int Record(HWND owner, const QString& text, const QString& caption, UINT type);

private:
    std::mutex m_lock;
    std::vector<MessageBoxCall> m_calls;
    int m_answer = IDOK;
};

} // namespace testenv
