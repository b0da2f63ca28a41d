#include "platform/MessageRoutines.h"

#include <iostream>
#include <utility>

namespace platform {
namespace {

TMessageRoutines& bound() {
    static TMessageRoutines routines;
    return routines;
}

// Nobody can answer: the text is not lost, and no button counts as pressed.
int unanswered(const std::string& msg) {
    std::cerr << msg << '\n';
    return mrNone;
}

} // namespace

// The routines are copied before the call, so a routine that rebinds while its
// box is open does not pull itself from under its own feet.

TMessageRoutines BindMessageRoutines(TMessageRoutines routines) {
    return std::exchange(bound(), std::move(routines));
}

int ShowInfoMessage(const std::string& msg) {
    const auto routine = bound().ShowInfoMessage;
    return routine ? routine(msg) : unanswered(msg);
}

int ShowMessageQuery(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
    const auto routine = bound().ShowMessageQuery;
    return routine ? routine(msg, type, buttons) : unanswered(msg);
}

int MessageDlgEx(const std::string& msg) {
    const auto routine = bound().MessageDlgEx;
    return routine ? routine(msg) : unanswered(msg);
}

} // namespace platform
