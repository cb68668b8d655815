#include "audio/BufferPool.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "audio/AudioConstants.h"

CBufferPool::CBufferPool(std::size_t initialBuffers)
{
    std::lock_guard lock(m_lock);
    m_all.reserve(initialBuffers);
    m_storage.reserve(initialBuffers);
    m_free.reserve(initialBuffers);
    for (std::size_t i = 0; i < initialBuffers; ++i) {
        if (CBuffer* b = Make())
            m_free.push_back(b);
    }
    std::make_heap(m_free.begin(), m_free.end(), std::greater<>());
}

CBufferPool::~CBufferPool()
{
    std::lock_guard lock(m_lock);
    m_free.clear();
    m_storage.clear();
    m_all.clear();
}

// Called with the lock held.
CBuffer* CBufferPool::Make()
{
    std::unique_ptr<std::uint8_t[]> storage(new (std::nothrow) std::uint8_t[kChunkBytes]());
    if (!storage)
        return nullptr;
    std::unique_ptr<CBuffer> buffer(new (std::nothrow) CBuffer(storage.get(), kChunkBytes));
    if (!buffer)
        return nullptr;
    try {
        m_storage.push_back(std::move(storage));
        m_all.push_back(std::move(buffer));
    } catch (const std::bad_alloc&) {
        if (m_storage.size() > m_all.size())
            m_storage.pop_back();
        return nullptr;
    }
    return m_all.back().get();
}

CBuffer* CBufferPool::Take()
{
    std::lock_guard lock(m_lock);
    if (!m_free.empty()) {
        std::pop_heap(m_free.begin(), m_free.end(), std::greater<>());
        CBuffer* b = m_free.back();
        m_free.pop_back();
        return b;
    }
    return Make();
}

void CBufferPool::Release(CBuffer* buffer)
{
    if (!buffer)
        return;
    buffer->owns = false;
    std::memset(buffer->data, 0, kChunkBytes);
    std::lock_guard lock(m_lock);
    try {
        m_free.push_back(buffer);
    } catch (const std::bad_alloc&) {
        return; // stays out of use; the pool still frees it at the end
    }
    std::push_heap(m_free.begin(), m_free.end(), std::greater<>());
}

std::size_t CBufferPool::Count() const
{
    std::lock_guard lock(m_lock);
    return m_all.size();
}

std::size_t CBufferPool::FreeCount() const
{
    std::lock_guard lock(m_lock);
    return m_free.size();
}
