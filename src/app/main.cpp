// The program block: application set-up, then the message loop.
#include "app/forms/MessageDialogBinding.h"
#include "data/TdmFriend.h"
#include "image/ImageLoaders.h"
#include "platform/HttpConnection.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    platform::InitHttp();
    image::RegisterImageLoaders();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Velmora");
    app::BindMessageDialogs();
    // Before the main window, which reaches every table through it; its
    // start-up warnings are for the main window to show.
    data::TdmFriend dataModule;
    QLabel window("Velmora");
    window.setWindowTitle("Velmora");
    window.setAlignment(Qt::AlignCenter);
    window.resize(480, 240);
    window.show();
    return QApplication::exec();
}
