#include "data/TPropertyGroup.h"

#include "platform/QtText.h"

#include <QObject>
#include <QVariant>

namespace data {

void TPropertyGroup::SetAsText(std::string_view Text) {
    // Framing both the text and each name with "|" makes the test a whole-
    // word match: "Intim" is not found inside "IntimBuy".
    const std::string framed = "|" + std::string(Text) + "|";
    for (const auto& p : PublishedProperties()) {
        if (!p.IsOrdinal()) continue;
        const bool named = framed.find("|" + std::string(p.Name) + "|") != std::string::npos;
        p.SetOrd(*this, named ? 1 : 0);
    }
}

std::string TPropertyGroup::GetAsText() const {
    std::string text;
    for (const auto& p : PublishedProperties()) {
        if (!p.IsOrdinal() || p.GetOrd(*this) <= 0) continue;
        if (!text.empty()) text += '|';
        text += p.Name;
    }
    return text;
}

bool GetGroupProp(const platform::TPersistent& Group, std::string_view Name) {
    const platform::TPropInfo* p = platform::FindPropInfo(Group, Name);
    return p && p->IsOrdinal() && p->GetOrd(Group) > 0;
}

namespace {

// Only the meta-object is asked, so that the data layer needs no widgets.
QObject* FlagBox(const QObject* groupBox, std::string_view flag) {
    const QString name = QStringLiteral("chb") + platform::ToQString(flag);
    for (QObject* child : groupBox->children())
        if (child->inherits("QCheckBox") && child->objectName().contains(name, Qt::CaseSensitive)) return child;
    return nullptr;
}

} // namespace

void SetGroupToControls(const platform::TPersistent& Group, QObject* GroupBox) {
    if (!GroupBox || !GroupBox->inherits("QGroupBox")) return;
    for (const auto& p : Group.PublishedProperties())
        if (p.IsOrdinal())
            if (QObject* box = FlagBox(GroupBox, p.Name)) box->setProperty("checked", p.GetOrd(Group) > 0);
}

void GetGroupFromControls(platform::TPersistent& Group, const QObject* GroupBox) {
    if (!GroupBox || !GroupBox->inherits("QGroupBox")) return;
    for (const auto& p : Group.PublishedProperties()) {
        if (!p.IsOrdinal()) continue;
        p.SetOrd(Group, 0);
        if (const QObject* box = FlagBox(GroupBox, p.Name)) p.SetOrd(Group, box->property("checked").toBool() ? 1 : 0);
    }
}

} // namespace data
