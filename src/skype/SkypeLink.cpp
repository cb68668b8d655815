#include "skype/SkypeLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>

#include "chat/ChatAutoReply.h"
#include "skype/DBusTransport.h"
#include "skype/SkypeText.h"

using namespace SkypeText;

namespace {

std::mutex g_instanceLock;
std::atomic<CSkypeLink*> g_link{nullptr};
CSkypeLink::TransportFactory g_transportFactory;
// The chat auto-reply engine is created and freed with the link.
CSkypeLink::HookFactory g_hookFactory = &CChatAutoReply::ForLink;
SkypeLinkTimings g_timings;
// Retries of failed sends over the whole run.
std::atomic<int> g_sendRetries{0};

const QString kMicClause = QStringLiteral(" set_capture_mic port=\"%1\"").arg(kOwnAudioPort);
const QString kOutputClause = QStringLiteral(" set_output soundcard=\"default\", port=\"%1\"").arg(kRemoteAudioPort);

int OnlineStatusOf(const QString& upperWord, bool forContact)
{
    static const std::pair<const char*, int> table[] = {
        {"UNKNOWN", OnlineUnknown}, {"LOGGEDOUT", OnlineLoggedOut},   {"OFFLINE", OnlineOffline},
        {"ONLINE", OnlineOnline},   {"SKYPEME", OnlineSkypeMe},       {"AWAY", OnlineAway},
        {"NA", OnlineNotAvailable}, {"DND", OnlineDoNotDisturb},      {"INVISIBLE", OnlineInvisible},
    };
    for (const auto& [word, code] : table)
        if (upperWord == QLatin1String(word))
            return code;
    if (forContact && upperWord == QLatin1String("SKYPEOUT"))
        return OnlineSkypeOut;
    return OnlineUnknown;
}

int CallStatusOf(const QString& upperWord)
{
    static const std::pair<const char*, int> table[] = {
        {"UNPLACED", CallUnplaced},   {"ROUTING", CallRouting},   {"EARLYMEDIA", CallEarlyMedia},
        {"RINGING", CallRinging},     {"INPROGRESS", CallInProgress}, {"ONHOLD", CallOnHold},
        {"LOCALHOLD", CallOnHold},    {"REMOTEHOLD", CallOnHold}, {"FINISHED", CallFinished},
        {"MISSED", CallMissed},       {"REFUSED", CallRefused},   {"BUSY", CallBusy},
        {"CANCELLED", CallCancelled}, {"FAILED", CallFailed},
    };
    for (const auto& [word, code] : table)
        if (upperWord == QLatin1String(word))
            return code;
    return CallNoStatus;
}

// Watches for the application's quit request while OpenChat pumps messages.
class QuitWatcher : public QObject {
public:
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Quit)
            seen = true;
        return false;
    }
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Life cycle

CSkypeLink::CSkypeLink() : m_callTable(m_queue), m_timings(g_timings)
{
    m_keepAlive.setParent(this);
    m_contactsTimer.setParent(this);
    m_keepAlive.setSingleShot(false);
    m_contactsTimer.setSingleShot(true);
    connect(&m_keepAlive, &QTimer::timeout, this, &CSkypeLink::KeepAliveTick);
    connect(&m_contactsTimer, &QTimer::timeout, this, [this] {
        m_contactsTimer.stop();
        Post(WM_SKYPE_CONTACTS, 0, 0);
    });
    if (g_hookFactory)
        m_hook = g_hookFactory(*this);
}

CSkypeLink::~CSkypeLink()
{
    Stop();
}

CSkypeLink* CSkypeLink::Instance()
{
    if (CSkypeLink* link = g_link.load())
        return link;
    std::lock_guard lock(g_instanceLock);
    if (!g_link.load()) {
        auto* link = new CSkypeLink();
        if (QCoreApplication::instance() && link->thread() != QCoreApplication::instance()->thread())
            link->moveToThread(QCoreApplication::instance()->thread());
        g_link.store(link);
    }
    return g_link.load();
}

CSkypeLink* CSkypeLink::Attach(HWND mainWindow)
{
    CSkypeLink* link = Instance();
    link->Start(mainWindow);
    return link;
}

