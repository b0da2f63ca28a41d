#include "app/forms/MessageDialogBinding.h"

#include "app/forms/TdlgMessages.h"
#include "app/forms/TdlgMessagesEx.h"
#include "platform/MessageRoutines.h"

namespace app {

void BindMessageDialogs() {
    platform::BindMessageRoutines({
        [](const std::string& msg) { return dlgMessages.ShowInfoMessage(msg); },
        [](const std::string& msg, platform::TMsgDlgType type, platform::TMsgDlgButtons buttons) {
            return dlgMessages.ShowMessageQuery(msg, type, buttons);
        },
        [](const std::string& msg) { return dlgMessagesEx.MessageDlgEx(msg); },
    });
}

} // namespace app
