#pragma once
// The audio sink the mixer writes a recording through.
#include "audio/Buffer.h"

class IWriteToFile {
public:
    // Consumes one buffer of PCM; true when it was taken.
    virtual bool Write(const CBuffer& buffer) = 0;
    // Finishes the output; true when finishing succeeded.
    virtual bool Close() = 0;
    virtual ~IWriteToFile() = default;
};
