#pragma once
// The library's file stream over a POSIX file descriptor. Reads go through
// a 64 KiB buffer, so the codecs' small reads (a length byte, a 4-byte
// field) cost no system call each; writes go straight to the file.

#include "image/TSeekableStream.h"

#include <memory>
#include <string>

namespace image {

class TFileStream : public TSeekableStream {
public:
    // Mode bits of the constructor.
    static constexpr int fmRead = 1;
    static constexpr int fmWrite = 2;
    static constexpr int fmCreate = 4;      // create, or cut an existing file to 0
    static constexpr int fmShareRead = 8;   // accepted; POSIX files have no share locks
    static constexpr int fmShareWrite = 16; // accepted; likewise

    // Opens (or with fmCreate creates) the file. Without fmRead or fmWrite it
    // raises EInOutError "Either read, write or full access must be specified
    // in call to CreateFile"; a failing open raises EInOutError
    // "Error opening "<name>" - <reason>".
    TFileStream(std::string fileName, int mode);
    // Wraps an open descriptor, which the stream then owns and closes; it is
    // both readable and writable. -1 raises EInOutError with the last error.
    static std::unique_ptr<TFileStream> CreateFromHandle(int handle);
    // Closes the descriptor; errors are ignored here (use Delete or Flush to
    // see them).
    ~TFileStream() override;

    int Handle() const { return m_handle; }
    const std::string& FileName() const { return m_fileName; }

    // Writes all bytes; a system failure raises "Error writing to stream -
    // <reason>", a short write with CheckIO "Read less than expected" (the
    // same text for writes, as the library always had).
    int Write(const void* buf, int count) override;
    // Reads until `count` bytes or the end of the file; a system failure
    // raises "Error reading from stream - <reason>", a short read with
    // CheckIO "Read less than expected". Bytes read ahead into the buffer
    // count as not yet read: the position, Available, Write and Truncate all
    // see the position the caller has reached.
    int Read(void* buf, int count) override;
    // Size - position; a failure raises "IO-error: <reason>".
    int64_t Available() const override;
    // Forces written data to the disk (fsync).
    void Flush() override;
    int64_t GetPosition() const override;
    int64_t GetSize() const override;
    // Any non-negative position is allowed (past the end too, as for files);
    // a failure raises "Error moving file pointer - <reason>".
    void SetPosition(int64_t pos) override;
    // A failure raises "Error truncating file "<name>" - <reason>".
    void Truncate() override;
    // Closes the file and deletes it; the stream object stays, closed.
    // Failures raise "Error closing "<name>" - <reason>" or
    // "Error deleting "<name>" - <reason>".
    virtual void Delete();

private:
    static constexpr int ReadBufferSize = 65536;

    TFileStream() = default;
    // Bytes read ahead and not yet delivered.
    int Buffered() const { return m_bufLen - m_bufPos; }
    // Moves the descriptor back to the caller's position and forgets the
    // bytes read ahead.
    void DropReadAhead();

    int m_handle = -1;
    std::string m_fileName;
    std::unique_ptr<uint8_t[]> m_buf; // read-ahead, allocated on the first small read
    int m_bufPos = 0;                 // next byte to deliver
    int m_bufLen = 0;                 // bytes in the buffer; the descriptor stands after them
};

} // namespace image
