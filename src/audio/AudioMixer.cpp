#include "audio/AudioMixer.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <cstring>

#include "platform/LastError.h"

namespace {
std::mutex g_instanceLock;
CAudioMixer* g_instance = nullptr;
MixerTimings g_instanceTimings;
} // namespace

CAudioMixer* CAudioMixer::Instance()
{
    std::lock_guard lock(g_instanceLock);
    if (!g_instance)
        g_instance = new CAudioMixer(g_instanceTimings);
    return g_instance;
}

void CAudioMixer::Release()
{
    CAudioMixer* mixer;
    {
        std::lock_guard lock(g_instanceLock);
        mixer = g_instance;
        g_instance = nullptr;
    }
    delete mixer;
}

void CAudioMixer::SetInstanceTimings(MixerTimings timings)
{
    std::lock_guard lock(g_instanceLock);
    g_instanceTimings = timings;
}

CAudioMixer::CAudioMixer(MixerTimings timings, std::size_t poolBuffers)
    : m_timings(timings), m_own(poolBuffers), m_remote(poolBuffers)
{
}

CAudioMixer::~CAudioMixer()
{
    Reset();
}

bool CAudioMixer::Start(const QString& path, int mode, std::uint32_t outRate, std::uint32_t kbps)
{
    if (path.isNull()) {
        SetLastError(ERROR_KESTREL_NO_OUTPUT_PATH);
        return false;
    }
    if (m_running || m_stopping)
        return false;
    // An aborted recording is still open: finish it first.
    Reset();

    // The writer records anything but stereo and joint stereo as mono; the mixer follows it so
    // that a mono file never receives interleaved pairs.
    m_stereo = mode == kModeStereo || mode == kModeJointStereo;
    if (!m_mp3.Open(mode, path, outRate, kbps))
        return false;
    m_sink = &m_mp3;

    // Chunks that slipped in after the previous recording's thread had ended belong to no one.
    Drop(m_own);
    Drop(m_remote);
    m_abort = false;
    m_threadDone = false;
    m_threadEnded = false;
    m_running = true;
    try {
        m_thread = std::thread(&CAudioMixer::ThreadMain, this);
    } catch (const std::system_error&) {
        m_running = false;
        m_threadEnded = true;
        Reset();
        return false;
    }
    return true;
}

bool CAudioMixer::PushOwnChunk(const CBuffer& chunk) { return Push(m_own, chunk); }
bool CAudioMixer::PushRemoteChunk(const CBuffer& chunk) { return Push(m_remote, chunk); }

bool CAudioMixer::Push(SideQueue& side, const CBuffer& chunk)
{
    if (chunk.size != kChunkBytes || !chunk.data)
        return false;
    if (!m_running)
        return true;
    std::lock_guard lock(side.lock);
    CBuffer* b = side.pool.Take();
    if (b && b->size == kChunkBytes) {
        std::memcpy(b->data, chunk.data, kChunkBytes);
        side.queue.push_back(b);
        side.count = side.queue.size();
    } else if (b) {
        side.pool.Release(b);
    }
    return true;
}

CBuffer* CAudioMixer::TakeFirst(SideQueue& side)
{
    std::lock_guard lock(side.lock);
    if (side.queue.empty())
        return nullptr;
    CBuffer* b = side.queue.front();
    side.queue.pop_front();
    side.count = side.queue.size();
    return b;
}

void CAudioMixer::GiveBack(SideQueue& side, CBuffer* buffer)
{
    std::lock_guard lock(side.lock);
    side.pool.Release(buffer);
}

void CAudioMixer::Drop(SideQueue& side)
{
    std::lock_guard lock(side.lock);
    for (CBuffer* b : side.queue)
        side.pool.Release(b);
    side.queue.clear();
    side.count = 0;
}

void CAudioMixer::MixPair(const std::int16_t* own, const std::int16_t* remote, bool stereo, std::int16_t* out)
{
    if (stereo) {
        for (int k = 0; k < kChunkSamples; ++k) {
            out[2 * k] = own[k];
            out[2 * k + 1] = remote[k];
        }
        return;
    }
    for (int k = 0; k < kChunkSamples; ++k) {
        const std::int32_t sum = std::int32_t(own[k]) + std::int32_t(remote[k]);
        out[k] = static_cast<std::int16_t>(std::clamp<std::int32_t>(sum, -32768, 32767));
    }
}

void CAudioMixer::MixLone(const std::int16_t* chunk, bool stereo, std::int16_t* out)
{
    if (!stereo) {
        std::memcpy(out, chunk, kChunkBytes);
        return;
    }
    for (int k = 0; k < kChunkSamples; ++k) {
        out[2 * k] = 0;
        out[2 * k + 1] = chunk[k];
    }
}

