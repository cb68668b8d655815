#include "TestProgram.h"

#include <QDBusReply>

#include "support/TestEnv.h"

namespace {
const QString kInterface = QStringLiteral("com.Skype.API.Window");

bool Split(const QString& window, QString& service, QString& path)
{
    const qsizetype slash = window.indexOf(QLatin1Char('/'));
    if (slash <= 0)
        return false;
    service = window.left(slash);
    path = window.mid(slash);
    return true;
}
} // namespace

TestProgram::TestProgram(QDBusConnection bus, const QString& path) : m_bus(std::move(bus)), m_path(path)
{
    m_bus.registerObject(m_path, this, QDBusConnection::ExportScriptableSlots);
    m_bus.connect(QString(), QString(), kInterface, QStringLiteral("AttachBroadcast"), this,
                  SLOT(OnAttachBroadcast(QString, uint, QDBusMessage)));
}

TestProgram::~TestProgram()
{
    m_bus.unregisterObject(m_path);
    m_bus.disconnect(QString(), QString(), kInterface, QStringLiteral("AttachBroadcast"), this,
                     SLOT(OnAttachBroadcast(QString, uint, QDBusMessage)));
}

bool TestProgram::FromOwner(const QString& window) const
{
    QString service, path;
    return Split(window, service, path) && calledFromDBus() && message().service() == service;
}

void TestProgram::Discover(const QString& window)
{
    QDBusMessage signal = QDBusMessage::createSignal(m_path, kInterface, QStringLiteral("Discover"));
    signal << (window.isEmpty() ? Window() : window);
    m_bus.send(signal);
}

uint TestProgram::Send(const QString& text, const QString& client, const QString& sender)
{
    QString service, path;
    if (!Split(client.isEmpty() ? clientWindow : client, service, path))
        return 0;
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, kInterface, QStringLiteral("CopyData"));
    call << (sender.isEmpty() ? Window() : sender) << (text.toUtf8() + QByteArray(1, '\0'));
    QDBusReply<uint> reply = m_bus.call(call, QDBus::Block, 5000);
    return reply.isValid() ? reply.value() : 0;
}

QString TestProgram::TextAt(int index, int timeoutMs)
{
    testenv::WaitUntil([&] { return texts.size() > index; }, timeoutMs);
    return texts.size() > index ? texts[index] : QStringLiteral("<none>");
}

void TestProgram::Attach(const QString& window, uint status)
{
    if (!FromOwner(window)) {
        ++dropped;
        return;
    }
    attaches.emplace_back(window, status);
    if (status == 0)
        clientWindow = window;
}

uint TestProgram::CopyData(const QString& window, const QByteArray& data)
{
    if (!FromOwner(window) || window != clientWindow) {
        ++dropped;
        return 0;
    }
    const qsizetype nul = data.indexOf('\0');
    texts << QString::fromUtf8(nul < 0 ? data : data.left(nul));
    return 1;
}

void TestProgram::OnAttachBroadcast(const QString& window, uint status, const QDBusMessage& message)
{
    QString service, path;
    if (Split(window, service, path) && service == message.service())
        broadcasts.emplace_back(window, status);
}
