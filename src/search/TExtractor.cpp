// The result-page fetcher and scraper.
//
// A result page lists members as profile anchors; for each anchor the
// scraper reads the name that follows it, then walks on to the end of the
// member's entry collecting age, area, counts and wanted ages, and looks
// round the anchor for the VIP, real-user and intim marks. Every one of
// those walks is fixed by the page alone (where it starts, where it stops,
// what it picks up), so instead of walking the page once per anchor (which
// turns quadratic on a page whose entries lack their closing markers) the
// scan below precomputes, in one pass each way, the answer of every walk
// from every position: nearest-item tables for the short walks and a fold
// of the detail walk from the end of each entry backwards. A page thus costs
// its tokenizing plus linear work, and gives what the walks would give.
#include "search/TExtractor.h"

#include "data/TdmFriend.h"
#include "platform/Text.h"
#include "search/TVelmora.h"
#include "search/SitePage.h"
#include "web/ProfileLogin.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace search {

namespace {

using web::THTMLItem;
using web::THTMLTag;
using web::THTMLText;

constexpr std::string_view kPhotoBlockClass = "u-s-photo u-photo";
constexpr std::string_view kRealUser = "Реальный пользователь";
constexpr std::string_view kRedirectMark = "/?tip=AWarn";
constexpr std::string_view kRedirectTarget = "/?tip=AWarn&tcurl=";

using text::Contains;

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view Attr(const THTMLTag& tag, std::string_view key) {
    const web::THTMLParam* param = tag.FindParam(key);
    return param ? param->Value() : std::string_view();
}

bool IsNamed(const THTMLTag* tag, std::string_view name) { return tag && text::SameTextAscii(tag->Name(), name); }

// The value of a run of decimal digits; nothing when the run is empty, holds
// anything else, or does not fit in 32 bits.
std::optional<int32_t> DigitsValue(std::string_view digits) {
    if (!TVelmora::IsAllDigits(digits)) return std::nullopt;
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

// The digits standing right before the end of `text`.
std::string_view TrailingDigits(std::string_view text) {
    size_t begin = text.size();
    while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9') --begin;
    return text.substr(begin);
}

// The count a line such as "12 фото" gives: the digits right before the suffix.
std::optional<int32_t> CountBefore(std::string_view line, std::string_view suffix) {
    if (!EndsWith(line, suffix)) return std::nullopt;
    return DigitsValue(TrailingDigits(line.substr(0, line.size() - suffix.size())));
}

char HexDigit(unsigned value) { return "0123456789ABCDEF"[value & 15]; }

// The target of a warning redirect, URL-decoded. Control bytes, and every
// byte of 0x80 and above when the result is not UTF-8, go back to escapes so
// that the address is stored intact.
std::string DecodeRedirectTarget(std::string_view encoded) {
    const std::string decoded = text::UrlDecode(encoded);
    const bool utf8 = text::IsValidUtf8(decoded);
    std::string safe;
    safe.reserve(decoded.size());
    for (char c : decoded) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || (!utf8 && byte >= 0x80)) {
            safe += '%';
            safe += HexDigit(byte >> 4);
            safe += HexDigit(byte);
        } else {
            safe += c;
        }
    }
    return safe;
}

// What a result page says of one listed member.
struct TListing {
    bool usable = true;
    bool named = false; // a name text was found (else the login stands for it)
    std::string name;
    std::string area;
    std::string ageRange;
    int32_t age = 0;
    int32_t photoCount = 0;
    int32_t videoCount = 0;
    bool realUser = false;
    bool vipUser = false;
    bool intim = false;
};

// The answers of every walk the scraper makes over one tokenized page, from
// every position. Positions run 0..n, n standing for "past the end" (and for
// "none" in the next-item tables).
class TPageScan {
public:
    TPageScan(const std::vector<const THTMLItem*>& items, bool newLayout);

    // The member of the anchor at `anchor`, as the page lists it.
    TListing Listing(int32_t anchor) const;

private:
    // What the detail walk collects from a position to the end of its entry;
    // for each value, the last one met wins (intim photo counts add up after
    // the last plain photo count).
    struct TDetails {
        int32_t ageRangeAt = -1; // the text that gave the wanted ages
        int32_t ageAt = -1;      // the "</a>" that gave age and area
        int32_t age = 0;
        int32_t areaAt = -1; // the text that gave the area; -1: none
        bool photoSet = false;
        int32_t photoBase = 0;
        int64_t photoAdded = 0;
        bool videoSet = false;
        int32_t video = 0;
    };

