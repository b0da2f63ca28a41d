#include "platform/ProgramDir.h"

#include <QDir>
#include <cstdlib>
#include <system_error>

namespace platform {
namespace {

std::filesystem::path& overrideDir() {
    static std::filesystem::path dir;
    return dir;
}

std::filesystem::path DataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        std::filesystem::path base = xdg;
        if (base.is_absolute()) return base; // relative values are to be ignored
    }
    return std::filesystem::path(QDir::homePath().toStdString()) / ".local" / "share";
}

} // namespace

std::filesystem::path ProgramDir() {
    if (!overrideDir().empty()) return overrideDir();
    const std::filesystem::path dir = DataHome() / "Corvane" / "Tessel";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

void SetProgramDir(const std::filesystem::path& dir) { overrideDir() = dir; }

} // namespace platform
