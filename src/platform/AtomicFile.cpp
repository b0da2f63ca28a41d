#include "platform/AtomicFile.h"

#include "platform/ErrorText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

// Every step fails for the user alike: the file was not written, and why.
[[noreturn]] void fail(const std::filesystem::path& path, int err) {
    throw EFileWrite("Файл " + QuotedFile(path) + " не записан: " + ErrnoText(err));
}

// mkstemp's six characters, from letters and digits.
constexpr std::string_view kTemporaryTail = "XXXXXX";
// Proof that a file is a save's of ours: six letters or digits alone would
// take a user's ".Friends.xml.backup" for one.
constexpr std::string_view kTemporaryMark = "velmora-save-";

std::string TemporaryHead(std::string_view name) { return "." + std::string(name) + "." + std::string(kTemporaryMark); }

TFlush& flush() {
    static TFlush current = &::fsync;
    return current;
}

bool IsTemporaryOf(std::string_view file, std::string_view name) {
    const std::string head = TemporaryHead(name);
    if (file.size() != head.size() + kTemporaryTail.size() || !file.starts_with(head)) return false;
    return std::all_of(file.end() - kTemporaryTail.size(), file.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// The rename is an entry of the folder: without this it may be lost with
// the power though the file's own bytes are on the disk.
void SyncFolder(const std::filesystem::path& dir, const std::filesystem::path& path) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // a folder we may write but not read: nothing to flush it through
    const bool synced = flush()(fd) == 0 || errno == EINVAL; // EINVAL: folders cannot be flushed there
    const int err = errno;
    ::close(fd);
    if (!synced) fail(path, err);
}

} // namespace

void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string tmpl = (dir / (TemporaryHead(path.filename().string()) + std::string(kTemporaryTail))).string();
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
    if (flush()(fd) != 0) cleanup();
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
    SyncFolder(dir, path);
}

TFlush SetFlush(TFlush replacement) { return std::exchange(flush(), replacement); }

void RemoveLeftTemporaries(const std::filesystem::path& dir, std::initializer_list<std::string_view> names) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        const bool ours = std::any_of(names.begin(), names.end(), [&](std::string_view n) { return IsTemporaryOf(file, n); });
        std::error_code kind;
        if (ours && std::filesystem::is_regular_file(it->symlink_status(kind))) ::unlink(it->path().c_str());
    }
}

} // namespace platform
