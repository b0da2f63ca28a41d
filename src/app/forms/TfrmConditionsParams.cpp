// The checked conditions tree turned into the engine's search parameters.
#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/ConditionNodeKinds.h"
#include "app/forms/TfrmConditions.h"
#include "data/CodeTables.h"
#include "data/TCustomParams.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"
#include "platform/QtText.h"
#include "search/TVelmora.h"

#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <map>

namespace app {

std::string TfrmConditions::CollectCheckedIds(const TCheckedTreeNode* root, const data::TXMLTable& table) {
    std::string ids;
    if (!root) return ids;
    // Rows are paired with items by position; a row without an item (the car
    // makes while only the placeholder is shown) counts as unchecked.
    for (int i = 0; i < table.RecordCount() && i < root->childCount(); ++i) {
        const TCheckedTreeNode* item = root->ChildNode(i);
        if (!item || !item->Checked()) continue;
        if (!ids.empty()) ids += "|";
        ids += data::TXMLTable::NodeText(table.RecordNode(i), "id");
    }
    return ids;
}

namespace {

// The ids of `stored` ("|"-joined) that no row of `table` has, so that the
// tree has no item for them (the settings page offers "RegSex" among the
// purposes; the tree does not).
std::string IdsWithoutItem(std::string_view stored, const data::TXMLTable& table) {
    std::string hidden;
    while (!stored.empty()) {
        const size_t bar = stored.find('|');
        const std::string_view id = stored.substr(0, bar);
        bool shown = false;
        for (int i = 0; i < table.RecordCount() && !shown; ++i)
            shown = data::TXMLTable::NodeText(table.RecordNode(i), "id") == id;
        if (!id.empty() && !shown) hidden += (hidden.empty() ? "" : "|") + std::string(id);
        stored = bar == std::string_view::npos ? std::string_view() : stored.substr(bar + 1);
    }
    return hidden;
}

// What the root's items say, and, while the root stays ticked, the stored
// choices the tree cannot show.
std::string GroupIds(const TCheckedTreeNode* root, const data::TXMLTable& table, const std::string& stored) {
    std::string ids = TfrmConditions::CollectCheckedIds(root, table);
    const std::string hidden = root->Checked() ? IdsWithoutItem(stored, table) : std::string();
    if (!hidden.empty()) ids += (ids.empty() ? "" : "|") + hidden;
    return ids;
}

} // namespace

void TfrmConditions::TreeToParams(QTreeWidget* tree) {
    if (m_engine) TreeToParams(tree, m_engine->Params());
}

void TfrmConditions::TreeToParams(QTreeWidget* tree, data::TFinderParams& p) {
    if (!tree) return;
    data::TdmFriend& dm = data::dmFriend();
    const data::TTesselSettings& s = dm.Settings();
    const std::string none(data::GenderCodes[0]);
    const std::string on = "checked";

    // What the tree does not say is cleared; the period, the name and the
    // numbers stay unless a node of the extended tree sets them.
    p.SetS_i(none);
    p.SetS_l(none);
    for (auto setter : {&data::TFinderParams::SetS_f, &data::TFinderParams::SetS_t, &data::TFinderParams::SetS_c,
                        &data::TFinderParams::SetS_m, &data::TFinderParams::SetS_p, &data::TFinderParams::SetS_v,
                        &data::TFinderParams::SetS_w, &data::TFinderParams::SetS_real, &data::TFinderParams::SetS_vw,
                        &data::TFinderParams::SetNs_p, &data::TFinderParams::SetNs_v, &data::TFinderParams::SetNs_w,
                        &data::TFinderParams::SetNs_real, &data::TFinderParams::SetNs_vw, &data::TFinderParams::SetCar})
        (p.*setter)(std::string());
    for (const TAttributeGroupNode& group : AttributeGroupNodes)
        if (const platform::TPropInfo* prop = platform::FindPropInfo(p, group.Property)) prop->SetStr(p, {});
    std::string purposes, sponsors;

    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const TCheckedTreeNode* node = TCheckedTreeNode::From(*it);
        if (!node) continue;
        const int kind = node->Kind() & 0x7F;
        if (kind > nkCar) continue;
        const bool checked = node->Checked();
        const TCheckedTreeNode* parent = node->ParentNode();
        const int index = parent ? parent->indexOfChild(const_cast<TCheckedTreeNode*>(node)) : -1;
        switch (kind) {
        case nkMyGender:
        case nkSeekGender:
            if (checked && index >= 0 && size_t(index + 1) < data::GenderCodes.size())
                (p.*(kind == nkMyGender ? &data::TFinderParams::SetS_i : &data::TFinderParams::SetS_l))(
                    std::string(data::GenderCodes[size_t(index + 1)]));
            break;
        case nkAge:
            if (checked) {
                p.SetS_f(s.s_f());
                p.SetS_t(s.s_t());
            }
            break;
        case nkCountry: {
            if (!checked) break;
            p.SetS_c(s.id_Country());
            const TCheckedTreeNode* region = node->ChildNode(0);
            if (!region || !region->Checked()) break;
            p.SetS_c(s.id_Region());
            const TCheckedTreeNode* town = region->ChildNode(0);
            if (!town || !town->Checked()) break;
            p.SetS_c(s.id_Town());
            if (const TCheckedTreeNode* station = town->ChildNode(0)) {
                if (station->Checked()) p.SetS_m(s.s_m());
                p.SetS_c(s.id_Station());
            }
            break;
        }
        case nkTarget: purposes = GroupIds(node, dm.TargetGroup(), s.target()); break;
        case nkSponsor: sponsors = GroupIds(node, dm.SponsorGroup(), s.sponsor()); break;
        case nkOnlyReal: if (checked) p.SetS_real(on); break;
        case nkExcludeReal: if (checked) p.SetNs_real(on); break;
        case nkWithPhoto: if (checked) p.SetS_p(on); break;
        case nkWithoutPhoto: if (checked) p.SetNs_p(on); break;
        case nkWithVideo: if (checked) p.SetS_v(on); break;
        case nkWithoutVideo: if (checked) p.SetNs_v(on); break;
        case nkOnlyIntim: if (checked) p.SetNs_w(on); break;
        case nkExcludeIntim: if (checked) p.SetS_w(on); break;
        case nkPeriod:
            for (size_t i = 0; i < data::PeriodNames.size(); ++i)
                if (node->Caption() == platform::ToQString(data::PeriodNames[i]))
                    p.SetS_ty(std::string(data::PeriodCodes[i]));
            break;
        case nkPhotoRange:
            if (checked) p.SetS_p(on);
            p.SetPhotoMin(checked ? m_photoRange.Min : 0);
            p.SetPhotoMax(checked ? m_photoRange.Max : 0);
            break;
        case nkVideoRange:
            if (checked) p.SetS_v(on);
            p.SetVideoMin(checked ? m_videoRange.Min : 0);
            p.SetVideoMax(checked ? m_videoRange.Max : 0);
            break;
        case nkName: p.SetFriendName(checked ? m_storedName : std::string()); break;
        case nkMonthViews:
            p.SetMonthViewCountMin(checked ? m_monthViewRange.Min : 0);
            p.SetMonthViewCountMax(checked ? m_monthViewRange.Max : 0);
            break;
        case nkMyAge: p.SetMyAge(checked ? m_storedMyAge : 0); break;
        case nkStature:
            p.SetStatureMin(checked ? m_statureRange.Min : 0);
            p.SetStatureMax(checked ? m_statureRange.Max : 0);
            break;
        case nkWeight:
            p.SetWeightMin(checked ? m_weightRange.Min : 0);
            p.SetWeightMax(checked ? m_weightRange.Max : 0);
            break;
        case nkCar:
            // While the makes are being read the tree cannot tell which are
            // chosen: the stored choice stands rather than being lost.
            p.SetCar(!CarMakesLoading() ? CollectCheckedIds(node, dm.CarGroup()) : checked ? s.car() : std::string());
            break;
        default:
            if (const TAttributeGroupNode* group = FindAttributeGroupNode(kind)) {
                const data::TXMLTable& table = kind == nkMarriage && node->FemaleWording()
                                                   ? dm.MarriageWomanGroup()
                                                   : dm.ConditionGroup(group->Table);
                if (const platform::TPropInfo* prop = platform::FindPropInfo(p, group->Property))
                    prop->SetStr(p, CollectCheckedIds(node, table));
            }
            break;
        }
    }

