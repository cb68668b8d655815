#pragma once
// One TCP server that receives a call's audio from Skype: a listening socket on 127.0.0.1 and
// up to 62 connected clients in a table of 63 sockets, served one network event at a time by a
// receive thread.
//
// Poll waits (holding the table's mutex) for the next event; among sockets that are ready at
// once it takes them in turn, starting after the one served last, so one busy connection does
// not starve the others. CloseAll hands the table over from a waiting Poll: it closes the gate
// (no new Poll may enter), sets the wake-up that makes the waiting Poll return 0 and let go of
// the mutex, takes the mutex, opens the gate again and closes every socket. The receive thread
// then finds no socket and ends.
//
// TCP is a byte stream: each connection keeps the bytes of an incomplete 320-byte block until
// the rest arrives, and a read reports every block it completes, in order.
//
// Results are socket error numbers in the Winsock numbering (see AudioConstants.h), 0 for
// success.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/AudioConstants.h"
#include "platform/Event.h"

// The network events a Poll reports.
constexpr unsigned kNetEventRead = 0x01;
constexpr unsigned kNetEventAccept = 0x08;
constexpr unsigned kNetEventClose = 0x20;

struct PollResult {
    unsigned events = 0;     // kNetEvent* bits
    int socket = -1;         // the socket concerned (the new client on an accept)
    std::uint32_t peer = 0;  // its peer's IPv4 address, network byte order
    int bytes = 0;           // bytes received into the caller's buffer (read events)
    const std::uint8_t* blocks = nullptr; // the whole 320-byte blocks this read completed
    int blockBytes = 0;                   // a multiple of 320; valid until the next Poll
};

// What a receive thread does with what its server receives.
class IStreamReceiver {
public:
    virtual ~IStreamReceiver() = default;
    // One read of n bytes (0 when nothing could be read) and the whole blocks it completed.
    virtual void OnRead(const std::uint8_t* data, int n, const std::uint8_t* blocks, int blockBytes) = 0;
    // A client connection closed (by the peer, or reset).
    virtual void OnConnectionClosed() = 0;
    // The receive thread is about to end.
    virtual void OnReceiveThreadEnd() = 0;
};

class CStreamServer {
public:
    CStreamServer();
    ~CStreamServer();
    CStreamServer(const CStreamServer&) = delete;
    CStreamServer& operator=(const CStreamServer&) = delete;

    // Listens on address:port (address in network byte order, port 0 for any free port).
    // 10056 when the server already has sockets.
    int Listen(std::uint32_t address, std::uint16_t port);
    // Serves one network event. buffer must hold kReceiveBufferBytes; at most kMaxReceiveBytes
    // are read into it. 10057 when there is no socket.
    int Poll(std::uint8_t* buffer, PollResult& result);
    // Closes every socket, taking the table over from a waiting Poll. 10057 when there is none.
    int CloseAll();
    // The receive thread's loop: polls until its server has no socket or an error it cannot go
    // on from (then it closes every socket of the server itself).
    void ReceiveThread(IStreamReceiver& receiver);

    bool HasSockets() const { return m_count > 0; }
    int SocketCount() const { return m_count; }
    // The port the listening socket is bound to (0 when not listening).
    std::uint16_t LocalPort() const { return m_localPort; }

    // Socket error number for an errno value.
    static int ErrorFromErrno(int error);

private:
    struct Entry {
        int fd = -1;
        std::uint32_t peer = 0;
        int pendingBytes = 0;             // start of an incomplete block
        std::uint8_t pending[kChunkBytes];
    };

    int Accept(PollResult& result);
    int Receive(std::size_t i, std::uint8_t* buffer, PollResult& result);
    void Assemble(Entry& entry, const std::uint8_t* data, int n, PollResult& result);
    void Remove(std::size_t i);
    void RemoveAllLocked();
    void Wake();

    std::mutex m_mutex;      // held by whoever works on the table
    CEvent m_gate{true, true}; // manual reset, set: cleared while CloseAll takes the table
    int m_wakeFd = -1;       // eventfd: readable when a waiting Poll must return
    int m_wakeError = 0;
    std::vector<Entry> m_sockets; // the listening socket first, then the clients
    std::atomic<int> m_count{0};
    std::size_t m_next = 0;       // the poll slot served last
    std::atomic<std::uint16_t> m_localPort{0};
    std::uint8_t m_assembly[kChunkBytes * ((kChunkBytes - 1 + kMaxReceiveBytes) / kChunkBytes)];
};
