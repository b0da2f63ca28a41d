#pragma once
// Saving a file so that a crash mid-write loses nothing: the bytes go to an
// exclusive temporary file in the same folder, are flushed to disk, and the
// temporary file is then renamed over the target.

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace platform {

class EFileWrite : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `bytes` to `path` atomically. Throws EFileWrite on failure, with a
// message for the user naming the file and the cause ("Файл «...» не
// записан: диск доступен только для чтения (EROFS)"); the old file, if any,
// is then untouched.
void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

} // namespace platform
