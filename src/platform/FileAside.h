#pragma once
// Keeping a damaged file for the user while the program starts afresh: the
// file is renamed to a free name beside it ("NAME.damaged", then
// "NAME.damaged-2" ...), so that nothing of it is lost or overwritten.

#include <filesystem>
#include <system_error>

namespace platform {

// Renames `file` aside and returns its new path; an empty path, with the
// reason in `ec`, when it could not be renamed (the file then stays as it is).
std::filesystem::path SetFileAside(const std::filesystem::path& file, std::error_code& ec);

} // namespace platform
