// The profile checker. A candidate is first compared with the conditions
// that its record answers (name, wanted age range, photo, video, intim and
// real-user marks); only when a condition needs the profile page is that
// page fetched and read. Page reading navigates the tokenizer's flat item
// list by position, as the site's markup dictates: every neighbour read goes
// through THTMLParser::Item, which answers nullptr outside the page, so a
// truncated or damaged page can only fail a test, never read out of bounds.
//
// Condition texts are the vocabulary's UTF-8 strings; labels such as
// "просмотров за месяц:" are skipped by their length in bytes, and the wanted
// age range is read by code points.
#include "search/TChecker.h"

#include "data/TCarGroup.h"
#include "data/TdmFriend.h"
#include "platform/QtText.h"
#include "platform/Text.h"
#include "search/TVelmora.h"
#include "search/SitePage.h"

#include <QString>

#include <optional>
#include <string_view>

namespace search {

namespace {

using web::THTMLItem;
using web::THTMLParser;
using web::THTMLTag;
using web::THTMLText;
using web::TTagList;

constexpr std::string_view kChecked = "checked";
// The sponsor row whose page text varies with the member ("Готов стать
// спонсором", "Готова стать спонсором"): it is found by containment.
constexpr std::string_view kSponsorEntry = "стать спонсором";
// The women's wording of two rows whose vocabulary text is the men's.
constexpr std::string_view kNoNarcoticFemale = "Никогда не принимала";
constexpr std::string_view kHugeFemale = "Хорошо зарабатываю / обеспечена";
constexpr std::string_view kViewsLabel = "просмотров за месяц:";
constexpr std::string_view kCarLabel = "Автомобиль";
constexpr std::string_view kMyCarLabel = "Мой автомобиль";
// The new layout writes list items as "— text".
constexpr std::string_view kListDash = "— ";

bool IsChecked(const std::string& flag) { return flag == kChecked; }

using text::Contains;

bool StartsWith(std::string_view text, std::string_view part) {
    return !part.empty() && text.substr(0, part.size()) == part;
}

std::string Framed(std::string_view value) {
    std::string framed;
    framed.reserve(value.size() + 2);
    framed += '|';
    framed += value;
    framed += '|';
    return framed;
}

// A row is selected when its id, framed by "|", occurs in the framed
// selection; a row without an id never is.
bool IsSelected(std::string_view selection, std::string_view id) {
    return !id.empty() && Contains(selection, Framed(id));
}

// The Condition texts of the rows of `group` selected in `selection`, in row
// order; the row `femaleId` first adds `femaleText`, the women's wording.
void AddSelectedRows(const std::string& selection, std::vector<std::string>& list, const data::TXMLTable& group,
                     std::string_view femaleId = {}, std::string_view femaleText = {}) {
    for (int i = 0; i < group.RecordCount(); ++i) {
        const pugi::xml_node row = group.RecordNode(i);
        const std::string id = data::TXMLTable::NodeText(row, "id");
        if (!IsSelected(selection, id)) continue;
        if (!femaleId.empty() && id == femaleId) list.emplace_back(femaleText);
        list.push_back(data::TXMLTable::NodeText(row, "Condition"));
    }
}

// A decimal (or "$"/"0x" hexadecimal) integer with optional leading blanks;
// nothing when the text is anything else.
std::optional<int32_t> ReadInt(std::string_view s) {
    const int32_t a = text::StrToIntDef(s, 0);
    const int32_t b = text::StrToIntDef(s, 1);
    if (a != b) return std::nullopt;
    return a;
}

// The last `count` code points of `s` (fewer when it is shorter).
std::string_view LastCodePoints(std::string_view s, size_t count) {
    size_t start = s.size();
    for (size_t n = 0; n < count && start > 0; ++n) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
    }
    return s.substr(start);
}

// The wanted age range holds `age`: some "-" in it has the two characters
// before it and the two after it reading as lo <= age <= hi. Next to either
// end of the text only the characters that are there are read.
bool AgeRangeHolds(std::string_view range, int32_t age) {
    for (size_t dash = range.find('-'); dash != std::string_view::npos; dash = range.find('-', dash + 1)) {
        const auto lo = ReadInt(LastCodePoints(range.substr(0, dash), 2));
        const auto hi = ReadInt(text::TakeCodePoints(range.substr(dash + 1), 2));
        if (lo && hi && *lo <= age && age <= *hi) return true;
    }
    return false;
}

bool RecordPasses(const data::TFinderParams& p, const data::TFriendRecord& f) {
    if (!p.FriendName().empty() && p.FriendName() != f.Name) return false;
    if (p.MyAge() > 0 && !f.AgeRange.empty() && !AgeRangeHolds(f.AgeRange, p.MyAge())) return false;
    if (IsChecked(p.ns_p()) && f.PhotoCount > 0) return false;
    if (IsChecked(p.s_p()) && (f.PhotoCount == 0 || (p.PhotoMin() > 0 && p.PhotoMin() > f.PhotoCount) ||
                               (p.PhotoMax() > 0 && p.PhotoMax() < f.PhotoCount)))
        return false;
    if (IsChecked(p.ns_v()) && f.VideoCount > 0) return false;
    if (IsChecked(p.s_v()) && (f.VideoCount == 0 || (p.VideoMin() > 0 && p.VideoMin() > f.VideoCount) ||
                               (p.VideoMax() > 0 && p.VideoMax() < f.VideoCount)))
        return false;
    if (IsChecked(p.ns_w()) && f.Intim == 0) return false;
    if (IsChecked(p.ns_real()) && f.RealUser > 0) return false;
    return true;
}

// No condition needs the profile page.
bool NothingOnPage(const data::TFinderParams& p) {
    for (const std::string* s : {&p.music(), &p.sport(), &p.marriage(), &p.children(), &p.hair(), &p.zodiac(),
                                 &p.figure(), &p.smoking(), &p.narcotic(), &p.alcohol(), &p.economic(),
                                 &p.excite(), &p.AIDS(), &p.limb(), &p.bust(), &p.orientation(), &p.car()})
        if (!s->empty()) return false;
    return p.target().empty() && p.sponsor().empty() && p.MonthViewCountMin() == 0 &&
           p.MonthViewCountMax() == 0 && p.StatureMin() == 0 && p.StatureMax() == 0 && p.WeightMin() == 0 &&
           p.WeightMax() == 0;
}

const THTMLText* TextAt(const THTMLParser& parser, int64_t index) {
    const THTMLItem* item = parser.Item(index);
    return item ? item->AsText() : nullptr;
}

bool IsTagNamed(const THTMLItem& item, std::string_view name) {
    const THTMLTag* tag = item.AsTag();
    return tag && text::SameTextAscii(tag->Name(), name);
}

// Lower case for the car test; Cyrillic makes ("ВАЗ") fold as well as Latin.
std::string Lower(std::string_view s) {
    return platform::ToQString(s).toLower().toStdString();
}

// A sign's text after the sign's tag and before its cell or block ends.
bool ZodiacFound(const THTMLParser& parser, const TTagList& tags, const std::vector<std::string>& signs) {
    for (const THTMLTag* tag : tags) {
        for (int64_t i = tag->Index() + 1; const THTMLItem* item = parser.Item(i); ++i) {
            if (IsTagNamed(*item, "/td") || IsTagNamed(*item, "/div")) break;
            const THTMLText* t = item->AsText();
            if (!t) continue;
            const std::string_view trimmed = text::Trim(t->Text());
            for (const std::string& sign : signs)
                if (Contains(trimmed, sign)) return true;
        }
    }
    return false;
}

void MatchListItems(const THTMLParser& parser, const TTagList& items, bool isNew,
                    std::vector<std::string>& wanted) {
    for (const THTMLTag* li : items) {
        if (wanted.empty()) return;
        const THTMLText* t = TextAt(parser, li->Index() + 1);
        if (!t) continue;
        std::string_view shown = text::Trim(t->Text());
        if (isNew) {
            if (!StartsWith(shown, kListDash)) continue;
            shown.remove_prefix(kListDash.size());
        }
        for (auto e = wanted.begin(); e != wanted.end(); ++e)
            if (*e == shown) {
                wanted.erase(e);
                break;
            }
    }
}

// A title text as it is compared: line ends removed, trimmed.
std::string TitleText(std::string_view raw) {
    std::string s;
    s.reserve(raw.size());
    for (char c : raw)
        if (c != '\r' && c != '\n') s += c;
    return std::string(text::Trim(s));
}

// One forward title text against the wanted texts: at most one deletion
// step. An equal entry goes, and with it the entry that then takes its
// place when the text begins with that one (the women's wording stands
// before the men's, which it begins with).
void MatchTitleText(const std::string& t, std::vector<std::string>& wanted) {
    if (Contains(t, "+")) return;
    for (size_t k = 0; k < wanted.size(); ++k) {
        if (wanted[k] == kSponsorEntry) {
            if (Contains(t, kSponsorEntry)) {
                wanted.erase(wanted.begin() + static_cast<ptrdiff_t>(k));
                return;
            }
            continue;
        }
        if (t == wanted[k]) {
            wanted.erase(wanted.begin() + static_cast<ptrdiff_t>(k));
            if (k < wanted.size() && StartsWith(t, wanted[k])) wanted.erase(wanted.begin() + static_cast<ptrdiff_t>(k));
            return;
        }
    }
}

void MatchTitles(const THTMLParser& parser, const TTagList& tags, bool isNew, std::vector<std::string>& wanted) {
    for (const THTMLTag* tag : tags) {
        if (wanted.empty()) return;
        // Forward: the old layout's answer is the one item after its <br>; the
        // new layout's stands somewhere in the title's block.
        for (int64_t i = tag->Index() + 1; const THTMLItem* item = parser.Item(i); ++i) {
            if (isNew && IsTagNamed(*item, "/div")) break;
            if (const THTMLText* t = item->AsText()) MatchTitleText(TitleText(t->Text()), wanted);
            if (!isNew || wanted.empty()) break;
        }
        // Backward: the text right before the tag, by equality only.
        if (const THTMLText* t = TextAt(parser, int64_t(tag->Index()) - 1)) {
            const std::string s = TitleText(t->Text());
            if (!Contains(s, "+"))
                for (auto e = wanted.begin(); e != wanted.end(); ++e)
                    if (*e == s) {
                        wanted.erase(e);
                        break;
                    }
        }
    }
}

// The text begins with the car label, or has one character before it.
bool IsCarLabel(std::string_view s) {
    if (s.substr(0, kMyCarLabel.size()) == kMyCarLabel) return true;
    const size_t at = s.find(kCarLabel);
    if (at == 0) return true;
    if (at == std::string_view::npos) return false;
    size_t first = 0;
    text::NextCodePoint(s, first);
    return at == first;
}

// Empties `cars` when a text after the car label names one of them.
void MatchCars(const THTMLParser& parser, std::vector<TCarCollectionItem>& cars) {
    const auto& items = parser.Items();
    size_t i = 0;
    while (i < items.size() && !(items[i]->IsText() && IsCarLabel(items[i]->AsText()->Text()))) ++i;
    if (i == items.size()) return;
    std::vector<std::pair<std::string, std::string>> lowered; // make, make + " " + model
    for (const TCarCollectionItem& car : cars)
        lowered.emplace_back(Lower(car.Condition),
                             car.Model.empty() ? std::string() : Lower(car.Condition + " " + car.Model));
    for (++i; i < items.size(); ++i) {
        const THTMLText* t = items[i]->AsText();
        if (!t || text::Trim(t->Text()).empty()) continue;
        const std::string shown = Lower(t->Text());
        for (const auto& [make, makeAndModel] : lowered)
            if (Contains(shown, make) && (makeAndModel.empty() || Contains(shown, makeAndModel))) {
                cars.clear();
                return;
            }
    }
}

// Views per month: the first text right after one of `tags` that holds the
// label; nothing when none does or its number cannot be read.
std::optional<int32_t> ViewsValue(const THTMLParser& parser, const TTagList& tags) {
    for (const THTMLTag* tag : tags) {
        const THTMLText* t = TextAt(parser, tag->Index() + 1);
        if (!t) continue;
        const std::string_view s = text::Trim(t->Text());
        const size_t at = s.find(kViewsLabel);
        if (at != std::string_view::npos) return ReadInt(text::Trim(s.substr(at + kViewsLabel.size())));
    }
    return std::nullopt;
}

// Height or weight: a label naming the measure and its value ("170 см").
// The new layout writes "<b>Рост:</b> 170 см", the value two items after the
// label; the old one "<font>Рост:</font> 170 см<br>", the label three items
// before the <br> and the value right before it. A label whose value is no
// number is passed over: the old layout's zodiac line "Весы" stands three
// items before the <br> of the next line as well.
std::optional<int32_t> MeasureValue(const THTMLParser& parser, const TTagList& tags, bool isNew,
                                    std::string_view label, std::string_view unit) {
    for (const THTMLTag* tag : tags) {
        const int64_t labelAt = isNew ? int64_t(tag->Index()) + 1 : int64_t(tag->Index()) - 3;
        const THTMLText* l = TextAt(parser, labelAt);
        if (!l || !Contains(l->Text(), label)) continue;
        const THTMLText* v = TextAt(parser, isNew ? labelAt + 2 : int64_t(tag->Index()) - 1);
        if (!v) continue;
        std::string s(v->Text());
        if (size_t colon = s.find(':'); colon != std::string::npos) s.erase(colon, 1);
        if (size_t u = s.find(unit); u != std::string::npos) s.erase(u, unit.size());
        if (auto value = ReadInt(text::Trim(s))) return value;
    }
    return std::nullopt;
}

bool InRange(std::optional<int32_t> value, int32_t min, int32_t max) {
    if (!value || *value == -1) return false;
    if (min > 0 && min > *value) return false;
    if (max > 0 && max < *value) return false;
    return true;
}

bool RangeSet(int32_t min, int32_t max) { return min > 0 || max > 0; }

} // namespace

