// Search result pages of both layouts.
//
// Old layout: the count in a table cell, then one <li> per member holding a
// one-row table: photo cell, then the info cell with the VIP and real-user
// marks before the name link (<a><font>name</font></a>), ", <age>" right
// after the link, and the area, counts and wanted ages as lines ended by
// <br>. The row's </tr> ends the member.
//
// New layout: no table cells at all; the count in an <h1>, then one <li>
// per member that opens with its "u-s-photo u-photo" block (which is where
// the member before ends), the "u-name" link, "," and the age in a span, the
// area, the marks as titled links, the counts and the wanted ages.
//
// Both: the <li> of a member with intimate content has the class "intim".
// No text that follows a closing </a> outside a member's age holds ", ",
// and lines end right after a tag, so that no stray text items appear.
#include "support/site/SitePages.h"

#include <cstdint>
#include <cstdio>

namespace testsupport::sitepages {

namespace {

// 32 hex digits that stand in for the search session a real link carries.
std::string SearchToken(int id) {
    std::string token;
    uint32_t x = uint32_t(id) * 2654435761u + 0x5bd1e995u;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", x);
        token += part;
        x = x * 1103515245u + 12345u;
    }
    return token;
}

std::string WantedGender(const std::string& code) {
    if (code == "M") return "парня";
    if (code == "F") return "девушку";
    if (code == "MF") return "пару";
    return "партнера";
}

// The lines under the name that both layouts show: counts and wanted ages.
struct Details {
    std::string photos, intimPhotos, video, wanted;
};

Details DetailsOf(const SiteMember& m) {
    Details d;
    if (m.photos > 0) d.photos = std::to_string(m.photos) + " фото";
    if (m.intimPhotos > 0) d.intimPhotos = std::to_string(m.intimPhotos) + " интим-фото";
    if (m.video > 0) d.video = std::to_string(m.video) + " видео";
    if (!m.wantedAge.empty())
        d.wanted = "Ищу " + WantedGender(m.lookingFor) + " в возрасте " + Escape(m.wantedAge) + " лет";
    return d;
}

std::string PhotoUrl(const PageContext& context, const SiteMember& m) {
    return "http://" + context.host + "/photos/" + PercentEncode(m.login) + "_small.jpg";
}

std::string Head(const PageContext& context, bool html5) {
    std::string page = html5 ? "<!DOCTYPE html>\n" : "";
    page += "<html>\n<head>\n";
    if (!context.charsetMeta.empty()) page += context.charsetMeta + "\n";
    page += "<title>Поиск анкет</title>\n";
    if (html5) page += "<link rel=\"stylesheet\" href=\"/css/search.css\">\n";
    page += "</head>\n<body>\n";
    return page;
}

std::string CountText(const ResultListing& listing) {
    return listing.members.empty() ? "Пользователи не найдены" : "Найдено анкет: " + std::to_string(listing.total);
}

// Links to every page of the result: `href` gives a page's address.
template <class Href>
std::string PageLinks(const ResultListing& listing, Href href) {
    const int pages = (listing.total + listing.pageSize - 1) / listing.pageSize;
    const int current = listing.offset / listing.pageSize;
    std::string links;
    for (int p = 0; p < pages; ++p) {
        if (p == current)
            links += "<b>" + std::to_string(p + 1) + "</b>";
        else
            links += "<a href=\"" + href(p * listing.pageSize) + "\">" + std::to_string(p + 1) + "</a>";
        links += " ";
    }
    return links;
}

std::string PageQuery(const ResultListing& listing, int offset) {
    return "/search.phtml?offset=" + std::to_string(offset) + "&" + listing.query;
}

std::string OldMember(const PageContext& context, const ResultListing& listing, const SiteMember& m) {
    const std::string link = ResultLink(context, m, listing.fromSearchLinks);
    const std::string name = Escape(m.ShownName());
    const Details d = DetailsOf(m);
    std::string html = m.intim ? "<li class=\"user intim\">\n" : "<li class=\"user\">\n";
    html += "<table class=\"user\" cellspacing=\"0\" cellpadding=\"2\"><tr>\n";
    if (m.photos > 0)
        html += "<td class=\"photo\"><a href=\"" + link + "\"><img src=\"" + PhotoUrl(context, m) +
                "\" width=\"60\" height=\"80\" border=\"0\" alt=\"" + name + "\"></a></td>\n";
    else
        html += "<td class=\"photo\"><img src=\"/i/nophoto.gif\" width=\"60\" height=\"80\" alt=\"\"></td>\n";
    html += "<td class=\"info\">\n";
    if (m.vip) html += "<a class=\"ico-vip\" href=\"/vip.phtml\"><img src=\"/i/vip.gif\" alt=\"VIP\"></a>\n";
    if (m.realUser) html += "<img src=\"/i/real.gif\" alt=\"Реальный пользователь\">\n";
    html += "<a href=\"" + link + "\"><font color=\"#003399\">" + name + "</font></a>";
    if (m.age > 0) html += ", " + std::to_string(m.age);
    html += "<br>\n";
    if (!m.area.empty()) html += Escape(m.area) + "<br>\n";
    for (const std::string* line : {&d.photos, &d.intimPhotos, &d.video, &d.wanted})
        if (!line->empty()) html += *line + "<br>\n";
    html += "</td>\n</tr></table>\n</li>\n";
    return html;
}

std::string OldPage(const PageContext& context, const ResultListing& listing) {
    const std::string site = "http://" + context.host;
    std::string html = Head(context, false);
    html += "<table class=\"top\" width=\"100%\"><tr>\n";
    html += "<td class=\"logo\"><a href=\"" + site + "/\"><img src=\"/i/logo.gif\" alt=\"Знакомства\"></a></td>\n";
    html += "<td class=\"menu\"><a href=\"" + site + "/my/\">Моя анкета</a> | ";
    html += "<a href=\"/search.phtml\">Поиск</a></td>\n";
    html += "</tr></table>\n";
    html += "<table class=\"found\"><tr><td class=\"found\">" + CountText(listing) + "</td></tr></table>\n";
    if (listing.members.empty()) return html + "</body>\n</html>\n";
    html += "<ul class=\"users\">\n";
    for (const SiteMember& m : listing.members) html += OldMember(context, listing, m);
    html += "</ul>\n";
    html += "<table class=\"pages\"><tr><td>Страницы: " +
            PageLinks(listing, [&](int offset) { return site + PageQuery(listing, offset); }) + "</td></tr></table>\n";
    return html + "</body>\n</html>\n";
}

std::string NewMember(const PageContext& context, const ResultListing& listing, const SiteMember& m) {
    const std::string link = ResultLink(context, m, listing.fromSearchLinks);
    const std::string name = Escape(m.ShownName());
    const Details d = DetailsOf(m);
    std::string html = m.intim ? "<li class=\"search-user intim\">\n" : "<li class=\"search-user\">\n";
    html += "<div class=\"u-s-photo u-photo\">";
    if (m.photos > 0)
        html += "<a href=\"" + link + "\"><img src=\"" + PhotoUrl(context, m) + "\" alt=\"" + name + "\"></a>";
    else
        html += "<img src=\"/i/nophoto.png\" alt=\"\">";
    html += "</div>\n<div class=\"u-info\">\n";
    html += "<a class=\"u-name\" href=\"" + link + "\">" + name + "</a>";
    if (m.age > 0) html += ",<span class=\"u-age\">" + std::to_string(m.age) + "</span>";
    html += "\n";
    if (!m.area.empty()) html += "<span class=\"u-area\">" + Escape(m.area) + "</span>\n";
    if (m.vip || m.realUser) {
        html += "<div class=\"u-marks\">";
        if (m.vip) html += "<a class=\"ico-vip\" href=\"/vip/\" title=\"VIP\"></a>";
        if (m.realUser) html += "<a class=\"ico-real\" href=\"/real/\" title=\"Реальный пользователь\"></a>";
        html += "</div>\n";
    }
    if (!d.photos.empty() || !d.intimPhotos.empty() || !d.video.empty()) {
        html += "<div class=\"u-counts\">";
        if (!d.photos.empty()) html += "<a href=\"" + link + "&afolder=photos\">" + d.photos + "</a>";
        if (!d.intimPhotos.empty()) html += "<span class=\"u-intim\">" + d.intimPhotos + "</span>";
        if (!d.video.empty()) html += "<span class=\"u-video\">" + d.video + "</span>";
        html += "</div>\n";
    }
    if (!d.wanted.empty()) html += "<div class=\"u-want\">" + d.wanted + "</div>\n";
    html += "</div>\n</li>\n";
    return html;
}

std::string NewPage(const PageContext& context, const ResultListing& listing) {
    const std::string site = "http://" + context.host;
    std::string html = Head(context, true);
    html += "<div class=\"header\"><a class=\"logo\" href=\"" + site + "/\">Знакомства</a>";
    html += "<a class=\"my\" href=\"" + site + "/my/\">Моя анкета</a></div>\n";
    html += "<h1>" + CountText(listing) + "</h1>\n";
    if (listing.members.empty()) return html + "</body>\n</html>\n";
    html += "<ul class=\"search-list\">\n";
    for (const SiteMember& m : listing.members) html += NewMember(context, listing, m);
    html += "</ul>\n";
    html += "<div class=\"pager\">" +
            PageLinks(listing, [&](int offset) { return PageQuery(listing, offset); }) + "</div>\n";
    return html + "</body>\n</html>\n";
}

} // namespace

std::string ResultLink(const PageContext& context, const SiteMember& m, bool fromSearch) {
    const std::string profile = "http://" + context.host + "/" + PercentEncode(m.login) + "/";
    if (!m.redirectTo.empty())
        return profile + "?tip=AWarn&tcurl=" + (m.redirectAsIs ? m.redirectTo : PercentEncode(m.redirectTo));
    const std::string number = (context.layout == SiteLayout::New ? "gid=" : "oid=") + std::to_string(m.id);
    if (fromSearch) return profile + "?fromsearch&" + number + "&s=" + SearchToken(m.id);
    return profile + "?" + number;
}

std::string ProfileAddress(const PageContext& context, const SiteMember& m) {
    return "http://" + context.host + "/" + PercentEncode(m.login) + "/";
}

std::string ResultPage(const PageContext& context, const ResultListing& listing) {
    return context.layout == SiteLayout::New ? NewPage(context, listing) : OldPage(context, listing);
}

} // namespace testsupport::sitepages