void CSkypeLink::Release()
{
    std::lock_guard lock(g_instanceLock);
    CSkypeLink* link = g_link.exchange(nullptr);
    if (!link)
        return;
    link->Stop();
    link->m_keepAlive.stop();
    link->m_contactsTimer.stop();
    delete link;
}

void CSkypeLink::SetTransportFactory(TransportFactory factory) { g_transportFactory = std::move(factory); }
void CSkypeLink::SetHookFactory(HookFactory factory) { g_hookFactory = std::move(factory); }
void CSkypeLink::SetTimings(const SkypeLinkTimings& timings) { g_timings = timings; }
SkypeLinkTimings CSkypeLink::Timings() { return g_timings; }
void CSkypeLink::ResetSendRetryBudget() { g_sendRetries = 0; }

bool CSkypeLink::Start(HWND mainWindow)
{
    if (m_windowCreated)
        return true;
    m_transport = g_transportFactory ? g_transportFactory() : std::make_unique<CDBusTransport>();
    // A fresh class name per run keeps two running copies from sharing one.
    const QString className =
        QString::fromLatin1(kApiWindowClassPrefix) + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!m_transport || !m_transport->Create(this, className)) {
        m_transport.reset();
        return false;
    }
    m_windowCreated = true;
    m_mainWindow = mainWindow;
    m_stop = false;
    m_sendThread = std::thread([this] { SendThread(); });
    m_rediscovering = false;
    m_transport->BroadcastDiscover();
    return true;
}

void CSkypeLink::Stop()
{
    m_stop = true;
    m_stopEvent.Set();
    m_queue.Clear();
    if (m_windowCreated) {
        m_transport->Destroy();
        m_windowCreated = false;
        m_attached.Set(); // a send thread still waiting for its first attach wakes up and ends
    }
    if (m_sendThread.joinable())
        m_sendThread.join();
}

// ---------------------------------------------------------------------------------------------
// Transport side (user-interface thread)

void CSkypeLink::OnAttachMessage(const QString& clientWindow, UINT status)
{
    switch (status) {
    case AttachSucceeded:
        {
            std::lock_guard lock(m_sharedLock);
            m_clientWindow = clientWindow;
        }
        if (!m_rediscovering)
            AttachInitialisation();
        m_rediscovering = false;
        m_alive = true;
        m_keepAlive.start(m_timings.keepAliveMs);
        break;
    case AttachRefused:
        CloseLink();
        Post(WM_SKYPE_REFUSED, 0, 0);
        break;
    case AttachApiAvailable:
        if (!m_connected) {
            m_rediscovering = false;
            if (m_windowCreated)
                m_transport->BroadcastDiscover();
        }
        break;
    default: // pending authorisation, not available: wait for the next message
        break;
    }
}

UINT CSkypeLink::OnCopyData(const QString& senderWindow, const QByteArray& data)
{
    {
        std::lock_guard lock(m_sharedLock);
        if (m_clientWindow.isEmpty() || senderWindow != m_clientWindow)
            return 0;
    }
    const qsizetype nul = data.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? data : data.left(nul));
    if (Lower(text) == QLatin1String("pong")) {
        m_alive = true;
    } else if (!text.isEmpty()) {
        if (m_hook)
            m_hook->OnNotification(text);
        ParseNotification(text);
    }
    return 1;
}

void CSkypeLink::AttachInitialisation()
{
    m_missedPings = 0;
    m_attached.Set();
    m_queue.Open();
    m_connected = true;
    m_queue.Enqueue("get currentuserhandle");
    m_queue.Enqueue("get connstatus");
    m_queue.Enqueue("get userstatus");
    m_searchingFriends = true;
    m_queue.Enqueue("search friends");
    Post(WM_SKYPE_CONNECTED, 0, 0);
}

void CSkypeLink::CloseLink()
{
    m_attached.Reset();
    m_queue.Close();
    m_connected = false;
}

void CSkypeLink::KeepAliveTick()
{
    if (m_alive) {
        m_alive = false;
        m_queue.Enqueue("ping");
        m_missedPings = 0;
    } else if (m_missedPings < kMaxMissedPings) {
        m_rediscovering = true;
        if (m_windowCreated)
            m_transport->BroadcastDiscover();
        ++m_missedPings;
    } else {
        m_missedPings = 0;
        m_keepAlive.stop();
        CloseLink();
        m_rediscovering = false;
    }
}

