#pragma once
// An in-process transport: the test plays the client. What the link sends is recorded; attach
// statuses and texts are delivered straight to the link's sink.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

#include "skype/SkypeTransport.h"

class CLocalTransport : public ISkypeTransport {
public:
    static constexpr const char* kClientWindow = "local-client";

    bool Create(ISkypeTransportSink* sink, const QString& className) override;
    void Destroy() override;
    QString ApiWindow() const override;
    void BroadcastDiscover() override { ++m_discovers; }
    UINT SendCopyData(const QString& clientWindow, const QByteArray& data) override;

    // The client's side (call on the link's thread).
    void DeliverAttach(UINT status, const QString& clientWindow = kClientWindow);
    UINT DeliverText(const QString& text, const QString& fromWindow = kClientWindow);
    UINT DeliverBytes(const QByteArray& data, const QString& fromWindow = kClientWindow);

    // What the link sent, as texts (without the NUL), in order.
    QStringList Sent() const;
    int SendAttempts() const { return m_attempts; }
    void ClearSent();
    // The answer the client gives to every text (1 = taken, 0 = refused).
    void SetSendResult(UINT result) { m_result = result; }
    void SetCreateFails(bool fails) { m_createFails = fails; }
    int Discovers() const { return m_discovers; }
    QString ClassName() const;
    bool Created() const { return m_sink != nullptr; }

private:
    ISkypeTransportSink* m_sink = nullptr;
    mutable std::mutex m_lock;
    QStringList m_sent;
    QString m_className;
    std::atomic<UINT> m_result{1};
    std::atomic<int> m_attempts{0};
    std::atomic<int> m_discovers{0};
    bool m_createFails = false;
};