    p.SetTarget(purposes);
    p.SetSponsor(sponsors);
    p.SetId_Country(s.id_Country());
    p.SetId_Region(s.id_Region());
    p.SetId_Town(s.id_Town());
    p.SetId_Station(s.id_Station());
    p.SetCountry(s.Country());
    p.SetRegion(s.Region());
    p.SetTown(s.Town());
    p.SetStation(s.Station());
}

namespace {

bool SameValue(const platform::TPropInfo& prop, const data::TFinderParams& a, const data::TFinderParams& b) {
    return prop.IsOrdinal() ? prop.GetOrd(a) == prop.GetOrd(b) : prop.GetStr(a) == prop.GetStr(b);
}

void CopyValue(const platform::TPropInfo& prop, data::TFinderParams& to, const data::TFinderParams& from) {
    if (prop.IsOrdinal()) prop.SetOrd(to, prop.GetOrd(from));
    else prop.SetStr(to, prop.GetStr(from));
}

// The properties whose values differ, in declaration order.
std::vector<const platform::TPropInfo*> Differing(const data::TFinderParams& a, const data::TFinderParams& b) {
    std::vector<const platform::TPropInfo*> props;
    for (const platform::TPropInfo& prop : a.PublishedProperties())
        if (!SameValue(prop, a, b)) props.push_back(&prop);
    return props;
}

} // namespace

