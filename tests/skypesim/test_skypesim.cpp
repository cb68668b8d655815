// skypesim against a small program that follows the client link's D-Bus contract.
#include <QDBusConnection>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "TestProgram.h"
#include "support/SkypeSimProcess.h"
#include "support/TestEnv.h"

using testenv::SkypeSimProcess;
using testenv::WaitUntil;

namespace {

class SkypeSimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(SkypeSimProcess::Executable().isEmpty()) << "KESTREL_SKYPESIM is not set";
        static int counter = 0;
        program = std::make_unique<TestProgram>(QDBusConnection::sessionBus(),
                                                QStringLiteral("/ISkypeWnd_test_%1").arg(++counter));
    }
    void TearDown() override
    {
        // A clean exit: no crash and no sanitizer report in skypesim itself.
        EXPECT_EQ(sim.Stop(), 0) << sim.StdErr().toStdString();
        program.reset();
    }
    void StartAttached(QStringList args = {})
    {
        ASSERT_TRUE(sim.Start(args)) << sim.StdErr().toStdString();
        program->Discover();
        ASSERT_TRUE(WaitUntil([&] { return !program->attaches.empty(); }));
        ASSERT_EQ(program->attaches.back().second, 0u);
        ASSERT_EQ(program->clientWindow, sim.ClientWindow());
    }
    // Sends a command and returns the next text the program receives.
    QString Ask(const QString& command)
    {
        const int next = int(program->texts.size());
        if (program->Send(command) == 0)
            return QStringLiteral("<not taken>");
        return program->TextAt(next);
    }

    SkypeSimProcess sim;
    std::unique_ptr<TestProgram> program;
};

std::vector<uint> Statuses(const TestProgram& p)
{
    std::vector<uint> out;
    for (const auto& [window, status] : p.attaches)
        out.push_back(status);
    return out;
}

