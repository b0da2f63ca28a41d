#include "support/site/LocalSite.h"

#include "platform/Text.h"
#include "support/site/SitePages.h"

#include <algorithm>
#include <mutex>

namespace testsupport {

namespace {

using sitepages::PageContext;

const char* CharsetMeta(SiteEncoding encoding) {
    switch (encoding) {
    case SiteEncoding::Cp1251Meta:
        return "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">";
    case SiteEncoding::Utf8: return "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
    case SiteEncoding::Cp1251: break;
    }
    return "";
}

// A site page (UTF-8 as generated) in the site's encoding.
HttpReply SitePage(const std::string& page, SiteEncoding encoding) {
    switch (encoding) {
    case SiteEncoding::Cp1251: return HttpReply::Page(text::Utf8ToCp1251(page), "text/html");
    case SiteEncoding::Cp1251Meta:
        return HttpReply::Page(text::Utf8ToCp1251(page), "text/html; charset=windows-1251");
    case SiteEncoding::Utf8: break;
    }
    return HttpReply::Page(page, "text/html; charset=utf-8");
}

// The hosting's own pages are UTF-8 whatever the site's setting.
HttpReply HostingPage(int status, std::string page) {
    HttpReply reply = HttpReply::Page(std::move(page), "text/html; charset=utf-8");
    reply.status = status;
    return reply;
}

// The area chosen by the search's "s_c" ("3159_4312_4400_0": country,
// region, city, station, "0" for none) and every area inside it, by name;
// empty when no country is chosen. A station stands for its city, since
// members name their city only. An area the site does not know lists nobody:
// its code stands for it, and no member lives in a code.
std::vector<std::string> AreaNamesOf(const std::string& chosen, const std::vector<SiteArea>& countries) {
    const std::vector<SiteArea>* level = &countries;
    const SiteArea* area = nullptr;
    const std::vector<std::string> ids = text::Split(chosen, '_');
    for (size_t depth = 0; depth < ids.size() && depth < 3 && ids[depth] != "0" && !ids[depth].empty(); ++depth) {
        const auto found = std::find_if(level->begin(), level->end(), [&](const SiteArea& a) { return a.id == ids[depth]; });
        if (found == level->end()) return {chosen};
        area = &*found;
        level = &area->children;
    }
    std::vector<std::string> names;
    if (!area) return names;
    std::vector<const SiteArea*> open{area};
    while (!open.empty()) {
        const SiteArea* next = open.back();
        open.pop_back();
        names.push_back(next->name);
        for (const SiteArea& child : next->children) open.push_back(&child);
    }
    return names;
}

bool MatchesSearch(const SiteMember& m, const HttpRequestRecord& r, SiteLayout layout,
                   const std::vector<std::string>& areaNames) {
    if (!areaNames.empty() && std::find(areaNames.begin(), areaNames.end(), m.area) == areaNames.end()) return false;
    const bool isNew = layout == SiteLayout::New;
    const std::string wanted = r.Param(isNew ? "lf" : "s_l");
    if (!wanted.empty() && wanted != "N" && m.gender != wanted) return false;
    const int from = text::StrToIntDef(r.Param(isNew ? "af" : "s_f"), 0);
    const int to = text::StrToIntDef(r.Param(isNew ? "at" : "s_t"), 0);
    if (from > 0 && m.age < from) return false;
    if (to > 0 && m.age > to) return false;
    auto on = [&](const char* oldName, const char* newName) {
        return isNew ? r.Param(newName) == "1" : r.Param(oldName) == "checked";
    };
    if (on("s_p", "wp") && m.photos <= 0) return false;
    if (on("s_v", "wv") && m.video <= 0) return false;
    if (on("s_real", "wr") && !m.realUser) return false;
    if (on("s_w", "ni") && m.intim) return false;
    return true;
}

// The request's query without its "offset" part, for the pager's links;
// empty parts stay, as the program's own addresses have them.
std::string QueryWithoutOffset(const std::string& target) {
    const size_t question = target.find('?');
    if (question == std::string::npos) return {};
    std::string rest;
    bool first = true;
    for (const std::string& part : text::Split(std::string_view(target).substr(question + 1), '&')) {
        if (part.rfind("offset=", 0) == 0) continue;
        if (!first) rest += '&';
        rest += part;
        first = false;
    }
    return rest;
}

// The area with `id` at `depth` levels below the countries (0: a country).
const SiteArea* FindArea(const std::vector<SiteArea>& areas, const std::string& id, int depth) {
    for (const SiteArea& area : areas) {
        if (depth == 0) {
            if (area.id == id) return &area;
        } else if (const SiteArea* found = FindArea(area.children, id, depth - 1)) {
            return found;
        }
    }
    return nullptr;
}

// "/anna/" or "/anna" -> "anna"; empty for any other path.
std::string LoginOfPath(const std::string& path) {
    if (path.size() < 2 || path[0] != '/') return {};
    std::string login = path.substr(1);
    if (login.back() == '/') login.pop_back();
    if (login.empty() || login.find('/') != std::string::npos) return {};
    return login;
}

// A WAP area page: "where" names the parent whose children are listed.
HttpReply WapReply(const HttpRequestRecord& request, const std::vector<SiteArea>& countries) {
    if (request.path != "/") return HostingPage(404, sitepages::PageNotFoundPage());
    const std::string where = request.Param("where");
    const int page = text::StrToIntDef(request.Param("page"), 1);
    static const std::vector<SiteArea> none;
    const std::vector<SiteArea>* listed = &none;
    std::string kind = "Country";
    if (where == "other") {
        listed = &countries;
    } else {
        static const char* const kParents[] = {"Country.", "Region.", "City."};
        static const char* const kKinds[] = {"Region", "City", "Metro"};
        for (int depth = 0; depth < 3; ++depth) {
            const std::string prefix = kParents[depth];
            if (where.rfind(prefix, 0) != 0) continue;
            kind = kKinds[depth];
            if (const SiteArea* parent = FindArea(countries, where.substr(prefix.size()), depth))
                listed = &parent->children;
        }
    }
    return HttpReply::Page(sitepages::WapPage(where, kind, *listed, page, LocalSite::WapPageSize),
                           "application/xhtml+xml; charset=UTF-8");
}

// The members of the requested result page among those the search matches.
sitepages::ResultListing Listing(const HttpRequestRecord& request, const std::vector<SiteMember>& members,
                                 const std::vector<SiteArea>& areas, SiteLayout layout, bool fromSearchLinks) {
    const std::vector<std::string> areaNames = AreaNamesOf(request.Param("s_c"), areas);
    sitepages::ResultListing listing;
    listing.pageSize = LocalSite::PageSize;
    listing.fromSearchLinks = fromSearchLinks;
    listing.offset = std::max(0, text::StrToIntDef(request.Param("offset"), 0));
    listing.query = QueryWithoutOffset(request.target);
    for (const SiteMember& m : members) {
        if (!MatchesSearch(m, request, layout, areaNames)) continue;
        if (listing.total >= listing.offset && listing.total - listing.offset < listing.pageSize)
            listing.members.push_back(m);
        ++listing.total;
    }
    return listing;
}

} // namespace

struct LocalSite::State {
    mutable std::mutex mutex;
    SiteLayout layout = SiteLayout::Old;
    SiteEncoding encoding = SiteEncoding::Cp1251;
    std::chrono::milliseconds delay{0};
    bool fromSearchLinks = false;
    SiteCarPage carPage = SiteCarPage::Makes;
    std::vector<SiteCarMake> makes = DefaultSiteCarMakes();
    std::vector<SiteArea> areas = DefaultSiteAreas();
    std::vector<SiteMember> members;