    const THTMLTag* Tag(int32_t i) const { return i >= 0 && i < m_count ? m_items[size_t(i)]->AsTag() : nullptr; }
    const THTMLText* Text(int32_t i) const {
        return i >= 0 && i < m_count ? m_items[size_t(i)]->AsText() : nullptr;
    }
    // Age and area read after the "</a>" at `i`; false when it gives none.
    bool ReadAgeAndArea(int32_t i, int32_t& age, int32_t& areaAt) const;
    void BuildForward();
    void BuildBackward();

    const std::vector<const THTMLItem*>& m_items;
    const int32_t m_count;
    const bool m_newLayout;

    // Next (at or after i) text; text not empty without its leading blanks;
    // text that is all digits without its leading blanks.
    std::vector<int32_t> m_nextText, m_nextFilled, m_nextDigits;
    // Where the name walk from i ends: a text, "/tr", "/li", "/a", or (old
    // layout) any tag but "font" and "/font".
    std::vector<int32_t> m_nameEnd;
    // New layout: the next photo block "div"; the next tag of that class; the
    // next "a" titled "VIP"; the next "a" titled as a real user.
    std::vector<int32_t> m_nextPhotoDiv, m_nextPhotoBlock, m_nextVipTitle, m_nextRealTitle;
    // Old layout: the last (at or before i) "table"; "a" of class "ico-vip";
    // "img" with the real-user alt text. Both layouts: the last "li". -1: none.
    std::vector<int32_t> m_lastTable, m_lastVip, m_lastReal, m_lastLi;
    std::vector<TDetails> m_details;
};

TPageScan::TPageScan(const std::vector<const THTMLItem*>& items, bool newLayout)
    : m_items(items), m_count(static_cast<int32_t>(items.size())), m_newLayout(newLayout) {
    BuildForward();
    BuildBackward();
}

void TPageScan::BuildForward() {
    const size_t n = size_t(m_count);
    m_lastLi.assign(n, -1);
    if (!m_newLayout) {
        m_lastTable.assign(n, -1);
        m_lastVip.assign(n, -1);
        m_lastReal.assign(n, -1);
    }
    int32_t li = -1, table = -1, vip = -1, real = -1;
    for (int32_t i = 0; i < m_count; ++i) {
        if (const THTMLTag* tag = Tag(i)) {
            if (IsNamed(tag, "li")) li = i;
            if (!m_newLayout) {
                if (IsNamed(tag, "table")) table = i;
                if (IsNamed(tag, "a") && Attr(*tag, "class") == "ico-vip") vip = i;
                if (IsNamed(tag, "img") && Attr(*tag, "alt") == kRealUser) real = i;
            }
        }
        m_lastLi[size_t(i)] = li;
        if (!m_newLayout) {
            m_lastTable[size_t(i)] = table;
            m_lastVip[size_t(i)] = vip;
            m_lastReal[size_t(i)] = real;
        }
    }
}

bool TPageScan::ReadAgeAndArea(int32_t i, int32_t& age, int32_t& areaAt) const {
    // The text among the two items after the "</a>".
    int32_t at = Text(i + 1) ? i + 1 : Text(i + 2) ? i + 2 : -1;
    if (at < 0) return false;
    const std::string_view t = Text(at)->Text();
    std::optional<int32_t> value;
    int32_t after = at;
    if (text::Trim(t) == ",") {
        // ",<span>27</span>": the age is the next all-digit text.
        after = m_nextDigits[size_t(at + 1)];
        if (after < m_count) value = DigitsValue(text::TrimLeft(Text(after)->Text()));
    } else if (const size_t comma = t.find(", "); comma != std::string_view::npos) {
        value = DigitsValue(text::Trim(t.substr(comma + 2)));
    }
    if (!value) return false;
    age = *value;
    const int32_t area = m_nextFilled[size_t(after + 1)];
    areaAt = area < m_count ? area : -1;
    return true;
}

