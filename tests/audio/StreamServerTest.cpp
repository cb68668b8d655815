#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioConstants.h"
#include "audio/StreamServer.h"
#include "audio/TcpClient.h"
#include "support/TestEnv.h"

using namespace audiotest;

namespace {

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Collects what a receive thread hands over.
class Collector : public IStreamReceiver {
public:
    void OnRead(const std::uint8_t* data, int n, const std::uint8_t* blocks, int blockBytes) override
    {
        std::lock_guard lock(m_lock);
        reads.push_back(n);
        received += n;
        stream.insert(stream.end(), blocks, blocks + blockBytes);
    }
    void OnConnectionClosed() override { ++closed; }
    void OnReceiveThreadEnd() override { ended = true; }

    std::size_t Received()
    {
        std::lock_guard lock(m_lock);
        return received;
    }
    std::vector<std::uint8_t> Stream()
    {
        std::lock_guard lock(m_lock);
        return stream;
    }
    std::vector<int> Reads()
    {
        std::lock_guard lock(m_lock);
        return reads;
    }

    std::atomic<int> closed{0};
    std::atomic<bool> ended{false};

private:
    std::mutex m_lock;
    std::vector<int> reads;
    std::size_t received = 0;
    std::vector<std::uint8_t> stream;
};

// A byte stream in which a shift by one byte shows; the top bit tells the two streams apart.
std::vector<std::uint8_t> Pattern(std::size_t n, bool high)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(((i * 7 + i / 251) & 0x7F) | (high ? 0x80 : 0));
    return v;
}

// A server with its receive thread running a Collector.
struct RunningServer {
    RunningServer()
    {
        EXPECT_EQ(server.Listen(kLoopback, 0), 0);
        port = server.LocalPort();
        thread = std::thread([this] { server.ReceiveThread(collector); });
    }
    ~RunningServer()
    {
        server.CloseAll();
        thread.join();
    }
    CStreamServer server;
    Collector collector;
    std::uint16_t port = 0;
    std::thread thread;
};

} // namespace

// Reads of any size are put together into the stream's 320-byte blocks exactly, in order, with
// nothing dropped and nothing shifted; each connection keeps its own incomplete block.
TEST(StreamServer, ReassemblesBlocksAcrossReads)
{
    RunningServer s;
    TcpClient a(s.port), b(s.port);
    ASSERT_TRUE(a.Connected() && b.Connected());
    ASSERT_TRUE(testenv::WaitUntil([&] { return s.server.SocketCount() == 3; }));

    const std::vector<int> sizes = {1, 319, 321, 1000, 1022, 320, 640, 960, 7, 313, 1022, 1022, 1};
    std::size_t total = 0;
    for (int n : sizes)
        total += n;
    const auto streamA = Pattern(total, false);
    const auto streamB = Pattern(total, true);
    std::size_t at = 0, atB = 0, expected = 0;
    for (int n : sizes) {
        // Each piece goes out after the previous one was read, so every read is one piece; the
        // other connection's bytes land in between.
        ASSERT_TRUE(a.Send(streamA.data() + at, n));
        expected += n;
        ASSERT_TRUE(testenv::WaitUntil([&] { return s.collector.Received() == expected; }));
        ASSERT_TRUE(b.Send(streamB.data() + atB, 100));
        atB += 100;
        expected += 100;
        ASSERT_TRUE(testenv::WaitUntil([&] { return s.collector.Received() == expected; }));
        at += n;
    }
    std::vector<int> reads = s.collector.Reads();
    std::vector<int> readsOfA;
    for (std::size_t i = 0; i < reads.size(); i += 2)
        readsOfA.push_back(reads[i]);
    EXPECT_EQ(readsOfA, sizes);

    // A's blocks are whole slices of A's stream, B's of B's (B sent 100 bytes at a time).
    const auto got = s.collector.Stream();
    ASSERT_EQ(got.size() % kChunkBytes, 0u);
    std::vector<std::uint8_t> gotA, gotB;
    const std::size_t blocksB = (100 * sizes.size()) / kChunkBytes;
    for (std::size_t off = 0; off < got.size(); off += kChunkBytes) {
        const bool fromB = got[off] & 0x80;
        auto& into = fromB ? gotB : gotA;
        into.insert(into.end(), got.begin() + off, got.begin() + off + kChunkBytes);
    }
    EXPECT_EQ(gotB.size(), blocksB * kChunkBytes);
    EXPECT_TRUE(std::equal(gotB.begin(), gotB.end(), streamB.begin()));
    EXPECT_EQ(gotA.size(), total / kChunkBytes * kChunkBytes);
    EXPECT_TRUE(std::equal(gotA.begin(), gotA.end(), streamA.begin()));
}

