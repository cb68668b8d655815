#include "ApiWindow.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

#include "SimConstants.h"
#include "SimLog.h"

CApiWindow::CApiWindow(QObject* parent) : QObject(parent), m_bus(QDBusConnection::sessionBus())
{
}

CApiWindow::~CApiWindow()
{
    if (!m_handle.isEmpty()) {
        m_bus.unregisterObject(QLatin1String(sim::kClientPath));
        m_bus.disconnect(QString(), QString(), QLatin1String(sim::kInterface), QStringLiteral("Discover"), this,
                         SLOT(OnDiscoverSignal(QString, QDBusMessage)));
    }
}

bool CApiWindow::Create(IApiWindowSink* sink, QString& error)
{
    if (!m_bus.isConnected()) {
        error = QStringLiteral("no session bus: %1").arg(m_bus.lastError().message());
        return false;
    }
    m_sink = sink;
    if (!m_bus.registerObject(QLatin1String(sim::kClientPath), this,
                              QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        error = QStringLiteral("cannot export %1: %2").arg(QLatin1String(sim::kClientPath), m_bus.lastError().message());
        return false;
    }
    if (!m_bus.connect(QString(), QString(), QLatin1String(sim::kInterface), QStringLiteral("Discover"), this,
                       SLOT(OnDiscoverSignal(QString, QDBusMessage)))) {
        error = QStringLiteral("cannot listen for Discover: %1").arg(m_bus.lastError().message());
        m_bus.unregisterObject(QLatin1String(sim::kClientPath));
        return false;
    }
    m_handle = m_bus.baseService() + QLatin1String(sim::kClientPath);
    return true;
}

bool CApiWindow::SplitHandle(const QString& window, QString& service, QString& path)
{
    const qsizetype slash = window.indexOf(QLatin1Char('/'));
    if (slash <= 1 || !window.startsWith(QLatin1Char(':')) || slash == window.size() - 1)
        return false;
    service = window.left(slash);
    path = window.mid(slash);
    return true;
}

bool CApiWindow::FromOwner(const QString& window, const QString& sender) const
{
    QString service, path;
    return SplitHandle(window, service, path) && service == sender;
}

void CApiWindow::OnDiscoverSignal(const QString& window, const QDBusMessage& message)
{
    if (!FromOwner(window, message.service())) {
        SimLog("IGNORED", QStringLiteral("discover for %1 sent by %2").arg(window, message.service()));
        return;
    }
    if (m_sink)
        m_sink->OnDiscover(window);
}

void CApiWindow::Attach(const QString& window, uint status)
{
    // Only programs receive attach answers; the client ignores one sent to it.
    SimLog("IGNORED", QStringLiteral("attach %1 from %2").arg(status).arg(window));
}

uint CApiWindow::CopyData(const QString& window, const QByteArray& data)
{
    const QString sender = calledFromDBus() ? message().service() : QString();
    if (!FromOwner(window, sender)) {
        SimLog("IGNORED", QStringLiteral("copydata for %1 sent by %2").arg(window, sender));
        return 0;
    }
    return m_sink ? m_sink->OnCopyData(window, data) : 0;
}

void CApiWindow::SendAttach(const QString& window, unsigned status)
{
    Queue({Outgoing::AttachCall, window, QString(), status});
}

void CApiWindow::SendText(const QString& window, const QString& text)
{
    Queue({Outgoing::TextCall, window, text, 0});
}

void CApiWindow::BroadcastAttach(unsigned status)
{
    Queue({Outgoing::AttachSignal, QString(), QString(), status});
}

void CApiWindow::Queue(Outgoing item)
{
    m_outbox.push_back(std::move(item));
    if (!m_flushQueued) {
        m_flushQueued = true;
        QTimer::singleShot(0, this, &CApiWindow::Flush);
    }
}

void CApiWindow::Flush()
{
    m_flushQueued = false;
    while (!m_outbox.empty()) {
        Outgoing item = std::move(m_outbox.front());
        m_outbox.pop_front();
        if (item.kind == Outgoing::AttachSignal) {
            QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(sim::kClientPath),
                                                             QLatin1String(sim::kInterface),
                                                             QStringLiteral("AttachBroadcast"));
            signal << m_handle << uint(item.status);
            m_bus.send(signal);
            SimLog("BROADCAST", QString::number(item.status));
            continue;
        }
        QString service, path;
        if (!SplitHandle(item.window, service, path)) {
            SimLog("SENDFAIL", QStringLiteral("%1 bad-window %2").arg(item.window, item.text));
            continue;
        }
        QDBusMessage call;
        if (item.kind == Outgoing::AttachCall) {
            call = QDBusMessage::createMethodCall(service, path, QLatin1String(sim::kInterface), QStringLiteral("Attach"));
            call << m_handle << uint(item.status);
            SimLog("ATTACH", QStringLiteral("%1 %2").arg(item.window).arg(item.status));
        } else {
            QByteArray bytes = item.text.toUtf8();
            bytes.append('\0');
            call = QDBusMessage::createMethodCall(service, path, QLatin1String(sim::kInterface), QStringLiteral("CopyData"));
            call << m_handle << bytes;
            SimLog("SENT", item.text);
        }
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, sim::kCopyDataTimeoutMs), this);
        const bool isText = item.kind == Outgoing::TextCall;
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, window = item.window, text = item.text, isText](QDBusPendingCallWatcher* w) {
                    w->deleteLater();
                    QString failure;
                    if (w->isError()) {
                        failure = w->error().name();
                    } else if (isText) {
                        QDBusPendingReply<uint> reply = *w;
                        if (reply.isError() || reply.value() == 0)
                            failure = QStringLiteral("not-taken");
                    }
                    if (failure.isEmpty())
                        return;
                    SimLog("SENDFAIL", QStringLiteral("%1 %2 %3").arg(window, failure, isText ? text : QStringLiteral("(attach)")));
                    if (m_sink)
                        m_sink->OnSendFailed(window, failure);
                });
    }
}
