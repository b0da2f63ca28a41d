#include "platform/ProgramDir.h"

#include "platform/ErrorText.h"
#include "platform/FileLock.h"

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

TProgramDirHold HoldProgramDir() {
    // Held for the life of the process; the kernel lets go of it at the end.
    static TFileLock lock;
    if (lock.Held()) return TProgramDirHold::Held;
    std::error_code ec;
    if (lock.Lock(ProgramDir() / "Velmora.lock", TFileLock::TMode::Exclusive, false, ec)) return TProgramDirHold::Held;
    if (!ec) return TProgramDirHold::HeldElsewhere;
    qWarning("%s", ("Папку данных " + QuotedFile(ProgramDir()) + " не удалось занять: " + ErrnoText(ec) +
                    ". Вторая копия программы на этой папке не будет замечена.")
                       .c_str());
    return TProgramDirHold::NotLockable;
}

std::string ProgramDirHeldElsewhereText() {
    return "Папка данных " + QuotedFile(ProgramDir()) +
           " занята: с ней уже работает другая запущенная копия программы или vtool search. Две копии на одной "
           "папке затирали бы списки друг друга, поэтому здесь ничего не записано. Закройте другую копию и "
           "запустите снова.";
}

} // namespace platform