TEST_F(SkypeSimTest, AttachModesAnswerDiscover)
{
    struct Case {
        const char* mode;
        std::vector<uint> statuses;
        bool takesCommands;
    };
    const Case cases[] = {
        {"succeed", {0}, true},
        {"pending", {1, 0}, true},
        {"refuse", {2}, false},
        {"unavailable", {3}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        program = std::make_unique<TestProgram>(QDBusConnection::sessionBus(), QStringLiteral("/ISkypeWnd_mode_%1").arg(++n));
        ASSERT_TRUE(sim.Start({"--attach", c.mode, "--pending-ms", "50"}));
        program->Discover();
        ASSERT_TRUE(WaitUntil([&] { return program->attaches.size() >= c.statuses.size(); }));
        testenv::Pump(100); // nothing more arrives
        EXPECT_EQ(Statuses(*program), c.statuses);
        for (const auto& [window, status] : program->attaches)
            EXPECT_EQ(window, sim.ClientWindow());
        // Only an attached program's commands are taken.
        EXPECT_EQ(program->Send(QStringLiteral("ping"), sim.ClientWindow()), c.takesCommands ? 1u : 0u);
        if (c.takesCommands) {
            EXPECT_EQ(program->TextAt(0), QStringLiteral("PONG"));
        }
        EXPECT_EQ(sim.Stop(), 0);
    }
}

TEST_F(SkypeSimTest, LaterAttachWaitsForAvailableAndBroadcasts)
{
    ASSERT_TRUE(sim.Start({"--attach", "later"}));
    program->Discover();
    ASSERT_GE(sim.WaitForLine(QStringLiteral("DISCOVER ") + program->Window()), 0);
    testenv::Pump(100);
    EXPECT_TRUE(program->attaches.empty());

    sim.Write(QStringLiteral("available"));
    ASSERT_TRUE(WaitUntil([&] { return !program->broadcasts.empty(); }));
    EXPECT_EQ(program->broadcasts[0], std::make_pair(sim.ClientWindow(), 32769u));
    program->Discover();
    ASSERT_TRUE(WaitUntil([&] { return !program->attaches.empty(); }));
    EXPECT_EQ(Statuses(*program), std::vector<uint>{0});
}

TEST_F(SkypeSimTest, LostClientRefusalAndSendFailures)
{
    StartAttached();
    sim.Write(QStringLiteral("unresponsive"));
    ASSERT_GE(sim.WaitForLine(QStringLiteral("DO unresponsive")), 0);
    EXPECT_EQ(program->Send(QStringLiteral("ping")), 1u);
    program->Discover();
    ASSERT_GE(sim.WaitForLine(QStringLiteral("IGNORED discover")), 0);
    testenv::Pump(150);
    EXPECT_TRUE(program->texts.isEmpty());
    EXPECT_EQ(program->attaches.size(), 1u);

    sim.Write(QStringLiteral("responsive"));
    ASSERT_GE(sim.WaitForLine(QStringLiteral("DO responsive")), 0);
    EXPECT_EQ(Ask(QStringLiteral("ping")), QStringLiteral("PONG"));

    // Send failures: the next two commands answer 0 and are not processed.
    sim.Write(QStringLiteral("copydata reject 2"));
    ASSERT_GE(sim.WaitForLine(QStringLiteral("DO copydata reject 2")), 0);
    EXPECT_EQ(program->Send(QStringLiteral("get connstatus")), 0u);
    EXPECT_EQ(program->Send(QStringLiteral("get userstatus")), 0u);
    EXPECT_EQ(Ask(QStringLiteral("ping")), QStringLiteral("PONG"));
    EXPECT_EQ(sim.Received(), (QStringList{"ping", "ping", "ping"}));

    // The client refuses the program afterwards: its commands are no longer taken.
    sim.Write(QStringLiteral("sendattach 2"));
    ASSERT_TRUE(WaitUntil([&] { return program->attaches.size() == 2; }));
    EXPECT_EQ(program->attaches[1].second, 2u);
    EXPECT_EQ(program->Send(QStringLiteral("ping")), 0u);
}

TEST_F(SkypeSimTest, SpoofedOrUnattachedSendersAreDropped)
{
    StartAttached();
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("intruder"));
    ASSERT_TRUE(other.isConnected());
    TestProgram intruder(other, QStringLiteral("/ISkypeWnd_intruder"));

    // A window of another connection named by the attached program's connection.
    EXPECT_EQ(program->Send(QStringLiteral("ping"), QString(), QStringLiteral(":1.9999/ISkypeWnd_x")), 0u);
    // The intruder naming the attached program's window.
    EXPECT_EQ(intruder.Send(QStringLiteral("ping"), sim.ClientWindow(), program->Window()), 0u);
    // The intruder under its own, unattached, window.
    EXPECT_EQ(intruder.Send(QStringLiteral("ping"), sim.ClientWindow()), 0u);
    // A Discover naming someone else's window is not answered.
    const int mark = sim.LineCount();
    intruder.Discover(program->Window());
    ASSERT_GE(sim.WaitForLine(QStringLiteral("IGNORED discover for ") + program->Window(), 5000, mark), 0);

    testenv::Pump(100);
    EXPECT_TRUE(sim.Received().isEmpty());
    EXPECT_TRUE(program->texts.isEmpty());
    EXPECT_TRUE(intruder.texts.isEmpty());
    EXPECT_EQ(program->attaches.size(), 1u);
    EXPECT_TRUE(intruder.attaches.empty());
    // The real program is still served.
    EXPECT_EQ(Ask(QStringLiteral("ping")), QStringLiteral("PONG"));
    other.disconnectFromBus(QStringLiteral("intruder"));
}

