#include "SkypeSim.h"

#include <QRegularExpression>

#include "SimConstants.h"
#include "SimLog.h"

namespace {

QStringList Words(const QString& text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// The words of text from index first on, as they stand (inner blanks kept).
QString From(const QString& text, int first)
{
    return text.section(QLatin1Char(' '), first, -1, QString::SectionSkipEmpty);
}

int AttachStatusOfMode(const QString& mode)
{
    if (mode == QLatin1String("succeed"))
        return int(sim::kAttachSucceeded);
    if (mode == QLatin1String("pending"))
        return int(sim::kAttachPending);
    if (mode == QLatin1String("refuse"))
        return int(sim::kAttachRefused);
    if (mode == QLatin1String("unavailable"))
        return int(sim::kAttachNotAvailable);
    if (mode == QLatin1String("later"))
        return -1;
    return -2;
}

const QStringList kCallStatuses = {
    QStringLiteral("UNPLACED"),   QStringLiteral("ROUTING"),    QStringLiteral("EARLYMEDIA"),
    QStringLiteral("FAILED"),     QStringLiteral("RINGING"),    QStringLiteral("INPROGRESS"),
    QStringLiteral("ONHOLD"),     QStringLiteral("LOCALHOLD"),  QStringLiteral("REMOTEHOLD"),
    QStringLiteral("FINISHED"),   QStringLiteral("MISSED"),     QStringLiteral("REFUSED"),
    QStringLiteral("BUSY"),       QStringLiteral("CANCELLED"),
};

} // namespace

CSkypeSim::CSkypeSim(const SimOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_window(this), m_nextMessageId(sim::kFirstOwnMessageId),
      m_nextCallId(sim::kFirstOwnCallId)
{
    m_user = options.user.isEmpty() ? QString::fromLatin1(sim::kDefaultUser) : options.user;
    m_userStatus = options.userStatus.toUpper();
    m_connStatus = options.connStatus.toUpper();
    m_attachMode = options.attachMode;
    if (m_options.pendingMs <= 0)
        m_options.pendingMs = sim::kDefaultPendingMs;
    const QString contacts = options.contactsSet ? options.contacts : QString::fromLatin1(sim::kDefaultContacts);
    for (const QString& entry : contacts.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString handle = entry.section(QLatin1Char('='), 0, 0).trimmed();
        if (handle.isEmpty() || m_contactOrder.contains(handle))
            continue;
        m_contactOrder << handle;
        m_fullNames[handle] = entry.section(QLatin1Char('='), 1).trimmed();
        m_contactStatus[handle] = handle.startsWith(QLatin1Char('+')) ? QStringLiteral("SKYPEOUT") : QStringLiteral("ONLINE");
    }
}

CSkypeSim::~CSkypeSim()
{
    StopAllAudio();
}

bool CSkypeSim::Start(QString& error)
{
    if (AttachStatusOfMode(m_attachMode) == -2) {
        error = QStringLiteral("unknown attach mode %1").arg(m_attachMode);
        return false;
    }
    if (!m_window.Create(this, error))
        return false;
    // Like the client when its API comes up: programs that started first and are waiting hear
    // that they can discover it now. In "later" mode this waits for the "available" line.
    if (AttachStatusOfMode(m_attachMode) >= 0)
        m_window.BroadcastAttach(sim::kAttachApiAvailable);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Attach handshake

void CSkypeSim::OnDiscover(const QString& window)
{
    ++m_discoverCount;
    SimLog("DISCOVER", window);
    if (!m_discovered.contains(window))
        m_discovered << window;
    if (m_unresponsive) {
        SimLog("IGNORED", QStringLiteral("discover from %1 (unresponsive)").arg(window));
        return;
    }
    const int status = AttachStatusOfMode(m_attachMode);
    if (status < 0)
        return; // "later": the API is not there yet; nothing answers
    AnswerAttach(window, unsigned(status));
    if (unsigned(status) == sim::kAttachPending) {
        QTimer::singleShot(m_options.pendingMs, this, [this, window] {
            // The user "allowed" the program, unless the mode changed meanwhile.
            if (m_attachMode == QLatin1String("pending"))
                AnswerAttach(window, sim::kAttachSucceeded);
        });
    }
}

void CSkypeSim::AnswerAttach(const QString& window, unsigned status)
{
    m_window.SendAttach(window, status);
    if (status == sim::kAttachSucceeded) {
        if (!m_attached.contains(window))
            m_attached << window;
    } else if (status == sim::kAttachRefused || status == sim::kAttachNotAvailable) {
        m_attached.removeAll(window);
    }
}

unsigned CSkypeSim::OnCopyData(const QString& window, const QByteArray& data)
{
    const qsizetype nul = data.indexOf('\0');
    const QString text = QString::fromUtf8(nul < 0 ? data : data.left(nul));
    if (!m_attached.contains(window)) {
        SimLog("IGNORED", QStringLiteral("copydata from unattached %1: %2").arg(window, text));
        return 0;
    }
    if (m_rejectAll || m_rejectCount > 0) {
        if (m_rejectCount > 0)
            --m_rejectCount;
        SimLog("REJECT", text);
        return 0;
    }
    SimLog("RECV", text);
    m_received << text;
    // Answers leave later, from the event loop (the API window queues them).
    HandleCommand(window, text);
    return 1;
}

void CSkypeSim::OnSendFailed(const QString& window, const QString& errorName)
{
    // A program that has left the bus is no longer attached.
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")) {
        if (m_attached.removeAll(window) > 0)
            SimLog("DETACHED", window);
    }
}

void CSkypeSim::Reply(const QString& window, const QString& text)
{
    m_window.SendText(window, text);
}

void CSkypeSim::Notify(const QString& text)
{
    if (m_attached.isEmpty())
        SimLog("UNSENT", text);
    for (const QString& window : m_attached)
        m_window.SendText(window, text);
}

// ---------------------------------------------------------------------------------------------
// Commands from programs

void CSkypeSim::HandleCommand(const QString& window, const QString& rawText)
{
    const QString text = rawText.trimmed();
    const QStringList words = Words(text);
    if (words.isEmpty()) {
        Reply(window, QStringLiteral("ERROR 1 General syntax error"));
        return;
    }
    const QString verb = words[0].toLower();
    if (verb == QLatin1String("ping") && words.size() == 1) {
        if (m_unresponsive)
            SimLog("IGNORED", QStringLiteral("ping (unresponsive)"));
        else
            Reply(window, QStringLiteral("PONG"));
    } else if (verb == QLatin1String("get")) {
        HandleGet(window, words);
    } else if (verb == QLatin1String("set") && words.size() == 3 && words[1].toLower() == QLatin1String("userstatus")) {
        m_userStatus = words[2].toUpper();
        Notify(QStringLiteral("USERSTATUS ") + m_userStatus);
    } else if (verb == QLatin1String("search")) {
        if (words.size() >= 2 && words[1].toLower() == QLatin1String("friends"))
            Reply(window, (QStringLiteral("USERS ") + m_contactOrder.join(QStringLiteral(", "))).trimmed());
        else
            Reply(window, QStringLiteral("ERROR 3 SEARCH: unknown WHAT"));
    } else if (verb == QLatin1String("alter")) {
        HandleAlterCall(window, text, words);
    } else if (verb == QLatin1String("call")) {
        if (words.size() < 2)
            Reply(window, QStringLiteral("ERROR 34 CALL: Invalid target"));
        else
            PlaceCall(window, words[1]);
    } else if (verb == QLatin1String("chat") && words.size() >= 2 && words[1].toLower() == QLatin1String("create")) {
        if (words.size() < 3) {
            Reply(window, QStringLiteral("ERROR 99 CHAT: no user handle"));
            return;
        }
        const QString chat = QStringLiteral("#%1/$%2;%3").arg(m_user, words[2]).arg(++m_chatCounter * 0x1f3a5b, 16, 16, QLatin1Char('0'));
        m_chatMembers[chat] = words[2];
        if (m_chatReport)
            Reply(window, QStringLiteral("CHAT %1 STATUS DIALOG").arg(chat));
        else
            SimLog("IGNORED", QStringLiteral("chat create %1 (chat reports off)").arg(words[2]));
    } else if (verb == QLatin1String("open") && words.size() >= 2) {
        Reply(window, QStringLiteral("OPEN ") + words[1].toUpper() + (words.size() > 2 ? QStringLiteral(" ") + From(text, 2) : QString()));
    } else if (verb == QLatin1String("chatmessage")) {
        HandleChatMessage(window, text);
    } else if (verb == QLatin1String("protocol") && words.size() == 2) {
        Reply(window, QStringLiteral("PROTOCOL ") + words[1]);
    } else if (verb == QLatin1String("name") && words.size() >= 2) {
        Reply(window, QStringLiteral("OK"));
    } else {
        Reply(window, QStringLiteral("ERROR 2 Unknown command"));
    }
}

void CSkypeSim::HandleGet(const QString& window, const QStringList& words)
{
    const QString what = words.value(1).toLower();
    if (what == QLatin1String("currentuserhandle")) {
        Reply(window, QStringLiteral("CURRENTUSERHANDLE ") + m_user);
    } else if (what == QLatin1String("connstatus")) {
        Reply(window, QStringLiteral("CONNSTATUS ") + m_connStatus);
    } else if (what == QLatin1String("userstatus")) {
        Reply(window, QStringLiteral("USERSTATUS ") + m_userStatus);
    } else if (what == QLatin1String("skypeversion")) {
        Reply(window, QStringLiteral("SKYPEVERSION 2.2.0.35"));
    } else if (what == QLatin1String("windowstate")) {
        Reply(window, QStringLiteral("WINDOWSTATE ") + m_windowState);
    } else if (what == QLatin1String("user") && words.size() == 4) {
        const QString& handle = words[2];
        const QString property = words[3].toUpper();
        if (property == QLatin1String("FULLNAME"))
            Reply(window, QStringLiteral("USER %1 FULLNAME %2").arg(handle, FullName(handle)).trimmed());
        else if (property == QLatin1String("ONLINESTATUS"))
            Reply(window, QStringLiteral("USER %1 ONLINESTATUS %2").arg(handle, ContactStatus(handle)));
        else if (property == QLatin1String("BUDDYSTATUS"))
            Reply(window, QStringLiteral("USER %1 BUDDYSTATUS %2").arg(handle).arg(m_contactOrder.contains(handle) ? 3 : 0));
        else if (property == QLatin1String("HANDLE"))
            Reply(window, QStringLiteral("USER %1 HANDLE %1").arg(handle));
        else
            Reply(window, QStringLiteral("ERROR 10 Invalid property"));
    } else if (what == QLatin1String("call")) {
        HandleGetCall(window, words);
    } else if (what == QLatin1String("chatmessage") && words.size() == 4) {
        const auto it = m_messages.constFind(words[2]);
        if (it == m_messages.cend()) {
            Reply(window, QStringLiteral("ERROR 14 Invalid message id"));
            return;
        }
        const QString property = words[3].toUpper();
        QString value;
        if (property == QLatin1String("CHATNAME"))
            value = it->chat;
        else if (property == QLatin1String("BODY"))
            value = it->body;
        else if (property == QLatin1String("FROM_HANDLE"))
            value = it->from;
        else if (property == QLatin1String("FROM_DISPNAME"))
            value = FullName(it->from);
        else if (property == QLatin1String("STATUS"))
            value = it->status;
        else if (property == QLatin1String("TYPE"))
            value = QStringLiteral("SAID");
        else {
            Reply(window, QStringLiteral("ERROR 10 Invalid property"));
            return;
        }
        Reply(window, QStringLiteral("CHATMESSAGE %1 %2 %3").arg(words[2], property, value).trimmed());
    } else {
        Reply(window, QStringLiteral("ERROR 7 GET: invalid WHAT"));
    }
}

void CSkypeSim::HandleGetCall(const QString& window, const QStringList& words)
{
    if (words.size() < 4) {
        Reply(window, QStringLiteral("ERROR 7 GET: invalid WHAT"));
        return;
    }
    Call* call = FindCall(words[2]);
    if (!call) {
        Reply(window, QStringLiteral("ERROR 11 Invalid call id"));
        return;
    }
    const QString property = words[3].toUpper();
    const QString prefix = QStringLiteral("CALL %1 %2 ").arg(call->id, property);
    if (property == QLatin1String("PARTNER_HANDLE"))
        Reply(window, prefix + call->partner);
    else if (property == QLatin1String("PARTNER_DISPNAME"))
        Reply(window, (prefix + FullName(call->partner)).trimmed());
    else if (property == QLatin1String("TYPE"))
        Reply(window, prefix + call->type);
    else if (property == QLatin1String("STATUS"))
        Reply(window, prefix + call->status);
    else if (property == QLatin1String("DURATION"))
        Reply(window, prefix + QString::number(call->duration));
    else if (property == QLatin1String("TARGET_IDENTITY"))
        Reply(window, (prefix + (call->type.startsWith(QLatin1String("INCOMING")) ? m_user : QString())).trimmed());
    else if (property == QLatin1String("CONF_PARTICIPANTS_COUNT"))
        Reply(window, prefix + QString::number(call->participants.isEmpty() ? 0 : call->participants.size() + 1));
    else if (property == QLatin1String("CONF_PARTICIPANT") && words.size() == 5) {
        bool ok = false;
        const int n = words[4].toInt(&ok);
        // Participant 0 is the call's partner, then the others of the conference.
        const QStringList everyone = QStringList{call->partner} + call->participants;
        if (!ok || n < 0 || n >= everyone.size() || call->participants.isEmpty()) {
            Reply(window, QStringLiteral("ERROR 71 Invalid conference participant NO"));
            return;
        }
        Reply(window, QStringLiteral("CALL %1 CONF_PARTICIPANT %2 %3 %4 %5 %6")
                          .arg(call->id, words[4], everyone[n], call->type, call->status, FullName(everyone[n]))
                          .trimmed());
    } else
        Reply(window, QStringLiteral("ERROR 12 Invalid call property"));
}

void CSkypeSim::HandleAlterCall(const QString& window, const QString& text, const QStringList& words)
{
    if (words.size() < 4 || words[1].toLower() != QLatin1String("call")) {
        Reply(window, QStringLiteral("ERROR 2 Unknown command"));
        return;
    }
    Call* call = FindCall(words[2]);
    if (!call) {
        Reply(window, QStringLiteral("ERROR 11 Invalid call id"));
        return;
    }
    const QString action = words[3].toLower();
    const QString args = From(text, 4);
    static const QRegularExpression portPattern(QStringLiteral("port\\s*=\\s*\"?(\\d{1,5})\"?"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch port = portPattern.match(args);
    const int portNumber = port.hasMatch() ? port.captured(1).toInt() : -1;
    const QString echo = QStringLiteral("ALTER CALL %1 %2%3").arg(call->id, action.toUpper(), args.isEmpty() ? QString() : QStringLiteral(" ") + args);
    if (action == QLatin1String("set_capture_mic") || action == QLatin1String("set_output")) {
        if (portNumber <= 0 || portNumber > 65535) {
            // A sound-card redirection without a port: taken, nothing to connect.
            Reply(window, echo);
            return;
        }
        (action == QLatin1String("set_capture_mic") ? call->micPort : call->outPort) = portNumber;
        Reply(window, echo);
        ServeAudio(*call);
    } else if (action == QLatin1String("answer")) {
        Reply(window, echo);
        SetCallStatus(*call, QStringLiteral("INPROGRESS"));
    } else if (action == QLatin1String("hold")) {
        Reply(window, echo);
        SetCallStatus(*call, QStringLiteral("LOCALHOLD"));
    } else if (action == QLatin1String("resume")) {
        Reply(window, echo);
        SetCallStatus(*call, QStringLiteral("INPROGRESS"));
    } else if (action == QLatin1String("hangup") || action == QLatin1String("end")) {
        Reply(window, echo);
        SetCallStatus(*call, QStringLiteral("FINISHED"));
    } else {
        Reply(window, QStringLiteral("ERROR 71 ALTER: invalid action"));
    }
}

void CSkypeSim::HandleChatMessage(const QString& window, const QString& text)
{
    // "chatmessage <chat> <text>": the chat name is the first word after the keyword, however
    // many blanks stand before it; the message is everything after the blank that ends it.
    const QString rest = text.mid(int(QStringLiteral("chatmessage").size())).trimmed();
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    if (rest.isEmpty() || blank < 0) {
        Reply(window, QStringLiteral("ERROR 1 General syntax error"));
        return;
    }
    const QString id = QString::number(m_nextMessageId++);
    m_messages[id] = Message{rest.left(blank), m_user, rest.mid(blank + 1), QStringLiteral("SENT")};
    Reply(window, QStringLiteral("CHATMESSAGE %1 STATUS SENDING").arg(id));
    Notify(QStringLiteral("CHATMESSAGE %1 STATUS SENT").arg(id));
}

void CSkypeSim::PlaceCall(const QString& window, const QString& handle)
{
    while (FindCall(QString::number(m_nextCallId)))
        ++m_nextCallId;
    Call& call = NewCall(QString::number(m_nextCallId++), handle, false);
    // The first report answers the command; the others are ordinary notifications.
    call.status = QStringLiteral("UNPLACED");
    Reply(window, QStringLiteral("CALL %1 STATUS UNPLACED").arg(call.id));
    SetCallStatus(call, QStringLiteral("ROUTING"));
    SetCallStatus(call, QStringLiteral("RINGING"));
    if (m_autoAnswerMs >= 0) {
        QTimer::singleShot(m_autoAnswerMs, this, [this, id = call.id] {
            if (Call* c = FindCall(id); c && c->status == QLatin1String("RINGING"))
                SetCallStatus(*c, QStringLiteral("INPROGRESS"));
        });
    }
}

// ---------------------------------------------------------------------------------------------
// Calls and audio

CSkypeSim::Call* CSkypeSim::FindCall(const QString& id)
{
    const auto it = m_calls.find(id);
    return it == m_calls.end() ? nullptr : it->second.get();
}

CSkypeSim::Call& CSkypeSim::NewCall(const QString& id, const QString& partner, bool incoming)
{
    auto& slot = m_calls[id];
    if (slot)
        StopAudio(*slot);
    slot = std::make_unique<Call>();
    slot->id = id;
    slot->partner = partner;
    const bool pstn = partner.startsWith(QLatin1Char('+'));
    slot->type = QStringLiteral("%1_%2").arg(incoming ? QStringLiteral("INCOMING") : QStringLiteral("OUTGOING"),
                                             pstn ? QStringLiteral("PSTN") : QStringLiteral("P2P"));
    return *slot;
}

bool CSkypeSim::IsEnding(const QString& status)
{
    static const QStringList ending = {QStringLiteral("FINISHED"), QStringLiteral("MISSED"), QStringLiteral("REFUSED"),
                                       QStringLiteral("BUSY"),     QStringLiteral("CANCELLED"), QStringLiteral("FAILED")};
    return ending.contains(status);
}

void CSkypeSim::SetCallStatus(Call& call, const QString& status)
{
    call.status = status;
    Notify(QStringLiteral("CALL %1 STATUS %2").arg(call.id, status));
    if (IsEnding(status)) {
        StopAudio(call);
        call.micPort = call.outPort = -1;
    } else if (status == QLatin1String("INPROGRESS")) {
        ServeAudio(call);
    }
}

void CSkypeSim::ServeAudio(Call& call)
{
    // Both streams start once both redirections were asked for and the call is in progress. A
    // side that is still connected on the same port keeps its connection; a side that was
    // dropped (or moved to another port) connects anew.
    if (call.status != QLatin1String("INPROGRESS") || call.micPort < 0 || call.outPort < 0)
        return;
    auto serve = [&](std::unique_ptr<CAudioStreamer>& streamer, const char* side, int port, const CPcmSource& source) {
        if (streamer && streamer->IsRunning() && streamer->Port() == port)
            return;
        if (streamer)
            streamer->Stop();
        streamer = std::make_unique<CAudioStreamer>(QLatin1String(side), call.id, std::uint16_t(port), source, m_options.fast);
        streamer->Start();
    };
    serve(call.own, "own", call.micPort, m_options.ownSource);
    serve(call.remote, "remote", call.outPort, m_options.remoteSource);
    call.micPort = call.outPort = -1;
}

void CSkypeSim::StopAudio(Call& call)
{
    if (call.own)
        call.own->Stop();
    if (call.remote)
        call.remote->Stop();
    call.own.reset();
    call.remote.reset();
}

void CSkypeSim::StopAllAudio()
{
    for (auto& [id, call] : m_calls)
        StopAudio(*call);
}

QString CSkypeSim::FullName(const QString& handle) const
{
    if (handle == m_user)
        return m_user;
    return m_fullNames.value(handle);
}

QString CSkypeSim::ContactStatus(const QString& handle) const
{
    return m_contactStatus.value(handle, QStringLiteral("UNKNOWN"));
}

// ---------------------------------------------------------------------------------------------
// Control lines

bool CSkypeSim::ControlCall(const QString& verb, const QStringList& words, const QString& line)
{
    auto need = [&](int count) {
        if (words.size() >= count)
            return true;
        SimLog("BADCMD", line + QStringLiteral(" : too few words"));
        return false;
    };
    auto existing = [&]() -> Call* {
        Call* call = FindCall(words[1]);
        if (!call)
            SimLog("BADCMD", line + QStringLiteral(" : no call ") + words[1]);
        return call;
    };
    if (verb == QLatin1String("incoming") || verb == QLatin1String("outgoing")) {
        if (!need(3))
            return true;
        const bool incoming = verb == QLatin1String("incoming");
        Call& call = NewCall(words[1], words[2], incoming);
        if (words.size() > 3 && words[3].toLower() == QLatin1String("pstn"))
            call.type = incoming ? QStringLiteral("INCOMING_PSTN") : QStringLiteral("OUTGOING_PSTN");
        if (!incoming)
            SetCallStatus(call, QStringLiteral("ROUTING"));
        SetCallStatus(call, QStringLiteral("RINGING"));
    } else if (verb == QLatin1String("status")) {
        if (!need(3))
            return true;
        if (Call* call = existing()) {
            const QString status = words[2].toUpper();
            if (!kCallStatuses.contains(status))
                SimLog("NOTE", QStringLiteral("call status %1 is not one the client reports").arg(status));
            SetCallStatus(*call, status);
        }
    } else if (verb == QLatin1String("answer") || verb == QLatin1String("unhold") || verb == QLatin1String("finish") ||
               verb == QLatin1String("miss") || verb == QLatin1String("refuse") || verb == QLatin1String("hold")) {
        if (!need(2))
            return true;
        if (Call* call = existing()) {
            QString status;
            if (verb == QLatin1String("answer") || verb == QLatin1String("unhold"))
                status = QStringLiteral("INPROGRESS");
            else if (verb == QLatin1String("finish"))
                status = QStringLiteral("FINISHED");
            else if (verb == QLatin1String("miss"))
                status = QStringLiteral("MISSED");
            else if (verb == QLatin1String("refuse"))
                status = QStringLiteral("REFUSED");
            else {
                const QString how = words.value(2, QStringLiteral("local")).toLower();
                status = how == QLatin1String("remote") ? QStringLiteral("REMOTEHOLD")
                         : how == QLatin1String("on")   ? QStringLiteral("ONHOLD")
                                                        : QStringLiteral("LOCALHOLD");
            }
            SetCallStatus(*call, status);
        }
    } else if (verb == QLatin1String("duration")) {
        if (!need(3))
            return true;
        if (Call* call = existing()) {
            call->duration = words[2].toInt();
            Notify(QStringLiteral("CALL %1 DURATION %2").arg(call->id).arg(call->duration));
        }
    } else if (verb == QLatin1String("dtmf")) {
        if (!need(3))
            return true;
        if (Call* call = existing())
            Notify(QStringLiteral("CALL %1 DTMF %2").arg(call->id, words[2]));
    } else if (verb == QLatin1String("conference")) {
        if (!need(3))
            return true;
        if (Call* call = existing()) {
            call->participants = words.mid(2);
            Notify(QStringLiteral("CALL %1 CONF_PARTICIPANTS_COUNT %2").arg(call->id).arg(call->participants.size() + 1));
        }
    } else if (verb == QLatin1String("audio")) {
        // audio stop CALL | audio drop CALL own|remote
        if (!need(3))
            return true;
        Call* call = FindCall(words[2]);
        if (!call) {
            SimLog("BADCMD", line + QStringLiteral(" : no call ") + words[2]);
            return true;
        }
        const QString what = words[1].toLower();
        if (what == QLatin1String("stop")) {
            StopAudio(*call);
        } else if (what == QLatin1String("drop") && words.size() == 4) {
            auto& streamer = words[3].toLower() == QLatin1String("own") ? call->own : call->remote;
            if (streamer)
                streamer->Stop();
        } else {
            SimLog("BADCMD", line + QStringLiteral(" : audio stop CALL | audio drop CALL own|remote"));
        }
    } else {
        return false;
    }
    return true;
}

void CSkypeSim::Execute(const QString& rawLine)
{
    const QString line = rawLine.trimmed();
    const QStringList words = Words(line);
    if (words.isEmpty() || line.startsWith(QLatin1Char('#')))
        return;
    const QString verb = words[0].toLower();
    SimLog("DO", line);
    if (verb == QLatin1String("quit")) {
        emit QuitRequested();
    } else if (verb == QLatin1String("notify")) {
        Notify(From(line, 1));
    } else if (verb == QLatin1String("attach") && words.size() == 2) {
        const QString mode = words[1].toLower();
        if (AttachStatusOfMode(mode) == -2)
            SimLog("BADCMD", line + QStringLiteral(" : succeed|pending|refuse|unavailable|later"));
        else
            m_attachMode = mode;
    } else if (verb == QLatin1String("available")) {
        // The API comes up: later discovers succeed, and programs hear that they may try.
        m_attachMode = QStringLiteral("succeed");
        m_window.BroadcastAttach(sim::kAttachApiAvailable);
    } else if (verb == QLatin1String("broadcast")) {
        m_window.BroadcastAttach(words.size() > 1 ? words[1].toUInt() : sim::kAttachApiAvailable);
    } else if (verb == QLatin1String("sendattach") && words.size() >= 2) {
        bool ok = false;
        const unsigned status = words[1].toUInt(&ok);
        const QStringList targets = words.size() > 2 ? words.mid(2) : m_discovered;
        if (!ok)
            SimLog("BADCMD", line + QStringLiteral(" : sendattach STATUS [WINDOW...]"));
        else
            for (const QString& window : targets)
                AnswerAttach(window, status);
    } else if (verb == QLatin1String("unresponsive")) {
        m_unresponsive = true;
    } else if (verb == QLatin1String("responsive")) {
        m_unresponsive = false;
    } else if (verb == QLatin1String("copydata") && words.size() >= 2) {
        const QString how = words[1].toLower();
        if (how == QLatin1String("accept")) {
            m_rejectAll = false;
            m_rejectCount = 0;
        } else if (how == QLatin1String("reject") && words.size() == 3) {
            m_rejectAll = false;
            m_rejectCount = words[2].toInt();
        } else if (how == QLatin1String("reject")) {
            m_rejectAll = true;
        } else {
            SimLog("BADCMD", line + QStringLiteral(" : copydata accept | copydata reject [N]"));
        }
    } else if (verb == QLatin1String("chatreport") && words.size() == 2) {
        m_chatReport = words[1].toLower() != QLatin1String("off");
    } else if (verb == QLatin1String("autoanswer") && words.size() == 2) {
        m_autoAnswerMs = words[1].toLower() == QLatin1String("off") ? -1 : words[1].toInt();
    } else if (verb == QLatin1String("me") && words.size() == 2) {
        m_user = words[1];
    } else if (verb == QLatin1String("contact") && words.size() >= 2) {
        const QString& handle = words[1];
        if (!m_contactOrder.contains(handle))
            m_contactOrder << handle;
        m_fullNames[handle] = From(line, 2);
        if (!m_contactStatus.contains(handle))
            m_contactStatus[handle] = handle.startsWith(QLatin1Char('+')) ? QStringLiteral("SKYPEOUT") : QStringLiteral("ONLINE");
    } else if (verb == QLatin1String("contactstatus") && words.size() == 3) {
        m_contactStatus[words[1]] = words[2].toUpper();
        Notify(QStringLiteral("USER %1 ONLINESTATUS %2").arg(words[1], words[2].toUpper()));
    } else if (verb == QLatin1String("userstatus") && words.size() == 2) {
        m_userStatus = words[1].toUpper();
        Notify(QStringLiteral("USERSTATUS ") + m_userStatus);
    } else if (verb == QLatin1String("connstatus") && words.size() == 2) {
        m_connStatus = words[1].toUpper();
        Notify(QStringLiteral("CONNSTATUS ") + m_connStatus);
    } else if (verb == QLatin1String("windowstate") && words.size() == 2) {
        m_windowState = words[1].toUpper();
        Notify(QStringLiteral("WINDOWSTATE ") + m_windowState);
    } else if (verb == QLatin1String("window") && words.size() >= 2) {
        if (!m_windowControl || !m_windowControl(From(line, 1).toLower()))
            SimLog("BADCMD", line + QStringLiteral(" : no window shown, or not minimize|restore|hide|close|geometry X Y W H"));
    } else if (verb == QLatin1String("chatmsg") && words.size() >= 5) {
        // chatmsg ID CHAT FROM TEXT...
        m_messages[words[1]] = Message{words[2], words[3], From(line, 4), QStringLiteral("RECEIVED")};
        Notify(QStringLiteral("CHATMESSAGE %1 STATUS RECEIVED").arg(words[1]));
    } else if (!ControlCall(verb, words, line)) {
        SimLog("BADCMD", line + QStringLiteral(" : unknown command"));
    }
}

bool CSkypeSim::CheckCondition(const QString& what, bool starting, qsizetype& mark)
{
    const QStringList words = Words(what);
    const QString kind = words.value(0).toLower();
    if (kind == QLatin1String("attached"))
        return !m_attached.isEmpty();
    if (kind == QLatin1String("discover")) {
        if (starting)
            mark = m_discoverCount;
        return m_discoverCount > mark;
    }
    if (kind == QLatin1String("recv") && words.size() > 1) {
        // A command containing the text, received after the wait started.
        if (starting)
            mark = m_received.size();
        const QString needle = From(what, 1);
        for (qsizetype i = mark; i < m_received.size(); ++i)
            if (m_received[i].contains(needle, Qt::CaseInsensitive))
                return true;
        return false;
    }
    if (kind == QLatin1String("audio") && words.size() == 2) {
        const Call* call = FindCall(words[1]);
        return call && call->own && call->remote && call->own->IsConnected() && call->remote->IsConnected();
    }
    SimLog("BADCMD", QStringLiteral("waitfor ") + what + QStringLiteral(" : attached | discover | recv TEXT | audio CALL"));
    return true;
}
