#include "data/TPropertyGroup.h"

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

} // namespace data
