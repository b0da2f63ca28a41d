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

void SetSitePage(web::TFindTags& finder, std::string_view page) {
    // The meta tag is plain ASCII, so the raw page shows it just as the
    // converted one would.
    bool utf8 = false;
    if (text::FindAsciiCI(page, "charset") != std::string_view::npos) {
        finder.SetHTML(std::string(page));
        utf8 = DeclaresUtf8(finder);
    }
    if (!utf8)
        finder.SetHTML(text::Cp1251ToUtf8(page));
    else if (!text::IsValidUtf8(page))
        finder.SetHTML(text::SanitizeUtf8(page));
}

} // namespace search
