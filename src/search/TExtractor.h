#pragma once
// A result-page fetcher of the search engine. The engine arms it with the
// address of one result page; on its timer's tick it downloads the page,
// scrapes every listed profile that is not known yet into the engine's
// candidates, and marks itself done. The tick waits for no answer: the
// scrape runs when the page arrives, and an indirect "fromsearch" link's
// page, downloaded to learn the member's login, is waited for likewise.

#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace search {

class TVelmora;

class TExtractor {
public:
    // The most candidates one result page gives, and the most indirect links
    // of one page asked for: a real page lists about ten members, and each
    // candidate may cost a profile request later.
    static constexpr int MaxCandidatesPerPage = 1000;

    explicit TExtractor(TVelmora& owner);
    ~TExtractor();
    TExtractor(const TExtractor&) = delete;
    TExtractor& operator=(const TExtractor&) = delete;

    TVelmora& Owner() const { return m_owner; }
    TSubmit& Submit() { return m_submit; }
    web::TFindTags& Finder() { return m_finder; }

    // The result page to fetch. A new page forgets the last one's failure.
    const std::string& URL() const { return m_url; }
    void SetURL(std::string url) {
        m_url = std::move(url);
        m_networkError.clear();
        m_pageFailure.clear();
        m_foreignPage = false;
    }
    // Why the last fetch got no answer at all, as a message naming the site
    // (or the proxy that failed); empty when it got one (an error status
    // included) or none was made.
    const std::string& NetworkError() const { return m_networkError; }
    // Why the last fetch brought no page to read (no answer, an error
    // status, a page over the limit), naming the site; empty otherwise.
    const std::string& PageFailure() const { return m_pageFailure; }
    // The last fetch brought a page that is no result page of the site: it
    // lists no member as the layout does and does not say that nobody was
    // found.
    bool ForeignPage() const { return m_foreignPage; }
    // Set when its tick has finished (and by the engine's Stop).
    bool Done() const { return m_done; }
    void SetDone(bool done) { m_done = done; }
    // Interval 10 ms, created stopped; the tick stops it first.
    QTimer& Timer() { return m_timer; }
    // The page to scrape; freed, with its tokens, once the scrape is over.
    const std::string& PageText() const { return m_pageText; }
    void SetPageText(std::string text) { m_pageText = std::move(text); }

    // One request and its scrape, as the answers arrive; never throws. Done
    // once all of that is over.
    void TimerTick();
    // Gives up a tick that waits for a page: it never ends.
    void Cancel();
    // Scrapes PageText into the engine's candidates, waiting for the pages
    // of indirect links; the first MaxCandidatesPerPage new members are
    // taken. PageText is freed afterwards.
    void ParseResultPage();
    // An "a" whose href begins with "http://" and whose class is "u-name":
    // the profile link of the new page layout.
    static bool IsProfileNameLink(const web::THTMLTag& tag);

private:
    struct TScrape;
    // Prepares the scrape of PageText; false when the page lists nobody to take.
    bool BeginScrape();
    // What a listed member's link is to the scrape: a profile of this
    // site, the site's warning redirect, or neither.
    enum class TLinkKind : uint8_t { None, Profile, Redirect };
    TLinkKind ListingKind(const std::string& href) const;
    // Takes anchor `i` of the scrape as the member `login`.
    void TakeAnchor(size_t i, const std::string& login);
    // The tick's scrape from anchor `i` on, each indirect link's page
    // waited for; ends the tick when the last anchor is taken.
    void ScrapeFrom(size_t i);
    // The tick is over.
    void Finish();
    // Frees the page, its tokens and the scrape's tables.
    void FreePage();

    TVelmora& m_owner;
    TSubmit m_submit;
    web::TFindTags m_finder;
    web::TTagList m_tags;
    std::string m_url;
    bool m_done = false;
    QTimer m_timer;
    std::string m_pageText;
    std::string m_networkError;
    std::string m_pageFailure;
    bool m_foreignPage = false;
    bool m_recognised = false; // the page being scraped is the site's
    std::unique_ptr<TScrape> m_scrape;
    std::unique_ptr<TSubmit> m_resolver; // the indirect link's download
};

} // namespace search
