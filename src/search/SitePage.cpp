#include "search/SitePage.h"

#include "data/TdmFriend.h"
#include "platform/Text.h"

namespace search {

void UseSiteSettings(TSubmit& client) {
    client.SetMaxContentLength(MaxSitePageBytes);
    data::dmFriend().Settings().ProxyParams().ApplyToClient(client);
}

std::string FetchSitePage(TSubmit& client, const std::string& url) {
    client.SetURL(url);
    UseSiteSettings(client);
    std::string page;
    if (client.Connect()) page = client.GetString();
    client.Disconnect();
    return page;
}

void FetchSitePageAsync(TSubmit& client, const std::string& url, std::function<void(std::string page)> done) {
    client.SetURL(url);
    UseSiteSettings(client);
    client.GetStringAsync([&client, done = std::move(done)](std::string page) {
        client.Disconnect();
        done(std::move(page));
    });
}

bool DeclaresUtf8(web::TFindTags& finder) {
    const web::THTMLTag* meta = finder.FindFirstTag("meta", web::TFindTags::IsCharsetMeta);
    return meta && text::AsciiLower(web::TFindTags::GetParamValue(meta, "content")).find("utf-8") != std::string::npos;
}

namespace {

// Writes into `escaped` the page with every '>' of its running text as
// "&gt;"; false, and nothing written, when it has none. The tokenizer takes
// a bare '>' outside a tag for the end of a tag with no name and drops it,
// so "Москва > Центр" would read "Москва  Центр" and a member's name walk
// would meet a tag. Where a tag begins and ends is followed exactly as the
// tokenizer follows it ('<' opens, '>' closes, nothing quoted), so every
// tag stays as it was. A real page has a few such '>'; past kMaxEscaped the
// rest are left to the tokenizer, so that a page made of them costs no more
// than it did.
bool EscapeTextGreaterThan(std::string_view page, std::string& escaped) {
    constexpr size_t kMaxEscaped = 65536;
    bool inTag = false;
    size_t copied = 0;
    size_t count = 0;
    for (size_t i = 0; i < page.size() && count < kMaxEscaped; ++i) {
        if (page[i] != '<' && page[i] != '>') continue;
        if (page[i] == '<') {
            inTag = true;
        } else if (inTag) {
            inTag = false;
        } else {
            if (count++ == 0) escaped.reserve(page.size() + 64);
            escaped.append(page.substr(copied, i - copied)).append("&gt;");
            copied = i + 1;
        }
    }
    if (count == 0) return false;
    escaped.append(page.substr(copied));
    return true;
}

} // namespace

void SetSitePage(web::TFindTags& finder, std::string_view page) {
    // The meta tag is plain ASCII, so the raw page shows it just as the
    // converted one would.
    bool utf8 = false;
    if (text::FindAsciiCI(page, "charset") != std::string_view::npos) {
        finder.SetHTML(std::string(page));
        utf8 = DeclaresUtf8(finder);
    }
    // The text handed over last is the one tokenized; the bare '>' are
    // escaped last, so that no two long copies of the page live at once.
    std::string escaped;
    if (utf8 && text::IsValidUtf8(page)) {
        if (EscapeTextGreaterThan(page, escaped)) finder.SetHTML(std::move(escaped));
        return;
    }
    std::string html = utf8 ? text::SanitizeUtf8(page) : text::Cp1251ToUtf8(page);
    if (EscapeTextGreaterThan(html, escaped)) html = std::move(escaped);
    finder.SetHTML(std::move(html));
}

} // namespace search
