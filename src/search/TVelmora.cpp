#include "search/TVelmora.h"

namespace search {

TVelmora::TVelmora() {
    m_candidates.Open();
    m_masterTimer.setInterval(10);
    QObject::connect(&m_masterTimer, &QTimer::timeout, &m_masterTimer, [this] { TimerTick(); });
    for (auto& e : m_extractors) e = std::make_unique<TExtractor>(*this);
    for (auto& c : m_checkers) c = std::make_unique<TChecker>(*this);
}

TVelmora::~TVelmora() = default;

void TVelmora::Start() {}
void TVelmora::Stop() {}
void TVelmora::Suspend() {}
void TVelmora::Resume() {}
void TVelmora::LoadFoundFriends() {}
void TVelmora::SaveFoundFriends() {}
void TVelmora::ExportFoundToHtml(const std::string&) {}
void TVelmora::DetectSiteVersionOf(const std::string&) {}

bool TVelmora::IsAllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

void TVelmora::TimerTick() {}
void TVelmora::Step() {}

} // namespace search
