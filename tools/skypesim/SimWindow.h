#pragma once
// The client's main window for docking: a plain X11 top-level window whose WM_CLASS class is
// "tSkMainForm.UnicodeClass". Its state changes (minimised, hidden, shown again) are reported
// through the handler as "MINIMIZED", "HIDDEN" or "NORMAL". Built without X11, or with no
// display, Create() fails and there is no window.
#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

class CSimWindow {
public:
    using StateHandler = std::function<void(const QString& state)>;
    explicit CSimWindow(StateHandler handler);
    ~CSimWindow();
    CSimWindow(const CSimWindow&) = delete;
    CSimWindow& operator=(const CSimWindow&) = delete;

    // Opens the display named by DISPLAY, creates and maps the window; logs "WINDOW shown <id>".
    bool Create();
    // "minimize", "restore" or "hide"; false for any other word.
    bool Control(const QString& how);

private:
    void ProcessEvents();
    void Report(const QString& state);

    StateHandler m_handler;
    void* m_display = nullptr; // Display*
    unsigned long m_window = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QString m_state;
};