void TPageScan::BuildBackward() {
    const size_t n = size_t(m_count);
    m_nextText.assign(n + 1, m_count);
    m_nextFilled.assign(n + 1, m_count);
    m_nextDigits.assign(n + 1, m_count);
    m_nameEnd.assign(n + 1, m_count);
    if (m_newLayout) {
        m_nextPhotoDiv.assign(n + 1, m_count);
        m_nextPhotoBlock.assign(n + 1, m_count);
        m_nextVipTitle.assign(n + 1, m_count);
        m_nextRealTitle.assign(n + 1, m_count);
    }
    m_details.assign(n + 1, TDetails{});

    for (int32_t i = m_count - 1; i >= 0; --i) {
        const size_t k = size_t(i);
        m_nextText[k] = m_nextText[k + 1];
        m_nextFilled[k] = m_nextFilled[k + 1];
        m_nextDigits[k] = m_nextDigits[k + 1];
        m_nameEnd[k] = m_nameEnd[k + 1];
        if (m_newLayout) {
            m_nextPhotoDiv[k] = m_nextPhotoDiv[k + 1];
            m_nextPhotoBlock[k] = m_nextPhotoBlock[k + 1];
            m_nextVipTitle[k] = m_nextVipTitle[k + 1];
            m_nextRealTitle[k] = m_nextRealTitle[k + 1];
        }
        TDetails details = m_details[k + 1];

        if (const THTMLText* item = Text(i)) {
            const std::string_view t = item->Text();
            const std::string_view left = text::TrimLeft(t);
            m_nextText[k] = i;
            m_nameEnd[k] = i;
            if (!left.empty()) m_nextFilled[k] = i;
            if (TVelmora::IsAllDigits(left)) m_nextDigits[k] = i;

            if (details.ageRangeAt < 0 && Contains(t, "в возрасте")) details.ageRangeAt = i;
            if (auto photos = CountBefore(left, " фото")) {
                if (!details.photoSet) {
                    details.photoSet = true;
                    details.photoBase = *photos;
                }
            } else if (auto intim = CountBefore(left, " интим-фото")) {
                if (!details.photoSet) details.photoAdded += *intim;
            } else if (auto video = CountBefore(left, " видео")) {
                if (!details.videoSet) {
                    details.videoSet = true;
                    details.video = *video;
                }
            }
        } else if (const THTMLTag* tag = Tag(i)) {
            const bool photoBlock = Attr(*tag, "class") == kPhotoBlockClass;
            const bool closesRow = IsNamed(tag, "/tr");
            if (closesRow || IsNamed(tag, "/li") || IsNamed(tag, "/a") ||
                (!m_newLayout && !IsNamed(tag, "font") && !IsNamed(tag, "/font")))
                m_nameEnd[k] = i;
            if (m_newLayout) {
                if (photoBlock) m_nextPhotoBlock[k] = i;
                if (photoBlock && IsNamed(tag, "div")) m_nextPhotoDiv[k] = i;
                if (IsNamed(tag, "a")) {
                    const std::string_view title = Attr(*tag, "title");
                    if (title == "VIP") m_nextVipTitle[k] = i;
                    if (title == kRealUser) m_nextRealTitle[k] = i;
                }
            }
            if (closesRow || photoBlock) {
                // The detail walk stops here: nothing beyond reaches a walk from before.
                details = TDetails{};
            } else if (details.ageAt < 0 && IsNamed(tag, "/a")) {
                int32_t age = 0, areaAt = -1;
                if (ReadAgeAndArea(i, age, areaAt)) {
                    details.ageAt = i;
                    details.age = age;
                    details.areaAt = areaAt;
                }
            }
        }
        m_details[k] = details;
    }
}

TListing TPageScan::Listing(int32_t anchor) const {
    TListing listing;

    // The name: the first text after the anchor, unless the entry's row or
    // item ends first (or, in the old layout, some tag other than "font"
    // stands between, which marks a link that is no name link). The
    // anchor's own end met first means a blank name, as a blank text does:
    // the tokenizer makes no text of one that is only line breaks ("\r\n").
    const int32_t nameAt = m_nameEnd[size_t(std::min(anchor + 1, m_count))];
    if (const THTMLTag* tag = Tag(nameAt)) {
        if (!IsNamed(tag, "/tr") && !IsNamed(tag, "/li") && !IsNamed(tag, "/a")) listing.usable = false;
    } else if (const THTMLText* name = Text(nameAt); name && !text::Trim(name->Text()).empty()) {
        listing.named = true;
        listing.name = std::string(name->Text());
        const TDetails& d = m_details[size_t(nameAt + 1)];
        if (d.ageRangeAt >= 0) {
            const std::string_view t = Text(d.ageRangeAt)->Text();
            const size_t from = t.find("в возрасте") + std::string_view("в возрасте").size();
            const size_t to = t.find("лет", from);
            if (to != std::string_view::npos) listing.ageRange = std::string(text::Trim(t.substr(from, to - from)));
        }
        if (d.ageAt >= 0) {
            listing.age = d.age;
            if (d.areaAt >= 0) listing.area = std::string(text::TrimLeft(Text(d.areaAt)->Text()));
        }
        const int64_t photos = (d.photoSet ? d.photoBase : 0) + d.photoAdded;
        listing.photoCount = static_cast<int32_t>(std::min<int64_t>(photos, std::numeric_limits<int32_t>::max()));
        if (d.videoSet) listing.videoCount = d.video;
    }
    if (!listing.usable) return listing;

    if (m_newLayout) {
        // Forwards from the item after the anchor to the next entry's photo block.
        const size_t from = size_t(std::min(anchor + 1, m_count));
        listing.vipUser = m_nextVipTitle[from] < m_nextPhotoDiv[from];
        listing.realUser = m_nextRealTitle[from] < m_nextPhotoBlock[from];
    } else if (m_count > 0) {
        // Backwards from the item after the anchor to the entry's table; the
        // page's very first item is never looked at.
        const size_t from = size_t(std::min(anchor + 1, m_count - 1));
        const int32_t bound = std::max(m_lastTable[from], int32_t(0));
        listing.vipUser = m_lastVip[from] > bound;
        listing.realUser = m_lastReal[from] > bound;
    }
    if (anchor > 0) {
        const int32_t li = m_lastLi[size_t(anchor - 1)];
        listing.intim = li >= 0 && Contains(Attr(*Tag(li), "class"), "intim");
    }
    return listing;
}

} // namespace

