#include "AudioStreamer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "SimConstants.h"
#include "SimLog.h"

CAudioStreamer::CAudioStreamer(QString side, QString callId, std::uint16_t port, CPcmSource source, bool fast)
    : m_side(std::move(side)), m_callId(std::move(callId)), m_port(port), m_source(std::move(source)), m_fast(fast)
{
}

CAudioStreamer::~CAudioStreamer()
{
    Stop();
}

QString CAudioStreamer::Tag() const
{
    return QStringLiteral("%1 %2 %3").arg(m_side).arg(m_port).arg(m_callId);
}

void CAudioStreamer::Start()
{
    if (m_thread.joinable())
        return;
    m_running = true;
    m_thread = std::thread([this] { Run(); });
}

void CAudioStreamer::Stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool CAudioStreamer::StopRequested()
{
    std::lock_guard lock(m_lock);
    return m_stop;
}

bool CAudioStreamer::SendAll(const char* data, std::size_t size)
{
    // The socket does not block: a reader that stops reading cannot hold up Stop(). A block
    // that has begun is finished when the reader allows it within a short grace time, so the
    // reader sees whole blocks up to the end.
    using Clock = std::chrono::steady_clock;
    Clock::time_point giveUp = Clock::time_point::max();
    while (size > 0) {
        const ssize_t n = ::send(m_socket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= std::size_t(n);
            m_bytesSent += std::uint64_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (giveUp == Clock::time_point::max() && StopRequested())
            giveUp = Clock::now() + std::chrono::milliseconds(sim::kStopGraceMs);
        if (Clock::now() >= giveUp)
            return false;
        pollfd p{m_socket, POLLOUT, 0};
        ::poll(&p, 1, sim::kSendPollMs);
    }
    return true;
}

bool CAudioStreamer::PeerClosed()
{
    // The reader never sends anything; readable means it closed (or sent data we discard).
    pollfd p{m_socket, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    if (p.revents & (POLLHUP | POLLERR))
        return true;
    char scratch[256];
    const ssize_t n = ::recv(m_socket, scratch, sizeof scratch, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

void CAudioStreamer::Run()
{
    using Clock = std::chrono::steady_clock;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_socket = fd;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool stopped = StopRequested();
    if (fd < 0 || stopped || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        if (!stopped)
            SimLog("AUDIO", QStringLiteral("failed %1 %2").arg(Tag(), QString::fromLocal8Bit(std::strerror(error))));
    } else {
        m_connected = true;
        SimLog("AUDIO", QStringLiteral("connected %1").arg(Tag()));
        char block[sim::kBlockBytes];
        int16_t samples[sim::kBlockSamples];
        auto due = Clock::now();
        const char* end = "stopped";
        for (;;) {
            if (PeerClosed()) {
                end = "closed";
                break;
            }
            m_source.Fill(samples, sim::kBlockSamples);
            for (int i = 0; i < sim::kBlockSamples; ++i) {
                const auto u = static_cast<std::uint16_t>(samples[i]);
                block[2 * i] = char(u & 0xff);
                block[2 * i + 1] = char(u >> 8);
            }
            if (!SendAll(block, sizeof block)) {
                end = StopRequested() ? "stopped" : "closed";
                break;
            }
            std::unique_lock lock(m_lock);
            if (m_stop)
                break;
            if (!m_fast) {
                // A fixed schedule: each block is due 10 ms after the previous one was due, so
                // sleeping late never adds up. Far behind (a reader that stalled), start anew.
                due += std::chrono::milliseconds(sim::kBlockMs);
                const auto now = Clock::now();
                if (now - due > std::chrono::milliseconds(sim::kMaxLagMs))
                    due = now;
                if (m_wake.wait_until(lock, due, [this] { return m_stop; }))
                    break;
            }
        }
        m_connected = false;
        SimLog("AUDIO", QStringLiteral("%1 %2 bytes=%3").arg(QLatin1String(end), Tag()).arg(m_bytesSent.load()));
    }
    m_socket = -1;
    if (fd >= 0)
        ::close(fd);
    m_running = false;
}