void CSkypeLink::Post(UINT msg, WPARAM w, LPARAM l)
{
    if (m_mainWindow != kNoWindow)
        PostMessage(m_mainWindow, msg, w, l);
}

// ---------------------------------------------------------------------------------------------
// Send thread

void CSkypeLink::Pause(int ms)
{
    m_stopEvent.Wait(ms); // wakes early when the link stops
}

void CSkypeLink::SendThread()
{
    m_attached.Wait();
    while (!m_stop) {
        std::optional<QString> command = m_queue.TakeFirst();
        if (!command) {
            Pause(m_timings.sendIdleMs);
            continue;
        }
        while (command) {
            if (m_stop) {
                Pause(m_timings.sendIdleMs);
                return;
            }
            UINT result = SendOne(*command);
            while (result == 0 && !m_stop && g_sendRetries < kSendRetryBudget) {
                ++g_sendRetries;
                Pause(m_timings.sendRetryMs);
                result = SendOne(*command);
            }
            Pause(m_timings.sendGapMs);
            command = m_queue.TakeFirst();
        }
        Pause(m_timings.sendIdleMs);
    }
}

UINT CSkypeLink::SendOne(const QString& command)
{
    if (!m_connected)
        return 0;
    QByteArray data = command.toUtf8();
    if (data.isEmpty())
        return 0;
    data.append('\0'); // fits the send buffer: the queue takes no command that does not
    QString client;
    {
        std::lock_guard lock(m_sharedLock);
        client = m_clientWindow;
    }
    if (client.isEmpty())
        return 0;
    return m_transport->SendCopyData(client, data);
}

// ---------------------------------------------------------------------------------------------
// Chat window

bool CSkypeLink::OpenChat(const QString& handle)
{
    if (m_openChatBusy)
        return false;
    m_openChatBusy = true;
    m_queue.Enqueue("chat create " + handle);
    m_chatOpened.Reset();

    QuitWatcher quit;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(&quit);
    bool reported = false;
    for (int i = 0; i < m_timings.openChatWaits; ++i) {
        if (m_chatOpened.Wait(m_timings.openChatWaitMs)) {
            reported = true;
            break;
        }
        QCoreApplication::processEvents();
        if (m_chatOpened.IsSet()) {
            reported = true;
            break;
        }
        if (quit.seen || m_stop)
            break;
    }
    if (!reported && !quit.seen && !m_stop) {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeEventFilter(&quit);
        m_openChatBusy = false;
        return false;
    }
    m_chatOpened.Reset();
    m_queue.Enqueue("open chat " + m_chatName);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < m_timings.openChatSettleMs) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(&quit);
    m_openChatBusy = false;
    if (quit.seen)
        QCoreApplication::quit(); // hand the quit request back to the main loop
    return true;
}

// ---------------------------------------------------------------------------------------------
// Parser (user-interface thread)

QString CSkypeLink::CurrentUserHandle() const { return m_currentUser; }

QString CSkypeLink::RequestedIds() const
{
    std::lock_guard lock(m_sharedLock);
    return m_requestedIds;
}

QString CSkypeLink::ClientWindow() const
{
    std::lock_guard lock(m_sharedLock);
    return m_clientWindow;
}

QString CSkypeLink::ApiWindow() const { return m_transport ? m_transport->ApiWindow() : QString(); }

bool CSkypeLink::RequestCallAudio(const QString& callId)
{
    m_queue.Enqueue("alter call " + callId + kMicClause);
    m_queue.Enqueue("alter call " + callId + kOutputClause);
    std::lock_guard lock(m_sharedLock);
    // Remembered once per exact id: a search inside the text would take call 4 for part of 41.
    const QStringList ids = m_requestedIds.split(u' ', Qt::SkipEmptyParts);
    if (!ids.contains(callId))
        m_requestedIds += callId + u' ';
    return true;
}

void CSkypeLink::RerequestAudio()
{
    if (!m_callTable.AnyWithStatus(CallInProgress))
        return;
    const QString ids = Trim(RequestedIds());
    if (ids.isEmpty())
        return;
    for (const QString& id : ids.split(u' ', Qt::SkipEmptyParts))
        RequestCallAudio(id);
}

