#pragma once
// Queries over one page: every tag of a name that passes a test, the first
// such tag, an attribute's value, and the items round a tag. The page is
// tokenized once per page text, on the first query after it is set; results
// point into the finder's parser and stay valid until the page text is set
// again and queried, or the finder is destroyed.

#include "web/THTMLParser.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace web {

// A test a tag must pass; an empty filter lets every tag pass.
using TFindTagsFilter = std::function<bool(const THTMLTag& tag)>;
using TTagList = std::vector<const THTMLTag*>;

class TFindTags {
public:
    TFindTags() = default;
    explicit TFindTags(const THTMLTagSyntax& syntax) : m_parser(syntax) {}

    // The page's lines joined with CR LF (empty for an empty page).
    std::string HTML() const;
    // Sets the page (UTF-8); it is tokenized by the next query.
    void SetHTML(std::string html);
    // Forgets the page and its items and gives their memory back; results
    // handed out before become invalid.
    void Release();

    // The tokenized page (tokenized now if it was not yet).
    const THTMLParser& Parser();
    const std::vector<const THTMLItem*>& Items() { return Parser().Items(); }

    // Every tag whose name equals `name` without regard to ASCII case (or
    // every tag at all, closing and empty-named ones included, when `name` is
    // exactly "*") and that passes `filter`, in document order. Empty when
    // none does.
    TTagList FindTags(std::string_view name, const TFindTagsFilter& filter = {});

    // As FindTags, restricted to the tags of the form whose "name" attribute
    // equals `formName` exactly: from that form's opening tag (which a search
    // for "form" finds) up to the next closing "form" tag, and again from any
    // later opening tag of that form. A `name` of exactly "*" still finds
    // every tag of the page; an empty `formName` searches the whole page.
    TTagList FindTagsInForm(std::string_view name, const TFindTagsFilter& filter, std::string_view formName);

    // The first tag FindTags would return, or nullptr when there is none.
    const THTMLTag* FindFirstTag(std::string_view name, const TFindTagsFilter& filter = {});

    // The value of the tag's first attribute whose key equals `name` without
    // regard to ASCII case; empty when `tag` is nullptr, when `name` is empty
    // or blank, or when no attribute matches.
    static std::string GetParamValue(const THTMLTag* tag, std::string_view name);

    // An "a" tag with an href whose value begins with "http://" (any case).
    static bool IsHttpLink(const THTMLTag& tag);
    // A "meta" tag with a content attribute that holds "charset=" (any case).
    static bool IsCharsetMeta(const THTMLTag& tag);

    // The items round an item of this page, bounds-checked: nullptr past
    // either end, for an item of another page, or (for the Text forms) when
    // the neighbour is a tag.
    const THTMLItem* ItemAfter(const THTMLItem& item) { return Parser().ItemAfter(item); }
    const THTMLItem* ItemBefore(const THTMLItem& item) { return Parser().ItemBefore(item); }
    const THTMLText* TextAfter(const THTMLItem& item) { return Parser().TextAfter(item); }
    const THTMLText* TextBefore(const THTMLItem& item) { return Parser().TextBefore(item); }

private:
    template <class Visit>
    void ForEachMatch(std::string_view name, const TFindTagsFilter& filter, Visit&& visit);

    THTMLParser m_parser;
    bool m_parsed = false;
};

} // namespace web
