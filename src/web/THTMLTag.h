#pragma once
// A tag of a tokenized page: its upper-case name and its attributes in order.
// A closing tag keeps its slash in the name ("/A"); a stray '>' in text gives
// a tag with an empty name.

#include "web/THTMLItem.h"
#include "web/THTMLParam.h"

#include <span>
#include <string_view>
#include <vector>

namespace web {

class TStringArena;

// How a tag's text is split. The defaults are the tokenizer's own rules; the
// switches exist for callers that need an older page reading.
struct THTMLTagSyntax {
    // A TAB separates the name and the attributes as a blank does.
    bool SplitAtTab = true;
    // "key = value" is read as "key=value" (one blank on each side dropped).
    bool DropBlanksAroundEquals = true;
};

class THTMLTag : public THTMLItem {
public:
    // The most attributes a tag keeps (a real tag has a handful); the text
    // beyond them is not read.
    static constexpr size_t MaxParams = 256;

    explicit THTMLTag(int32_t index) : THTMLItem(TKind::Tag, index, {}) {}

    // Up to the first blank (or TAB), ASCII letters upper case; may be empty.
    std::string_view Name() const { return m_name; }
    // The attributes in the order written; empty for a bare tag.
    std::span<const THTMLParam> Params() const { return m_params; }

    // The first attribute whose key equals `key` without regard to ASCII
    // case, or nullptr when there is none (or `key` is empty).
    const THTMLParam* FindParam(std::string_view key) const;

    // Splits the text between '<' and '>' into name and attributes. `raw`
    // must outlive the tag; what needs copying goes to `arena`, and `scratch`
    // is working room the caller may reuse from tag to tag.
    void Parse(std::string_view raw, TStringArena& arena, std::vector<THTMLParam>& scratch,
               const THTMLTagSyntax& syntax = {});

private:
    std::string_view m_name;
    std::span<const THTMLParam> m_params;
};

} // namespace web
