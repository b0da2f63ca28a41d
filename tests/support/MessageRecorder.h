#pragma once
// Binds the program's message routines to a recorder for the life of the
// object, so code that shows messages can be tested without a modal box. The
// routines bound before are put back on destruction.

#include "platform/MessageRoutines.h"

#include <string>
#include <vector>

namespace testsupport {

class MessageRecorder {
public:
    enum class Kind { Info, Query, Ex };

    struct Call {
        Kind kind;
        std::string text;
        platform::TMsgDlgType type;
        platform::TMsgDlgButtons buttons;
    };

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    // What the questions (ShowMessageQuery, MessageDlgEx) answer; mrYes unless set.
    void SetAnswer(int modalResult) { m_answer = modalResult; }

    const std::vector<Call>& Calls() const { return m_calls; }
    // The texts of every message and question, in order.
    std::vector<std::string> Texts() const;

private:
    platform::TMessageRoutines m_previous;
    std::vector<Call> m_calls;
    int m_answer = platform::mrYes;
};

} // namespace testsupport
