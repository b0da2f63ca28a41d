#include "app/forms/ProgramStart.h"

#include "app/forms/FormRegistration.h"
#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TAboutBox.h"
#include "image/ImageLoaders.h"
#include "image/PictureFormats.h"
#include "platform/HttpConnection.h"

#include <QApplication>

namespace app {

void PrepareProcess() {
    platform::InitHttp();
    image::RegisterImageLoaders();
    image::RegisterPictureFormats();
}

void PrepareApplication() {
    QApplication::setApplicationName("Velmora");
    QApplication::setWindowIcon(ProgramIconPicture());
    BindMessageDialogs();
    RegisterFormClasses();
}

} // namespace app
