#pragma once
// The capture object: the two stream servers Skype sends a call's audio to (own side, the
// user's microphone, on 38377; remote side, Skype's sound output, on 38376), their receive
// threads, the recording state that decides whether received audio is queued, and the mixer
// that turns it into the recording's MP3 file.
//
// Life of the object (user-interface thread):
//   CAudioCapture::Instance() -> SetNotifyWindow(main window) -> StartServers()
//   ... recordings ...
//   CAudioCapture::Release() (shuts down: servers closed, threads joined, mixer destroyed)
//
// One recording, as the recording controller drives it:
//   StartRecording(path without extension, output rate, bit rate, mode)  -- opens path + ".mp3"
//   SetSide(recside)                   -- here and in the mixer, before any chunk is queued
//   SetRecordingState(Recording)       -- from now on received blocks are queued
//   SetRecordingState(Paused / Resumed) -- pause drops the call's audio until resumed
//   StopRecording()                    -- the mixer writes what is queued, the file is closed,
//                                         the state becomes Stopped
//   AbortRecording()                   -- at program exit: the mixer ends at once; the file is
//                                         closed when the mixer is destroyed
//
// Each receive thread posts WM_LEVEL_OWN / WM_LEVEL_REMOTE (wParam 0..512) to the notify window
// on every sixth read, and asks the Skype link to request the call's audio again whenever one
// of its connections closes.
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "audio/AudioConstants.h"
#include "audio/AudioMixer.h"
#include "audio/LevelMeter.h"
#include "audio/StreamServer.h"
#include "platform/MessageWindow.h"

struct CaptureConfig {
    std::uint16_t ownPort = kOwnSidePort;       // 0: any free port (tests)
    std::uint16_t remotePort = kRemoteSidePort; // 0: any free port (tests)
    QString address = QString::fromLatin1(kListenAddress);
};

class CAudioCapture {
public:
    // The process's capture object, created on first request with the default ports; it gets
    // the process's mixer (CAudioMixer::Instance). Release shuts it down and frees it.
    static CAudioCapture* Instance();
    static void Release();

    explicit CAudioCapture(const CaptureConfig& config = {});
    ~CAudioCapture();
    CAudioCapture(const CAudioCapture&) = delete;
    CAudioCapture& operator=(const CAudioCapture&) = delete;

    // Receives the level messages; set right after construction, before StartServers.
    void SetNotifyWindow(HWND window) { m_notifyWindow = window; }
    HWND NotifyWindow() const { return m_notifyWindow; }

    // Starts the own-side server, then the remote-side server. A port that cannot be opened is
    // reported in a message box naming it; the other server still starts.
    void StartServers();
    bool StartOwnServer();
    bool StartRemoteServer();

    // Starts the recording's MP3 output at path + ".mp3" (mode 0 mono, 1 stereo, 2 joint
    // stereo; output rate in Hz, 0 lets the encoder choose; bit rate in kbps). Does nothing
    // (false) while a recording is Recording, Paused or Resumed. A path that does not fit
    // kMaxRecordingPath units with ".mp3" and its terminator is refused (false, last error
    // kErrorPathTooLong), never cut. False also when the mixer cannot start (see CAudioMixer).
    bool StartRecording(const QString& pathWithoutExtension, std::uint32_t outRate, std::uint32_t kbps, int mode);
    // Ends the recording: the mixer drains and closes the file, then the state becomes Stopped.
    void StopRecording();
    // Ends the mixer thread at once, leaving what is queued unwritten (the exit path).
    void AbortRecording();

    void SetRecordingState(RecordingState state) { m_state = state; }
    RecordingState GetRecordingState() const { return m_state; }
    // 0 both sides, 1 own side only, 2 remote side only; also set in the mixer.
    void SetSide(int side);
    int Side() const { return m_side; }

    // Closes both servers, joins their receive threads and destroys the mixer (closing an open
    // file). Called by Release and the destructor; later calls do nothing.
    void Shutdown();

    // Called by a receive thread when a connection closes. The default asks the Skype link to
    // request the call's audio again. Set it before StartServers.
    void SetRerequestAudioHook(std::function<void()> hook);

    CAudioMixer* Mixer() const { return m_mixer; }
    CStreamServer& OwnServer() { return m_own.server; }
    CStreamServer& RemoteServer() { return m_remote.server; }
    bool OwnServerStarted() const { return m_own.started; }
    bool RemoteServerStarted() const { return m_remote.started; }
    // True while the side's receive thread runs.
    bool OwnThreadRunning() const { return m_own.threadRunning; }
    bool RemoteThreadRunning() const { return m_remote.threadRunning; }
    // Whole 320-byte blocks each side has received since construction, queued or not.
    std::uint64_t OwnBlocksReceived() const { return m_own.blocksReceived.load(std::memory_order_relaxed); }
    std::uint64_t RemoteBlocksReceived() const { return m_remote.blocksReceived.load(std::memory_order_relaxed); }
    // The ports the servers listen on (0 when not listening).
    std::uint16_t OwnPort() const { return m_own.server.LocalPort(); }
    std::uint16_t RemotePort() const { return m_remote.server.LocalPort(); }

private:
    // One side: its server, receive thread and level meter.
    class SideReceiver : public IStreamReceiver {
    public:
        SideReceiver(CAudioCapture& owner, bool own, std::uint16_t port);
        void OnRead(const std::uint8_t* data, int n, const std::uint8_t* blocks, int blockBytes) override;
        void OnConnectionClosed() override;
        void OnReceiveThreadEnd() override;

        CAudioCapture& owner;
        const bool own;
        const std::uint16_t port;
        CStreamServer server;
        std::thread thread;
        std::atomic<bool> started{false};
        std::atomic<bool> threadRunning{false};
        CLevelMeter meter; // receive thread only
        std::atomic<std::uint64_t> blocksReceived{0};
    };

    bool StartServer(SideReceiver& side);
    void StopServer(SideReceiver& side);
    bool Queueing(bool own) const;

    std::uint32_t m_address = 0; // network byte order
    SideReceiver m_own;
    SideReceiver m_remote;
    std::atomic<RecordingState> m_state{RecordingState::Idle};
    std::atomic<int> m_side{kSideBoth};
    std::atomic<HWND> m_notifyWindow{kNoWindow};
    CAudioMixer* m_mixer = nullptr;
    bool m_shutDown = false;
    std::mutex m_hookLock;
    std::function<void()> m_rerequestAudio;
};