TChecker::TChecker(TVelmora& owner) : m_owner(owner) {
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { TimerTick(); });
}

TChecker::~TChecker() = default;

void TChecker::TimerTick() {
    m_timer.stop();
    if (!m_owner.EnterTick(this, [this] { TimerTick(); })) return;
    try {
        const TVerdict verdict = CheckRecord();
        if (verdict == TVerdict::NeedsPage) {
            const std::string url = ProfilePageURL(m_owner.IsNewSite());
            if (!url.empty()) {
                FetchSitePageAsync(m_submit, url, [this](std::string page) {
                    bool hit = false;
                    try {
                        hit = CheckPage(page);
                    } catch (...) {
                        // A page that cannot be read is no hit.
                    }
                    Finish(hit);
                });
                return;
            }
        }
        Finish(verdict == TVerdict::Pass);
    } catch (...) {
        // A check that cannot be made is no hit; the batch goes on.
        Finish(false);
    }
}

void TChecker::Finish(bool hit) {
    try {
        if (hit) {
            m_owner.FoundFriends().AddFriendRecord(m_friend);
            m_owner.HitFound();
        }
    } catch (...) {
    }
    m_done = true;
    m_owner.TickOver(this);
}

void TChecker::Cancel() { m_submit.Abort(); }

bool TChecker::CheckProfile() {
    const TVerdict verdict = CheckRecord();
    if (verdict != TVerdict::NeedsPage) return verdict == TVerdict::Pass;
    const std::string url = ProfilePageURL(m_owner.IsNewSite());
    // A candidate without an address has no page to read.
    return !url.empty() && CheckPage(FetchSitePage(m_submit, url));
}