TExtractor::TExtractor(TVelmora& owner) : m_owner(owner) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { TimerTick(); });
}

TExtractor::~TExtractor() = default;

void TExtractor::TimerTick() {
    m_timer.stop();
    if (!m_owner.EnterTick(this, [this] { TimerTick(); })) return;
    m_pageText.clear();
    m_networkError.clear();
    m_pageFailure.clear();
    m_foreignPage = false;
    try {
        FetchSitePageAsync(m_submit, m_url, [this](std::string page) {
            m_pageText = std::move(page);
            if (m_submit.LastFailure() == TSubmitFailure::Network) m_networkError = m_submit.FailureMessage();
            if (m_submit.LastFailure() != TSubmitFailure::None) m_pageFailure = m_submit.FailureMessage();
            try {
                const bool listed = BeginScrape();
                // A page that failed is told as such; one that came is either the site's or not.
                m_foreignPage = m_pageFailure.empty() && !m_recognised;
                if (listed) {
                    ScrapeFrom(0);
                    return;
                }
            } catch (...) {
                // A page that cannot be read adds no candidate; the batch goes on.
            }
            Finish();
        });
    } catch (...) {
        // A page that cannot be asked for adds no candidate; the batch goes on.
        try {
            m_submit.Disconnect();
        } catch (...) {
        }
        Finish();
    }
}

void TExtractor::Finish() {
    FreePage();
    m_done = true;
    m_owner.TickOver(this);
}

void TExtractor::Cancel() {
    m_submit.Abort();
    if (m_resolver) m_resolver->Abort();
    FreePage();
}

void TExtractor::FreePage() {
    m_scrape.reset();
    m_tags = {};
    m_finder.Release();
    std::string().swap(m_pageText);
}

bool TExtractor::IsProfileNameLink(const web::THTMLTag& tag) {
    if (!IsNamed(&tag, "a")) return false;
    const web::THTMLParam* href = tag.FindParam("href");
    return href && text::StartsWithAsciiCI(href->Value(), "http://") && Attr(tag, "class") == "u-name";
}

// What a scrape keeps while it waits for the page of an indirect link.
struct TExtractor::TScrape {
    TScrape(const std::vector<const THTMLItem*>& items, bool newLayout, std::string host_)
        : scan(items, newLayout), host(std::move(host_)) {}
    const TPageScan scan;
    const std::string host; // "http://" + the site's host in lower case + "/"
    int taken = 0;          // candidates the page gave
    int resolved = 0;       // indirect links asked for
    bool Full() const { return taken >= MaxCandidatesPerPage || resolved >= MaxCandidatesPerPage; }
};

void TExtractor::ParseResultPage() {
    if (!BeginScrape()) return;
    const web::TClientSetup setup = [this](TSubmit& client) {
        UseSiteSettings(client);
        ++m_scrape->resolved;
    };
    for (size_t i = 0; i < m_tags.size() && !m_scrape->Full(); ++i)
        TakeAnchor(i, web::ExtractProfileLogin(web::TFindTags::GetParamValue(m_tags[i], "href"), setup));
    FreePage();
}

