#include "web/THTMLParam.h"

#include "web/TStringArena.h"

namespace web {

void THTMLParam::Parse(std::string_view raw, TStringArena& arena) {
    m_raw = raw;
    m_value = {};
    const size_t eq = raw.find('=');
    if (eq == std::string_view::npos) {
        m_key = arena.UpperCase(raw);
        return;
    }
    m_key = arena.UpperCase(raw.substr(0, eq));
    std::string_view value = raw.substr(eq + 1);
    // One pair of quotes at most; a lone '"' counts as a pair round nothing.
    if (value.size() > 1 && value.front() == '\'' && value.back() == '\'')
        value = value.substr(1, value.size() - 2);
    else if (!value.empty() && value.front() == '"' && value.back() == '"')
        value = value.size() > 1 ? value.substr(1, value.size() - 2) : std::string_view{};
    m_value = value;
}

} // namespace web
