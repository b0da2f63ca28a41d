#include "image/TFileStream.h"

#include "image/EImageError.h"

#include <cerrno>
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
    const char* p = static_cast<const char*>(buf);
    return Transfer(count, m_checkIO, "writing to",
                    [&](int done, int left) { return ::write(m_handle, p + done, static_cast<size_t>(left)); });
}

int TFileStream::Read(void* buf, int count) {
    char* p = static_cast<char*>(buf);
    return Transfer(count, m_checkIO, "reading from",
                    [&](int done, int left) { return ::read(m_handle, p + done, static_cast<size_t>(left)); });
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
    return pos;
}

int64_t TFileStream::GetSize() const {
    struct stat st {};
    if (::fstat(m_handle, &st) != 0) throw EInOutError("IO-error: " + SysMessage(errno));
    return st.st_size;
}

void TFileStream::SetPosition(int64_t pos) {
    if (pos < 0) throw EInOutError("Error moving file pointer - " + SysMessage(EINVAL));
    if (::lseek(m_handle, static_cast<off_t>(pos), SEEK_SET) < 0)
        throw EInOutError("Error moving file pointer - " + SysMessage(errno));
}

void TFileStream::Truncate() {
    const int64_t pos = GetPosition();
    if (::ftruncate(m_handle, static_cast<off_t>(pos)) != 0)
        throw EInOutError("Error truncating file \"" + m_fileName + "\" - " + SysMessage(errno));
}

void TFileStream::Delete() {
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
