#pragma once
// The routines through which every part of the program talks to the user:
// the information box, the question box and the picture-button confirmation.
// Code below the user interface (the search engine) cannot reach the dialogs
// themselves, so the program binds its dialogs here at start-up; tests bind a
// recorder instead and never wait on a modal box.

#include "platform/MessageDialogTypes.h"

#include <functional>
#include <string>

namespace platform {

// The bound routines. Each returns the modal result of the box it showed.
struct TMessageRoutines {
    std::function<int(const std::string& msg)> ShowInfoMessage;
    std::function<int(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons)> ShowMessageQuery;
    std::function<int(const std::string& msg)> MessageDlgEx;
};

// Installs `routines` and returns the ones bound before, so that a caller can
// put them back. Routines left empty count as unbound.
TMessageRoutines BindMessageRoutines(TMessageRoutines routines);

// The information box: no icon, one "OK" button. Unbound: the text is written
// to the standard error stream and mrNone is returned.
int ShowInfoMessage(const std::string& msg);

// A question with the given buttons. Unbound: the text is written to the
// standard error stream and mrNone is returned (no button was pressed).
int ShowMessageQuery(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);

// The picture-button Yes/No confirmation. Unbound: as ShowMessageQuery.
int MessageDlgEx(const std::string& msg);

// For what is told without the user having just asked (the end of a search,
// an area list that came, a save that failed on its own): one box at a time.
// With no box of the routines above standing, the information box is shown
// now; otherwise the message waits until the last box closes and is shown
// then, in the order posted. Never throws for the box it shows later.
void PostInfoMessage(const std::string& msg);
// A box of the routines above stands.
bool MessageBoxStanding();
// Forgets the messages that wait (the program is closing).
void DropPostedMessages();

} // namespace platform
