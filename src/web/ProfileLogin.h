#pragma once
// The login of a member, taken from the member's profile address: the first
// path segment of "http://host/login/". Links from result pages may instead
// be indirect "fromsearch" links carrying a session token; their page is
// downloaded once to find the profile's own address on it. That page is read
// with the older tag syntax the site's markup was written for (tags split at
// blanks only, blanks round '=' kept).

#include <functional>
#include <string>
#include <string_view>

class TSubmit;

namespace web {

// Prepares the client of a download before it connects (the caller's proxy
// settings, usually TTesselProxyParams::ApplyToClient); may be empty.
using TClientSetup = std::function<void(TSubmit& client)>;

// The login of a profile address, downloading an indirect "fromsearch" link's
// page first to find the address it stands for. Empty when the address is no
// profile link: nothing after the host, a first path segment that is empty,
// begins with '?', is "tips", "top" or "my", or holds ".phtml"; and when an
// indirect link's page cannot be fetched or shows no link to the profile.
// Letters A-Z come out in lower case. Raises only what `setup` raises.
std::string ExtractProfileLogin(std::string_view url, const TClientSetup& setup = {});

// The profile address an indirect "fromsearch" link stands for: the link
// without its session token is downloaded and the last link on the page
// whose text, ending in '/', begins its own address is taken; its text is
// returned as it stands. Empty for an empty link, a failed download, or a
// page without such a link. Blocks for the download; raises only what
// `setup` raises.
std::string ResolveSearchLink(std::string_view link, const TClientSetup& setup = {});

// The steps of ExtractProfileLogin, for a caller that makes the download
// itself without waiting for it: a "fromsearch" link (IsSearchLink) is
// downloaded from CutSessionToken(link) (nothing when that is empty) by a
// fresh client prepared by the setup, connected, read and disconnected; the
// reply as it came gives the address (AddressOnSearchPage), and the address,
// or a link that needs no download, its login (LoginOfAddress).
bool IsSearchLink(std::string_view url);
std::string AddressOnSearchPage(std::string_view page);
std::string LoginOfAddress(std::string_view url);

// The link without its session token: from the first "s=" on, those two
// characters and the 32 after them are removed (everything to the end when
// fewer follow), then one '&' left at the end. A link without "s=" stays.
std::string CutSessionToken(std::string_view link);

// The address on a page (UTF-8) that ResolveSearchLink takes: the text of
// the last "a" tag whose following text item, with trailing blanks removed,
// ends in '/' and, without that '/', is a non-empty beginning of the tag's
// href. Empty when no anchor qualifies.
std::string FindProfileAddress(std::string page);

} // namespace web
