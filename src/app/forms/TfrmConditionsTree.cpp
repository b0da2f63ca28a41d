// The conditions trees: building them from the stored settings and the
// vocabulary tables, and what a click on a node's check box does.
//
// A node's kind (see ConditionNodeKinds.h) says what it stands for; its check
// state is its icon. Roots with items either allow several checked items (the
// purposes, sponsorship, music, sport, excitements and cars) or only one.
// Every positional read (gender items, vocabulary rows, a node's children)
// is bounds-checked: a node out of step with its table stays a plain node.
#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/ConditionNodeKinds.h"
#include "app/forms/FormGuards.h"
#include "app/forms/TfrmConditions.h"
#include "data/CodeTables.h"
#include "data/TdmFriend.h"
#include "platform/MessageRoutines.h"
#include "platform/QtText.h"
#include "search/CarCatalogue.h"
#include "search/TVelmora.h"
#include "web/TSubmit.h"

#include <QApplication>
#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace app {
namespace {

using platform::ToQString;

constexpr int NodeIndent = 19;

QString Num(int32_t n) { return QString::number(n); }

data::TTesselSettings& Settings() { return data::dmFriend().Settings(); }

bool IsFlagSet(const std::string& flag) { return flag == "checked"; }

// "|" + id + "|" occurs in "|" + list + "|".
// An empty id (the car root's placeholder) is in no list.
bool FramedIn(std::string_view list, std::string_view id) {
    if (id.empty()) return false;
    const std::string framed = "|" + std::string(list) + "|";
    return framed.find("|" + std::string(id) + "|") != std::string::npos;
}

std::string RowText(const data::TXMLTable& table, int row, std::string_view field) {
    return data::TXMLTable::NodeText(table.RecordNode(row), field);
}

// A range is set by either of its bounds: a bound is a number of 1 or more,
// as the range dialog answers it and the checker reads it.
bool IsRangeSet(int32_t min, int32_t max) { return min >= 1 || max >= 1; }

// "Рост от 150 до 190", "Рост от 150", "Рост до 190" (the range dialog's own
// wording), or `bare` when no bound is set.
QString RangeCaption(const QString& prefix, int32_t min, int32_t max, const QString& bare) {
    if (min >= 1 && max >= 1) return prefix + " от " + Num(min) + " до " + Num(max);
    if (min >= 1) return prefix + " от " + Num(min);
    if (max >= 1) return prefix + " до " + Num(max);
    return bare;
}

// The pair a set range carries into the parameters: no bound is 0.
TfrmConditions::TStoredRange StoredRange(int32_t min, int32_t max) { return {std::max(min, 0), std::max(max, 0)}; }

void DeleteChildren(TCheckedTreeNode* node) { qDeleteAll(node->takeChildren()); }

void UncheckChildren(TCheckedTreeNode* node) {
    for (int i = 0; i < node->childCount(); ++i)
        if (TCheckedTreeNode* child = node->ChildNode(i)) child->SetChecked(false);
}

void SetExpandedAll(QTreeWidgetItem* item, bool expanded) {
    item->setExpanded(expanded);
    for (int i = 0; i < item->childCount(); ++i) SetExpandedAll(item->child(i), expanded);
}

// Every node of `tree` of one of `kinds`.
template <class F>
void ForEachNode(QTreeWidget* tree, F&& f) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (TCheckedTreeNode* node = TCheckedTreeNode::From(*it)) f(node);
}

// Ticks the place's levels under and with `country` as far down as the
// stored search goes: s_c names the level, and a station is ticked only with
// its line (s_m). So a start writes s_c and s_m again as the last start or
// "Сохранить" stored them, and no tree ever changes the place itself. An s_c
// that names no level of the place (a hand edit) ticks them all.
void CheckPlaceLevels(TCheckedTreeNode* country) {
    const data::TTesselSettings& s = Settings();
    std::vector<TCheckedTreeNode*> levels;
    for (TCheckedTreeNode* node = country; node; node = node->ChildNode(0)) levels.push_back(node);
    const std::string* ids[] = {&s.id_Country(), &s.id_Region(), &s.id_Town(), &s.id_Station()};
    size_t depth = s.s_c().empty() || s.s_c() == "0" ? 0 : levels.size();
    for (size_t i = std::min(levels.size(), std::size(ids)); depth > 0 && i-- > 0;)
        if (*ids[i] == s.s_c()) {
            depth = i + 1;
            break;
        }
    for (size_t i = 0; i < levels.size(); ++i) levels[i]->SetChecked(i < depth && (i < 3 || !s.s_m().empty()));
}

} // namespace