TEST_F(SkypeSimTest, AnswersCommandsLikeTheClient)
{
    StartAttached({"--user", "tester", "--userstatus", "away"});
    sim.Write(QStringLiteral("incoming 41 bob"));
    sim.Write(QStringLiteral("chatmsg 77 #alice/$tester;1 alice see you at 5"));
    ASSERT_EQ(program->TextAt(0), QStringLiteral("CALL 41 STATUS RINGING"));
    ASSERT_EQ(program->TextAt(1), QStringLiteral("CHATMESSAGE 77 STATUS RECEIVED"));

    const std::pair<QString, QString> table[] = {
        {"get currentuserhandle", "CURRENTUSERHANDLE tester"},
        {"get connstatus", "CONNSTATUS ONLINE"},
        {"get userstatus", "USERSTATUS AWAY"},
        {"search friends", "USERS alice, bob, +4930123"},
        {"get user alice fullname", "USER alice FULLNAME Alice Smith"},
        {"get user +4930123 fullname", "USER +4930123 FULLNAME"},
        {"get user bob onlinestatus", "USER bob ONLINESTATUS ONLINE"},
        {"ping", "PONG"},
        {"get call 41 partner_handle", "CALL 41 PARTNER_HANDLE bob"},
        {"get call 41 type", "CALL 41 TYPE INCOMING_P2P"},
        {"get call 41 status", "CALL 41 STATUS RINGING"},
        {"get call 41 conf_participants_count", "CALL 41 CONF_PARTICIPANTS_COUNT 0"},
        {"get call 41 target_identity", "CALL 41 TARGET_IDENTITY tester"},
        {"alter call 41 set_capture_mic port=\"38377\"", "ALTER CALL 41 SET_CAPTURE_MIC port=\"38377\""},
        {"alter call 41 set_output soundcard=\"default\", port=\"38376\"",
         "ALTER CALL 41 SET_OUTPUT soundcard=\"default\", port=\"38376\""},
        {"get call 99 type", "ERROR 11 Invalid call id"},
        {"get chatmessage 77 chatname", "CHATMESSAGE 77 CHATNAME #alice/$tester;1"},
        {"open chat #alice/$tester;1", "OPEN CHAT #alice/$tester;1"},
        {"chatmessage  #alice/$tester;1 I am  away", "CHATMESSAGE 1001 STATUS SENDING"},
        {"get chatmessage 1001 body", "CHATMESSAGE 1001 BODY I am  away"},
        {"get chatmessage 1001 chatname", "CHATMESSAGE 1001 CHATNAME #alice/$tester;1"},
        {"frobnicate now", "ERROR 2 Unknown command"},
        {"get nothing", "ERROR 7 GET: invalid WHAT"},
    };
    QStringList sent;
    for (const auto& [command, answer] : table) {
        SCOPED_TRACE(command.toStdString());
        sent << command;
        const int next = int(program->texts.size());
        ASSERT_EQ(program->Send(command), 1u);
        EXPECT_EQ(program->TextAt(next), answer);
        // The "SENT" notification after SENDING is skipped over by the next Ask.
        if (command.startsWith(QLatin1String("chatmessage"))) {
            EXPECT_EQ(program->TextAt(next + 1), QStringLiteral("CHATMESSAGE 1001 STATUS SENT"));
        }
    }
    EXPECT_EQ(sim.Received(), sent);

    // A new chat is reported as a dialog, unless reports are switched off.
    const QRegularExpression dialog(QStringLiteral("^CHAT (#tester/\\$alice;\\S+) STATUS DIALOG$"));
    EXPECT_TRUE(dialog.match(Ask(QStringLiteral("chat create alice"))).hasMatch());
    sim.Write(QStringLiteral("chatreport off"));
    ASSERT_GE(sim.WaitForLine(QStringLiteral("DO chatreport off")), 0);
    const int before = int(program->texts.size());
    EXPECT_EQ(program->Send(QStringLiteral("chat create alice")), 1u);
    testenv::Pump(150);
    EXPECT_EQ(program->texts.size(), before);

    // Placing a call: the answer and the call's progress.
    EXPECT_EQ(Ask(QStringLiteral("call alice")), QStringLiteral("CALL 101 STATUS UNPLACED"));
    EXPECT_EQ(program->TextAt(before + 1), QStringLiteral("CALL 101 STATUS ROUTING"));
    EXPECT_EQ(program->TextAt(before + 2), QStringLiteral("CALL 101 STATUS RINGING"));
    EXPECT_EQ(Ask(QStringLiteral("get call 101 type")), QStringLiteral("CALL 101 TYPE OUTGOING_P2P"));
}