    const SiteMember* Find(std::string_view login) const {
        for (const SiteMember& m : members)
            if (text::SameTextAscii(m.login, login)) return &m;
        return nullptr;
    }
};

LocalSite::LocalSite(SiteLayout layout, int port) : m_state(std::make_unique<State>()) {
    m_state->layout = layout;
    m_server = std::make_unique<LocalHttpServer>(port);
    m_server->Fallback([this](const HttpRequestRecord& request) { return Serve(request); });
}

LocalSite::~LocalSite() {
    m_server.reset(); // no handler may run on a state that is going away
}

HttpReply LocalSite::Serve(const HttpRequestRecord& request) const {
    std::lock_guard lock(m_state->mutex);
    const State& s = *m_state;
    PageContext context;
    context.layout = s.layout;
    context.host = request.Header("Host");
    if (context.host.empty()) context.host = Host();
    context.charsetMeta = CharsetMeta(s.encoding);

    HttpReply reply = [&]() -> HttpReply {
        if (request.host.rfind("wap.", 0) == 0) return WapReply(request, s.areas);
        if ((request.path == "/" || !LoginOfPath(request.path).empty()) && request.Param("tip") == "AWarn") {
            const std::string target = request.Param("tcurl");
            return target.empty() ? HostingPage(404, sitepages::PageNotFoundPage()) : HttpReply::Redirect(target);
        }
        if (request.path == "/") return SitePage(sitepages::HomePage(context), s.encoding);
        if (request.path == "/search.phtml") {
            const auto listing = Listing(request, s.members, s.areas, s.layout, s.fromSearchLinks);
            return SitePage(sitepages::ResultPage(context, listing), s.encoding);
        }
        if (request.path == "/search_ext.phtml") {
            switch (s.carPage) {
            case SiteCarPage::Makes: return SitePage(sitepages::ExtendedSearchPage(context, s.makes), s.encoding);
            case SiteCarPage::NotFoundText: return HostingPage(200, sitepages::PageNotFoundPage());
            case SiteCarPage::FreeAddressText: return HostingPage(200, sitepages::FreeAddressPage());
            case SiteCarPage::Missing: break;
            }
            return HostingPage(404, sitepages::PageNotFoundPage());
        }
        if (const SiteMember* member = s.Find(LoginOfPath(request.path)))
            return SitePage(sitepages::ProfilePage(context, *member), s.encoding);
        return HostingPage(404, sitepages::PageNotFoundPage());
    }();
    reply.delay = s.delay;
    return reply;
}

int LocalSite::Port() const { return m_server->Port(); }

std::string LocalSite::Host() const { return m_server->HostPort(); }

std::string LocalSite::LocalhostHost() const { return "localhost:" + std::to_string(Port()); }

std::string LocalSite::Url(const std::string& pathAndQuery) const { return m_server->Url(pathAndQuery); }

SiteLayout LocalSite::Layout() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->layout;
}

