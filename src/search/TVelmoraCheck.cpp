// The engine's check phase: hands the candidates out to the profile checkers
// in batches of up to 70 and tells the master tick when a batch is over.
#include "search/TVelmora.h"

#include <algorithm>

namespace search {

bool TVelmora::CheckPhase() {
    if (m_checkSubPhase == 0) {
        // Every one of the 70 rounds moves CandidateIndex on, handed out or
        // not, so a batch always consumes 70 places of the candidate table.
        for (int i = 0; i < CheckerCount; ++i) {
            if (m_candidates.RecordCount() > m_candidateIndex) {
                TChecker& checker = Checker(i);
                checker.SetDone(false);
                m_activeCheckers.push_back(&checker);
                checker.Friend() = data::TFriend::ReadRecord(m_candidates, m_candidateIndex);
            }
            ++m_candidateIndex;
        }
        for (TChecker* checker : m_activeCheckers)
            if (!checker->Timer().isActive()) checker->Timer().start();
        m_checkSubPhase = 1;
        return false;
    }

    // A checker's timer goes off at the start of its tick, so a checker that
    // is no longer armed (timer off, tick neither held nor waiting for the
    // site) has made its one request.
    const bool allDone = std::all_of(m_activeCheckers.begin(), m_activeCheckers.end(),
                                     [](TChecker* c) { return c->Done(); });
    const bool allIdle = std::all_of(m_activeCheckers.begin(), m_activeCheckers.end(),
                                     [this](TChecker* c) { return !Armed(c, c->Timer()); });
    if (!allDone && !allIdle) return false;
    m_activeCheckers.clear();
    m_checkSubPhase = 0;
    return true;
}

} // namespace search