TEST_F(SkypeSimTest, ScriptedCallAndStatusNotifications)
{
    StartAttached();
    for (const char* line : {"incoming 41 alice", "outgoing 42 +4930123 pstn", "answer 41", "hold 41 remote",
                             "hold 41", "hold 41 on", "unhold 41", "duration 41 5", "dtmf 41 7", "finish 41",
                             "miss 42", "userstatus AWAY", "connstatus LOGGEDOUT", "windowstate MINIMIZED",
                             "notify SKYPEVERSION 2.2"})
        sim.Write(QString::fromLatin1(line));
    const QStringList expected = {
        "CALL 41 STATUS RINGING",     "CALL 42 STATUS ROUTING",   "CALL 42 STATUS RINGING",
        "CALL 41 STATUS INPROGRESS",  "CALL 41 STATUS REMOTEHOLD", "CALL 41 STATUS LOCALHOLD",
        "CALL 41 STATUS ONHOLD",      "CALL 41 STATUS INPROGRESS", "CALL 41 DURATION 5",
        "CALL 41 DTMF 7",             "CALL 41 STATUS FINISHED",  "CALL 42 STATUS MISSED",
        "USERSTATUS AWAY",            "CONNSTATUS LOGGEDOUT",     "WINDOWSTATE MINIMIZED",
        "SKYPEVERSION 2.2",
    };
    ASSERT_TRUE(WaitUntil([&] { return program->texts.size() >= expected.size(); }));
    EXPECT_EQ(program->texts, expected);
    EXPECT_EQ(Ask(QStringLiteral("get call 42 type")), QStringLiteral("CALL 42 TYPE OUTGOING_PSTN"));
    EXPECT_EQ(Ask(QStringLiteral("get userstatus")), QStringLiteral("USERSTATUS AWAY"));
}

// Collects everything one accepted connection sends.
struct Capture {
    QTcpServer server;
    std::vector<std::unique_ptr<QByteArray>> connections; // data per accepted connection
    std::vector<QTcpSocket*> sockets;

    Capture()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                connections.push_back(std::make_unique<QByteArray>());
                QByteArray* data = connections.back().get();
                sockets.push_back(socket);
                QObject::connect(socket, &QTcpSocket::readyRead, [socket, data] { data->append(socket->readAll()); });
            }
        });
    }
    quint16 Port() const { return server.serverPort(); }
    bool Closed(size_t i) const { return sockets[i]->state() == QAbstractSocket::UnconnectedState; }
};

// The tone's frequency from its rising zero crossings over the whole samples.
double Frequency(const QByteArray& pcm, int skipSamples)
{
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    const qsizetype count = pcm.size() / 2;
    int crossings = 0;
    qsizetype first = -1, last = -1;
    for (qsizetype i = skipSamples + 1; i < count; ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (first < 0)
                first = i;
            last = i;
            ++crossings;
        }
    }
    return crossings > 1 ? (crossings - 1) * 16000.0 / double(last - first) : 0;
}

int Peak(const QByteArray& pcm)
{
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    int peak = 0;
    for (qsizetype i = 0; i < pcm.size() / 2; ++i)
        peak = std::max(peak, std::abs(int(s[i])));
    return peak;
}

