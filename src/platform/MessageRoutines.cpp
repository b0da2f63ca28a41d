#include "platform/MessageRoutines.h"

#include <QCoreApplication>
#include <QTimer>

#include <deque>
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

// Boxes standing now, and the messages that wait for them to close.
int& standing() {
    static int boxes = 0;
    return boxes;
}
std::deque<std::string>& posted() {
    static std::deque<std::string> messages;
    return messages;
}

void ShowPosted();

// Counts the box for its life; the last one to close lets the posted
// messages out, from the event loop, once the caller is through with its
// answer.
class TStandingBox {
public:
    TStandingBox() { ++standing(); }
    ~TStandingBox() {
        if (--standing() == 0 && !posted().empty() && QCoreApplication::instance())
            QTimer::singleShot(0, QCoreApplication::instance(), &ShowPosted);
    }
    TStandingBox(const TStandingBox&) = delete;
    TStandingBox& operator=(const TStandingBox&) = delete;
};

void ShowPosted() {
    while (standing() == 0 && !posted().empty()) {
        const std::string msg = std::move(posted().front());
        posted().pop_front();
        try {
            ShowInfoMessage(msg);
        } catch (...) {
            // Nothing may escape into the event loop.
        }
    }
}

} // namespace

// The routines are copied before the call, so a routine that rebinds while its
// box is open does not pull itself from under its own feet.

TMessageRoutines BindMessageRoutines(TMessageRoutines routines) {
    return std::exchange(bound(), std::move(routines));
}

int ShowInfoMessage(const std::string& msg) {
    const auto routine = bound().ShowInfoMessage;
    TStandingBox box;
    return routine ? routine(msg) : unanswered(msg);
}

int ShowMessageQuery(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
    const auto routine = bound().ShowMessageQuery;
    TStandingBox box;
    return routine ? routine(msg, type, buttons) : unanswered(msg);
}

int MessageDlgEx(const std::string& msg) {
    const auto routine = bound().MessageDlgEx;
    TStandingBox box;
    return routine ? routine(msg) : unanswered(msg);
}

void PostInfoMessage(const std::string& msg) {
    if (standing() == 0 && posted().empty()) {
        ShowInfoMessage(msg);
        return;
    }
    posted().push_back(msg);
}

bool MessageBoxStanding() { return standing() > 0; }

void DropPostedMessages() { posted().clear(); }

} // namespace platform
