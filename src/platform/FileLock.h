#pragma once
// A lock on a file or folder that the kernel holds for the process (flock):
// it is gone the moment its holder dies, however it dies, so a crash never
// leaves a lock standing and nothing ever has to clear one by hand. A lock
// file itself stays; only the lock on it counts.

#include <filesystem>
#include <system_error>

namespace platform {

class TFileLock {
public:
    enum class TMode { Exclusive, Shared };

    TFileLock() = default;
    ~TFileLock() { Unlock(); }
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    // Locks `file`, creating it when missing; a folder is locked as it is
    // (where its file system allows: an exclusive lock on a network folder
    // may not be taken, a shared one is). With `wait` it blocks until
    // the lock is free; without, it answers at once. False when another
    // holds it (`ec` clear) or when it cannot be locked at all (`ec` says
    // why: a folder that cannot be reached, a file system without locks).
    bool Lock(const std::filesystem::path& file, TMode mode, bool wait, std::error_code& ec);
    void Unlock();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
