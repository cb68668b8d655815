#include "audio/StreamServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Errors of accept() that only mean this one connection went away before it was taken.
bool AcceptMayGoOn(int error)
{
    switch (error) {
    case EAGAIN:
    case EINTR:
    case ECONNABORTED:
    case EPROTO:
    case ENETDOWN:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EPERM:
        return true;
    default:
        return false;
    }
}

int SocketError(int fd)
{
    int error = 0;
    socklen_t len = sizeof(error);
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
        return errno;
    return error;
}

} // namespace

int CStreamServer::ErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return 0;
    case EINTR:
        return kSockErrorInterrupted;
    case EBADF:
        return kSockErrorBadHandle;
    case EACCES:
    case EPERM:
        return kSockErrorAccess;
    case EFAULT:
        return kSockErrorFault;
    case EINVAL:
        return kSockErrorInvalid;
    case EMFILE:
    case ENFILE:
        return kSockErrorTooManyOpen;
    case EAGAIN:
        return kSockErrorWouldBlock;
    case ENOTSOCK:
        return kSockErrorNotSocket;
    case EADDRINUSE:
        return kSockErrorAddressInUse;
    case EADDRNOTAVAIL:
        return kSockErrorAddressNotAvailable;
    case ENETDOWN:
        return kSockErrorNetDown;
    case ENETUNREACH:
        return kSockErrorNetUnreachable;
    case ECONNABORTED:
    case EPIPE:
        return kSockErrorConnectionAborted;
    case ECONNRESET:
        return kSockErrorConnectionReset;
    case ENOBUFS:
    case ENOMEM:
        return kSockErrorNoBuffers;
    case EISCONN:
        return kSockErrorAlreadyConnected;
    case ENOTCONN:
        return kSockErrorNotConnected;
    case ESHUTDOWN:
        return kSockErrorShutdown;
    case ETIMEDOUT:
        return kSockErrorTimedOut;
    case ECONNREFUSED:
        return kSockErrorRefused;
    case EHOSTUNREACH:
        return kSockErrorHostUnreachable;
    default:
        // Outside the socket numbering: the receive thread does not go on after it.
        return 20000 + error;
    }
}

CStreamServer::CStreamServer()
{
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0)
        m_wakeError = errno;
    m_sockets.reserve(kMaxSockets);
}

CStreamServer::~CStreamServer()
{
    {
        std::lock_guard lock(m_mutex);
        RemoveAllLocked();
    }
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

int CStreamServer::Listen(std::uint32_t address, std::uint16_t port)
{
    std::lock_guard lock(m_mutex);
    if (!m_sockets.empty())
        return kSockErrorAlreadyConnected;

    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return ErrorFromErrno(errno);
    // Lets a restarted Kestrel listen again at once; Linux still refuses a second listener.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    Entry listening;
    listening.fd = fd;
    m_sockets.push_back(listening);
    m_count = 1;

    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    sa.sin_addr.s_addr = address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) != 0
        || listen(fd, kListenBacklog) != 0) {
        const int error = ErrorFromErrno(errno);
        RemoveAllLocked();
        return error;
    }
    socklen_t len = sizeof(sa);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len) == 0)
        m_localPort = ntohs(sa.sin_port);
    m_next = 0;
    return 0;
}

void CStreamServer::Wake()
{
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(m_wakeFd, &one, sizeof(one));
    }
}

int CStreamServer::Poll(std::uint8_t* buffer, PollResult& result)
{
    result = PollResult{};
    if (m_wakeFd < 0)
        return m_wakeError ? m_wakeError : EBADF;

    m_gate.Wait();
    std::unique_lock lock(m_mutex);
    if (m_sockets.empty())
        return kSockErrorNotConnected;

    // Slot 0 is the wake-up; slot i + 1 is socket i.
    pollfd fds[kMaxSockets + 1];
    const std::size_t slots = m_sockets.size() + 1;
    fds[0] = {m_wakeFd, POLLIN, 0};
    for (std::size_t i = 0; i < m_sockets.size(); ++i)
        fds[i + 1] = {m_sockets[i].fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(fds, slots, -1);
        if (ready > 0)
            break;
        if (ready < 0 && errno != EINTR)
            return ErrorFromErrno(errno);
    }

    // The first ready slot after the one served last, wrapping round.
    std::size_t slot = 0;
    for (std::size_t step = 1; step <= slots; ++step) {
        const std::size_t s = (m_next + step) % slots;
        if (fds[s].revents != 0) {
            slot = s;
            break;
        }
    }
    m_next = slot;

    if (slot == 0) {
        std::uint64_t value;
        [[maybe_unused]] ssize_t n = read(m_wakeFd, &value, sizeof(value));
        return 0;
    }

    const std::size_t i = slot - 1;
    if (fds[slot].revents & POLLNVAL) {
        Remove(i);
        return kSockErrorNotSocket;
    }
    if (i == 0) {
        if (fds[slot].revents & POLLERR) {
            result.events = kNetEventAccept;
            const int error = SocketError(m_sockets[0].fd);
            return error ? ErrorFromErrno(error) : 0;
        }
        return Accept(result);
    }
    return Receive(i, buffer, result);
}

