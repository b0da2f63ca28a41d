#pragma once
// Saving a file so that a crash mid-write loses nothing: the bytes go to an
// exclusive temporary file in the same folder (".NAME.velmora-save-XXXXXX"),
// are flushed to disk, the temporary file is renamed over the target, and the
// folder is flushed too, so that after a power loss the rename is there as
// well.

#include <filesystem>
#include <initializer_list>
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

// Removes from `dir` the temporary files that saves of the files `names`
// left when the process died mid-save, and nothing else: only regular files
// named exactly as WriteFileAtomic names them, with the mark no copy a user
// makes carries (".Friends.xml.backup" stays, and so does what a save of an
// older version left). Only for a caller that knows no save to `dir` can be
// running. A folder that cannot be read is left as it is.
void RemoveLeftTemporaries(const std::filesystem::path& dir, std::initializer_list<std::string_view> names);

// How WriteFileAtomic flushes a descriptor to the disk (fsync unless
// replaced): the file's before its rename, the folder's after it. A test
// puts its own here to see what is flushed, and when. Returns the one
// replaced.
using TFlush = int (*)(int fd);
TFlush SetFlush(TFlush flush);

} // namespace platform
