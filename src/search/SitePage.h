#pragma once
// Reading the site's pages: every request of the search goes through the
// settings' proxy, and a page is turned into UTF-8 the one way the site's
// pages need (windows-1251 unless its charset meta says UTF-8).

#include "web/TFindTags.h"
#include "web/TSubmit.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace search {

// The longest site page taken (result, profile, area and car pages). Real
// pages are tens of kilobytes; a longer answer fails as any too long
// download does, long before the download limit, since every page is also
// tokenized and scanned at several times its size.
inline constexpr size_t MaxSitePageBytes = size_t(4) << 20;

// Readies `client` for a page of the site: MaxSitePageBytes and the
// settings' proxy. Every request for a site page goes through it.
void UseSiteSettings(TSubmit& client);

// Sets `client` to `url` and UseSiteSettings, and returns the reply as it
// came; empty after any failure. Throws only for an empty URL.
std::string FetchSitePage(TSubmit& client, const std::string& url);

// FetchSitePage without the wait: returns at once and `done` gets the same
// reply from a later turn of the event loop. The client's Abort (or its
// end) gives the request up, and `done` is then never called.
void FetchSitePageAsync(TSubmit& client, const std::string& url, std::function<void(std::string page)> done);

// True when the page's first charset meta names UTF-8.
bool DeclaresUtf8(web::TFindTags& finder);

// Hands `page` to `finder` as UTF-8: as it stands (invalid bytes replaced)
// when its first charset meta names UTF-8, else converted from windows-1251.
// A '>' in the page's running text is kept as text. A page that never
// writes "charset" is tokenized once only.
void SetSitePage(web::TFindTags& finder, std::string_view page);

} // namespace search
