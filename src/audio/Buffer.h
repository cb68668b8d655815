#pragma once
// The byte buffer that carries PCM from the stream servers through the mixer to the MP3 writer.
// A buffer either owns its storage (made with a size) or lies over storage that belongs to
// someone else (owns cleared): the receive threads wrap their receive buffer this way, and the
// mixer's pools keep their buffers' storage themselves.
//
// PCM in a buffer is signed 16-bit little-endian; a stereo buffer interleaves left and right,
// left first.
#include <cstdint>

class CBuffer {
public:
    // No storage.
    CBuffer() = default;
    // Owns size zeroed bytes; when the allocation fails the buffer has no storage and size 0.
    explicit CBuffer(std::int32_t size);
    // Over storage owned elsewhere.
    CBuffer(std::uint8_t* storage, std::int32_t size) : data(storage), size(size), owns(false) {}
    virtual ~CBuffer();

    CBuffer(const CBuffer&) = delete;
    CBuffer& operator=(const CBuffer&) = delete;

    const std::int16_t* Samples() const { return reinterpret_cast<const std::int16_t*>(data); }
    std::int16_t* Samples() { return reinterpret_cast<std::int16_t*>(data); }
    std::int32_t SampleCount() const { return size / 2; }

    std::uint8_t* data = nullptr;
    std::int32_t size = 0; // valid bytes
    bool owns = false;     // the destructor frees data
};
