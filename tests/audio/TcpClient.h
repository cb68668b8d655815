#pragma once
// A small blocking TCP client on 127.0.0.1 for the stream-server tests.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace audiotest {

class TcpClient {
public:
    explicit TcpClient(std::uint16_t port)
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) == 0;
    }
    ~TcpClient() { Close(); }
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    bool Connected() const { return m_connected; }
    bool Send(const void* data, std::size_t n)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        while (n > 0) {
            const ssize_t w = send(m_fd, p, n, MSG_NOSIGNAL);
            if (w <= 0)
                return false;
            p += w;
            n -= static_cast<std::size_t>(w);
        }
        return true;
    }
    bool Send(const std::vector<std::uint8_t>& v) { return Send(v.data(), v.size()); }
    // True when the server has closed or reset this connection (waits up to ms).
    bool ClosedByServer(int ms)
    {
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
        std::uint8_t b;
        const ssize_t r = recv(m_fd, &b, 1, 0);
        return r == 0 || (r < 0 && (errno == ECONNRESET || errno == EPIPE));
    }
    void Close()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }
    // Closes with a reset instead of an orderly shutdown.
    void Reset()
    {
        const linger l{1, 0};
        setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof(l));
        Close();
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

} // namespace audiotest
