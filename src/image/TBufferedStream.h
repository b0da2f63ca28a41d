#pragma once
// Buffers the small reads and writes of the codecs (single bytes, 4-byte
// fields) in front of another stream.
//
// Reading ahead must not trip the inner stream's own short-read check, so a
// stream with a read buffer switches the inner CheckIO off for its lifetime
// and checks for itself; the destructor switches it back on when it was on.

#include "image/TFilterStream.h"

#include <memory>

namespace image {

class TBufferedStream : public TFilterStream {
public:
    static constexpr int DefaultBufferSize = 65536;

    // Copies CanRead, CanWrite and CheckIO from `inner` (borrowed). A size of
    // -1 means DefaultBufferSize, 0 no buffer in that direction; a size of 1
    // (or below -1) raises EStreamCreate "Invalid buffer size". A direction
    // the inner stream does not support gets no buffer.
    TBufferedStream(TBaseStream& inner, int readBufferSize = -1, int writeBufferSize = -1);
    // Writes what is still buffered (errors swallowed: call Flush first to see
    // them) and restores the inner CheckIO. Never frees the inner stream.
    ~TBufferedStream() override;

    // Keeps the inner stream's check off while there is a read buffer.
    void SetCheckIO(bool value) override;
    // Serves from the buffer, refilling it with reads of its full capacity
    // (a request of at least the capacity goes straight to the inner stream).
    // A short read empties the buffer, returns what arrived and, with
    // CheckIO, raises EInOutError "Read less than expected".
    int Read(void* buf, int count) override;
    // Buffers; a full buffer goes to the inner stream in one write. When the
    // inner stream takes less, the rest stays buffered (nothing is dropped)
    // and, with CheckIO, EInOutError "Read less than expected" is raised.
    int Write(const void* buf, int count) override;
    // Writes the buffered bytes with one inner write; does not flush the
    // inner stream. An inner short write keeps the unwritten bytes and, with
    // CheckIO, raises as Write does.
    void Flush() override;
    int64_t Available() const override;

private:
    int ReadInner(char* dst, int count, int need);
    // Sends the write buffer; returns false when the inner stream took less.
    bool SendBuffer();

    bool m_restoreCheckIO = false;
    std::unique_ptr<char[]> m_readBuf;
    int m_readPos = 0;
    int m_readFilled = 0;
    int m_readCapacity = 0;
    std::unique_ptr<char[]> m_writeBuf;
    int m_writeCount = 0;
    int m_writeCapacity = 0;
};

} // namespace image