int CStreamServer::Accept(PollResult& result)
{
    result.events = kNetEventAccept;
    sockaddr_in peer{};
    socklen_t len = sizeof(peer);
    const int fd = accept4(m_sockets[0].fd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EAGAIN || error == EINTR)
            return 0;
        return AcceptMayGoOn(error) ? kSockErrorConnectionAborted : ErrorFromErrno(error);
    }
    if (static_cast<int>(m_sockets.size()) > kMaxClients) {
        // The table is full: refuse with a reset rather than an orderly close.
        const linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof(reset));
        close(fd);
        return kSockErrorRefused;
    }
    Entry client;
    client.fd = fd;
    client.peer = peer.sin_addr.s_addr;
    m_sockets.push_back(client);
    m_count = static_cast<int>(m_sockets.size());
    result.socket = fd;
    result.peer = client.peer;
    return 0;
}

int CStreamServer::Receive(std::size_t i, std::uint8_t* buffer, PollResult& result)
{
    Entry& entry = m_sockets[i];
    result.socket = entry.fd;
    result.peer = entry.peer;
    const ssize_t n = recv(entry.fd, buffer, kMaxReceiveBytes, 0);
    if (n > 0) {
        result.events = kNetEventRead;
        result.bytes = static_cast<int>(n);
        Assemble(entry, buffer, result.bytes, result);
        return 0;
    }
    if (n == 0) {
        // The peer closed the connection; the bytes of an incomplete block go with it.
        result.events = kNetEventClose;
        Remove(i);
        return 0;
    }
    const int error = errno;
    if (error == EAGAIN || error == EINTR) {
        result.events = kNetEventRead;
        return 0;
    }
    result.events = kNetEventClose;
    Remove(i);
    return ErrorFromErrno(error);
}

void CStreamServer::Assemble(Entry& entry, const std::uint8_t* data, int n, PollResult& result)
{
    if (entry.pendingBytes == 0) {
        // In step with the stream: the whole blocks are in the caller's buffer already.
        const int whole = n - n % kChunkBytes;
        result.blocks = data;
        result.blockBytes = whole;
        std::memcpy(entry.pending, data + whole, n - whole);
        entry.pendingBytes = n - whole;
        return;
    }
    const int need = kChunkBytes - entry.pendingBytes;
    if (n < need) {
        std::memcpy(entry.pending + entry.pendingBytes, data, n);
        entry.pendingBytes += n;
        return;
    }
    std::memcpy(m_assembly, entry.pending, entry.pendingBytes);
    std::memcpy(m_assembly + entry.pendingBytes, data, need);
    const int rest = n - need;
    const int whole = rest - rest % kChunkBytes;
    std::memcpy(m_assembly + kChunkBytes, data + need, whole);
    std::memcpy(entry.pending, data + need + whole, rest - whole);
    entry.pendingBytes = rest - whole;
    result.blocks = m_assembly;
    result.blockBytes = kChunkBytes + whole;
}

void CStreamServer::Remove(std::size_t i)
{
    const int fd = m_sockets[i].fd;
    shutdown(fd, SHUT_RDWR);
    close(fd);
    m_sockets.erase(m_sockets.begin() + static_cast<std::ptrdiff_t>(i));
    m_count = static_cast<int>(m_sockets.size());
    if (i == 0)
        m_localPort = 0;
}

void CStreamServer::RemoveAllLocked()
{
    while (!m_sockets.empty())
        Remove(m_sockets.size() - 1);
}

int CStreamServer::CloseAll()
{
    if (m_count == 0)
        return kSockErrorNotConnected;
    m_gate.Reset();
    Wake();
    std::lock_guard lock(m_mutex);
    m_gate.Set();
    if (m_sockets.empty())
        return kSockErrorNotConnected;
    RemoveAllLocked();
    return 0;
}

void CStreamServer::ReceiveThread(IStreamReceiver& receiver)
{
    std::uint8_t buffer[kReceiveBufferBytes];
    for (;;) {
        PollResult r;
        const int result = Poll(buffer, r);
        if (result == kErrorTimeout)
            continue;
        if (r.events & kNetEventClose)
            receiver.OnConnectionClosed();
        if (r.events & kNetEventRead)
            receiver.OnRead(buffer, r.bytes, r.blocks, r.blockBytes);
        if (result == 0 || result == kSockErrorConnectionAborted || result == kSockErrorConnectionReset
            || result == kSockErrorRefused)
            continue;
        if (HasSockets())
            CloseAll();
        break;
    }
    receiver.OnReceiveThreadEnd();
}
