#pragma once
// A stream with a position and a size. Positions and sizes are 64-bit, so
// files beyond 2 GiB neither wrap nor go negative.

#include "image/TBaseStream.h"

namespace image {

class TSeekableStream : public TBaseStream {
public:
    // The current position, 0 at the start.
    virtual int64_t GetPosition() const = 0;
    // The size in bytes.
    virtual int64_t GetSize() const = 0;
    // Moves to `pos`; a position the stream cannot reach raises EInOutError.
    virtual void SetPosition(int64_t pos) = 0;
    // Cuts the stream at the current position.
    virtual void Truncate() = 0;

    int64_t Position() const { return GetPosition(); }
    int64_t Size() const { return GetSize(); }
};

} // namespace image
