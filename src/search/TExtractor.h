#pragma once
// A result-page fetcher of the search engine. The engine arms it with the
// address of one result page; on its timer's tick it downloads the page
// (one blocking request), scrapes every listed profile that is not known yet
// into the engine's candidates, and marks itself done.

#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <QTimer>
#include <string>

namespace search {

class TVelmora;

class TExtractor {
public:
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
    }
    // Why the last fetch got no answer at all from the site; empty when it
    // got one (an error status included) or none was made.
    const std::string& NetworkError() const { return m_networkError; }
    // Set when its tick has finished (and by the engine's Stop).
    bool Done() const { return m_done; }
    void SetDone(bool done) { m_done = done; }
    // Interval 10 ms, created stopped; the tick stops it first.
    QTimer& Timer() { return m_timer; }
    // The last fetched page.
    const std::string& PageText() const { return m_pageText; }
    void SetPageText(std::string text) { m_pageText = std::move(text); }

    // One request and its scrape; never throws.
    void TimerTick();
    // Scrapes PageText into the engine's candidates.
    void ParseResultPage();
    // An "a" whose href begins with "http://" and whose class is "u-name":
    // the profile link of the new page layout.
    static bool IsProfileNameLink(const web::THTMLTag& tag);

private:
    TVelmora& m_owner;
    TSubmit m_submit;
    web::TFindTags m_finder;
    web::TTagList m_tags;
    std::string m_url;
    bool m_done = false;
    QTimer m_timer;
    std::string m_pageText;
    std::string m_networkError;
};

} // namespace search
