#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

bool TFileLock::Lock(const std::filesystem::path& file, TMode mode, bool wait, std::error_code& ec) {
    ec.clear();
    Unlock();
    // Close-on-exec: a browser the program starts must not carry the lock
    // on after the program has ended. A lock file that cannot be written
    // (in a read-only folder), or a folder, is opened for reading.
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        const int createError = errno;
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        // A file that is not there only tells that it could not be made, and why.
        if (fd < 0) {
            ec.assign(errno == ENOENT ? createError : errno, std::generic_category());
            return false;
        }
    }
    const int operation = (mode == TMode::Exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    int result;
    while ((result = ::flock(fd, operation)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        if (errno != EWOULDBLOCK) ec.assign(errno, std::generic_category());
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void TFileLock::Unlock() {
    if (m_fd < 0) return;
    ::close(m_fd); // closing the last descriptor of the file drops its lock
    m_fd = -1;
}

} // namespace platform
