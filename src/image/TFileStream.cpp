#include "image/TFileStream.h"

#include "image/EImageError.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace image {

namespace {

std::string SysMessage(int err) { return std::strerror(err); }

// Moves up to `count` bytes with io(done, left), one read or write call a
// turn, again after a signal; stops early at the end of the file, which
// throws when `checkIO`. Returns the bytes moved.
template <class IO>
int Transfer(int count, bool checkIO, const char* direction, IO&& io) {
    if (count < 1) return 0;
    int done = 0;
    while (done < count) {
        const ssize_t n = io(done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EInOutError(std::string("Error ") + direction + " stream - " + SysMessage(errno));
        }
        if (n == 0) break;
        done += static_cast<int>(n);
    }
    if (done < count && checkIO) throw EInOutError(SReadLessThanExpected);
    return done;
}

} // namespace

TFileStream::TFileStream(std::string fileName, int mode) : m_fileName(std::move(fileName)) {
    const bool read = mode & fmRead;
    const bool write = mode & fmWrite;
    if (!read && !write)
        throw EInOutError("Either read, write or full access must be specified in call to CreateFile");
    m_canRead = read;
    m_canWrite = write;
    int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    if (mode & fmCreate) flags |= O_CREAT | O_TRUNC;
    do {
        m_handle = ::open(m_fileName.c_str(), flags, 0666);
    } while (m_handle < 0 && errno == EINTR);
    if (m_handle < 0)
        throw EInOutError("Error opening \"" + m_fileName + "\" - " + SysMessage(errno));
}

std::unique_ptr<TFileStream> TFileStream::CreateFromHandle(int handle) {
    if (handle < 0) throw EInOutError(SysMessage(errno ? errno : EBADF));
    std::unique_ptr<TFileStream> s(new TFileStream());
    s->m_handle = handle;
    s->m_canRead = true;
    s->m_canWrite = true;
    return s;
}

TFileStream::~TFileStream() {
    if (m_handle >= 0) ::close(m_handle);
}

int TFileStream::Write(const void* buf, int count) {
    if (count > 0) DropReadAhead();
    const char* p = static_cast<const char*>(buf);
    return Transfer(count, m_checkIO, "writing to",
                    [&](int done, int left) { return ::write(m_handle, p + done, static_cast<size_t>(left)); });
}

int TFileStream::Read(void* buf, int count) {
    if (count < 1) return 0;
    char* p = static_cast<char*>(buf);
    int done = std::min(count, Buffered());
    // Before the first small read there is no buffer to copy from at all.
    if (done > 0) std::memcpy(p, m_buf.get() + m_bufPos, static_cast<size_t>(done));
    m_bufPos += done;
    const auto readInto = [this](char* dst, int want, bool checkIO) {
        return Transfer(want, checkIO, "reading from",
                        [&](int got, int left) { return ::read(m_handle, dst + got, static_cast<size_t>(left)); });
    };
    if (done == count) return done;
    m_bufPos = m_bufLen = 0;
    if (count - done >= ReadBufferSize) {
        // A large read goes straight to the caller.
        done += readInto(p + done, count - done, false);
    } else {
        if (!m_buf) m_buf = std::make_unique_for_overwrite<uint8_t[]>(ReadBufferSize);
        // One read ahead of the rest; a second one only when the first came
        // short of what is wanted (a pipe, or the end of the file).
        while (done < count) {
            ssize_t n;
            do {
                n = ::read(m_handle, m_buf.get(), ReadBufferSize);
            } while (n < 0 && errno == EINTR);
            if (n < 0) throw EInOutError("Error reading from stream - " + SysMessage(errno));
            if (n == 0) break;
            m_bufLen = static_cast<int>(n);
            const int take = std::min(count - done, m_bufLen);
            std::memcpy(p + done, m_buf.get(), static_cast<size_t>(take));
            m_bufPos = take;
            done += take;
            if (m_bufPos < m_bufLen) break;
            m_bufPos = m_bufLen = 0;
        }
    }
    if (done < count && m_checkIO) throw EInOutError(SReadLessThanExpected);
    return done;
}

void TFileStream::DropReadAhead() {
    const int ahead = Buffered();
    m_bufPos = m_bufLen = 0;
    if (ahead > 0 && ::lseek(m_handle, -off_t(ahead), SEEK_CUR) < 0)
        throw EInOutError("Error moving file pointer - " + SysMessage(errno));
}

int64_t TFileStream::Available() const {
    const int64_t left = GetSize() - GetPosition();
    return left > 0 ? left : 0;
}

void TFileStream::Flush() {
    // Descriptors that cannot be synced (pipes, some special files) have
    // nothing to flush.
    if (::fsync(m_handle) != 0 && errno != EINVAL && errno != EROFS)
        throw EInOutError("Error writing to stream - " + SysMessage(errno));
}

int64_t TFileStream::GetPosition() const {
    const off_t pos = ::lseek(m_handle, 0, SEEK_CUR);
    if (pos < 0) throw EInOutError("IO-error: " + SysMessage(errno));
    return pos - Buffered();
}

int64_t TFileStream::GetSize() const {
    struct stat st {};
    if (::fstat(m_handle, &st) != 0) throw EInOutError("IO-error: " + SysMessage(errno));
    return st.st_size;
}

void TFileStream::SetPosition(int64_t pos) {
    if (pos < 0) throw EInOutError("Error moving file pointer - " + SysMessage(EINVAL));
    if (m_bufLen > 0) {
        // A step back over bytes still in the buffer (readers peek and step
        // back often) needs no new read.
        const off_t end = ::lseek(m_handle, 0, SEEK_CUR);
        if (end >= 0 && pos <= end && pos >= end - m_bufLen) {
            m_bufPos = m_bufLen - static_cast<int>(end - pos);
            return;
        }
        m_bufPos = m_bufLen = 0;
    }
    if (::lseek(m_handle, static_cast<off_t>(pos), SEEK_SET) < 0)
        throw EInOutError("Error moving file pointer - " + SysMessage(errno));
}

void TFileStream::Truncate() {
    DropReadAhead();
    const int64_t pos = GetPosition();
    if (::ftruncate(m_handle, static_cast<off_t>(pos)) != 0)
        throw EInOutError("Error truncating file \"" + m_fileName + "\" - " + SysMessage(errno));
}

void TFileStream::Delete() {
    m_bufPos = m_bufLen = 0;
    if (m_handle >= 0) {
        const int h = m_handle;
        m_handle = -1;
        if (::close(h) != 0)
            throw EInOutError("Error closing \"" + m_fileName + "\" - " + SysMessage(errno));
    }
    if (::unlink(m_fileName.c_str()) != 0)
        throw EInOutError("Error deleting \"" + m_fileName + "\" - " + SysMessage(errno));
}

} // namespace image