TCheckedTreeNode* TfrmConditions::AddRootNode(QTreeWidget* tree, const QString& caption, uint8_t kind) {
    auto* node = new TCheckedTreeNode(kind, caption);
    tree->addTopLevelItem(node);
    node->SetChecked(IsConditionSet(kind, {}));
    return node;
}

TCheckedTreeNode* TfrmConditions::AddChildNode(TCheckedTreeNode* parent, const QString& caption, std::string_view id,
                                               uint8_t kind) {
    auto* node = new TCheckedTreeNode(kind, caption);
    parent->addChild(node);
    node->SetChecked(IsConditionSet(kind, id));
    return node;
}

bool TfrmConditions::IsConditionSet(uint8_t kind, std::string_view id) const {
    const data::TTesselSettings& s = Settings();
    switch (kind) {
    case nkMyGender: return s.s_i() == id;
    case nkSeekGender: return s.s_l() == id;
    case nkAge: return !s.s_f().empty();
    case nkTarget: return !s.target().empty();
    case nkTargetItem: return data::GetGroupProp(s.TargetGroup(), id);
    case nkSponsor: return !s.sponsor().empty();
    case nkSponsorItem: return data::GetGroupProp(s.SponsorGroup(), id);
    case nkReal: return IsFlagSet(s.s_real()) || IsFlagSet(s.ns_real());
    case nkOnlyReal: return IsFlagSet(s.s_real());
    case nkExcludeReal: return IsFlagSet(s.ns_real());
    case nkPhoto: return IsFlagSet(s.s_p()) || IsFlagSet(s.ns_p()) || IsRangeSet(s.PhotoMin(), s.PhotoMax());
    case nkWithPhoto: return IsFlagSet(s.s_p());
    case nkWithoutPhoto: return IsFlagSet(s.ns_p());
    case nkVideo: return IsFlagSet(s.s_v()) || IsFlagSet(s.ns_v()) || IsRangeSet(s.VideoMin(), s.VideoMax());
    case nkWithVideo: return IsFlagSet(s.s_v());
    case nkWithoutVideo: return IsFlagSet(s.ns_v());
    case nkIntim: return IsFlagSet(s.ns_w()) || IsFlagSet(s.s_w());
    case nkOnlyIntim: return IsFlagSet(s.ns_w());
    case nkExcludeIntim: return IsFlagSet(s.s_w());
    case nkPeriod: return true;
    // "With photos" is the count range from 1: the extended tree has no
    // other item to show it with.
    case nkPhotoRange: return IsFlagSet(s.s_p()) || IsRangeSet(s.PhotoMin(), s.PhotoMax());
    case nkVideoRange: return IsFlagSet(s.s_v()) || IsRangeSet(s.VideoMin(), s.VideoMax());
    case nkName: return !s.FriendName().empty();
    case nkMonthViews: return IsRangeSet(s.MonthViewCountMin(), s.MonthViewCountMax());
    case nkMyAge: return s.MyAge() >= 1;
    case nkStature: return IsRangeSet(s.StatureMin(), s.StatureMax());
    case nkWeight: return IsRangeSet(s.WeightMin(), s.WeightMax());
    case nkCar: return !s.car().empty();
    case nkCarItem: return FramedIn(s.car(), id);
    default: break;
    }
    if (kind >= nkPeriodFirst && kind <= nkPeriodLast) return s.s_ty() == data::PeriodCodes[kind - nkPeriodFirst];
    const bool item = IsAttributeGroupItem(kind);
    if (const TAttributeGroupNode* group = FindAttributeGroupNode(item ? kind - 1 : kind)) {
        const platform::TPropInfo* prop = platform::FindPropInfo(s, group->Property);
        const std::string value = prop ? prop->GetStr(s) : std::string();
        if (!item) return !value.empty();
        return group->Several ? FramedIn(value, id) : value == id;
    }
    return false;
}

