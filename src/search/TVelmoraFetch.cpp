// The engine's fetch phase: a batch of up to five result pages, each handed
// to a page fetcher whose timer tick downloads and scrapes it; and the
// search addresses of both page layouts.
#include "data/TdmFriend.h"
#include "search/TVelmora.h"

#include <algorithm>

namespace search {

bool TVelmora::FetchPhase() {
    switch (m_fetchSubPhase) {
    case 0: {
        // Arm one fetcher per page, from PageIndex on, until the pages or the
        // fetchers run out; PageIndex ends on the last page armed (or on
        // PageCount when the pages ran out).
        const int32_t pageCount = data::dmFriend().Settings().PageCount();
        m_activeExtractors.clear();
        for (int k = 0;; ++k) {
            if (k > 0) {
                ++m_pageIndex;
                if (pageCount <= m_pageIndex) break;
            }
            TExtractor& extractor = *m_extractors[size_t(k)];
            extractor.SetDone(false);
            m_activeExtractors.push_back(&extractor);
            extractor.SetURL(SearchURL(m_pageIndex));
            if (pageCount <= m_pageIndex || k + 1 == ExtractorCount) break;
        }
        for (TExtractor* extractor : m_activeExtractors)
            if (!extractor->Timer().isActive()) extractor->Timer().start();
        m_fetchSubPhase = 1;
        return true;
    }
    case 1: {
        const bool allDone = std::all_of(m_activeExtractors.begin(), m_activeExtractors.end(),
                                         [](TExtractor* e) { return e->Done(); });
        const bool allIdle = std::all_of(m_activeExtractors.begin(), m_activeExtractors.end(),
                                         [this](TExtractor* e) { return !Armed(e, e->Timer()); });
        if (allDone || allIdle) {
            m_fetchSubPhase = 2;
            for (const TExtractor* e : m_activeExtractors)
                if (e->Done() && !e->PageFailure().empty()) {
                    ++m_unreadPages;
                    m_unreadPageFailure = e->PageFailure();
                } else if (e->Done() && e->ForeignPage()) {
                    ++m_foreignPages;
                }
        }
        return true;
    }
    default:
        m_activeExtractors.clear();
        m_fetchSubPhase = 0;
        return false;
    }
}

std::string TVelmora::SearchURL(int page) {
    data::TFinderParams& p = m_params;
    if (p.s_ty().empty()) p.SetS_ty("All");

    // Values go in as they stand: the site reads them unencoded.
    std::string url = "http://" + m_host + "/search.phtml?";
    if (page > 0) url += "offset=" + std::to_string(int64_t(page) * 10) + "&";
    if (!IsNewSite()) {
        url += "s_ty=" + p.s_ty() + "&s_m=" + p.s_m() + "&s_i=" + p.s_i() + "&s_l=" + p.s_l() + "&s_f=" + p.s_f() +
               "&s_t=" + p.s_t() + "&s_c=" + p.s_c() + "&s_p=" + p.s_p() + "&s_w=" + p.s_w() +
               "&s_real=" + p.s_real() + "&s_vw=" + p.s_vw() + "&s_v=" + p.s_v();
        return url;
    }

    const std::string& period = p.s_ty();
    if (period == "All")
        url += "&t=a";
    else if (period == "Online")
        url += "&t=o";
    else if (period == "24h")
        url += "&t=d";
    else if (period == "Week")
        url += "&t=w";
    else if (period == "Month")
        url += "&t=m";
    else
        url += "s_ty=" + period;
    url += "&s_m=" + p.s_m() + "&ia=" + p.s_i() + "&lf=" + p.s_l() + "&af=" + p.s_f() + "&at=" + p.s_t() +
           "&s_c=" + p.s_c();
    if (p.s_p() == "checked") url += "&wp=1";
    if (p.s_w() == "checked") url += "&ni=1";
    if (p.s_real() == "checked") url += "&wr=1";
    url += "&s_vw=" + p.s_vw();
    if (p.s_v() == "checked") url += "&wv=1";
    return url;
}

} // namespace search