TChecker::TVerdict TChecker::CheckRecord() {
    m_tags.clear();
    m_tags2.clear();
    m_wanted.clear();
    m_cars.clear();
    m_zodiac.clear();
    const data::TFinderParams& p = m_owner.Params();
    if (!RecordPasses(p, m_friend)) return TVerdict::Fail;
    return NothingOnPage(p) ? TVerdict::Pass : TVerdict::NeedsPage;
}

bool TChecker::CheckPage(std::string_view page) {
    // Seventy checkers would otherwise each keep a page for the rest of the search.
    struct TRelease {
        TChecker& checker;
        ~TRelease() {
            checker.m_tags = {};
            checker.m_tags2 = {};
            checker.m_finder.Release();
        }
    } release{*this};
    SetSitePage(m_finder, page);
    return CheckTokenizedPage();
}

bool TChecker::CheckTokenizedPage() {
    m_wanted.clear();
    m_cars.clear();
    m_zodiac.clear();
    const data::TFinderParams& p = m_owner.Params();
    data::TdmFriend& dm = data::dmFriend();
    const bool isNew = m_owner.IsNewSite();
    const THTMLParser& parser = m_finder.Parser();

    // With several signs chosen any one of them will do; ids that name no
    // sign leave nothing to look for, and the condition is then not applied.
    if (!p.zodiac().empty()) {
        AddSelectedConditions(Framed(p.zodiac()), m_zodiac, dm.ZodiacGroup());
        if (!m_zodiac.empty()) {
            m_tags = isNew ? m_finder.FindTags("div", IsAgeDiv) : m_finder.FindTags("img");
            if (!ZodiacFound(parser, m_tags, m_zodiac)) return false;
        }
    }

    AddSelectedConditions(Framed(p.target()), m_wanted, dm.TargetGroup());
    AddSelectedConditions(Framed(p.sponsor()), m_wanted, dm.SponsorGroup());
    AddSelectedConditions(Framed(p.music()), m_wanted, dm.MusicGroup());
    AddSelectedConditions(Framed(p.sport()), m_wanted, dm.SportGroup());
    AddSelectedConditions(Framed(p.marriage()), m_wanted, dm.MarriageManGroup());
    AddSelectedConditions(Framed(p.marriage()), m_wanted, dm.MarriageWomanGroup());
    AddSelectedConditions(Framed(p.children()), m_wanted, dm.ChildrenGroup());
    AddSelectedConditions(Framed(p.hair()), m_wanted, dm.HairGroup());
    AddSelectedConditions(Framed(p.figure()), m_wanted, dm.FigureGroup());
    AddSelectedConditions(Framed(p.smoking()), m_wanted, dm.SmokingGroup());
    AddSelectedNarcoticConditions(Framed(p.narcotic()), m_wanted, dm.NarcoticGroup());
    AddSelectedConditions(Framed(p.alcohol()), m_wanted, dm.AlcoholGroup());
    AddSelectedEconomicConditions(Framed(p.economic()), m_wanted, dm.EconomicGroup());
    AddSelectedConditions(Framed(p.excite()), m_wanted, dm.ExciteGroup());
    AddSelectedConditions(Framed(p.AIDS()), m_wanted, dm.AIDSGroup());
    AddSelectedConditions(Framed(p.limb()), m_wanted, dm.LimbGroup());
    AddSelectedConditions(Framed(p.bust()), m_wanted, dm.BustGroup());
    AddSelectedConditions(Framed(p.orientation()), m_wanted, dm.OrientationGroup());
    AddSelectedCarModels(Framed(p.car()), m_cars, dm.CarGroup());

    if (!m_wanted.empty()) MatchListItems(parser, m_finder.FindTags("li"), isNew, m_wanted);
    if (!m_wanted.empty()) {
        m_tags = isNew ? m_finder.FindTags("b", IsTitleBold) : m_finder.FindTags("br");
        MatchTitles(parser, m_tags, isNew, m_wanted);
    }
    if (!m_cars.empty()) MatchCars(parser, m_cars);
    if (!m_wanted.empty() || (!p.car().empty() && !m_cars.empty())) return false;

    if (RangeSet(p.MonthViewCountMin(), p.MonthViewCountMax())) {
        if (m_tags2.empty()) m_tags2 = m_finder.FindTags(isNew ? "div" : "br");
        const auto views = ViewsValue(parser, m_tags2);
        if (isNew) m_tags2.clear();
        if (!InRange(views, p.MonthViewCountMin(), p.MonthViewCountMax())) return false;
    }
    const bool height = RangeSet(p.StatureMin(), p.StatureMax());
    const bool weight = RangeSet(p.WeightMin(), p.WeightMax());
    if ((height || weight) && m_tags2.empty()) m_tags2 = m_finder.FindTags(isNew ? "b" : "br");
    if (height && !InRange(MeasureValue(parser, m_tags2, isNew, "Рост", "см"), p.StatureMin(), p.StatureMax()))
        return false;
    if (weight && !InRange(MeasureValue(parser, m_tags2, isNew, "Вес", "кг"), p.WeightMin(), p.WeightMax()))
        return false;
    return true;
}