void TfrmConditions::SeedStoredValues() {
    // A node checked from the settings carries the value its caption shows,
    // not the dialog's default, into the parameters.
    const data::TTesselSettings& s = Settings();
    if (!s.FriendName().empty()) m_storedName = s.FriendName();
    const auto seed = [](TStoredRange& range, int32_t min, int32_t max) {
        if (IsRangeSet(min, max)) range = StoredRange(min, max);
    };
    // "With photos" alone is the count from 1, as the item's caption says.
    seed(m_photoRange, IsFlagSet(s.s_p()) && !IsRangeSet(s.PhotoMin(), s.PhotoMax()) ? 1 : s.PhotoMin(), s.PhotoMax());
    seed(m_videoRange, IsFlagSet(s.s_v()) && !IsRangeSet(s.VideoMin(), s.VideoMax()) ? 1 : s.VideoMin(), s.VideoMax());
    seed(m_monthViewRange, s.MonthViewCountMin(), s.MonthViewCountMax());
    if (s.MyAge() >= 1) m_storedMyAge = s.MyAge();
    seed(m_statureRange, s.StatureMin(), s.StatureMax());
    seed(m_weightRange, s.WeightMin(), s.WeightMax());
}

void TfrmConditions::BuildTreeNodes(QTreeWidget* tree) {
    const bool ext = IsExtended(tree);
    const data::TTesselSettings& s = Settings();
    data::TdmFriend& dm = data::dmFriend();
    tree->clear();
    if (ext) SeedStoredValues();

    AddMyGenderNodes(AddRootNode(tree, "Я", nkMe));
    if (ext) AddRootNode(tree, s.MyAge() != 0 ? "Мой возраст " + Num(s.MyAge()) : QString("Мой возраст"), nkMyAge);
    TCheckedTreeNode* seek = AddRootNode(tree, "Ищу", nkSeek);
    AddSoughtGenderNodes(seek);
    if (ext) {
        TCheckedTreeNode* period = AddRootNode(tree, ToQString(data::PeriodNames[0]), nkPeriod);
        period->SetChecked(true);
        AddPeriodNodes(period);
    }

    QString age = "В возрасте";
    if (!s.s_f().empty()) age = "В возрасте от " + ToQString(s.s_f()) + " лет";
    if (!s.s_t().empty())
        age = !s.s_f().empty() ? "В возрасте " + ToQString(s.s_f()) + " — " + ToQString(s.s_t()) + " лет"
                               : "В возрасте до " + ToQString(s.s_t()) + " лет";
    TCheckedTreeNode* ageNode = AddRootNode(tree, age, nkAge);
    if (age != "В возрасте") ageNode->SetChecked(true);

    TCheckedTreeNode* country = AddRootNode(tree, "Страна", nkCountry);
    if (s.id_Country() != "0" && !s.id_Country().empty()) {
        country->SetCaption(ToQString(s.Country()));
        TCheckedTreeNode* node = country;
        if (s.id_Region() != "0_0" && !s.id_Region().empty()) {
            node = AddChildNode(node, ToQString(s.Region()), {}, nkRegion);
            if (s.id_Town() != "0_0_0" && !s.id_Town().empty()) {
                node = AddChildNode(node, ToQString(s.Town()), {}, nkTown);
                if (s.id_Station() != "0_0_0_0" && !s.id_Station().empty())
                    AddChildNode(node, ToQString(s.Station()), {}, nkStation);
            }
        }
        CheckPlaceLevels(country);
    }
    SetExpandedAll(country, true);

    if (ext) AddRootNode(tree, s.FriendName().empty() ? QString("Имя") : "имя " + ToQString(s.FriendName()), nkName);
    AddTargetNodes(AddRootNode(tree, "Цель знакомства", nkTarget));
    AddSponsorNodes(AddRootNode(tree, "Материальная поддержка", nkSponsor));

    TCheckedTreeNode* real = AddRootNode(tree, "Real", nkReal);
    AddChildNode(real, "Только REAL", {}, nkOnlyReal);
    AddChildNode(real, "Исключить REAL", {}, nkExcludeReal);

    if (!ext) {
        TCheckedTreeNode* photo = AddRootNode(tree, "Фотография", nkPhoto);
        AddChildNode(photo, "Только с фотографией", {}, nkWithPhoto);
        AddChildNode(photo, "Только без фотографии", {}, nkWithoutPhoto);
        TCheckedTreeNode* video = AddRootNode(tree, "Видео", nkVideo);
        AddChildNode(video, "Только с видео", {}, nkWithVideo);
        AddChildNode(video, "Только без видео", {}, nkWithoutVideo);
    } else {
        TCheckedTreeNode* photo = AddRootNode(tree, "Фотографии", nkPhoto);
        AddChildNode(photo, "Только без фотографий", {}, nkWithoutPhoto);
        AddChildNode(photo,
                     RangeCaption("Количество фотографий", s.PhotoMin(), s.PhotoMax(), "Количество фотографий от 1"),
                     {}, nkPhotoRange);
        TCheckedTreeNode* video = AddRootNode(tree, "Видео", nkVideo);
        AddChildNode(video, "Только без видео", {}, nkWithoutVideo);
        AddChildNode(video, RangeCaption("Количество видео", s.VideoMin(), s.VideoMax(), "Количество видео от 1"), {},
                     nkVideoRange);
    }

    TCheckedTreeNode* intim = AddRootNode(tree, "Интим за деньги", nkIntim);
    AddChildNode(intim, "Только интим за деньги", {}, nkOnlyIntim);
    AddChildNode(intim, "Исключить интим за деньги", {}, nkExcludeIntim);
    if (!ext) return;

    const QString views = "Количество просмотров за месяц";
    AddRootNode(tree, RangeCaption(views, s.MonthViewCountMin(), s.MonthViewCountMax(), views), nkMonthViews);
    AddRootNode(tree, RangeCaption("Рост", s.StatureMin(), s.StatureMax(), "Рост"), nkStature);
    AddRootNode(tree, RangeCaption("Вес", s.WeightMin(), s.WeightMax(), "Вес"), nkWeight);

    for (const TAttributeGroupNode& group : AttributeGroupNodes) {
        TCheckedTreeNode* root = AddRootNode(tree, ToQString(group.Caption), group.Kind);
        // Both marriage wordings share their captions; the items take the ids
        // of the wording the parameters are written with, so that a choice
        // stored in the woman's wording shows checked again.
        const bool female = group.Kind == nkMarriage && seek->FemaleWording();
        AddConditionGroupNodes(root, female ? dm.MarriageWomanGroup() : dm.ConditionGroup(group.Table),
                               uint8_t(group.Kind + 1));
        if (group.Kind == nkMarriage) root->SetFemaleWording(seek->FemaleWording());
    }

    TCheckedTreeNode* car = AddRootNode(tree, "Автомобиль", nkCar);
    // A read for the tree that is gone is of no use to this one.
    if (m_carClient) m_carClient->Abort();
    m_checkCarsWhenLoaded = false;
    m_carMakesLoaded = false;
    AddCarModelNode(car);
}

