#include "web/TFindTags.h"

#include "platform/Text.h"

namespace web {

std::string TFindTags::HTML() const {
    std::string joined;
    bool first = true;
    for (const std::string& line : m_parser.Lines()) {
        if (!first) joined += "\r\n";
        joined += line;
        first = false;
    }
    return joined;
}

void TFindTags::SetHTML(std::string html) {
    m_parser.SetText(std::move(html));
    m_parsed = false;
}

void TFindTags::Release() {
    m_parser.Release();
    m_parsed = false;
}

const THTMLParser& TFindTags::Parser() {
    if (!m_parsed) {
        m_parser.Clear();
        m_parser.Execute();
        m_parsed = true;
    }
    return m_parser;
}

template <class Visit>
void TFindTags::ForEachMatch(std::string_view name, const TFindTagsFilter& filter, Visit&& visit) {
    const bool any = name == "*";
    for (const THTMLItem* item : Parser().Items()) {
        if (!item->IsTag()) continue;
        const auto& tag = static_cast<const THTMLTag&>(*item);
        if (!any && !text::SameTextAscii(tag.Name(), name)) continue;
        if (filter && !filter(tag)) continue;
        if (!visit(tag)) return;
    }
}

TTagList TFindTags::FindTags(std::string_view name, const TFindTagsFilter& filter) {
    TTagList list;
    ForEachMatch(name, filter, [&](const THTMLTag& tag) {
        list.push_back(&tag);
        return true;
    });
    return list;
}

TTagList TFindTags::FindTagsInForm(std::string_view name, const TFindTagsFilter& filter,
                                   std::string_view formName) {
    if (formName.empty()) return FindTags(name, filter);
    TTagList list;
    const bool any = name == "*";
    bool inForm = false;
    for (const THTMLItem* item : Parser().Items()) {
        const THTMLTag* tag = item->AsTag();
        if (!tag) continue;
        if (text::SameTextAscii(tag->Name(), "form")) {
            const THTMLParam* formNameParam = tag->FindParam("name");
            if (formNameParam && formNameParam->Value() == formName) inForm = true;
        } else if (text::SameTextAscii(tag->Name(), "/form")) {
            inForm = false;
        }
        const bool matches = any || (inForm && text::SameTextAscii(tag->Name(), name));
        if (matches && (!filter || filter(*tag))) list.push_back(tag);
    }
    return list;
}

const THTMLTag* TFindTags::FindFirstTag(std::string_view name, const TFindTagsFilter& filter) {
    const THTMLTag* found = nullptr;
    ForEachMatch(name, filter, [&](const THTMLTag& tag) {
        found = &tag;
        return false;
    });
    return found;
}

std::string TFindTags::GetParamValue(const THTMLTag* tag, std::string_view name) {
    if (!tag || text::Trim(name).empty()) return {};
    const THTMLParam* param = tag->FindParam(name);
    return param ? std::string(param->Value()) : std::string();
}

bool TFindTags::IsHttpLink(const THTMLTag& tag) {
    if (!text::SameTextAscii(tag.Name(), "a")) return false;
    for (const THTMLParam& param : tag.Params())
        if (text::SameTextAscii(param.Key(), "href") && text::StartsWithAsciiCI(param.Value(), "http://"))
            return true;
    return false;
}

bool TFindTags::IsCharsetMeta(const THTMLTag& tag) {
    if (!text::SameTextAscii(tag.Name(), "meta")) return false;
    for (const THTMLParam& param : tag.Params())
        if (text::SameTextAscii(param.Key(), "content") &&
            text::FindAsciiCI(param.Value(), "charset=") != std::string_view::npos)
            return true;
    return false;
}

} // namespace web
