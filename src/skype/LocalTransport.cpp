#include "skype/LocalTransport.h"

bool CLocalTransport::Create(ISkypeTransportSink* sink, const QString& className)
{
    if (m_createFails)
        return false;
    m_sink = sink;
    std::lock_guard lock(m_lock);
    m_className = className;
    return true;
}

void CLocalTransport::Destroy() { m_sink = nullptr; }

QString CLocalTransport::ApiWindow() const { return m_sink ? QStringLiteral("local-api") : QString(); }

QString CLocalTransport::ClassName() const
{
    std::lock_guard lock(m_lock);
    return m_className;
}

UINT CLocalTransport::SendCopyData(const QString& clientWindow, const QByteArray& data)
{
    ++m_attempts;
    const UINT result = m_result;
    if (clientWindow != QLatin1String(kClientWindow) || result == 0)
        return 0;
    QByteArray text = data;
    if (text.endsWith('\0'))
        text.chop(1);
    std::lock_guard lock(m_lock);
    m_sent << QString::fromUtf8(text);
    return result;
}

void CLocalTransport::DeliverAttach(UINT status, const QString& clientWindow)
{
    if (m_sink)
        m_sink->OnAttachMessage(clientWindow, status);
}

UINT CLocalTransport::DeliverText(const QString& text, const QString& fromWindow)
{
    if (!m_sink)
        return 0;
    QByteArray data = text.toUtf8();
    data.append('\0');
    return m_sink->OnCopyData(fromWindow, data);
}

QStringList CLocalTransport::Sent() const
{
    std::lock_guard lock(m_lock);
    return m_sent;
}

void CLocalTransport::ClearSent()
{
    std::lock_guard lock(m_lock);
    m_sent.clear();
}

UINT CLocalTransport::DeliverBytes(const QByteArray& data, const QString& fromWindow)
{
    return m_sink ? m_sink->OnCopyData(fromWindow, data) : 0;
}