void CAudioMixer::ThreadMain()
{
    const bool stereo = m_stereo;
    CBuffer mixed(reinterpret_cast<std::uint8_t*>(m_mixed), stereo ? 2 * kChunkBytes : kChunkBytes);

    auto writeLone = [&](SideQueue& from) {
        CBuffer* b = TakeFirst(from);
        if (!b)
            return;
        MixLone(b->Samples(), stereo, m_mixed);
        m_sink->Write(mixed);
        GiveBack(from, b);
    };

    for (;;) {
        const int side = m_side;
        const bool running = m_running;
        const bool ownEmpty = m_own.count == 0;
        const bool remoteEmpty = m_remote.count == 0;
        const bool readEmpty = side == kSideBoth ? ownEmpty && remoteEmpty
                               : side == kSideOwn ? ownEmpty
                                                  : remoteEmpty;
        if (m_abort)
            break;
        if (!running && readEmpty) {
            m_threadDone = true;
            break;
        }

        if (side == kSideBoth) {
            if (running && (ownEmpty || remoteEmpty)) {
                if (!Idle(side))
                    break;
                continue;
            }
            if (!ownEmpty && !remoteEmpty) {
                CBuffer* own = TakeFirst(m_own);
                CBuffer* remote = TakeFirst(m_remote);
                if (own && remote) {
                    MixPair(own->Samples(), remote->Samples(), stereo, m_mixed);
                    m_sink->Write(mixed);
                }
                if (own)
                    GiveBack(m_own, own);
                if (remote)
                    GiveBack(m_remote, remote);
            } else {
                // The recording has ended and one side delivered more: the rest goes out alone.
                writeLone(ownEmpty ? m_remote : m_own);
            }
            continue;
        }

        SideQueue& only = side == kSideOwn ? m_own : m_remote;
        if (only.count == 0) {
            if (running && !Idle(side))
                break;
            continue;
        }
        writeLone(only);
    }

    {
        std::lock_guard lock(m_wakeLock);
        m_threadEnded = true;
    }
    m_wake.notify_all();
}

// Sleeps for ms unless Stop or Abort comes first; false when the thread must end at once.
bool CAudioMixer::SleepFor(int ms)
{
    std::unique_lock lock(m_wakeLock);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_abort || !m_running; });
    return !m_abort;
}

// Caught up with the queues: sleep, then give each queue the side reads one more short chance.
bool CAudioMixer::Idle(int side)
{
    if (!SleepFor(m_timings.idleSleepMs))
        return false;
    const bool readsOwn = side == kSideBoth || side == kSideOwn;
    const bool readsRemote = side != kSideOwn;
    if (readsOwn && m_own.count == 0 && !SleepFor(m_timings.emptyRecheckMs))
        return false;
    if (readsRemote && m_remote.count == 0 && !SleepFor(m_timings.emptyRecheckMs))
        return false;
    return true;
}

bool CAudioMixer::IsThreadRunning() const { return !m_threadEnded; }

bool CAudioMixer::WaitThreadEnd(int ms)
{
    std::unique_lock lock(m_wakeLock);
    return m_wake.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_threadEnded.load(); });
}

void CAudioMixer::JoinThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CAudioMixer::Stop()
{
    if (!m_running)
        return;
    {
        std::lock_guard lock(m_wakeLock);
        m_running = false;
    }
    m_wake.notify_all();

    // Wait for the thread to write what is queued. On the user-interface thread the events keep
    // flowing meanwhile, so windows still paint and posted messages are handled.
    QCoreApplication* app = QCoreApplication::instance();
    const bool uiThread = app && QThread::currentThread() == app->thread();
    m_stopping = true;
    while (!WaitThreadEnd(uiThread ? kStopPumpSleepMs : 1000)) {
        if (uiThread)
            QCoreApplication::processEvents();
    }
    JoinThread();
    Reset();
    m_stopping = false;
}

void CAudioMixer::Reset()
{
    {
        std::lock_guard lock(m_wakeLock);
        m_running = false;
    }
    m_wake.notify_all();
    // The file is closed only after the thread that writes it has ended.
    JoinThread();
    if (m_sink) {
        m_sink->Close();
        m_sink = nullptr;
    }
    Drop(m_own);
    Drop(m_remote);
    m_abort = false;
}

void CAudioMixer::Abort()
{
    {
        std::lock_guard lock(m_wakeLock);
        m_abort = true;
    }
    m_wake.notify_all();
}
