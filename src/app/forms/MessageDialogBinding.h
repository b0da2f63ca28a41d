#pragma once
// Connects the program's message routines to its dialogs.

namespace app {

// From now on platform::ShowInfoMessage, ShowMessageQuery and MessageDlgEx
// show the program's message boxes (dlgMessages, dlgMessagesEx).
void BindMessageDialogs();

} // namespace app
