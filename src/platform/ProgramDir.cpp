#include "platform/ProgramDir.h"

#include <system_error>

namespace platform {
namespace {

std::filesystem::path& overrideDir() {
    static std::filesystem::path dir;
    return dir;
}

} // namespace

std::filesystem::path ProgramDir() {
    if (!overrideDir().empty()) return overrideDir();
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path()) return exe.parent_path();
    return std::filesystem::current_path(ec);
}

void SetProgramDir(const std::filesystem::path& dir) { overrideDir() = dir; }

} // namespace platform
