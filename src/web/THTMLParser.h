#pragma once
// The page tokenizer: a page becomes one flat list of tags and text runs in
// document order. It builds no tree and knows nothing of comments, scripts or
// quoted '>' characters; callers navigate the list by position (the text
// after a tag is the item at the tag's Index + 1), so item boundaries and
// positions are part of its contract.

#include "web/THTMLItem.h"
#include "web/THTMLParam.h"
#include "web/THTMLTag.h"
#include "web/THTMLText.h"
#include "web/TStringArena.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace web {

class THTMLParser {
public:
    // The most items a parser holds: a real page has a few thousand, and a
    // page of nothing but tags must not cost a hundred bytes per byte or two.
    // Execute drops what lies beyond.
    static constexpr int32_t MaxItems = 250000;

    THTMLParser();
    explicit THTMLParser(const THTMLTagSyntax& syntax);
    ~THTMLParser();
    THTMLParser(const THTMLParser&) = delete;
    THTMLParser& operator=(const THTMLParser&) = delete;

    // The page to tokenize (UTF-8). Setting it does not tokenize; items made
    // from an earlier page stay valid until Clear.
    void SetText(std::string text);
    const std::string& Text() const { return *m_text; }
    // The page one line per entry (CR LF, LF or CR end a line); none when empty.
    std::vector<std::string> Lines() const;

    // How tags are split (the tokenizer's own rules unless changed).
    const THTMLTagSyntax& Syntax() const { return m_syntax; }
    void SetSyntax(const THTMLTagSyntax& syntax) { m_syntax = syntax; }

    // Frees every item; views and pointers handed out before become invalid.
    void Clear();
    // Clear, and the page text and all working memory go back to the heap
    // too (Clear keeps some for the next page).
    void Release();

    // Tokenizes the page and appends its items (it does not clear first, so
    // call Clear before running it again). Never fails on damaged input: an
    // unterminated tag at the end is still made a tag. Once the parser holds
    // MaxItems items the rest of the page is dropped.
    void Execute();

    // Every item in document order; item i has Index i.
    const std::vector<const THTMLItem*>& Items() const { return m_items; }
    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }

    // The item at `index`, or nullptr when the index is outside the list.
    const THTMLItem* Item(int64_t index) const;

    // The item right after / right before `item`, or nullptr at either end of
    // the list or when `item` is not one of this parser's current items.
    const THTMLItem* ItemAfter(const THTMLItem& item) const;
    const THTMLItem* ItemBefore(const THTMLItem& item) const;
    // As ItemAfter / ItemBefore, but nullptr also when that item is a tag.
    const THTMLText* TextAfter(const THTMLItem& item) const;
    const THTMLText* TextBefore(const THTMLItem& item) const;

private:
    class TPendingRun;
    bool Owns(const THTMLItem& item) const;
    void FlushText(TPendingRun& pending);
    void FlushTag(std::string_view raw);

    THTMLTagSyntax m_syntax;
    std::unique_ptr<std::string> m_text;
    // Earlier pages that items made before the last SetText still point into.
    std::vector<std::unique_ptr<std::string>> m_retired;
    std::vector<const THTMLItem*> m_items;
    TStringArena m_arena;
    std::vector<THTMLParam> m_paramScratch;
};

} // namespace web
