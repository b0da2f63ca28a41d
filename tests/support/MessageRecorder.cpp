#include "support/MessageRecorder.h"

namespace testsupport {

using namespace platform;

MessageRecorder::MessageRecorder() {
    m_previous = BindMessageRoutines({
        [this](const std::string& msg) {
            m_calls.push_back({Kind::Info, msg, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK}});
            return mrOk;
        },
        [this](const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
            m_calls.push_back({Kind::Query, msg, type, buttons});
            return m_answer;
        },
        [this](const std::string& msg) {
            m_calls.push_back({Kind::Ex, msg, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}});
            return m_answer;
        },
    });
}

MessageRecorder::~MessageRecorder() { BindMessageRoutines(std::move(m_previous)); }

std::vector<std::string> MessageRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const Call& call : m_calls) texts.push_back(call.text);
    return texts;
}

} // namespace testsupport
