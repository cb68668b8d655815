#include "audio/AudioCapture.h"

#include <arpa/inet.h>

#include "platform/LastError.h"
#include "platform/MessageBox.h"
#include "skype/SkypeLink.h"

namespace {
std::mutex g_instanceLock;
CAudioCapture* g_instance = nullptr;
} // namespace

CAudioCapture* CAudioCapture::Instance()
{
    std::lock_guard lock(g_instanceLock);
    if (!g_instance)
        g_instance = new CAudioCapture();
    return g_instance;
}

void CAudioCapture::Release()
{
    CAudioCapture* capture;
    {
        std::lock_guard lock(g_instanceLock);
        capture = g_instance;
        g_instance = nullptr;
    }
    delete capture;
}

CAudioCapture::SideReceiver::SideReceiver(CAudioCapture& owner, bool own, std::uint16_t port)
    : owner(owner), own(own), port(port)
{
}

CAudioCapture::CAudioCapture(const CaptureConfig& config)
    : m_own(*this, true, config.ownPort),
      m_remote(*this, false, config.remotePort),
      m_mixer(CAudioMixer::Instance()),
      m_rerequestAudio([] { CSkypeLink::Instance()->RerequestAudio(); })
{
    in_addr address{};
    if (inet_pton(AF_INET, config.address.toLatin1().constData(), &address) == 1)
        m_address = address.s_addr;
    else
        m_address = htonl(INADDR_LOOPBACK);
}

CAudioCapture::~CAudioCapture()
{
    Shutdown();
}

void CAudioCapture::SetRerequestAudioHook(std::function<void()> hook)
{
    std::lock_guard lock(m_hookLock);
    m_rerequestAudio = std::move(hook);
}

void CAudioCapture::StartServers()
{
    StartOwnServer();
    StartRemoteServer();
}

bool CAudioCapture::StartOwnServer() { return StartServer(m_own); }
bool CAudioCapture::StartRemoteServer() { return StartServer(m_remote); }

bool CAudioCapture::StartServer(SideReceiver& side)
{
    if (m_shutDown)
        return false;
    CStreamServer& server = side.server;
    if (side.started) {
        // A restart: the old receive thread is woken by the close and ends; wait for it.
        if (server.HasSockets())
            server.CloseAll();
        if (side.thread.joinable())
            side.thread.join();
        side.started = false;
    }
    if (server.HasSockets())
        return false;
    if (side.thread.joinable())
        side.thread.join();

    if (server.Listen(m_address, side.port) != 0) {
        MessageBox(kNoWindow, QString::fromUtf8(kPortFailedText).arg(side.port), QString::fromUtf8(kPortFailedCaption),
                   MB_OK | MB_ICONINFORMATION);
        if (server.HasSockets())
            server.CloseAll();
        return false;
    }
    side.threadRunning = true;
    try {
        side.thread = std::thread([&side] { side.server.ReceiveThread(side); });
    } catch (const std::system_error&) {
        side.threadRunning = false;
        server.CloseAll();
        return false;
    }
    side.started = true;
    return true;
}

void CAudioCapture::StopServer(SideReceiver& side)
{
    if (side.server.HasSockets())
        side.server.CloseAll();
    if (side.thread.joinable())
        side.thread.join();
    side.started = false;
}

bool CAudioCapture::StartRecording(const QString& pathWithoutExtension, std::uint32_t outRate, std::uint32_t kbps,
                                   int mode)
{
    const RecordingState state = m_state;
    if (state == RecordingState::Recording || state == RecordingState::Paused || state == RecordingState::Resumed)
        return false;
    if (!m_mixer)
        return false;
    QString path;
    if (!pathWithoutExtension.isNull()) {
        path = pathWithoutExtension + QString::fromLatin1(kMp3Extension);
        if (path.size() + 1 > kMaxRecordingPath) {
            SetLastError(kErrorPathTooLong);
            return false;
        }
    }
    return m_mixer->Start(path, mode, outRate, kbps);
}

void CAudioCapture::StopRecording()
{
    if (m_mixer)
        m_mixer->Stop();
    m_state = RecordingState::Stopped;
}

void CAudioCapture::AbortRecording()
{
    if (m_mixer)
        m_mixer->Abort();
}

void CAudioCapture::SetSide(int side)
{
    m_side = side;
    if (m_mixer)
        m_mixer->SetSide(side);
}

void CAudioCapture::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    // Close both servers first: each receive thread ends by itself; wait for both before the
    // mixer they push to goes away.
    if (m_own.server.HasSockets())
        m_own.server.CloseAll();
    if (m_remote.server.HasSockets())
        m_remote.server.CloseAll();
    StopServer(m_remote);
    StopServer(m_own);
    if (m_mixer) {
        CAudioMixer::Release();
        m_mixer = nullptr;
    }
}

bool CAudioCapture::Queueing(bool own) const
{
    const RecordingState state = m_state;
    if (state != RecordingState::Recording && state != RecordingState::Resumed)
        return false;
    const int side = m_side;
    return side == kSideBoth || (own ? side == kSideOwn : side != kSideOwn);
}

void CAudioCapture::SideReceiver::OnRead(const std::uint8_t* data, int n, const std::uint8_t* blocks, int blockBytes)
{
    if (blockBytes > 0)
        blocksReceived.fetch_add(static_cast<std::uint64_t>(blockBytes / kChunkBytes), std::memory_order_relaxed);
    if (blockBytes > 0 && owner.Queueing(own) && owner.m_mixer) {
        for (int at = 0; at + kChunkBytes <= blockBytes; at += kChunkBytes) {
            CBuffer chunk(const_cast<std::uint8_t*>(blocks + at), kChunkBytes);
            if (own)
                owner.m_mixer->PushOwnChunk(chunk);
            else
                owner.m_mixer->PushRemoteChunk(chunk);
        }
    }
    const int level = meter.OnRead(data, n);
    const HWND window = owner.m_notifyWindow;
    if (level >= 0 && window != kNoWindow)
        PostMessage(window, own ? WM_LEVEL_OWN : WM_LEVEL_REMOTE, static_cast<WPARAM>(level & 0xFFFF), 0);
}

void CAudioCapture::SideReceiver::OnConnectionClosed()
{
    std::function<void()> hook;
    {
        std::lock_guard lock(owner.m_hookLock);
        hook = owner.m_rerequestAudio;
    }
    if (hook)
        hook();
}

void CAudioCapture::SideReceiver::OnReceiveThreadEnd()
{
    threadRunning = false;
}
