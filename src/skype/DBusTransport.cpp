#include "skype/DBusTransport.h"

#include <QDBusReply>
#include <QVariant>

#include "skype/SkypeLink.h"

CDBusTransport::CDBusTransport(QDBusConnection connection)
    : m_connection(std::move(connection)), m_timeoutMs(CSkypeLink::Timings().copyDataTimeoutMs)
{
}

CDBusTransport::~CDBusTransport() { Destroy(); }

bool CDBusTransport::SplitWindow(const QString& window, QString& service, QString& path)
{
    const qsizetype slash = window.indexOf(u'/');
    if (slash <= 0)
        return false;
    service = window.left(slash);
    path = window.mid(slash);
    return service.startsWith(u':') && path.size() > 1;
}

bool CDBusTransport::Create(ISkypeTransportSink* sink, const QString& className)
{
    if (m_object || !m_connection.isConnected())
        return false;
    // The class name carries the GUID with hyphens; an object path allows no hyphen.
    // The path is "/ISkypeWnd_" + the GUID with underscores.
    const QString prefix = QString::fromLatin1(kApiWindowClassPrefix);
    QString guid = className.startsWith(prefix) ? className.mid(prefix.size()) : className;
    guid.replace(u'-', u'_');
    m_path = "/" + prefix + "_" + guid;
    m_object = std::make_unique<CApiWindowObject>(sink);
    if (!m_connection.registerObject(m_path, m_object.get(),
                                     QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        m_object.reset();
        return false;
    }
    // The client's "API available" broadcast, from whichever client sends it.
    m_connection.connect(QString(), QString(), QString::fromLatin1(kSkypeDBusInterface),
                         QStringLiteral("AttachBroadcast"), m_object.get(),
                         SLOT(OnAttachBroadcast(QString, uint, QDBusMessage)));
    m_window = m_connection.baseService() + m_path;
    return true;
}

void CDBusTransport::Destroy()
{
    if (!m_object)
        return;
    m_connection.disconnect(QString(), QString(), QString::fromLatin1(kSkypeDBusInterface),
                            QStringLiteral("AttachBroadcast"), m_object.get(),
                            SLOT(OnAttachBroadcast(QString, uint, QDBusMessage)));
    m_connection.unregisterObject(m_path);
    m_object->Detach();
    m_object.reset();
    m_window.clear();
}

void CDBusTransport::BroadcastDiscover()
{
    if (!m_object)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(m_path, QString::fromLatin1(kSkypeDBusInterface), QStringLiteral("Discover"));
    signal << m_window;
    m_connection.send(signal);
}

UINT CDBusTransport::SendCopyData(const QString& clientWindow, const QByteArray& data)
{
    QString service, path;
    if (!SplitWindow(clientWindow, service, path))
        return 0;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, QString::fromLatin1(kSkypeDBusInterface),
                                                       QStringLiteral("CopyData"));
    call << m_window << data;
    const QDBusMessage reply = m_connection.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    bool ok = false;
    const uint result = reply.arguments().first().toUInt(&ok);
    return ok ? result : 0;
}

bool CApiWindowObject::FromOwner(const QString& window, const QString& sender) const
{
    QString service, path;
    return CDBusTransport::SplitWindow(window, service, path) && service == sender;
}

void CApiWindowObject::Attach(const QString& window, uint status)
{
    if (!m_sink || !calledFromDBus() || !FromOwner(window, message().service()))
        return;
    m_sink->OnAttachMessage(window, status);
}

uint CApiWindowObject::CopyData(const QString& window, const QByteArray& data)
{
    if (!m_sink || !calledFromDBus() || !FromOwner(window, message().service()))
        return 0;
    return m_sink->OnCopyData(window, data);
}

void CApiWindowObject::OnAttachBroadcast(const QString& window, uint status, const QDBusMessage& message)
{
    if (!m_sink || !FromOwner(window, message.service()))
        return;
    m_sink->OnAttachMessage(window, status);
}
