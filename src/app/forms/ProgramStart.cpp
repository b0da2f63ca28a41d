#include "app/forms/ProgramStart.h"

#include "app/forms/FormRegistration.h"
#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TAboutBox.h"
#include "image/ImageLoaders.h"
#include "image/PictureFormats.h"
#include "platform/AtomicFile.h"
#include "platform/HttpConnection.h"
#include "platform/MessageRoutines.h"
#include "platform/ProgramDir.h"
#include "platform/TRegistry.h"

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

bool HoldDataFolder() {
    switch (platform::HoldProgramDir()) {
    case platform::TProgramDirHold::HeldElsewhere:
        platform::ShowInfoMessage(platform::ProgramDirHeldElsewhereText());
        return false;
    case platform::TProgramDirHold::Held:
        // The one writer of the folder knows no save of ours runs there now.
        platform::RemoveLeftTemporaries(platform::ProgramDir(),
                                        {"LoadedFriends.xml", "Friends.xml", "Ignore.xml", "FinderServers.xml", "~tmp.html"});
        break;
    case platform::TProgramDirHold::NotLockable:
        break;
    }
    platform::TRegistry::RemoveLeftTemporaries();
    return true;
}

} // namespace app