void TfrmConditions::AddMyGenderNodes(TCheckedTreeNode* root) {
    DeleteChildren(root);
    const std::string& code = Settings().s_i();
    for (size_t i = 1; i < data::GenderNames.size(); ++i) {
        AddChildNode(root, ToQString(data::GenderNames[i]), data::GenderCodes[i], nkMyGender);
        if (code == data::GenderCodes[i]) {
            root->SetCaption("Я " + ToQString(data::GenderNames[i]));
            root->SetChecked(true);
        }
    }
}

void TfrmConditions::AddSoughtGenderNodes(TCheckedTreeNode* root) {
    DeleteChildren(root);
    const std::string& code = Settings().s_l();
    for (size_t i = 1; i < data::SeekGenderNames.size(); ++i) {
        TCheckedTreeNode* item =
            AddChildNode(root, ToQString(data::SeekGenderNames[i]), data::GenderCodes[i], nkSeekGender);
        if (code != data::GenderCodes[i]) continue;
        const bool female = code == "F";
        root->SetFemaleWording(female);
        item->SetFemaleWording(female);
        root->SetCaption("Ищу " + ToQString(data::SeekGenderNames[i]));
        root->SetChecked(true);
        UpdateGenderNodes(root->treeWidget(), female);
    }
}

void TfrmConditions::AddPeriodNodes(TCheckedTreeNode* root) {
    DeleteChildren(root);
    TCheckedTreeNode* last = nullptr;
    for (size_t i = 0; i < data::PeriodNames.size(); ++i) {
        TCheckedTreeNode* item =
            AddChildNode(root, ToQString(data::PeriodNames[i]), data::PeriodCodes[i], uint8_t(nkPeriodFirst + i));
        if (item->Checked()) last = item;
    }
    if (!last) {
        last = root->ChildNode(0);
        last->SetChecked(true);
    }
    root->SetCaption(last->Caption());
}

