#pragma once
// Once per run, some minutes after start-up, Kestrel fetches the version file from its web site
// on a thread of its own. When the file holds another version than the expected one, the user
// is told so and the upgrade page is opened in the browser. Nothing else depends on the result.
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/MessageWindow.h"
#include "update/UpdateConstants.h"

struct UpdateSettings {
    QString siteAddress = kUpdateSiteAddress; // ends in "/"
    int delayMs = kUpdateDelayMs;
    int transferTimeoutMs = kUpdateTransferTimeoutMs;
};

class CAutoUpdater {
public:
    // Opens the update checker's internet access (and loads the settings record).
    explicit CAutoUpdater(const UpdateSettings& settings = UpdateSettings());
    // Stops and joins the thread, closes the internet access.
    ~CAutoUpdater();
    CAutoUpdater(const CAutoUpdater&) = delete;
    CAutoUpdater& operator=(const CAutoUpdater&) = delete;

    // Starts the thread (once): wait, check, and on a new version tell the user (message box
    // owned by mainWindow) and open the upgrade page. False when already started.
    bool Start(HWND mainWindow);
    // Ends the thread at once, whatever it is doing (waiting, fetching), and joins it.
    void Stop();
    // Closes the internet access; a later check gives UpdateNoConnection.
    void Close();

    // Runs the check on the calling thread and gives its UpdateResult.
    int Check();

    // The result of the thread's check, -1 while none has run.
    int LastResult() const { return m_lastResult; }
    bool IsFinished() const { return m_finished; }

private:
    void Run(HWND mainWindow);
    void OpenPage(const QString& url);

    const UpdateSettings m_settings;
    std::atomic<bool> m_handleOpen{false};
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false; // guarded by m_lock
    std::atomic<bool> m_stopFlag{false};
    std::atomic<int> m_lastResult{-1};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_started{false};
};
