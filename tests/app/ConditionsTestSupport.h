#pragma once
// Helpers of the conditions form's tests: stored conditions of every kind,
// a text picture of a tree, and clicks on a node's check box.

#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/TfrmConditions.h"
#include "data/TTesselSettings.h"
#include "search/EngineTestSupport.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <memory>
#include <string>

namespace conditionstest {

// Every kind of stored condition, with a car make chosen.
inline void FillEverySetting(data::TTesselSettings& s) {
    s.SetS_ty("Week");
    s.SetFriendName("Анна");
    s.SetPhotoMin(2);
    s.SetPhotoMax(5);
    s.SetVideoMin(1);
    s.SetMonthViewCountMin(10);
    s.SetMonthViewCountMax(100);
    s.SetMyAge(30);
    s.SetStatureMin(160);
    s.SetStatureMax(180);
    s.SetWeightMin(50);
    s.SetS_i("M");
    s.SetS_l("F");
    s.SetS_f("25");
    s.SetS_t("35");
    s.SetS_m("12");
    s.SetS_p("checked");
    s.SetS_v("checked");
    s.SetS_w("checked");
    s.SetS_real("checked");
    s.SetNs_v("checked");
    s.SetCountry("Россия");
    s.SetRegion("Москва и область");
    s.SetTown("Москва");
    s.SetStation("Арбатская");
    s.SetId_Country("3159");
    s.SetId_Region("3159_4312_0_0");
    s.SetId_Town("3159_4312_4400_0");
    s.SetId_Station("3159_4312_4400_7");
    s.SetMusic("RapMusic|RockMusic");
    s.SetSport("Swim");
    s.SetMarriage("NoMarriage2");
    s.SetChildren("WantChildren");
    s.SetZodiac("lev");
    s.SetExcite("Jeans|Skin");
    s.SetBust("BigBust");
    s.SetOrientation("Getero");
    s.SetTarget("Love|Intim");
    s.SetSponsor("No");
}

// "[x] caption" per node, children indented by two blanks; with
// `checkedItemsOnly`, unchecked items are left out (roots never).
inline std::string Dump(const QTreeWidget& tree, bool checkedItemsOnly = false) {
    std::string out;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(&tree)); *it; ++it) {
        const app::TCheckedTreeNode* node = app::TCheckedTreeNode::From(*it);
        const int level = node->Level();
        if (checkedItemsOnly && level > 0 && !node->Checked()) continue;
        out += std::string(size_t(level) * 2, ' ') + (node->Checked() ? "[x] " : "[ ] ") +
               node->Caption().toStdString() + "\n";
    }
    return out;
}

// The node captioned `caption` (the first in tree order), or nullptr.
inline app::TCheckedTreeNode* Node(QTreeWidget& tree, const QString& caption) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if ((*it)->text(0) == caption) return app::TCheckedTreeNode::From(*it);
    return nullptr;
}

// A press `dx` pixels into the node's indentation (the check box lies
// between 12 and 32, exclusive).
inline bool Click(app::TfrmConditions& form, QTreeWidget& tree, app::TCheckedTreeNode* node, int dx = 20) {
    if (!node) return false;
    tree.scrollToItem(node);
    const QRect rect = tree.visualItemRect(node);
    return form.tvSearchMouseDown(&tree, {node->Level() * 19 + dx, rect.center().y()});
}

} // namespace conditionstest