void TfrmConditions::AddTargetNodes(TCheckedTreeNode* root) {
    DeleteChildren(root);
    const data::TXMLTable& table = data::dmFriend().TargetGroup();
    const std::string target = Settings().target();
    for (int i = 0; i < table.RecordCount(); ++i) {
        const std::string id = RowText(table, i, "id");
        AddChildNode(root, ToQString(RowText(table, i, "Comment")), id, nkTargetItem)->SetChecked(FramedIn(target, id));
    }
}

void TfrmConditions::AddSponsorNodes(TCheckedTreeNode* root) {
    DeleteChildren(root);
    const data::TXMLTable& table = data::dmFriend().SponsorGroup();
    const std::string sponsor = Settings().sponsor();
    for (int i = 0; i < table.RecordCount(); ++i) {
        const std::string id = RowText(table, i, "id");
        AddChildNode(root, ToQString(RowText(table, i, "Comment")), id, nkSponsorItem)
            ->SetChecked(FramedIn(sponsor, id));
    }
}

void TfrmConditions::AddConditionGroupNodes(TCheckedTreeNode* root, const data::TXMLTable& table, uint8_t itemKind) {
    DeleteChildren(root);
    for (int i = 0; i < table.RecordCount(); ++i)
        AddChildNode(root, ToQString(RowText(table, i, "Comment")), RowText(table, i, "id"), itemKind);
}

void TfrmConditions::AddCarModelNode(TCheckedTreeNode* root) {
    if (!Settings().car().empty()) LoadCarMakes(root);
    else AddChildNode(root, {}, {}, nkCarItem); // a placeholder, so that the root can be opened
}

bool TfrmConditions::CarMakesLoading() const { return m_carClient && m_carClient->Busy(); }

TCheckedTreeNode* TfrmConditions::CarRoot() const {
    for (int i = 0; i < tvExSearch->topLevelItemCount(); ++i)
        if (TCheckedTreeNode* node = TCheckedTreeNode::From(tvExSearch->topLevelItem(i)); node && node->Kind() == nkCar)
            return node;
    return nullptr;
}

void TfrmConditions::LoadCarMakes(TCheckedTreeNode* root) {
    if (CarMakesLoading()) return;
    if (!m_engine) {
        FillCarMakes(root, false);
        return;
    }
    DeleteChildren(root);
    // A plain line, no condition: a click on it does nothing.
    root->addChild(new QTreeWidgetItem(QStringList(QStringLiteral("Загрузка..."))));
    if (!m_carClient) m_carClient = std::make_unique<TSubmit>();
    try {
        search::LoadCarModelsFromSiteAsync(*m_carClient, m_carFallbackHost,
                                           [this](bool listed) { CarMakesArrived(listed); });
    } catch (const std::exception& e) {
        platform::ShowInfoMessage(e.what());
        FillCarMakes(root, false);
    }
}

void TfrmConditions::CarMakesArrived(bool listed) {
    // The tree may have been built afresh meanwhile: the makes go under the
    // car root there is now.
    TCheckedTreeNode* root = CarRoot();
    const bool checkAll = std::exchange(m_checkCarsWhenLoaded, false);
    if (!root) return;
    FillCarMakes(root, listed);
    if (checkAll && root->Checked())
        for (int i = 0; i < root->childCount(); ++i)
            if (TCheckedTreeNode* child = root->ChildNode(i)) child->SetChecked(true);
    tvExSearch->viewport()->update();
    NoteTreeChange(tvExSearch);
}

