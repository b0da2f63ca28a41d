#pragma once
// The local dating site that the search tests and benchmarks run against: a
// LocalHttpServer on a loopback port that serves, from a list of members,
// the pages the program reads:
//
//   "/"                       home page (the layout probe); "/?tip=AWarn&tcurl=X" redirects to X
//   "/search.phtml?..."       result pages, `PageSize` members a page by "offset", the
//                             "Пользователи не найдены" page past the end; members are
//                             filtered by gender, ages, photo, video, real-user and intim
//                             parameters (the names of the site's layout) and by the area
//                             of "s_c" (members of that area and the areas inside it)
//   "/<login>/", "/<login>"   profile pages (any query); "?tip=AWarn&tcurl=X" redirects to X
//   "/search_ext.phtml"       the extended-search page with the car makes (see SiteCarPage)
//   host "wap.*", "/?area=search&...&where=W&page=N"
//                             WAP area pages: W "other" lists countries, "Country.<id>"
//                             its regions, "Region.<id>" its cities, "City.<id>" its stations
//
// Every link names the site as the request's Host header does, so the pages
// fit whichever name the client used ("127.0.0.1:<port>", or
// "localhost:<port>", which also reaches the WAP pages as "wap.localhost:<port>").
// Anything else gets a 404 "Страница не найдена" page. Routes a test sets on
// Server() win over the site's own pages.
//
//   LocalSite site(SiteLayout::New);
//   site.Add(SiteMember("anna").Age(27).Photos(3));
//   site.SetDelay(20ms);
//   ... search "http://" + site.Host() ...
//   EXPECT_EQ(site.ProfileRequestCount("anna"), 0u);

#include "support/LocalHttpServer.h"
#include "support/site/SiteCatalogue.h"
#include "support/site/SiteMember.h"
#include "support/site/SiteSettings.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class LocalSite {
public:
    static constexpr int PageSize = 10;    // members on a result page
    static constexpr int WapPageSize = 10; // areas on a WAP page

    // Starts serving on `port` of 127.0.0.1 (0: a free one); throws when it
    // cannot bind. The site starts with no members, windows-1251 pages
    // without a charset, no delay, the default areas and car makes.
    explicit LocalSite(SiteLayout layout = SiteLayout::Old, int port = 0);
    ~LocalSite();
    LocalSite(const LocalSite&) = delete;
    LocalSite& operator=(const LocalSite&) = delete;

    int Port() const;
    // "127.0.0.1:<port>": the site's host as the program's settings name it.
    std::string Host() const;
    // "localhost:<port>": a name under which "wap." + name reaches the WAP pages.
    std::string LocalhostHost() const;
    // "http://127.0.0.1:<port>" + pathAndQuery.
    std::string Url(const std::string& pathAndQuery = "/") const;

    // Settings; each applies from the next request on.
    SiteLayout Layout() const;
    void SetLayout(SiteLayout layout);
    SiteEncoding Encoding() const;
    void SetEncoding(SiteEncoding encoding);
    // Every answer waits this long first.
    void SetDelay(std::chrono::milliseconds delay);
    // Result pages link members through "fromsearch" links with a session
    // token ("/<login>/?fromsearch&oid=N&s=<32 hex digits>") instead of plain ones.
    void SetFromSearchLinks(bool on);
    void SetCarPage(SiteCarPage page);
    void SetCarMakes(std::vector<SiteCarMake> makes);
    void SetAreas(std::vector<SiteArea> countries);

    // Members, listed on result pages in the order added. A member whose id
    // is 0 is given its place in the list (from 1).
    void Add(SiteMember member);
    void Add(const std::vector<SiteMember>& members);
    void ClearMembers();
    std::vector<SiteMember> Members() const;

    // The link a result page gives `member` (the first member of that login
    // when there are several), as seen under Host(); empty when unknown.
    std::string ResultLink(std::string_view login) const;
    // "http://127.0.0.1:<port>/<login>/", the profile's own address.
    std::string ProfileAddress(std::string_view login) const;

    // Requests received, in order of arrival.
    std::vector<HttpRequestRecord> Requests() const;
    size_t RequestCount() const;
    // Requests for exactly this path (no query), on any host.
    size_t RequestCount(std::string_view path) const;
    size_t SearchRequestCount() const; // "/search.phtml"
    // Requests for the member's profile page ("/<login>/" or "/<login>"),
    // the login compared without regard to ASCII case.
    size_t ProfileRequestCount(std::string_view login) const;
    size_t WapRequestCount() const; // requests to a "wap." host
    void ClearRequests();

    // The server underneath, for extra routes (which win over the site's
    // own pages) and for replies the site does not make.
    LocalHttpServer& Server();

private:
    struct State;
    HttpReply Serve(const HttpRequestRecord& request) const;

    std::unique_ptr<State> m_state;
    std::unique_ptr<LocalHttpServer> m_server;
};

} // namespace testsupport