TEST_F(SkypeSimTest, AudioStreamsToBothRequestedPortsAndReconnects)
{
    Capture mic, output;
    ASSERT_TRUE(mic.server.isListening() && output.server.isListening());
    StartAttached({"--fast", "--own-tone", "500", "--remote-tone", "1250"});
    const QString micCommand = QStringLiteral("alter call 41 set_capture_mic port=\"%1\"").arg(mic.Port());
    const QString outputCommand =
        QStringLiteral("alter call 41 set_output soundcard=\"default\", port=\"%1\"").arg(output.Port());

    sim.Write(QStringLiteral("incoming 41 alice"));
    sim.Write(QStringLiteral("answer 41"));
    ASSERT_EQ(program->TextAt(1), QStringLiteral("CALL 41 STATUS INPROGRESS"));
    // One of the two commands is not enough.
    ASSERT_EQ(program->Send(micCommand), 1u);
    testenv::Pump(150);
    EXPECT_TRUE(mic.connections.empty());
    ASSERT_EQ(program->Send(outputCommand), 1u);
    ASSERT_TRUE(WaitUntil([&] {
        return mic.connections.size() == 1 && output.connections.size() == 1 && mic.connections[0]->size() >= 64000 &&
               output.connections[0]->size() >= 64000;
    }));
    EXPECT_NEAR(Frequency(*mic.connections[0], 0), 500.0, 5.0);
    EXPECT_NEAR(Frequency(*output.connections[0], 0), 1250.0, 12.0);
    EXPECT_NEAR(Peak(*mic.connections[0]), 8000, 10);

    // A dropped side connects again when the program asks again; the other side stays.
    const int mark = sim.LineCount();
    sim.Write(QStringLiteral("audio drop 41 own"));
    ASSERT_TRUE(WaitUntil([&] { return mic.Closed(0); }));
    ASSERT_GE(sim.WaitForMatch(QRegularExpression(QStringLiteral("^AUDIO stopped own %1 41 bytes=\\d+$").arg(mic.Port())), 5000, mark), 0);
    EXPECT_EQ(mic.connections[0]->size() % 320, 0);
    ASSERT_EQ(program->Send(micCommand), 1u);
    ASSERT_EQ(program->Send(outputCommand), 1u);
    ASSERT_TRUE(WaitUntil([&] { return mic.connections.size() == 2 && mic.connections[1]->size() >= 32000; }));
    EXPECT_EQ(output.connections.size(), 1u);
    EXPECT_FALSE(output.Closed(0));

    // The end of the call closes both; every connection carried whole 320-byte blocks.
    sim.Write(QStringLiteral("finish 41"));
    ASSERT_TRUE(WaitUntil([&] { return mic.Closed(1) && output.Closed(0); }));
    testenv::Pump(50);
    EXPECT_EQ(mic.connections[1]->size() % 320, 0);
    EXPECT_EQ(output.connections[0]->size() % 320, 0);
    EXPECT_NEAR(Frequency(*mic.connections[1], 0), 500.0, 5.0);
}