void CSkypeLink::ResetCallState()
{
    {
        std::lock_guard lock(m_sharedLock);
        m_requestedIds.clear();
    }
    m_callTable.Clear();
    m_incoming = false;
}

bool CSkypeLink::PlaceCall(const QString& handle) { return m_queue.Enqueue("call " + handle); }

void CSkypeLink::QueueFullNameRequest(const QString& handle)
{
    const QString trimmed = Trim(handle);
    if (!trimmed.isEmpty())
        m_queue.Enqueue("get user " + trimmed + " fullname");
}

void CSkypeLink::ParseNotification(const QString& notification)
{
    const QString text = Trim(notification);
    if (text.isEmpty())
        return;
    QString first, rest;
    if (!SplitAtBlank(text, first, rest))
        return;
    first = Lower(first);
    rest = Trim(rest);

    if (first == QLatin1String("users"))
        ParseUsers(rest);
    else if (first == QLatin1String("user"))
        ParseUser(rest);
    else if (first == QLatin1String("connstatus"))
        ParseStatus(rest, true);
    else if (first == QLatin1String("call"))
        ParseCall(rest);
    else if (first == QLatin1String("userstatus"))
        ParseStatus(rest, false);
    else if (first == QLatin1String("currentuserhandle")) {
        m_currentUser = rest;
        Post(WM_SKYPE_ATTACHED, 0, 0);
    } else if (first == QLatin1String("error")) {
        // answers to rejected commands: nothing is retried
    } else if (first == QLatin1String("skypeversion"))
        Post(WM_SKYPE_VERSION, 0, 0);
    else if (first == QLatin1String("chat"))
        ParseChat(rest);
    else if (first == QLatin1String("message") || first == QLatin1String("chatmessage"))
        ParseChatMessage(rest);
    else if (first == QLatin1String("windowstate"))
        ParseWindowState(rest);
}

void CSkypeLink::ParseUsers(const QString& list)
{
    if (!m_searchingFriends)
        return;
    QString rest = list;
    auto take = [this](const QString& handle) {
        if (handle.isEmpty())
            return; // a doubled separator names nobody
        m_contacts.Add(handle);
        QueueFullNameRequest(handle);
    };
    for (qsizetype at = rest.indexOf(QLatin1String(", ")); at >= 0; at = rest.indexOf(QLatin1String(", "))) {
        take(rest.left(at));
        rest = Trim(rest.mid(at + 2));
    }
    take(rest);
}

void CSkypeLink::ParseUser(const QString& rest)
{
    QString handle, tail;
    if (!SplitAtBlank(rest, handle, tail))
        return;
    tail = Trim(tail);
    QString property, value;
    if (SplitAtBlank(tail, property, value)) {
        property = Upper(property);
        value = Trim(value);
        if (property == QLatin1String("FULLNAME")) {
            if (handle != m_currentUser && !m_callTable.IsPartner(handle))
                m_contacts.SetFullName(handle, value);
        } else if (property == QLatin1String("ONLINESTATUS")) {
            m_contacts.SetStatus(handle, OnlineStatusOf(Upper(value), true));
        } else if (property == QLatin1String("BUDDYSTATUS")) {
            const long long n = ToInt(value);
            if (n == 1) {
                m_contacts.Remove(handle);
            } else if (n == 2 || n == 3) {
                m_contacts.Add(handle);
                QueueFullNameRequest(handle);
            }
        }
    } else {
        // A property with no value: a missing full name is stood in for by the handle.
        if (Upper(tail) == QLatin1String("FULLNAME") && !m_callTable.IsPartner(handle))
            m_contacts.SetFullName(handle, handle);
    }
    RestartContactsTimer();
}

void CSkypeLink::RestartContactsTimer()
{
    m_contactsTimer.stop();
    m_contactsTimer.start(m_timings.contactsSettleMs);
}

void CSkypeLink::ParseStatus(const QString& rest, bool connStatus)
{
    const QString word = Upper(rest);
    const int code = OnlineStatusOf(word, false);
    if (connStatus && word == QLatin1String("LOGGEDOUT"))
        m_connected = false;
    m_userStatus = code;
    Post(WM_SKYPE_USERSTATUS, static_cast<WPARAM>(code), 0);
    if (m_hook)
        m_hook->SetUserStatus(code);
}

