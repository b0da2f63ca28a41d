#pragma once
// The image library's own byte streams. Codecs read and write through these
// classes only; THostStream, TSeekableHostStream and THostFilterStream connect
// them with Qt's QIODevice.
//
// Conventions shared by every stream:
// - Counts are ints; a count below 1 transfers nothing and returns 0.
// - CheckIO is on after construction. With it on, a read or write that moves
//   fewer bytes than asked raises EInOutError; with it off the short count is
//   returned and the caller decides.
// - A filter stream borrows its inner stream, which must outlive it.
// - Destructors never throw. A stream that holds unwritten bytes (a buffered
//   or compressing stream) must be flushed or finished explicitly to learn
//   about write errors; its destructor only makes a best effort.

#include <cstdint>

namespace image {

class TBaseStream {
public:
    TBaseStream() = default;
    TBaseStream(const TBaseStream&) = delete;
    TBaseStream& operator=(const TBaseStream&) = delete;
    virtual ~TBaseStream() = default;

    bool CanRead() const { return m_canRead; }
    bool CanWrite() const { return m_canWrite; }
    bool CheckIO() const { return m_checkIO; }

    // Switches the short read/write check on or off.
    virtual void SetCheckIO(bool value) { m_checkIO = value; }
    // Writes up to `count` bytes and returns how many were taken.
    virtual int Write(const void* buf, int count) = 0;
    // Reads up to `count` bytes and returns how many arrived (0 at the end).
    virtual int Read(void* buf, int count) = 0;
    // True when Available() is 0. (Named Eof since EOF is a C macro.)
    virtual bool Eof() const { return Available() == 0; }
    // Bytes that can still be read; 0 at the end or for a write-only stream.
    virtual int64_t Available() const = 0;
    // Pushes buffered bytes onwards; nothing in the base.
    virtual void Flush() {}
    // Appends the whole rest of `source` to this stream, 4096 bytes at a
    // time. The source's CheckIO is off during the copy and restored after;
    // the copy ends at the source's end or when a read delivers nothing.
    virtual void CopyFrom(TBaseStream& source);

protected:
    bool m_canWrite = false;
    bool m_canRead = false;
    bool m_checkIO = true;
};

// Copies up to `count` bytes from `source` to `dest` in pieces of at most
// 4096 bytes and returns how many were copied; stops early at the source's
// end. With `dest` null the bytes are read and dropped (a skip). Errors of
// either stream pass through.
int64_t CopyStream(TBaseStream& source, TBaseStream* dest, int64_t count);

} // namespace image
