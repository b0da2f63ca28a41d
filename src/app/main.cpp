// The program block: application set-up, then the message loop.
#include "app/forms/FormRegistration.h"
#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TAboutBox.h"
#include "app/forms/TfrmMain.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "image/PictureFormats.h"
#include "platform/HttpConnection.h"
#include "platform/MessageRoutines.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    platform::InitHttp();
    image::RegisterImageLoaders();
    image::RegisterPictureFormats();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmora");
    app::BindMessageDialogs();
    app::RegisterFormClasses();
    // Before the main window, which reaches every table through it.
    data::TdmFriend dataModule;
    QApplication::setWindowIcon(app::ProgramIconPicture());
    app::TfrmMain window;
    window.show();
    // What start-up could not read is told once the window is up; the
    // program goes on with what it has.
    QTimer::singleShot(0, &window, [&dataModule] {
        for (const std::string& warning : dataModule.StartupWarnings()) platform::ShowInfoMessage(warning);
    });
    return QApplication::exec();
}