void CSkypeLink::ParseCall(const QString& rest)
{
    QString id, tail;
    if (!SplitAtBlank(rest, id, tail))
        return;
    QString property, value;
    if (!SplitAtBlank(tail, property, value))
        return;
    property = Upper(property);

    if (property == QLatin1String("STATUS")) {
        const int code = CallStatusOf(Upper(value));
        if (code == CallRouting || code == CallRinging) {
            m_queue.Enqueue("get call " + id + " type");
        } else if (code == CallInProgress) {
            RequestCallAudio(id);
            m_queue.Enqueue("get call " + id + " type");
            m_queue.Enqueue("get call " + id + " target_identity");
            m_queue.Enqueue("get call " + id + " partner_handle");
        }
        const int slot = m_callTable.UpdateStatus(id, code);
        Post(WM_SKYPE_CALL, static_cast<WPARAM>(static_cast<std::int64_t>(slot)), kCallStatusRecorded);
    } else if (property == QLatin1String("PARTNER_HANDLE")) {
        m_partnerMap.Set(id, value);
        const int slot = m_callTable.SetPartner(id, value);
        m_contacts.Add(value);
        QueueFullNameRequest(value);
        Post(WM_SKYPE_CALL, static_cast<WPARAM>(static_cast<std::int64_t>(slot)), kCallPartnerRecorded);
    } else if (property == QLatin1String("DTMF")) {
        const QString digit = Trim(value);
        if (digit.size() == 1) {
            const int slot = m_callTable.FindOrAdd(id);
            Post(WM_SKYPE_DTMF, static_cast<WPARAM>(static_cast<std::int64_t>(slot)), digit[0].unicode());
        }
    } else if (property == QLatin1String("DURATION")) {
        // A call that was already running at attach time gets into the table this way.
        if (m_callTable.CountWithStatus() == 0) {
            m_queue.Enqueue("get call " + id + " partner_handle");
            m_queue.Enqueue("get call " + id + " type");
            m_queue.Enqueue("get call " + id + " status");
            m_queue.Enqueue("get call " + id + " conf_participants_count");
        }
    } else if (property == QLatin1String("CONF_PARTICIPANTS_COUNT")) {
        if (m_callTable.CountWithStatus() != 0 && ToInt(value) >= 2) {
            m_queue.Enqueue("get call " + id + " conf_participant 0");
            m_queue.Enqueue("get call " + id + " conf_participant 1");
        }
    } else if (property == QLatin1String("TYPE")) {
        if (value.isEmpty())
            return;
        if (EqualsNoCase(value, QStringLiteral("incoming_p2p"))) {
            Post(WM_SKYPE_INCOMING_P2P, 0, 0);
            m_incoming = true;
        } else if (EqualsNoCase(value, QStringLiteral("incoming_pstn"))) {
            Post(WM_SKYPE_INCOMING_PSTN, 0, 0);
            m_incoming = true;
        } else {
            m_incoming = false;
        }
    }
}

void CSkypeLink::ParseChat(const QString& rest)
{
    QString name, tail;
    if (!SplitAtBlank(rest, name, tail))
        return;
    if (tail == QLatin1String("STATUS DIALOG") || tail == QLatin1String("STATUS LEGACY_DIALOG")) {
        m_chatName = name;
        m_chatOpened.Set();
    }
}

void CSkypeLink::ParseChatMessage(const QString& rest)
{
    QString id, tail;
    if (!SplitAtBlank(rest, id, tail))
        return;
    id = Trim(id);
    tail = Trim(tail);
    QString property, after;
    if (!SplitAtBlank(tail, property, after))
        return;
    if (property == QLatin1String("STATUS") && after == QLatin1String("RECEIVED"))
        m_queue.Enqueue("get chatmessage " + id + " chatname");
}

void CSkypeLink::ParseWindowState(const QString& rest)
{
    const QString state = Upper(rest);
    if (state == QLatin1String("MINIMIZED") || state == QLatin1String("HIDDEN"))
        Post(WM_SKYPE_WINDOWSTATE, kSkypeWindowHidden, 0);
    else if (state == QLatin1String("NORMAL"))
        Post(WM_SKYPE_WINDOWSTATE, kSkypeWindowNormal, 0);
}
