// The program block: application set-up, then the message loop.
#include "app/forms/FormRegistration.h"
#include "app/forms/MessageDialogBinding.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "image/PictureFormats.h"
#include "platform/HttpConnection.h"
#include "platform/MessageRoutines.h"

#include <QApplication>
#include <QLabel>
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
    QLabel window("Velmora");
    window.setWindowTitle("Velmora");
    window.setAlignment(Qt::AlignCenter);
    window.resize(480, 240);
    window.show();
    // What start-up could not read is told once the window is up; the
    // program goes on with what it has.
    QTimer::singleShot(0, &window, [&dataModule] {
        for (const std::string& warning : dataModule.StartupWarnings()) platform::ShowInfoMessage(warning);
    });
    return QApplication::exec();
}
