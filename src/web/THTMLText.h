#pragma once
// A run of text between tags, with line ends as blanks, a leading run of
// blanks cut to one, and character entities decoded.

#include "web/THTMLItem.h"

#include <string_view>

namespace web {

class TStringArena;

class THTMLText : public THTMLItem {
public:
    explicit THTMLText(int32_t index) : THTMLItem(TKind::Text, index, {}) {}

    // The decoded text (UTF-8). Entities that cannot be decoded stay as written.
    std::string_view Text() const { return m_text; }

    // Decodes `raw` into Text. `raw` must outlive the item; the decoded copy,
    // when it differs from `raw`, goes to `arena`.
    void Parse(std::string_view raw, TStringArena& arena);

private:
    std::string_view m_text;
};

} // namespace web
