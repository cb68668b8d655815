#pragma once
// skypesim's API window on the session bus: the object at /com/Skype/Client implementing
// com.Skype.API.Window. It receives the programs' Discover broadcasts, their CopyData texts
// (and Attach calls, which a client does not expect), checks that each call really comes from
// the connection named in its window handle, and sends the client's side of the protocol:
// Attach answers, texts and the AttachBroadcast signal.
//
// Everything it sends leaves later, from the event loop, in the order it was asked for: a
// handler of an incoming call never waits for another program, so two programs calling each
// other cannot deadlock.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <deque>

class IApiWindowSink {
public:
    virtual ~IApiWindowSink() = default;
    virtual void OnDiscover(const QString& window) = 0;
    // A text from window (raw bytes as received); the result is CopyData's answer.
    virtual unsigned OnCopyData(const QString& window, const QByteArray& data) = 0;
    // A call to window failed for good (for instance the program has gone).
    virtual void OnSendFailed(const QString& window, const QString& errorName) = 0;
};

class CApiWindow : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.Skype.API.Window")
public:
    explicit CApiWindow(QObject* parent = nullptr);
    ~CApiWindow() override;

    // Exports the window and listens for Discover; false with error when the bus refuses.
    bool Create(IApiWindowSink* sink, QString& error);
    // The window's handle: "<unique name>/com/Skype/Client".
    QString Handle() const { return m_handle; }

    void SendAttach(const QString& window, unsigned status);
    // Sends text (UTF-8 with its NUL) to window with CopyData; logs "SENT <text>", or
    // "SENDFAIL <window> <error> <text>" when the program did not take it.
    void SendText(const QString& window, const QString& text);
    void BroadcastAttach(unsigned status);

    // Splits "<unique name><object path>"; false when the handle has no such form.
    static bool SplitHandle(const QString& window, QString& service, QString& path);

public slots:
    // The members of the interface that a program calls.
    Q_SCRIPTABLE void Attach(const QString& window, uint status);
    Q_SCRIPTABLE uint CopyData(const QString& window, const QByteArray& data);

private slots:
    void OnDiscoverSignal(const QString& window, const QDBusMessage& message);

private:
    struct Outgoing {
        enum Kind { AttachCall, TextCall, AttachSignal } kind;
        QString window;
        QString text;
        unsigned status = 0;
    };
    bool FromOwner(const QString& window, const QString& sender) const;
    void Queue(Outgoing item);
    void Flush();

    QDBusConnection m_bus;
    IApiWindowSink* m_sink = nullptr;
    QString m_handle;
    std::deque<Outgoing> m_outbox;
    bool m_flushQueued = false;
};
