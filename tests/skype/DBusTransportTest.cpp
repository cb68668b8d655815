// The link's D-Bus side against a hand-made client on the private session bus: what a client
// sees of the contract, and that nobody can speak for the attached client.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include "LinkFixture.h"
#include "skype/DBusTransport.h"

namespace {

// A minimal client: its own bus connection with an exported window that records texts.
class FakeClient : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.Skype.API.Window")
public:
    explicit FakeClient(const QString& name)
        : bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name))
    {
        bus.registerObject("/client", this, QDBusConnection::ExportScriptableSlots);
        bus.connect(QString(), QString(), "com.Skype.API.Window", "Discover", this, SLOT(OnDiscover(QString)));
    }
    QString Window() const { return bus.baseService() + "/client"; }
    uint CallCopyData(const QString& target, const QString& asWindow, const QString& text)
    {
        QString service, path;
        CDBusTransport::SplitWindow(target, service, path);
        auto m = QDBusMessage::createMethodCall(service, path, "com.Skype.API.Window", "CopyData");
        QByteArray data = text.toUtf8();
        data.append('\0');
        m << asWindow << data;
        QDBusReply<uint> reply = bus.call(m, QDBus::BlockWithGui, 2000);
        return reply.isValid() ? reply.value() : 0xDEAD;
    }
    void CallAttach(const QString& target, const QString& asWindow, uint status)
    {
        QString service, path;
        CDBusTransport::SplitWindow(target, service, path);
        auto m = QDBusMessage::createMethodCall(service, path, "com.Skype.API.Window", "Attach");
        m << asWindow << status;
        bus.call(m, QDBus::BlockWithGui, 2000);
    }

    QDBusConnection bus;
    QStringList discovered;
    QStringList received;
    uint answer = 1;

public Q_SLOTS:
    Q_SCRIPTABLE uint CopyData(const QString& window, const QByteArray& data)
    {
        received << QString::fromUtf8(data.left(data.indexOf('\0')));
        return answer;
    }
    void OnDiscover(const QString& window) { discovered << window; }
};

class DBusLinkTest : public ::testing::Test {
protected:
    void SetUp() override { CSkypeLink::SetTimings(FastTimings()); }
    void TearDown() override
    {
        CSkypeLink::Release();
        CSkypeLink::SetTimings(SkypeLinkTimings{});
    }
    EventRecorder events;
};

TEST_F(DBusLinkTest, DiscoverAttachAndTextsBothWays)
{
    FakeClient client("client-a");
    CSkypeLink* link = CSkypeLink::Attach(events.Handle());
    const QString api = link->ApiWindow();
    EXPECT_TRUE(api.startsWith(QDBusConnection::sessionBus().baseService() + "/ISkypeWnd_"));
    EXPECT_EQ(api.size() - api.indexOf('/'), QString("/ISkypeWnd_").size() + 36);
    ASSERT_TRUE(testenv::WaitUntil([&] { return client.discovered.contains(api); }));

    client.CallAttach(api, client.Window(), AttachSucceeded);
    ASSERT_TRUE(testenv::WaitUntil([&] { return client.received.size() == 4; }));
    EXPECT_EQ(client.received.first(), "get currentuserhandle");
    EXPECT_EQ(client.CallCopyData(api, client.Window(), "CURRENTUSERHANDLE alice"), 1u);
    EXPECT_EQ(link->CurrentUserHandle(), "alice");
}

TEST_F(DBusLinkTest, NobodySpeaksForTheClient)
{
    FakeClient client("client-b");
    FakeClient intruder("intruder");
    CSkypeLink* link = CSkypeLink::Attach(events.Handle());
    const QString api = link->ApiWindow();
    ASSERT_TRUE(testenv::WaitUntil([&] { return client.discovered.contains(api); }));

    // An attach claiming another connection's window is ignored.
    intruder.CallAttach(api, client.Window(), AttachSucceeded);
    testenv::Pump(30);
    EXPECT_FALSE(link->IsConnected());

    client.CallAttach(api, client.Window(), AttachSucceeded);
    ASSERT_TRUE(link->IsConnected());
    // Texts from anyone but the attached client answer 0 and change nothing.
    EXPECT_EQ(intruder.CallCopyData(api, client.Window(), "CURRENTUSERHANDLE evil"), 0u);
    EXPECT_EQ(intruder.CallCopyData(api, intruder.Window(), "CURRENTUSERHANDLE evil"), 0u);
    EXPECT_EQ(intruder.CallCopyData(api, "garbage", "CURRENTUSERHANDLE evil"), 0u);
    EXPECT_EQ(link->CurrentUserHandle(), "");
    // The client itself is heard.
    EXPECT_EQ(client.CallCopyData(api, client.Window(), "CURRENTUSERHANDLE me"), 1u);
    EXPECT_EQ(link->CurrentUserHandle(), "me");
}

TEST_F(DBusLinkTest, ApiAvailableBroadcastRestartsDiscovery)
{
    FakeClient client("client-c");
    CSkypeLink* link = CSkypeLink::Attach(events.Handle());
    const QString api = link->ApiWindow();
    ASSERT_TRUE(testenv::WaitUntil([&] { return client.discovered.size() == 1; }));
    auto signal = QDBusMessage::createSignal("/client", "com.Skype.API.Window", "AttachBroadcast");
    signal << client.Window() << uint(AttachApiAvailable);
    client.bus.send(signal);
    ASSERT_TRUE(testenv::WaitUntil([&] { return client.discovered.size() == 2; }));
    // A broadcast claiming someone else's window is ignored.
    auto forged = QDBusMessage::createSignal("/client", "com.Skype.API.Window", "AttachBroadcast");
    forged << QString(":1.9999/client") << uint(AttachApiAvailable);
    client.bus.send(forged);
    testenv::Pump(50);
    EXPECT_EQ(client.discovered.size(), 2);
    link->Stop();
    // After Stop the window is gone from the bus.
    EXPECT_EQ(client.CallCopyData(api, client.Window(), "PONG"), 0xDEADu);
}

} // namespace

#include "DBusTransportTest.moc"