void LocalSite::SetLayout(SiteLayout layout) {
    std::lock_guard lock(m_state->mutex);
    m_state->layout = layout;
}

SiteEncoding LocalSite::Encoding() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->encoding;
}

void LocalSite::SetEncoding(SiteEncoding encoding) {
    std::lock_guard lock(m_state->mutex);
    m_state->encoding = encoding;
}

void LocalSite::SetDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(m_state->mutex);
    m_state->delay = delay;
}

void LocalSite::SetFromSearchLinks(bool on) {
    std::lock_guard lock(m_state->mutex);
    m_state->fromSearchLinks = on;
}

void LocalSite::SetCarPage(SiteCarPage page) {
    std::lock_guard lock(m_state->mutex);
    m_state->carPage = page;
}

void LocalSite::SetCarMakes(std::vector<SiteCarMake> makes) {
    std::lock_guard lock(m_state->mutex);
    m_state->makes = std::move(makes);
}

void LocalSite::SetAreas(std::vector<SiteArea> countries) {
    std::lock_guard lock(m_state->mutex);
    m_state->areas = std::move(countries);
}

void LocalSite::Add(SiteMember member) {
    std::lock_guard lock(m_state->mutex);
    if (member.id == 0) member.id = int(m_state->members.size()) + 1;
    m_state->members.push_back(std::move(member));
}

void LocalSite::Add(const std::vector<SiteMember>& members) {
    for (const SiteMember& m : members) Add(m);
}

void LocalSite::ClearMembers() {
    std::lock_guard lock(m_state->mutex);
    m_state->members.clear();
}

std::vector<SiteMember> LocalSite::Members() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->members;
}

std::string LocalSite::ResultLink(std::string_view login) const {
    std::lock_guard lock(m_state->mutex);
    const SiteMember* member = m_state->Find(login);
    if (!member) return {};
    return sitepages::ResultLink({m_state->layout, Host(), {}}, *member, m_state->fromSearchLinks);
}

std::string LocalSite::ProfileAddress(std::string_view login) const {
    return "http://" + Host() + "/" + sitepages::PercentEncode(login) + "/";
}

std::vector<HttpRequestRecord> LocalSite::Requests() const { return m_server->Requests(); }

size_t LocalSite::RequestCount() const { return m_server->RequestCount(); }

size_t LocalSite::RequestCount(std::string_view path) const {
    size_t count = 0;
    for (const HttpRequestRecord& r : m_server->Requests()) count += r.path == path;
    return count;
}

size_t LocalSite::SearchRequestCount() const { return RequestCount("/search.phtml"); }

size_t LocalSite::ProfileRequestCount(std::string_view login) const {
    if (login.empty()) return 0;
    size_t count = 0;
    for (const HttpRequestRecord& r : m_server->Requests())
        count += r.host.rfind("wap.", 0) != 0 && text::SameTextAscii(LoginOfPath(r.path), login);
    return count;
}

size_t LocalSite::WapRequestCount() const {
    size_t count = 0;
    for (const HttpRequestRecord& r : m_server->Requests()) count += r.host.rfind("wap.", 0) == 0;
    return count;
}

void LocalSite::ClearRequests() { m_server->ClearRequests(); }

LocalHttpServer& LocalSite::Server() { return *m_server; }

} // namespace testsupport
