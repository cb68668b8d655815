#include "chat/ChatAutoReply.h"

#include "chat/ChatConstants.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeConstants.h"

namespace {

// Chat names compare without regard to ASCII letter case.
bool SameChat(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'A' && x <= u'Z')
            x += 32;
        if (y >= u'A' && y <= u'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

QString AsciiLower(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return out;
}

} // namespace

CChatAutoReply::CChatAutoReply(CCommandQueue& queue) : m_queue(queue), m_profile(*CGeneralProfile::Instance())
{
    m_profile.Load();
}

std::unique_ptr<INotificationHook> CChatAutoReply::ForLink(CSkypeLink& link)
{
    return std::make_unique<CChatAutoReply>(link.Queue());
}

bool CChatAutoReply::IsAnsweringStatus(int status)
{
    return status >= OnlineOnline && status <= OnlineDoNotDisturb;
}

void CChatAutoReply::OnNotification(const QString& notification)
{
    // "CHATMESSAGE <id> CHATNAME <chat>" (or "MESSAGE ..."), the answer to the parser's question.
    const QString text = notification.trimmed();
    const qsizetype blank = text.indexOf(u' ');
    if (text.isEmpty() || blank < 0)
        return;
    const QString word = AsciiLower(text.left(blank));
    if (word != QLatin1String(kMessageWord) && word != QLatin1String(kChatMessageWord))
        return;
    const QString rest = text.mid(blank + 1).trimmed();
    const qsizetype idEnd = rest.indexOf(u' ');
    if (rest.isEmpty() || idEnd < 0)
        return;
    const QString tail = rest.mid(idEnd + 1).trimmed();
    const qsizetype propertyEnd = tail.indexOf(u' ');
    const QString property = propertyEnd < 0 ? QString() : tail.left(propertyEnd);
    if (property != QLatin1String(kChatNameProperty))
        return;
    OnChatName(tail.mid(propertyEnd + 1).trimmed());
}

void CChatAutoReply::SetUserStatus(int status)
{
    m_userStatus = status;
    // Every report of an answering status, even a repeated one, re-arms every chat.
    const bool armed = IsAnsweringStatus(status);
    for (ChatEntry& chat : m_chats)
        chat.armed = armed;
}

bool CChatAutoReply::OnChatName(const QString& chatName)
{
    for (const ChatEntry& chat : m_chats) {
        if (SameChat(chat.name, chatName)) {
            ReplyIfArmed(chatName);
            return false;
        }
    }
    m_chats.push_back(ChatEntry{chatName, IsAnsweringStatus(m_userStatus)});
    ReplyIfArmed(chatName);
    return true;
}

void CChatAutoReply::ReplyIfArmed(const QString& chatName)
{
    if (!m_profile.chatreply)
        return;
    ChatEntry* entry = nullptr;
    for (ChatEntry& chat : m_chats) {
        if (chat.armed && SameChat(chat.name, chatName)) {
            entry = &chat;
            break;
        }
    }
    if (!entry)
        return;
    bool allowed = false;
    if (m_userStatus == OnlineOnline || m_userStatus == OnlineSkypeMe)
        allowed = m_profile.onlinereply;
    else if (m_userStatus == OnlineAway || m_userStatus == OnlineNotAvailable || m_userStatus == OnlineDoNotDisturb)
        allowed = m_profile.notonlinereply;
    if (!allowed)
        return; // stays armed
    // A closed queue (link not attached) refuses the reply, and so does one whose UTF-8 form does
    // not fit the link's send buffer (it is never sent cut short); the chat counts as answered
    // all the same.
    m_queue.Enqueue(QLatin1String(kReplyCommand) + chatName + u' ' + m_profile.replytxt);
    entry->armed = false;
}

bool CChatAutoReply::IsArmed(const QString& chatName) const
{
    for (const ChatEntry& chat : m_chats)
        if (SameChat(chat.name, chatName))
            return chat.armed;
    return false;
}
