#pragma once
// One side of a call's audio: connects to 127.0.0.1 on the port a program asked for and
// streams 16 kHz mono 16-bit little-endian PCM in 320-byte blocks, every 10 ms on a fixed
// schedule (so the pace does not drift) or as fast as the reader takes it. Runs on its own
// thread from Start() until Stop(), the peer closing the connection, or an error.
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "PcmSource.h"

class CAudioStreamer {
public:
    // side: "own" or "remote", used in the log lines with the port and the call id.
    CAudioStreamer(QString side, QString callId, std::uint16_t port, CPcmSource source, bool fast);
    ~CAudioStreamer();
    CAudioStreamer(const CAudioStreamer&) = delete;
    CAudioStreamer& operator=(const CAudioStreamer&) = delete;

    void Start();
    // Closes the connection and joins the thread; logs "AUDIO stopped ...".
    void Stop();
    // True from Start() until the thread has ended (by itself or by Stop()).
    bool IsRunning() const { return m_running; }
    // True while the connection is open.
    bool IsConnected() const { return m_connected; }
    std::uint16_t Port() const { return m_port; }
    std::uint64_t BytesSent() const { return m_bytesSent; }

private:
    void Run();
    bool SendAll(const char* data, std::size_t size);
    bool StopRequested();
    bool PeerClosed();
    QString Tag() const;

    const QString m_side;
    const QString m_callId;
    const std::uint16_t m_port;
    CPcmSource m_source; // used by the thread only
    const bool m_fast;

    std::thread m_thread;
    std::mutex m_lock; // guards m_stop
    std::condition_variable m_wake;
    bool m_stop = false;
    int m_socket = -1; // used by the thread only
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_connected{false};
    std::atomic<std::uint64_t> m_bytesSent{0};
};
