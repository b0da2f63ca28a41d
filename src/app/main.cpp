// The program block: application set-up, then the message loop.
#include "app/forms/ProgramStart.h"
#include "app/forms/TfrmMain.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    app::PrepareProcess();
    QApplication application(argc, argv);
    app::PrepareApplication();
    // Before the main window, which reaches every table through it.
    data::TdmFriend dataModule;
    app::TfrmMain window;
    window.show();
    // What start-up could not read is told once the window is up; the
    // program goes on with what it has.
    QTimer::singleShot(0, &window, [&dataModule] {
        for (const std::string& warning : dataModule.StartupWarnings()) platform::ShowInfoMessage(warning);
    });
    return QApplication::exec();
}