TEST_F(SkypeSimTest, StreamsAWavFileAtRealTimePace)
{
    // A WAV file of a rising ramp of 1600 samples (0.1 s), played in a loop.
    const QString wav = testenv::Root() + QStringLiteral("/ramp.wav");
    {
        QByteArray data;
        for (int i = 0; i < 1600; ++i) {
            const int16_t v = int16_t(i * 10 - 8000);
            data.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
        }
        auto le32 = [](quint32 v) {
            const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
            return QByteArray(b, 4);
        };
        auto le16 = [](quint16 v) {
            const char b[2] = {char(v), char(v >> 8)};
            return QByteArray(b, 2);
        };
        QByteArray file = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(16000) +
                          le32(32000) + le16(2) + le16(16) + "data" + le32(data.size()) + data;
        QFile out(wav);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    Capture mic, output;
    StartAttached({"--own-wav", wav, "--remote-tone", "0"});
    sim.Write(QStringLiteral("incoming 5 bob"));
    sim.Write(QStringLiteral("answer 5"));
    ASSERT_EQ(program->TextAt(1), QStringLiteral("CALL 5 STATUS INPROGRESS"));
    ASSERT_EQ(program->Send(QStringLiteral("alter call 5 set_capture_mic port=\"%1\"").arg(mic.Port())), 1u);
    ASSERT_EQ(program->Send(QStringLiteral("alter call 5 set_output soundcard=\"default\", port=\"%1\"").arg(output.Port())), 1u);
    ASSERT_TRUE(WaitUntil([&] { return !mic.connections.empty() && mic.connections[0]->size() >= 2 * 3300; }));
    const QByteArray& pcm = *mic.connections[0];
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    for (int i : {0, 1, 1599, 1600, 1601, 3200})
        EXPECT_EQ(s[i], int16_t((i % 1600) * 10 - 8000)) << i;
    ASSERT_FALSE(output.connections.empty());
    EXPECT_EQ(Peak(*output.connections[0]), 0);
    sim.Write(QStringLiteral("audio stop 5"));
    ASSERT_TRUE(WaitUntil([&] { return mic.Closed(0) && output.Closed(0); }));
}

TEST_F(SkypeSimTest, RunsAScenarioFile)
{
    const QString scenario = testenv::Root() + QStringLiteral("/call.scenario");
    const QString log = testenv::Root() + QStringLiteral("/skypesim.log");
    {
        QFile out(scenario);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("# a short call\n"
                  "waitfor attached\n"
                  "waitfor recv get connstatus\n"
                  "incoming 41 alice\n"
                  "wait 30\n"
                  "answer 41\n"
                  "\n"
                  "chatmsg 77 #alice/$me;1 alice hello there\n"
                  "finish 41\n"
                  "waitfor discover\n"
                  "notify DONE\n"
                  "quit\n");
    }
    ASSERT_TRUE(sim.Start({"--scenario", scenario, "--log", log}));
    program->Discover();
    ASSERT_TRUE(WaitUntil([&] { return !program->attaches.empty(); }));
    testenv::Pump(100);
    EXPECT_TRUE(program->texts.isEmpty()); // held by "waitfor recv"
    EXPECT_EQ(Ask(QStringLiteral("get connstatus")), QStringLiteral("CONNSTATUS ONLINE"));
    const QStringList call = {"CONNSTATUS ONLINE", "CALL 41 STATUS RINGING", "CALL 41 STATUS INPROGRESS",
                              "CHATMESSAGE 77 STATUS RECEIVED", "CALL 41 STATUS FINISHED"};
    ASSERT_TRUE(WaitUntil([&] { return program->texts.size() >= call.size(); }));
    testenv::Pump(100);
    EXPECT_EQ(program->texts, call); // held by "waitfor discover"
    program->Discover();
    ASSERT_TRUE(WaitUntil([&] { return !sim.IsRunning(); }));
    EXPECT_EQ(program->texts.value(call.size()), QStringLiteral("DONE"));
    EXPECT_EQ(sim.Stop(), 0);

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(logged.contains(QStringLiteral("RECV get connstatus\n")));
    EXPECT_TRUE(logged.contains(QStringLiteral("SENT CALL 41 STATUS FINISHED\n")));
    EXPECT_TRUE(logged.endsWith(QStringLiteral("QUIT\n")));
}

TEST_F(SkypeSimTest, EndsOnEndOfInputAndOnSigterm)
{
    // Without a scenario, the end of standard input ends skypesim.
    ASSERT_TRUE(sim.Start());
    sim.CloseInput();
    ASSERT_TRUE(WaitUntil([&] { return !sim.IsRunning(); }));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(sim.Lines().constLast(), QStringLiteral("QUIT"));

    // With one it keeps running (its scenario may be waiting) until SIGTERM.
    const QString scenario = testenv::Root() + QStringLiteral("/idle.scenario");
    {
        QFile out(scenario);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("notify nobody\n");
    }
    SkypeSimProcess second;
    ASSERT_TRUE(second.Start({"--scenario", scenario}));
    second.CloseInput();
    ASSERT_GE(second.WaitForLine(QStringLiteral("UNSENT nobody")), 0);
    testenv::Pump(150);
    ASSERT_TRUE(second.IsRunning());
    second.Terminate();
    ASSERT_TRUE(WaitUntil([&] { return !second.IsRunning(); }));
    EXPECT_EQ(second.Stop(), 0);
    EXPECT_EQ(second.Lines().constLast(), QStringLiteral("QUIT"));
}

} // namespace
