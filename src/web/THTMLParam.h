#pragma once
// One attribute of a tag, as the tokenizer splits it: KEY=value, the key upper
// case, the value with one pair of enclosing quotes removed.

#include <string_view>

namespace web {

class TStringArena;

class THTMLParam {
public:
    THTMLParam() = default;

    // The attribute text as collected (blanks round '=' already dropped).
    std::string_view Raw() const { return m_raw; }
    // The text before the first '=', upper case (ASCII letters only); the
    // whole text when there is no '='.
    std::string_view Key() const { return m_key; }
    // The text after the first '=' without its enclosing quotes; empty when
    // there is no '='.
    std::string_view Value() const { return m_value; }

    // Splits `raw` into key and value. `raw` must outlive the parameter; an
    // upper-case copy of the key, when one is needed, goes to `arena`.
    void Parse(std::string_view raw, TStringArena& arena);

private:
    std::string_view m_raw;
    std::string_view m_key;
    std::string_view m_value;
};

} // namespace web
