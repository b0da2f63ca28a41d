#include "search/TChecker.h"

#include "search/TVelmora.h"

namespace search {

TChecker::TChecker(TVelmora& owner) : m_owner(owner) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { TimerTick(); });
}

TChecker::~TChecker() = default;

void TChecker::TimerTick() {}
bool TChecker::CheckProfile() { return false; }
void TChecker::AddSelectedConditions(const std::string&, std::vector<std::string>&, const data::TXMLTable&) {}
void TChecker::AddSelectedNarcoticConditions(const std::string&, std::vector<std::string>&,
                                             const data::TXMLTable&) {}
void TChecker::AddSelectedEconomicConditions(const std::string&, std::vector<std::string>&,
                                             const data::TXMLTable&) {}
void TChecker::AddSelectedCarModels(const std::string&, std::vector<TCarCollectionItem>&, const data::TCarGroup&) {}
bool TChecker::IsTitleBold(const web::THTMLTag&) { return false; }
bool TChecker::IsAgeDiv(const web::THTMLTag&) { return false; }

} // namespace search
