#pragma once
// The client link over the D-Bus session bus. Kestrel's API window is an object exported at
// /ISkypeWnd_<GUID>; its handle is "<unique name><object path>". Discover goes out as a
// broadcast signal; the client answers with the Attach method; texts travel both ways through
// the CopyData method. A caller whose bus name is not the one inside its window argument is
// ignored, so no other program can speak for the client.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>

#include <memory>

#include "skype/SkypeTransport.h"

class CApiWindowObject;

class CDBusTransport : public ISkypeTransport {
public:
    explicit CDBusTransport(QDBusConnection connection = QDBusConnection::sessionBus());
    ~CDBusTransport() override;

    bool Create(ISkypeTransportSink* sink, const QString& className) override;
    void Destroy() override;
    QString ApiWindow() const override { return m_window; }
    void BroadcastDiscover() override;
    UINT SendCopyData(const QString& clientWindow, const QByteArray& data) override;

    // Splits a window handle "<unique name>/<path>"; false when it is not of that form.
    static bool SplitWindow(const QString& window, QString& service, QString& path);

private:
    QDBusConnection m_connection;
    std::unique_ptr<CApiWindowObject> m_object;
    QString m_path;
    QString m_window;
    int m_timeoutMs;
};

// The exported object. Calls are delivered on the thread that created it.
class CApiWindowObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.Skype.API.Window")
public:
    explicit CApiWindowObject(ISkypeTransportSink* sink) : m_sink(sink) {}
    void Detach() { m_sink = nullptr; }

public Q_SLOTS:
    Q_SCRIPTABLE void Attach(const QString& window, uint status);
    Q_SCRIPTABLE uint CopyData(const QString& window, const QByteArray& data);
    void OnAttachBroadcast(const QString& window, uint status, const QDBusMessage& message);

Q_SIGNALS:
    Q_SCRIPTABLE void Discover(const QString& window);
    Q_SCRIPTABLE void AttachBroadcast(const QString& window, uint status);

private:
    bool FromOwner(const QString& window, const QString& sender) const;
    ISkypeTransportSink* m_sink;
};