void TfrmConditions::FillCarMakes(TCheckedTreeNode* root, bool loaded) {
    DeleteChildren(root);
    const data::TCarGroup& cars = data::dmFriend().CarGroup();
    for (int i = 0; i < cars.RecordCount(); ++i) {
        const std::string comment = cars.GetComment(i);
        const std::string model = cars.GetModel(i);
        AddChildNode(root, ToQString(model.empty() ? comment : comment + " " + model), cars.GetId(i), nkCarItem);
    }
    if (root->childCount() == 0) AddChildNode(root, {}, {}, nkCarItem);
    // A read that failed is tried again when the node is next opened.
    m_carMakesLoaded = loaded;
}

void TfrmConditions::UpdateGenderNodes(QTreeWidget* tree, bool femaleWording) {
    if (!IsExtended(tree)) return;
    data::TdmFriend& dm = data::dmFriend();
    const data::TXMLTable& table = femaleWording ? dm.MarriageWomanGroup() : dm.MarriageManGroup();
    ForEachNode(tree, [&](TCheckedTreeNode* node) {
        if (node->Kind() != nkMarriage) return;
        node->SetFemaleWording(femaleWording);
        for (int i = 0; i < table.RecordCount() && i < node->childCount(); ++i) {
            TCheckedTreeNode* child = node->ChildNode(i);
            if (!child) continue;
            child->SetCaption(ToQString(RowText(table, i, "Comment")));
            child->SetFemaleWording(femaleWording);
        }
    });
}

void TfrmConditions::tvExSearchExpanding(QTreeWidgetItem* item) {
    TCheckedTreeNode* node = TCheckedTreeNode::From(item);
    if (!node || node->treeWidget() != tvExSearch || node->Kind() != nkCar || m_carMakesLoaded) return;
    try {
        LoadCarMakes(node);
    } catch (const std::exception& e) {
        platform::ShowInfoMessage(e.what());
    }
}

void TfrmConditions::ExpandAll(TCheckedTreeNode* node) {
    if (node->Kind() == nkCar) tvExSearchExpanding(node);
    QTreeWidget* tree = node->treeWidget();
    // The car makes were seen to above; expanding must not read them twice.
    const bool blocked = tree && tree->blockSignals(true);
    SetExpandedAll(node, true);
    if (tree) tree->blockSignals(blocked);
}

bool TfrmConditions::tvSearchMouseDown(QTreeWidget* tree, QPoint pos) {
    if (!tree) return false;
    TCheckedTreeNode* node = TCheckedTreeNode::From(tree->itemAt(pos));
    if (!node) return false;
    // The check box lies between these bounds; a click on the caption only selects.
    const int level = node->Level();
    const int x = pos.x() + tree->header()->offset();
    if (!(level * NodeIndent + 12 < x && x < level * NodeIndent + 32)) return false;
    ToggleNode(tree, node);
    return true;
}

void TfrmConditions::ToggleNode(QTreeWidget* tree, TCheckedTreeNode* node) {
    try {
        if (!node->parent()) node->Checked() ? UncheckRoot(tree, node) : CheckRoot(tree, node);
        else node->Checked() ? UncheckItem(tree, node) : CheckItem(tree, node);
        NoteTreeChange(tree);
    } catch (const std::exception& e) {
        platform::ShowInfoMessage(e.what());
    }
    tree->viewport()->update();
}

void TfrmConditions::UncheckRoot(QTreeWidget* tree, TCheckedTreeNode* node) {
    const int kind = node->Kind();
    if (kind == nkPeriod) { // a period is always chosen
        ExpandAll(node);
        return;
    }
    SetExpandedAll(node, false);
    node->SetChecked(false);
    switch (kind) {
    case nkCountry:
        for (TCheckedTreeNode* n = node->ChildNode(0); n; n = n->ChildNode(0)) n->SetChecked(false);
        break;
    case nkReal: node->SetCaption("Real"); break;
    case nkPhoto: node->SetCaption(IsExtended(tree) ? "Фотографии" : "Фотография"); break;
    case nkVideo: node->SetCaption("Видео"); break;
    case nkIntim: node->SetCaption("Интим за деньги"); break;
    case nkName: node->SetCaption("Имя"); break;
    case nkMonthViews: node->SetCaption("Количество просмотров за месяц"); break;
    case nkMyAge: node->SetCaption("Мой возраст"); break;
    case nkStature: node->SetCaption("Рост"); break;
    case nkWeight: node->SetCaption("Вес"); break;
    default: break;
    }
    if (kind != nkCountry) UncheckChildren(node);
    if (kind == nkSeek) {
        node->SetFemaleWording(false);
        UpdateGenderNodes(tree, false);
    }
}

