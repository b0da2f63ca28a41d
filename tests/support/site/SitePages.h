#pragma once
// The page generators of the local site. Each returns the page as UTF-8
// text; LocalSite re-encodes it and sends it. The markup follows the real
// site closely where the program reads it (see each generator), since item
// positions in the tokenized page are what the program navigates by.

#include "support/site/SiteCatalogue.h"
#include "support/site/SiteMember.h"
#include "support/site/SiteSettings.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport::sitepages {

struct PageContext {
    SiteLayout layout = SiteLayout::Old;
    std::string host;        // the site as the client named it ("127.0.0.1:8080")
    std::string charsetMeta; // the meta tag that declares the charset, or empty
};

// One result page of a search.
struct ResultListing {
    std::vector<SiteMember> members; // the members of this page, ids assigned
    int total = 0;                   // members that match the search
    int offset = 0;                  // place of the first listed member
    int pageSize = 10;
    std::string query;               // the search's query without its offset (for the pager)
    bool fromSearchLinks = false;
};

// Text with '&', '<', '>' and '"' written as entities.
std::string Escape(std::string_view text);

// "%XX" for every byte but letters, digits and "-_.~".
std::string PercentEncode(std::string_view text);

// The home page; the new layout's carries the register button.
std::string HomePage(const PageContext& context);

// A result page of the context's layout, or the "Пользователи не найдены"
// page when `listing` has no member.
std::string ResultPage(const PageContext& context, const ResultListing& listing);

// The address a result page links a member with: the profile link (with a
// search token when `fromSearch`), or the warning redirect for a member
// with `redirectTo`.
std::string ResultLink(const PageContext& context, const SiteMember& member, bool fromSearch);

// "http://<host>/<login>/", the profile's own address.
std::string ProfileAddress(const PageContext& context, const SiteMember& member);

// The member's profile page in the context's layout.
std::string ProfilePage(const PageContext& context, const SiteMember& member);

// A WAP search page listing `areas` (page numbers from 1); `where` is the
// request's own "where" value and `kind` the kind of the listed areas
// ("Country", "Region", "City" or "Metro").
std::string WapPage(std::string_view where, std::string_view kind, const std::vector<SiteArea>& areas, int page,
                    int pageSize);

// The extended-search form with the car-make list.
std::string ExtendedSearchPage(const PageContext& context, const std::vector<SiteCarMake>& makes);

// The hosting's pages for a missing page and for a free (parked) address,
// in UTF-8 with their charset meta.
std::string PageNotFoundPage();
std::string FreeAddressPage();

} // namespace testsupport::sitepages
