#pragma once
// The link to the Skype client: discovery and attach, the command queue and its send thread,
// the keep-alive, the parser that turns notifications into state and events, and the stores
// it fills (call table, contact list, call-partner map).
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Event.h"
#include "platform/MessageWindow.h"
#include "skype/CallPartnerMap.h"
#include "skype/CallTable.h"
#include "skype/CommandQueue.h"
#include "skype/ContactList.h"
#include "skype/SkypeConstants.h"
#include "skype/SkypeTransport.h"

// Sees every notification before the parser, and every user status the parser records.
// The chat auto-reply engine is one.
class INotificationHook {
public:
    virtual ~INotificationHook() = default;
    virtual void OnNotification(const QString& text) = 0;
    virtual void SetUserStatus(int status) = 0;
};

class CSkypeLink : public QObject, private ISkypeTransportSink {
    Q_OBJECT
public:
    using TransportFactory = std::function<std::unique_ptr<ISkypeTransport>()>;
    using HookFactory = std::function<std::unique_ptr<INotificationHook>(CSkypeLink&)>;

    // The process's link, created on first use (not started). Safe from any thread.
    static CSkypeLink* Instance();
    // Creates the link when needed and starts it: API window, send thread, discover broadcast.
    static CSkypeLink* Attach(HWND mainWindow);
    // Ends the send thread and destroys the API window. The object stays until Release.
    void Stop();
    // Frees the process's link.
    static void Release();

    // Test and platform hooks; set before the link is created. The hook factory defaults to the
    // chat auto-reply engine; an empty one leaves the link without a hook.
    static void SetTransportFactory(TransportFactory factory);
    static void SetHookFactory(HookFactory factory);
    static void SetTimings(const SkypeLinkTimings& timings);
    static SkypeLinkTimings Timings();
    // The send retry budget is process-wide; tests that count retries start it afresh.
    static void ResetSendRetryBudget();

    // Parser (user-interface thread).
    void ParseNotification(const QString& text);
    bool RequestCallAudio(const QString& callId);
    // Safe from any thread: the call table and the requested ids have their own locks, so the
    // receive thread that saw a connection close queues the commands itself, at once.
    void RerequestAudio();
    void ResetCallState();
    bool PlaceCall(const QString& handle);
    bool OpenChat(const QString& handle);
    QString CurrentUserHandle() const;
    bool IsIncoming() const { return m_incoming; }
    int UserStatus() const { return m_userStatus; }

    CCommandQueue& Queue() { return m_queue; }
    CCallTable& CallTable() { return m_callTable; }
    CContactList& Contacts() { return m_contacts; }
    CCallPartnerMap& PartnerMap() { return m_partnerMap; }
    INotificationHook* Hook() { return m_hook.get(); }

    // State, for the main window and tests.
    bool IsConnected() const { return m_connected; }
    bool IsWindowCreated() const { return m_windowCreated; }
    bool IsRediscovering() const { return m_rediscovering; }
    bool IsAlive() const { return m_alive; }
    int MissedPings() const { return m_missedPings; }
    bool IsSearchingFriends() const { return m_searchingFriends; }
    bool KeepAliveRunning() const { return m_keepAlive.isActive(); }
    QString ChatName() const { return m_chatName; }
    QString RequestedIds() const;
    QString ClientWindow() const;
    QString ApiWindow() const;
    HWND MainWindow() const { return m_mainWindow; }
    // Where events go; normally given to Attach.
    void SetMainWindow(HWND window) { m_mainWindow = window; }
    // Runs one keep-alive tick now (tests drive the keep-alive through this or a short period).
    void KeepAliveTick();

private:
    CSkypeLink();
    ~CSkypeLink() override;
    bool Start(HWND mainWindow);

    void OnAttachMessage(const QString& clientWindow, UINT status) override;
    UINT OnCopyData(const QString& senderWindow, const QByteArray& data) override;

    void AttachInitialisation();
    void CloseLink();
    void SendThread();
    UINT SendOne(const QString& command);
    void Pause(int ms);
    void QueueFullNameRequest(const QString& handle);
    void Post(UINT msg, WPARAM w, LPARAM l);
    void RestartContactsTimer();

    // Parser pieces.
    void ParseUsers(const QString& rest);
    void ParseUser(const QString& rest);
    void ParseStatus(const QString& rest, bool connStatus);
    void ParseCall(const QString& rest);
    void ParseChat(const QString& rest);
    void ParseChatMessage(const QString& rest);
    void ParseWindowState(const QString& rest);

    CCommandQueue m_queue;
    CCallTable m_callTable;
    CContactList m_contacts;
    CCallPartnerMap m_partnerMap;
    std::unique_ptr<INotificationHook> m_hook;
    std::unique_ptr<ISkypeTransport> m_transport;
    std::thread m_sendThread;

    mutable std::mutex m_sharedLock; // requested ids and client window, used off-thread too
    QString m_requestedIds;
    QString m_clientWindow;
    QString m_currentUser;

    std::atomic<HWND> m_mainWindow{kNoWindow};
    std::atomic<int> m_userStatus{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_windowCreated{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_rediscovering{false};
    std::atomic<bool> m_alive{false};
    bool m_searchingFriends = false;
    bool m_incoming = true;
    bool m_openChatBusy = false;
    QString m_chatName;
    CEvent m_chatOpened{false};
    CEvent m_attached{false};
    CEvent m_stopEvent{true};
    int m_missedPings = 0;
    QTimer m_keepAlive;
    QTimer m_contactsTimer;
    SkypeLinkTimings m_timings;
};
