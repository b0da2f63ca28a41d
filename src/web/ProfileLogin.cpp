#include "web/ProfileLogin.h"

#include "platform/Text.h"
#include "web/TFindTags.h"
#include "web/TSubmit.h"

namespace web {
namespace {

// The markup of the pages that indirect links lead to predates the
// tokenizer's current rules: a TAB belongs to the attribute it stands in,
// and "a = b" is three attribute texts.
constexpr THTMLTagSyntax kOlderTagSyntax{.SplitAtTab = false, .DropBlanksAroundEquals = false};

// The session token that follows "s=" in an indirect link (an MD5 in hex).
constexpr size_t kSessionTokenLength = 32;

bool IsNoLogin(std::string_view segment) {
    return segment.empty() || segment.front() == '?' || segment == "tips" || segment == "top" || segment == "my" ||
           segment.find(".phtml") != std::string_view::npos;
}

} // namespace

// The first path segment of a direct profile address, lower case.
std::string LoginOfAddress(std::string_view url) {
    const std::string lower = text::AsciiLower(url);
    std::string_view rest = lower;
    // Only a scheme that is there is cut: seven characters cut unchecked
    // would read the host of an https address as the login, and lose the
    // login of an address relative to its page.
    if (rest.starts_with("http://")) rest.remove_prefix(7);
    else if (rest.starts_with("https://")) rest.remove_prefix(8);
    const size_t hostEnd = rest.find('/');
    // A bare host names no member.
    if (hostEnd == std::string_view::npos) return {};
    rest.remove_prefix(hostEnd + 1);
    const std::string_view segment = rest.substr(0, rest.find('/'));
    return IsNoLogin(segment) ? std::string() : std::string(segment);
}

bool IsSearchLink(std::string_view url) { return url.find("fromsearch") != std::string_view::npos; }

// The site serves windows-1251 unless its page is already UTF-8.
std::string AddressOnSearchPage(std::string_view page) { return FindProfileAddress(text::Utf8OrCp1251ToUtf8(page)); }

std::string CutSessionToken(std::string_view link) {
    std::string result(link);
    const size_t start = result.find("s=");
    if (start == std::string::npos) return result;
    // Counted in code points, so that a damaged link is never cut inside a
    // UTF-8 sequence; the token itself is plain ASCII.
    const std::string_view after = std::string_view(result).substr(start + 2);
    const size_t tokenBytes = text::TakeCodePoints(after, kSessionTokenLength).size();
    result.erase(start, 2 + tokenBytes);
    if (!result.empty() && result.back() == '&') result.pop_back();
    return result;
}

std::string FindProfileAddress(std::string page) {
    TFindTags finder(kOlderTagSyntax);
    finder.SetHTML(std::move(page));
    const TTagList anchors = finder.FindTagsInForm("a", {}, {});
    for (auto it = anchors.rbegin(); it != anchors.rend(); ++it) {
        const THTMLText* caption = finder.TextAfter(**it);
        if (!caption) continue;
        std::string_view address = text::TrimRight(caption->Text());
        if (address.empty() || address.back() != '/') continue;
        address.remove_suffix(1);
        if (address.empty()) continue;
        const std::string href = TFindTags::GetParamValue(*it, "href");
        if (std::string_view(href).starts_with(address)) return std::string(caption->Text());
    }
    return {};
}

std::string ResolveSearchLink(std::string_view link, const TClientSetup& setup) {
    if (link.empty()) return {};
    const std::string url = CutSessionToken(link);
    // A link that was nothing but its token leaves nothing to ask for.
    if (url.empty()) return {};
    TSubmit client;
    if (setup) setup(client);
    client.SetURL(url);
    client.Connect();
    const std::string page = client.GetString();
    client.Disconnect();
    return AddressOnSearchPage(page);
}

std::string ExtractProfileLogin(std::string_view url, const TClientSetup& setup) {
    if (IsSearchLink(url)) return LoginOfAddress(ResolveSearchLink(url, setup));
    return LoginOfAddress(url);
}

} // namespace web
