#include "search/TExtractor.h"

#include "search/TVelmora.h"

namespace search {

TExtractor::TExtractor(TVelmora& owner) : m_owner(owner) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { TimerTick(); });
}

TExtractor::~TExtractor() = default;

void TExtractor::TimerTick() {}
void TExtractor::ParseResultPage() {}
bool TExtractor::IsProfileNameLink(const web::THTMLTag&) { return false; }

} // namespace search
