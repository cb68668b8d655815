#include "chat/ChatAutoReply.h"

#include "chat/ChatConstants.h"
#include "settings/GeneralProfile.h"
#include "skype/SkypeConstants.h"
#include "skype/SkypeText.h"

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
    const QString text = SkypeText::Trim(notification);
    const qsizetype blank = text.indexOf(u' ');
    if (text.isEmpty() || blank < 0)
        return;
    const QString word = SkypeText::Lower(text.left(blank));
    if (word != QLatin1String(kMessageWord) && word != QLatin1String(kChatMessageWord))
        return;
    const QString rest = SkypeText::Trim(text.mid(blank + 1));
    const qsizetype idEnd = rest.indexOf(u' ');
    if (rest.isEmpty() || idEnd < 0)
        return;
    const QString tail = SkypeText::Trim(rest.mid(idEnd + 1));
    const qsizetype propertyEnd = tail.indexOf(u' ');
    const QString property = propertyEnd < 0 ? QString() : tail.left(propertyEnd);
    if (property != QLatin1String(kChatNameProperty))
        return;
    OnChatName(SkypeText::Trim(tail.mid(propertyEnd + 1)));
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
        if (SkypeText::EqualsNoCase(chat.name, chatName)) {
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
        if (chat.armed && SkypeText::EqualsNoCase(chat.name, chatName)) {
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
        if (SkypeText::EqualsNoCase(chat.name, chatName))
            return chat.armed;
    return false;
}
