#include "platform/AtomicFile.h"

#include "platform/ErrorText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Every step fails for the user alike: the file was not written, and why.
[[noreturn]] void fail(const std::filesystem::path& path, int err) {
    throw EFileWrite("Файл " + QuotedFile(path) + " не записан: " + ErrnoText(err));
}

} // namespace

void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string tmpl = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) fail(path, errno);

    auto cleanup = [&] {
        const int err = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        fail(path, err);
    };

    // Keep the permissions of the file we replace; a new file gets the usual
    // mode rather than mkstemp's 0600.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            cleanup();
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0) cleanup();
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        fail(path, err);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmpl.c_str());
        fail(path, err);
    }
}

} // namespace platform