void TfrmConditions::CheckRoot(QTreeWidget* tree, TCheckedTreeNode* node) {
    const int kind = node->Kind();
    const bool hasChildren = node->childCount() > 0;
    auto checkAndExpand = [&] {
        node->SetChecked(true);
        ExpandAll(node);
    };
    QString caption;
    switch (kind) {
    case nkMe:
        AddMyGenderNodes(node);
        checkAndExpand();
        break;
    case nkSeek:
        AddSoughtGenderNodes(node);
        checkAndExpand();
        break;
    case nkCountry:
        if (node->Caption() != "Страна") checkAndExpand();
        break;
    case nkTarget:
    case nkSponsor: ExpandAll(node); break;
    case nkReal:
        if (!hasChildren) break;
        checkAndExpand();
        node->ChildNode(0)->SetChecked(true);
        node->SetCaption("Только REAL");
        break;
    case nkPhoto:
    case nkVideo: {
        if (!hasChildren) break;
        checkAndExpand();
        const bool photo = kind == nkPhoto;
        if (!IsExtended(tree)) {
            node->ChildNode(0)->SetChecked(true);
            node->SetCaption(photo ? "Только с фотографией" : "Только с видео");
            break;
        }
        TCheckedTreeNode* range = node->ChildNode(1);
        const bool ok = AskRange(photo ? "Количество фотографий" : "Количество видео", -1,
                                 photo ? m_photoRange : m_videoRange, caption);
        if (ok) node->SetCaption(caption);
        node->SetChecked(ok);
        if (range) {
            if (ok) range->SetCaption(caption);
            range->SetChecked(ok);
        }
        break;
    }
    case nkIntim:
        if (!hasChildren) break;
        checkAndExpand();
        if (TCheckedTreeNode* exclude = node->ChildNode(1)) exclude->SetChecked(true);
        node->SetCaption("Исключить интим за деньги");
        break;
    case nkPeriod:
        if (!hasChildren) break;
        checkAndExpand();
        for (int i = 0; i < node->childCount(); ++i)
            if (TCheckedTreeNode* child = node->ChildNode(i); child && child->Caption() == node->Caption())
                child->SetChecked(true);
        break;
    case nkName:
        if (AskName()) {
            node->SetCaption("имя " + ToQString(m_storedName));
            node->SetChecked(true);
        }
        break;
    case nkMyAge:
        if (AskMyAge()) {
            node->SetCaption("Мой возраст " + Num(m_storedMyAge));
            node->SetChecked(true);
        }
        break;
    case nkMonthViews:
    case nkStature:
    case nkWeight: {
        const bool ok = kind == nkMonthViews ? AskRange("Количество просмотров за месяц", -1, m_monthViewRange, caption)
                        : kind == nkStature  ? AskRange("Рост", 140, m_statureRange, caption)
                                             : AskRange("Вес", 40, m_weightRange, caption);
        if (ok) {
            node->SetCaption(caption);
            node->SetChecked(true);
        }
        break;
    }
    case nkCar:
        if (!hasChildren) break;
        checkAndExpand(); // may start reading the car makes
        for (int i = 0; i < node->childCount(); ++i)
            if (TCheckedTreeNode* child = node->ChildNode(i)) child->SetChecked(true);
        m_checkCarsWhenLoaded = CarMakesLoading();
        break;
    default:
        if (!IsAttributeGroupRoot(kind)) node->SetChecked(true); // a group root is checked through its items
        break;
    }
}