std::string TChecker::ProfilePageURL(bool isNew) const {
    // Asking for "" (or for the site's root) would only check the wrong page.
    if (isNew)
        return m_friend.Login.empty() ? std::string()
                                      : "http://" + data::dmFriend().Settings().FinderServer() + "/" + m_friend.Login +
                                            "/?afolder=dating";
    return m_friend.URL;
}

void TChecker::AddSelectedConditions(const std::string& selection, std::vector<std::string>& list,
                                     const data::TXMLTable& group) {
    AddSelectedRows(selection, list, group);
}

void TChecker::AddSelectedNarcoticConditions(const std::string& selection, std::vector<std::string>& list,
                                             const data::TXMLTable& group) {
    AddSelectedRows(selection, list, group, "NoNarcotic", kNoNarcoticFemale);
}

void TChecker::AddSelectedEconomicConditions(const std::string& selection, std::vector<std::string>& list,
                                             const data::TXMLTable& group) {
    AddSelectedRows(selection, list, group, "Huge", kHugeFemale);
}

void TChecker::AddSelectedCarModels(const std::string& selection, std::vector<TCarCollectionItem>& cars,
                                    const data::TCarGroup& group) {
    for (int i = 0; i < group.RecordCount(); ++i) {
        const pugi::xml_node row = group.RecordNode(i);
        if (IsSelected(selection, data::TXMLTable::NodeText(row, "id")))
            cars.push_back({data::TXMLTable::NodeText(row, "Condition"), data::TXMLTable::NodeText(row, "Model")});
    }
}

bool TChecker::IsTitleBold(const web::THTMLTag& tag) {
    return text::SameTextAscii(tag.Name(), "b") && web::TFindTags::GetParamValue(&tag, "class") == "b-title";
}

bool TChecker::IsAgeDiv(const web::THTMLTag& tag) {
    return text::SameTextAscii(tag.Name(), "div") && web::TFindTags::GetParamValue(&tag, "class") == "age";
}

} // namespace search
