// The program block: application set-up, then the message loop.
#include "app/forms/ProgramStart.h"
#include "app/forms/TfrmMain.h"
#include "data/TdmFriend.h"

#include <QApplication>

int main(int argc, char** argv) {
    app::PrepareProcess();
    QApplication application(argc, argv);
    app::PrepareApplication();
    if (!app::HoldDataFolder()) return 1;
    // Before the main window, which reaches every table through it.
    data::TdmFriend dataModule;
    app::TfrmMain window;
    window.show();
    return QApplication::exec();
}
