#pragma once
// Presents a seekable library stream to Qt code as a random-access QIODevice
// (unbuffered). The device's position is the library stream's position; do
// not move the library stream behind the adapter's back while it lives.

#include "image/THostStream.h"
#include "image/TSeekableStream.h"

namespace image {

class TSeekableHostStream : public THostStream {
public:
    // `source` is borrowed; its CheckIO is off while the adapter lives.
    explicit TSeekableHostStream(TSeekableStream& source);

    bool isSequential() const override { return false; }
    // Moves the library stream; a position it cannot reach raises its error.
    bool seek(qint64 pos) override;
    qint64 size() const override;
    qint64 bytesAvailable() const override;

    // The classic three-origin seek: 0 from the start, 1 from the current
    // position, 2 from the end. Returns the new position; another origin
    // raises EStreamError "Unknown seek origin".
    qint64 Seek(qint64 offset, int origin);
    // Grows the stream (by moving to the new size and back) or cuts it; the
    // position stays unless it lay beyond a cut.
    void SetSize(qint64 newSize);

private:
    TSeekableStream& Seekable() const { return static_cast<TSeekableStream&>(*m_source); }
};

} // namespace image
