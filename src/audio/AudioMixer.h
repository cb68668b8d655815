#pragma once
// The mixer: takes the 10 ms chunks the two stream servers receive, queues them per side, and
// on a thread of its own pairs them, adds them (mono) or interleaves them (stereo, own side
// left), and writes the result to the MP3 writer it owns. One recording at a time:
//
//   Start (opens the file, starts the thread) -> SetSide -> pushes ... -> Stop (the thread
//   writes what is queued, ends, and the file is closed)
//
// Abort ends the thread at once without writing what is queued; the file is closed by the
// next Reset, Start or the mixer's destruction.
//
// Locks: each queue has its own lock; a push takes a pool buffer inside its queue's lock (the
// pool lock is always the inner one) and the mixer thread never holds both queue locks at once.
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "audio/AudioConstants.h"
#include "audio/BufferPool.h"
#include "audio/Mp3File.h"

// The mixer thread's sleeps; tests shorten them.
struct MixerTimings {
    int idleSleepMs = kMixerIdleSleepMs;       // after catching up with the queues
    int emptyRecheckMs = kMixerEmptyRecheckMs; // one more look at a queue still empty
};

class CAudioMixer {
public:
    explicit CAudioMixer(MixerTimings timings = {}, std::size_t poolBuffers = kPoolInitialBuffers);
    ~CAudioMixer();
    CAudioMixer(const CAudioMixer&) = delete;
    CAudioMixer& operator=(const CAudioMixer&) = delete;

    // The process's mixer, created on first request with the timings last given to
    // SetInstanceTimings. Release destroys it (closing an open file) and clears the instance.
    static CAudioMixer* Instance();
    static void Release();
    static void SetInstanceTimings(MixerTimings timings);

    // Opens path (with its extension) for mode 0 mono, 1 stereo, 2 joint stereo (other values
    // mono) at the output rate (0: LAME chooses) and bit rate, and starts the mixer thread. False
    // with the last error 4352 for a null path, false when the file or the encoder cannot be
    // opened (the writer has told the user), false while a recording is running or a Stop is
    // still waiting for the previous one (its events may run handlers). The caller sets
    // the side before any chunk may be queued.
    bool Start(const QString& path, int mode, std::uint32_t outRate, std::uint32_t kbps);

    // Queue a copy of one 320-byte chunk of the own (port 38377) or remote (38376) side. False
    // for a buffer of any other size; a chunk that arrives while no recording runs is dropped
    // (true). Called by the receive threads.
    bool PushOwnChunk(const CBuffer& chunk);
    bool PushRemoteChunk(const CBuffer& chunk);

    // Ends the recording: the thread writes what is queued (lone chunks when one side has more)
    // and ends, then the file is closed. Keeps the caller's Qt events flowing while it waits.
    // Does nothing when no recording runs.
    void Stop();
    // No recording: lets a running thread finish (after Abort it is already ending), closes the
    // sink, drops anything still queued.
    void Reset();
    // Ends the mixer thread at once; what is queued is not written.
    void Abort();

    // Side selection: 0 both sides, 1 own side only, any other value remote side only.
    void SetSide(int side) { m_side = side; }
    int Side() const { return m_side; }

    bool IsRunning() const { return m_running; }
    bool IsStereo() const { return m_stereo; }
    // True while a mixer thread exists and has not ended.
    bool IsThreadRunning() const;
    // Waits up to ms for the mixer thread to end; true when no thread runs.
    bool WaitThreadEnd(int ms);
    std::size_t OwnQueued() const { return m_own.count; }
    std::size_t RemoteQueued() const { return m_remote.count; }
    const CBufferPool& OwnPool() const { return m_own.pool; }
    const CBufferPool& RemotePool() const { return m_remote.pool; }
    CMp3File& Mp3File() { return m_mp3; }

    // Combining, on 160-sample chunks. A pair: stereo interleaves own (left) and remote (right)
    // into 320 samples; mono adds them in 32 bits and clamps to 16 bits. A lone chunk: stereo
    // puts it on the right with a silent left; mono copies it.
    static void MixPair(const std::int16_t* own, const std::int16_t* remote, bool stereo, std::int16_t* out);
    static void MixLone(const std::int16_t* chunk, bool stereo, std::int16_t* out);

private:
    struct SideQueue {
        explicit SideQueue(std::size_t poolBuffers) : pool(poolBuffers) {}
        std::mutex lock;
        std::deque<CBuffer*> queue;
        std::atomic<std::size_t> count{0}; // queue length, for the lock-free emptiness test
        CBufferPool pool;
    };

    bool Push(SideQueue& side, const CBuffer& chunk);
    CBuffer* TakeFirst(SideQueue& side);
    void GiveBack(SideQueue& side, CBuffer* buffer);
    void Drop(SideQueue& side);
    void ThreadMain();
    bool Idle(int side); // false when the thread must end at once
    bool SleepFor(int ms);
    void JoinThread();

    const MixerTimings m_timings;
    IWriteToFile* m_sink = nullptr;
    CMp3File m_mp3;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stereo{true};
    std::atomic<int> m_side{kSideBoth};
    SideQueue m_own;
    SideQueue m_remote;
    std::thread m_thread;
    std::atomic<bool> m_threadDone{false};  // the thread ended by itself, queues written
    std::atomic<bool> m_threadEnded{true};  // the thread has ended, whichever way
    std::atomic<bool> m_abort{false};
    bool m_stopping = false; // Stop is waiting (user-interface thread only)
    std::mutex m_wakeLock; // wakes the sleeping thread on Stop and Abort, and Stop on its end
    std::condition_variable m_wake;
    std::int16_t m_mixed[2 * kChunkSamples] = {};
};