void TExtractor::ScrapeFrom(size_t i) {
    for (; i < m_tags.size() && !m_scrape->Full(); ++i) {
        const std::string href = web::TFindTags::GetParamValue(m_tags[i], "href");
        if (!web::IsSearchLink(href)) {
            TakeAnchor(i, web::LoginOfAddress(href));
            continue;
        }
        // The link's own page tells the member's address, as ExtractProfileLogin
        // learns it: a fresh client each time, through the settings' proxy.
        const std::string link = web::CutSessionToken(href);
        if (link.empty()) continue; // nothing to ask for: no login
        m_resolver = std::make_unique<TSubmit>();
        UseSiteSettings(*m_resolver);
        m_resolver->SetURL(link);
        ++m_scrape->resolved;
        m_resolver->GetStringAsync([this, i](std::string page) {
            try {
                m_resolver->Disconnect();
                TakeAnchor(i, web::LoginOfAddress(web::AddressOnSearchPage(page)));
                ScrapeFrom(i + 1);
            } catch (...) {
                Finish(); // what was taken stays
            }
        });
        return;
    }
    Finish();
}

bool TExtractor::BeginScrape() {
    m_scrape.reset();
    data::TdmFriend& dm = data::dmFriend();
    std::replace(m_pageText.begin(), m_pageText.end(), '\t', ' ');

    // Invalid bytes of a UTF-8 page are replaced, so that nothing unreadable
    // reaches the tables.
    SetSitePage(m_finder, m_pageText);
    // The finder keeps its own copy; the scrape needs only its tokens.
    std::string().swap(m_pageText);

    // Past the last result the site says nobody was found: no page after
    // this one is fetched. Candidates that other pages of the batch added
    // stay and are checked.
    m_recognised = false;
    m_tags = m_finder.FindTags("td");
    if (m_tags.empty()) m_tags = m_finder.FindTags("h1");
    for (const THTMLTag* cell : m_tags) {
        const THTMLText* after = m_finder.TextAfter(*cell);
        if (!after) continue;
        if (Contains(after->Text(), "Найден")) {
            m_recognised = true;
            break;
        }
        if (Contains(after->Text(), "Пользователи не найдены")) {
            m_recognised = true;
            m_owner.SetPageIndex(dm.Settings().PageCount());
            m_tags.clear();
            return false;
        }
    }

    const bool newLayout = m_owner.IsNewSite();
    m_tags = m_finder.FindTags("a", newLayout ? web::TFindTagsFilter(IsProfileNameLink)
                                              : web::TFindTagsFilter(web::TFindTags::IsHttpLink));
    if (m_tags.empty()) return false;
    m_scrape = std::make_unique<TScrape>(m_finder.Items(), newLayout, "http://" + text::AsciiLower(m_owner.Host()) + "/");
    // A member listed as the site lists them: a link to a profile of this
    // site, or its warning redirect to one kept elsewhere.
    if (!m_recognised)
        m_recognised = std::any_of(m_tags.begin(), m_tags.end(), [this](const THTMLTag* anchor) {
            return ListingKind(web::TFindTags::GetParamValue(anchor, "href")) != TLinkKind::None;
        });
    return true;
}

TExtractor::TLinkKind TExtractor::ListingKind(const std::string& href) const {
    const std::string& host = m_scrape->host;
    const std::string h = text::AsciiLower(href);
    if (h.rfind(host, 0) == 0 && !Contains(h, host + "?sold=") && !Contains(h, "/search.phtml") &&
        (Contains(h, "gid=") || Contains(h, "oid=")))
        return TLinkKind::Profile;
    return Contains(href, kRedirectMark) ? TLinkKind::Redirect : TLinkKind::None;
}

void TExtractor::TakeAnchor(size_t i, const std::string& login) {
    if (login.empty()) return;
    const THTMLTag* anchor = m_tags[i];
    const TListing listing = m_scrape->scan.Listing(anchor->Index());
    if (!listing.usable) return;

    // A plain link to a profile of this site, or the site's warning
    // redirect to one kept elsewhere; anything else is passed over.
    const std::string href = web::TFindTags::GetParamValue(anchor, "href");
    const TLinkKind kind = ListingKind(href);
    std::string url;
    if (kind == TLinkKind::Profile) {
        url = href;
    } else if (kind == TLinkKind::Redirect) {
        if (const size_t at = href.find(kRedirectTarget); at != std::string::npos)
            url = DecodeRedirectTarget(std::string_view(href).substr(at + kRedirectTarget.size()));
    }
    if (url.empty()) return;

    data::TFriend& candidates = m_owner.Candidates();
    if (m_owner.FoundFriends().FindByLogin(login) || candidates.FindByLogin(login)) return;
    ++m_scrape->taken;
    candidates.AddFriend(listing.named ? listing.name : login, login, url, listing.area, listing.age,
                         listing.realUser ? 1 : 0, listing.vipUser ? 1 : 0, listing.photoCount, listing.videoCount,
                         listing.intim ? 1 : 0, listing.ageRange);
}

} // namespace search