void TfrmConditions::CheckItem(QTreeWidget* tree, TCheckedTreeNode* node) {
    TCheckedTreeNode* parent = node->ParentNode();
    if (!parent) return;
    for (TCheckedTreeNode* p = parent; p; p = p->ParentNode()) p->SetChecked(true);
    const int parentKind = parent->Kind();
    if (!IsSeveralChoiceParent(parentKind) && parent->childCount() > 1)
        for (int i = 0; i < parent->childCount(); ++i)
            if (TCheckedTreeNode* sibling = parent->ChildNode(i); sibling && sibling != node)
                sibling->SetChecked(false);
    if (parentKind == nkMe) parent->SetCaption("Я " + node->Caption());
    if (parentKind == nkSeek) {
        parent->SetCaption("Ищу " + node->Caption());
        const bool female = node->Caption() == "Девушку";
        parent->SetFemaleWording(female);
        UpdateGenderNodes(tree, female);
    }

    const int kind = node->Kind();
    QString caption;
    switch (kind) {
    case nkOnlyReal: parent->SetCaption("Только Real"); break;
    case nkExcludeReal: parent->SetCaption("Исключить Real"); break;
    case nkWithPhoto: parent->SetCaption("Только с фотографией"); break;
    case nkWithoutPhoto: parent->SetCaption("Только без фотографии"); break;
    case nkWithVideo: parent->SetCaption("Только с видео"); break;
    case nkWithoutVideo: parent->SetCaption("Только без видео"); break;
    case nkOnlyIntim: parent->SetCaption("Только интим за деньги"); break;
    case nkExcludeIntim: parent->SetCaption("Исключить интим за деньги"); break;
    case nkPhotoRange:
    case nkVideoRange: {
        const bool photo = kind == nkPhotoRange;
        if (AskRange(photo ? "Количество фотографий" : "Количество видео", 1, photo ? m_photoRange : m_videoRange,
                     caption)) {
            parent->SetCaption(caption);
            node->SetCaption(caption);
            node->SetChecked(true);
        } else {
            parent->SetChecked(false);
        }
        return;
    }
    case nkLimbItem: // penis size and bust size exclude each other
    case nkBustItem:
        ForEachNode(tree, [&](TCheckedTreeNode* n) {
            const int other = kind == nkLimbItem ? nkBust : nkLimb;
            if (n->Kind() == other || n->Kind() == other + 1) n->SetChecked(false);
        });
        break;
    case nkCarItem: AskCarModel(node); break;
    default:
        if (kind >= nkPeriodFirst && kind <= nkPeriodLast)
            parent->SetCaption(ToQString(data::PeriodNames[kind - nkPeriodFirst]));
        break;
    }
    node->SetChecked(true);
}

void TfrmConditions::UncheckItem(QTreeWidget* tree, TCheckedTreeNode* node) {
    TCheckedTreeNode* parent = node->ParentNode();
    if (!parent) return;
    const int parentKind = parent->Kind();
    if (parentKind != nkPeriod) node->SetChecked(false);
    if (IsSeveralChoiceParent(parentKind)) {
        bool any = false;
        for (int i = 0; i < parent->childCount(); ++i)
            if (TCheckedTreeNode* child = parent->ChildNode(i); child && child->Checked()) any = true;
        if (!any) parent->SetChecked(false);
        return;
    }
    const int kind = node->Kind();
    switch (kind) {
    case nkRegion:
        for (TCheckedTreeNode* n = node->ChildNode(0); n; n = n->ChildNode(0)) n->SetChecked(false);
        return;
    case nkTown:
        if (TCheckedTreeNode* station = node->ChildNode(0)) station->SetChecked(false);
        return;
    case nkStation: return;
    case nkOnlyReal:
    case nkExcludeReal: parent->SetCaption("Real"); break;
    case nkWithPhoto:
    case nkWithoutPhoto: parent->SetCaption(IsExtended(tree) ? "Фотографии" : "Фотография"); break;
    case nkWithVideo:
    case nkWithoutVideo: parent->SetCaption("Видео"); break;
    case nkOnlyIntim:
    case nkExcludeIntim: parent->SetCaption("Интим за деньги"); break;
    default:
        if (kind >= nkPeriodFirst && kind <= nkPeriodLast) return;
        break;
    }
    parent->SetChecked(false);
}

} // namespace app
