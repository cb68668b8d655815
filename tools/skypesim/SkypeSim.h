#pragma once
// The client stand-in: plays the Skype client's side of the attach handshake and of the text
// protocol for every program that discovers it, answers commands the way the client does,
// runs calls, chats and status changes when told, and streams a call's audio to the ports a
// program asks for.
//
// Control lines (from a scenario file or standard input) are executed by Execute(); the
// language is documented in UsageText().
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

#include "ApiWindow.h"
#include "AudioStreamer.h"
#include "PcmSource.h"

struct SimOptions {
    QString attachMode = QStringLiteral("succeed"); // succeed|pending|refuse|unavailable|later
    int pendingMs = 0;                              // 0: the default
    QString user;
    QString contacts; // "handle=Full Name,handle,..."
    bool contactsSet = false; // false: the default contacts
    QString userStatus = QStringLiteral("ONLINE");
    QString connStatus = QStringLiteral("ONLINE");
    CPcmSource ownSource;
    CPcmSource remoteSource;
    bool fast = false;
};

class CSkypeSim : public QObject, private IApiWindowSink {
    Q_OBJECT
public:
    explicit CSkypeSim(const SimOptions& options, QObject* parent = nullptr);
    ~CSkypeSim() override;

    // Exports the API window; false with error when that fails.
    bool Start(QString& error);
    QString ClientWindow() const { return m_window.Handle(); }

    // Runs one control line.
    void Execute(const QString& line);
    // Answers a "waitfor" condition. mark keeps what a runner saw when its wait started.
    bool CheckCondition(const QString& what, bool starting, qsizetype& mark);
    // Closes every audio connection (at exit).
    void StopAllAudio();

    static QString UsageText();
    // Where the control line "window minimize|restore|hide" goes (the X11 window, when shown).
    void SetWindowControl(std::function<bool(const QString&)> control) { m_windowControl = std::move(control); }

signals:
    void QuitRequested();

private:
    struct Call {
        QString id;
        QString partner;
        QString type; // INCOMING_P2P, OUTGOING_P2P, INCOMING_PSTN, OUTGOING_PSTN
        QString status;
        int duration = 0;
        QStringList participants; // conference participants besides the user
        int micPort = -1;         // asked for by "alter call ... set_capture_mic", not yet served
        int outPort = -1;         // asked for by "alter call ... set_output", not yet served
        std::unique_ptr<CAudioStreamer> own;
        std::unique_ptr<CAudioStreamer> remote;
    };
    struct Message {
        QString chat;
        QString from;
        QString body;
        QString status;
    };

    // IApiWindowSink
    void OnDiscover(const QString& window) override;
    unsigned OnCopyData(const QString& window, const QByteArray& data) override;
    void OnSendFailed(const QString& window, const QString& errorName) override;

    void AnswerAttach(const QString& window, unsigned status);
    void HandleCommand(const QString& window, const QString& text);
    void HandleGet(const QString& window, const QStringList& words);
    void HandleGetCall(const QString& window, const QStringList& words);
    void HandleAlterCall(const QString& window, const QString& text, const QStringList& words);
    void HandleChatMessage(const QString& window, const QString& text);
    void PlaceCall(const QString& window, const QString& handle);
    void Reply(const QString& window, const QString& text);
    void Notify(const QString& text);

    Call* FindCall(const QString& id);
    Call& NewCall(const QString& id, const QString& partner, bool incoming);
    void SetCallStatus(Call& call, const QString& status);
    void ServeAudio(Call& call);
    void StopAudio(Call& call);
    QString FullName(const QString& handle) const;
    QString ContactStatus(const QString& handle) const;
    bool ControlCall(const QString& verb, const QStringList& words, const QString& line);
    static bool IsEnding(const QString& status);

    SimOptions m_options;
    CApiWindow m_window;
    QString m_user;
    QString m_userStatus;
    QString m_connStatus;
    QString m_windowState = QStringLiteral("NORMAL");
    QStringList m_contactOrder;
    QMap<QString, QString> m_fullNames;
    QMap<QString, QString> m_contactStatus;

    QString m_attachMode;
    QStringList m_attached;   // programs that attached, in order
    QStringList m_discovered; // programs that sent a Discover
    bool m_unresponsive = false;
    bool m_rejectAll = false;
    int m_rejectCount = 0;
    bool m_chatReport = true;
    int m_autoAnswerMs = -1;

    std::map<QString, std::unique_ptr<Call>> m_calls;
    QMap<QString, Message> m_messages;
    QMap<QString, QString> m_chatMembers; // chat name -> other member
    int m_nextMessageId;
    int m_nextCallId;
    int m_chatCounter = 0;

    std::function<bool(const QString&)> m_windowControl;
    QStringList m_received; // every command taken, in order
    int m_discoverCount = 0;
};
