// What a user waits for when the program starts: a process that starts the
// program as its main does (the data module loading its files, the main
// window shown with the favourites' cards) and ends once the window is up,
// for 50 favourites with ordinary names and with a first name of 4 MiB (a
// page brings at most that) or 200 MB (a file written by hand). The process
// is this binary, started again with "--start-once" over a data folder made
// for the case; run it alone under /usr/bin/time -v to see what a start costs
// in memory.
#include "app/forms/ProgramStart.h"
#include "app/forms/TfrmMain.h"
#include "data/TFriend.h"
#include "data/TdmFriend.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string g_self;

// Data and settings folders of a start whose favourites' first name is
// `nameBytes` long (an ordinary name when 0).
struct TStartFolders {
    testsupport::TempDir config, data;
    explicit TStartFolders(size_t nameBytes) {
        setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        const pid_t child = fork();
        if (child == 0) _exit(execl(g_self.c_str(), g_self.c_str(), "--make-folders", std::to_string(nameBytes).c_str(),
                                    nullptr));
        int status = 0;
        waitpid(child, &status, 0);
    }
};

bool StartOnce() {
    const pid_t child = fork();
    if (child == 0) _exit(execl(g_self.c_str(), g_self.c_str(), "--start-once", nullptr));
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_Start(benchmark::State& state) {
    const TStartFolders folders(size_t(state.range(0)));
    for (auto _ : state)
        if (!StartOnce()) state.SkipWithError("the program did not start");
}
BENCHMARK(BM_Start)->Arg(0)->Arg(4 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Start)->Arg(200'000'000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The program's start, as its main, until the window is shown.
int RunStart(int argc, char** argv) {
    app::PrepareProcess();
    QApplication application(argc, argv);
    app::PrepareApplication();
    data::TdmFriend dataModule;
    app::TfrmMain window;
    window.show();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return 0;
}

int MakeFolders(int argc, char** argv, size_t nameBytes) {
    QCoreApplication application(argc, argv);
    data::TdmFriend dm;
    dm.Settings().SetFinderServer("localhost:1");
    dm.Settings().Save(); // no first run: the favourites are shown
    data::TFriend& friends = dm.Friends();
    friends.Open();
    for (int i = 0; i < 50; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = i == 0 && nameBytes > 0 ? std::string(nameBytes, 'w') : "Имя " + n;
        friends.AddFriend(name, "login" + n, "http://site.example/p" + n, "Москва", 20 + i % 30, 0, 0, 0, 0, 0, "");
    }
    friends.Save();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--start-once") == 0) return RunStart(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--make-folders") == 0) return MakeFolders(argc, argv, std::stoull(argv[2]));
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
