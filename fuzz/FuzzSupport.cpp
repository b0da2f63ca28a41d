#include "FuzzSupport.h"

#include "platform/HttpConnection.h"
#include "platform/ProgramDir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QtGlobal>
#include <system_error>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace fuzzsupport {

namespace {

std::filesystem::path MakeSetup(bool widgets) {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    const std::filesystem::path base = made ? made : std::filesystem::temp_directory_path();
    ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
    platform::SetProgramDir(base);
    // The readers' warnings would only slow the fuzzing down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static std::filesystem::path removed = base;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(removed, ec);
    });
    platform::InitHttp();
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (widgets) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Never destroyed: at exit the GUI's own statics may be gone first.
        static auto* app = new QApplication(argc, argv);
        (void)app;
    } else {
        static auto app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return base;
}

} // namespace

const std::filesystem::path& Setup() {
    static const std::filesystem::path dir = MakeSetup(false);
    return dir;
}

const std::filesystem::path& SetupWidgets() {
    static const std::filesystem::path dir = MakeSetup(true);
    return dir;
}

} // namespace fuzzsupport
