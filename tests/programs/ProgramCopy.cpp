// The program started as main() starts it, on the folders XDG_DATA_HOME and
// XDG_CONFIG_HOME name, with its messages on standard error instead of boxes
// that would wait. Says READY once its window is up; ends as a user's close
// would when its standard input closes.
#include "app/forms/ProgramStart.h"
#include "app/forms/TfrmMain.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    app::PrepareProcess();
    QApplication application(argc, argv);
    app::PrepareApplication();
    platform::BindMessageRoutines({});
    if (!app::HoldDataFolder()) return 1;
    data::TdmFriend dataModule;
    app::TfrmMain window;
    window.show();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [] {
        if (char c; ::read(STDIN_FILENO, &c, 1) <= 0) QCoreApplication::exit(0);
    });
    std::puts("READY");
    std::fflush(stdout);
    return QApplication::exec();
}
