#pragma once
// A store of 320-byte PCM buffers for one side of a call. The pool makes its buffers up front,
// hands out the free buffer with the lowest address, grows when it runs out and never shrinks.
// The pool owns every buffer and its storage (the buffers' owns flag stays cleared).
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/Buffer.h"

class CBufferPool {
public:
    explicit CBufferPool(std::size_t initialBuffers);
    ~CBufferPool();
    CBufferPool(const CBufferPool&) = delete;
    CBufferPool& operator=(const CBufferPool&) = delete;

    // A free buffer (size 320), or a new one when none is free; null when no buffer can be made.
    CBuffer* Take();
    // Returns a buffer taken from this pool: its bytes are zeroed and it is free again.
    void Release(CBuffer* buffer);

    std::size_t Count() const;     // buffers made so far
    std::size_t FreeCount() const; // buffers ready for use

private:
    CBuffer* Make();

    mutable std::mutex m_lock;
    // Free buffers as a min-heap on their addresses: Take gives the lowest, and neither Take nor
    // Release allocates once the pool has its size.
    std::vector<CBuffer*> m_free;
    std::vector<std::unique_ptr<std::uint8_t[]>> m_storage;
    std::vector<std::unique_ptr<CBuffer>> m_all;
};
