#include "audio/Buffer.h"

#include <new>

CBuffer::CBuffer(std::int32_t bytes)
{
    if (bytes <= 0)
        return;
    data = new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]();
    if (data) {
        size = bytes;
        owns = true;
    }
}

CBuffer::~CBuffer()
{
    if (owns)
        delete[] data;
}