void TfrmConditions::BuildTree(QTreeWidget* tree) {
    if (!tree) return;
    BuildTreeNodes(tree);
    TTreeChoice& choice = ChoiceOf(tree);
    choice.built = ReadTree(tree);
    choice.last = ReadTree(tree);
    choice.changedAt.clear();
}

std::unique_ptr<data::TFinderParams> TfrmConditions::ReadTree(QTreeWidget* tree) {
    auto params = std::make_unique<data::TFinderParams>();
    data::CopyProperties(*params, data::dmFriend().Settings());
    TreeToParams(tree, *params);
    return params;
}

void TfrmConditions::NoteTreeChange(QTreeWidget* tree) {
    TTreeChoice& choice = ChoiceOf(tree);
    if (!choice.last) return;
    std::unique_ptr<data::TFinderParams> now = ReadTree(tree);
    std::vector<std::string> changed;
    for (const platform::TPropInfo* prop : Differing(*choice.last, *now)) {
        changed.emplace_back(prop->Name);
        choice.changedAt[std::string(prop->Name)] = ++m_changeCount;
    }
    choice.last = std::move(now);
    if (!changed.empty() && OnTreeChoiceChanged) OnTreeChoiceChanged(*choice.last, changed);
}

std::vector<std::string> TfrmConditions::TreeChoicesSinceBuilt(data::TFinderParams& out) {
    QTreeWidget* active = pcLeft->currentWidget() == tsExSearch ? tvExSearch : tvSearch;
    QTreeWidget* other = active == tvSearch ? tvExSearch : tvSearch;
    // Each property goes to the tree that changed it last, whatever page is
    // open; on a tie (a change not told by a click) the open page's tree.
    struct TLatest {
        uint64_t at = 0;
        const data::TFinderParams* from = nullptr;
        const platform::TPropInfo* prop = nullptr;
    };
    std::vector<std::string> names;
    std::map<std::string, TLatest, std::less<>> latest;
    std::unique_ptr<data::TFinderParams> read[2];
    for (QTreeWidget* tree : {other, active}) {
        // A tree marked for rebuilding shows what it showed before the
        // settings last changed: the settings are newer.
        const bool built = tree == tvSearch ? m_searchTreeBuilt : m_exSearchTreeBuilt;
        const TTreeChoice& choice = ChoiceOf(tree);
        if (!built || !choice.built) continue;
        std::unique_ptr<data::TFinderParams>& now = read[IsExtended(tree) ? 1 : 0];
        now = ReadTree(tree);
        for (const platform::TPropInfo& prop : now->PublishedProperties()) {
            const auto stamp = choice.changedAt.find(prop.Name);
            const uint64_t at = stamp != choice.changedAt.end() ? stamp->second : 0;
            if (at == 0 && SameValue(prop, *choice.built, *now)) continue;
            TLatest& best = latest[std::string(prop.Name)];
            if (!best.from || at >= best.at) best = {at, now.get(), &prop};
        }
    }
    for (const platform::TPropInfo& prop : out.PublishedProperties()) {
        const auto best = latest.find(prop.Name);
        if (best == latest.end()) continue;
        CopyValue(*best->second.prop, out, *best->second.from);
        names.emplace_back(prop.Name);
    }
    return names;
}

void TfrmConditions::StartSearch() {
    QWidget* page = pcLeft->currentWidget();
    if (page == tsSearch) TreeToParams(tvSearch);
    else if (page == tsExSearch) TreeToParams(tvExSearch);
    else platform::ShowInfoMessage("Выберите подходящую закладку.");
}

} // namespace app