// 62 clients are served; the 63rd is refused while the others go on; a client that resets is
// removed and the rest are still served; an orderly close is reported too.
TEST(StreamServer, TableLimitResetsAndCloses)
{
    RunningServer s;
    std::vector<std::unique_ptr<TcpClient>> clients;
    for (int i = 0; i < kMaxClients; ++i) {
        clients.push_back(std::make_unique<TcpClient>(s.port));
        ASSERT_TRUE(clients.back()->Connected());
    }
    ASSERT_TRUE(testenv::WaitUntil([&] { return s.server.SocketCount() == kMaxSockets; }));

    TcpClient extra(s.port); // the kernel completes the handshake; the server then refuses it
    EXPECT_TRUE(extra.ClosedByServer(5000));
    EXPECT_EQ(s.server.SocketCount(), kMaxSockets);
    EXPECT_FALSE(s.collector.ended);

    std::vector<std::uint8_t> block(kChunkBytes, 0x5A);
    for (auto& c : clients)
        ASSERT_TRUE(c->Send(block));
    EXPECT_TRUE(testenv::WaitUntil([&] { return s.collector.Stream().size() == kMaxClients * kChunkBytes; }));

    clients[10]->Reset();
    ASSERT_TRUE(testenv::WaitUntil([&] { return s.server.SocketCount() == kMaxSockets - 1; }));
    EXPECT_EQ(s.collector.closed, 1);
    clients[20]->Close();
    ASSERT_TRUE(testenv::WaitUntil([&] { return s.server.SocketCount() == kMaxSockets - 2; }));
    EXPECT_EQ(s.collector.closed, 2);

    // Room again: a new client is taken, and everyone left is still served.
    TcpClient late(s.port);
    ASSERT_TRUE(testenv::WaitUntil([&] { return s.server.SocketCount() == kMaxSockets - 1; }));
    ASSERT_TRUE(late.Send(block));
    ASSERT_TRUE(clients[0]->Send(block));
    EXPECT_TRUE(testenv::WaitUntil([&] { return s.collector.Stream().size() == (kMaxClients + 2) * kChunkBytes; }));
    EXPECT_FALSE(s.collector.ended);
}

// Driving Poll by hand: accept, the rotating choice among ready sockets, the error numbers.
TEST(StreamServer, PollServesReadySocketsInTurn)
{
    CStreamServer server;
    std::uint8_t buffer[kReceiveBufferBytes];
    PollResult r;
    EXPECT_EQ(server.Poll(buffer, r), kSockErrorNotConnected);
    EXPECT_EQ(server.CloseAll(), kSockErrorNotConnected);
    ASSERT_EQ(server.Listen(kLoopback, 0), 0);
    EXPECT_EQ(server.Listen(kLoopback, 0), kSockErrorAlreadyConnected);

    TcpClient busy(server.LocalPort()), quiet(server.LocalPort());
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(server.Poll(buffer, r), 0);
        EXPECT_EQ(r.events, kNetEventAccept);
        EXPECT_EQ(r.peer, htonl(INADDR_LOOPBACK));
    }
    ASSERT_EQ(server.SocketCount(), 3);

    // The busy client has five reads waiting, the quiet one a single block: the quiet one is
    // served second, not after the busy one has been drained.
    std::vector<std::uint8_t> lots(5 * kMaxReceiveBytes, 1), one(kChunkBytes, 2);
    ASSERT_TRUE(busy.Send(lots));
    ASSERT_TRUE(quiet.Send(one));
    testenv::Pump(50);
    std::vector<std::uint8_t> firstBytes;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(server.Poll(buffer, r), 0);
        EXPECT_EQ(r.events, kNetEventRead);
        firstBytes.push_back(buffer[0]);
    }
    EXPECT_EQ(firstBytes, (std::vector<std::uint8_t>{1, 2}));

    // A reset is reported as a close with 10054 and the socket is gone; the thread goes on.
    quiet.Reset();
    int result = 0;
    for (int i = 0; i < 10 && !(r.events & kNetEventClose); ++i)
        result = server.Poll(buffer, r);
    EXPECT_EQ(r.events, kNetEventClose);
    EXPECT_EQ(result, kSockErrorConnectionReset);
    EXPECT_EQ(server.SocketCount(), 2);

    // A Poll waiting with nothing ready returns 0 when CloseAll takes the table, and the next one
    // finds no socket.
    CStreamServer idle;
    ASSERT_EQ(idle.Listen(kLoopback, 0), 0);
    std::atomic<int> first{-1}, second{-1};
    std::thread poller([&] {
        std::uint8_t b[kReceiveBufferBytes];
        PollResult pr;
        first = idle.Poll(b, pr);
        second = idle.Poll(b, pr);
    });
    testenv::Pump(50);
    EXPECT_EQ(idle.CloseAll(), 0);
    poller.join();
    // 0 from the wake-up; 10057 only if the poller had not even started waiting yet.
    EXPECT_TRUE(first == 0 || first == kSockErrorNotConnected) << first;
    EXPECT_EQ(second, kSockErrorNotConnected);
    EXPECT_FALSE(idle.HasSockets());
}

// The receive thread ends when its server is closed, and a port held by someone else is an error.
TEST(StreamServer, CloseAllEndsTheReceiveThreadAndPortsInUseFail)
{
    auto s = std::make_unique<RunningServer>();
    TcpClient c(s->port);
    ASSERT_TRUE(testenv::WaitUntil([&] { return s->server.SocketCount() == 2; }));
    CStreamServer other;
    EXPECT_EQ(other.Listen(kLoopback, s->port), kSockErrorAddressInUse);
    EXPECT_FALSE(other.HasSockets());
    EXPECT_EQ(s->server.CloseAll(), 0);
    ASSERT_TRUE(testenv::WaitUntil([&] { return s->collector.ended.load(); }));
    EXPECT_TRUE(c.ClosedByServer(2000));
    s.reset();
}

TEST(StreamServer, MapsErrnoToSocketErrors)
{
    struct Case {
        int error, expected;
    };
    for (const Case c : {Case{ECONNRESET, 10054}, Case{ECONNABORTED, 10053}, Case{ECONNREFUSED, 10061},
                         Case{EAGAIN, 10035}, Case{ENOTCONN, 10057}, Case{EADDRINUSE, 10048},
                         Case{EISCONN, 10056}, Case{EACCES, 10013}, Case{EIO, 20000 + EIO}})
        EXPECT_EQ(CStreamServer::ErrorFromErrno(c.error), c.expected) << c.error;
}
