#pragma once
// Answers incoming chat messages with the user's text, at most once per chat and per reported
// user status. It sees every notification from Skype before the parser (it takes the CHATNAME
// answers the parser asks for), is told every user status, and sends its answer through the
// link's command queue. User-interface thread only, apart from the thread-safe queue.
#include <QString>

#include <vector>

#include "skype/CommandQueue.h"
#include "skype/SkypeLink.h"

class CGeneralProfile;

class CChatAutoReply : public INotificationHook {
public:
    // Loads the settings record so the reply settings are current.
    explicit CChatAutoReply(CCommandQueue& queue);
    // The engine of a link; what CSkypeLink::SetHookFactory takes.
    static std::unique_ptr<INotificationHook> ForLink(CSkypeLink& link);

    void OnNotification(const QString& text) override;
    void SetUserStatus(int status) override;
    // A chat named in a CHATNAME answer: entered when new, then answered when armed. True when
    // the chat was new.
    bool OnChatName(const QString& chatName);
    void ReplyIfArmed(const QString& chatName);

    int UserStatus() const { return m_userStatus; }
    std::size_t ChatCount() const { return m_chats.size(); }
    // Whether the chat (any letter case) is known and armed.
    bool IsArmed(const QString& chatName) const;

private:
    struct ChatEntry {
        QString name;
        bool armed = false;
    };
    static bool IsAnsweringStatus(int status);

    CCommandQueue& m_queue;
    CGeneralProfile& m_profile;
    std::vector<ChatEntry> m_chats; // in order of first appearance
    int m_userStatus = 0;
};
