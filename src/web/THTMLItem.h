#pragma once
// One item of a tokenized page: a tag or a run of text. Items are made only
// by THTMLParser and live in its storage; every pointer or view handed out is
// borrowed and stays valid until the parser is cleared or destroyed.

#include <cstdint>
#include <string_view>

namespace web {

class THTMLTag;
class THTMLText;

class THTMLItem {
public:
    enum class TKind : uint8_t { Tag, Text };

    TKind Kind() const { return m_kind; }
    bool IsTag() const { return m_kind == TKind::Tag; }
    bool IsText() const { return m_kind == TKind::Text; }

    // Position in the parser's item list; the item after this one is Index + 1.
    int32_t Index() const { return m_index; }

    // The text as collected: for a tag what stood between '<' and '>', for a
    // text run its characters with line ends as line feeds.
    std::string_view Raw() const { return m_raw; }

    // This item as a tag or a text, or nullptr when it is the other kind.
    const THTMLTag* AsTag() const;
    const THTMLText* AsText() const;

protected:
    THTMLItem(TKind kind, int32_t index, std::string_view raw) : m_raw(raw), m_index(index), m_kind(kind) {}

    std::string_view m_raw;
    int32_t m_index;
    TKind m_kind;
};

} // namespace web
