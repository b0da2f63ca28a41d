// Tag splitting. The name runs to the first separator; each attribute then
// runs to the next separator outside quotes, where a quote of either kind
// toggles the quoted state. "a = b" is read as "a=b": a blank right after
// '=' and a blank right before '=' are dropped as the attribute is collected.
//
// An attribute is usually a plain slice of the tag text. Only when a blank
// is dropped from its middle is it rebuilt, in the arena, and the rebuilt
// copy is never longer than the rest of the tag text, which bounds the room
// reserved for it.
#include "web/THTMLTag.h"

#include "platform/Text.h"
#include "web/TStringArena.h"

#include <array>
#include <cstring>

namespace web {

const THTMLParam* THTMLTag::FindParam(std::string_view key) const {
    if (key.empty()) return nullptr;
    for (const THTMLParam& param : m_params)
        if (text::SameTextAscii(param.Key(), key)) return &param;
    return nullptr;
}

namespace {

// Bytes that need a decision while an attribute is collected; runs of any
// other bytes are taken whole.
constexpr std::array<bool, 256> kDecisive = [] {
    std::array<bool, 256> table{};
    for (char c : {' ', '\t', '"', '\'', '='}) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool IsDecisive(char c) {
    return kDecisive[static_cast<unsigned char>(c)];
}

} // namespace

void THTMLTag::Parse(std::string_view raw, TStringArena& arena, std::vector<THTMLParam>& scratch,
                     const THTMLTagSyntax& syntax) {
    m_raw = raw;
    const auto isSeparator = [&](char c) { return c == ' ' || (c == '\t' && syntax.SplitAtTab); };
    const bool dropBlanks = syntax.DropBlanksAroundEquals;
    const char* s = raw.data();
    const size_t size = raw.size();

    size_t pos = 0;
    while (pos < size && !isSeparator(s[pos])) ++pos;
    m_name = arena.UpperCase(raw.substr(0, pos));

    scratch.clear();
    while (pos < size && scratch.size() < MaxParams) {
        // One attribute: [begin, begin + length) of `raw` while it stays a
        // slice; once a blank is dropped from inside it, `built` holds it.
        const size_t begin = pos;
        size_t length = 0;
        char* built = nullptr;
        size_t reserved = 0;
        size_t expected = pos;  // where the next byte must be for the slice to hold
        bool quoted = false;
        const auto take = [&](size_t from, size_t to) {
            if (!built && from != expected) {
                reserved = size - begin;
                built = arena.Allocate(reserved);
                std::memcpy(built, s + begin, length);
            }
            if (built) std::memcpy(built + length, s + from, to - from);
            length += to - from;
            expected = to;
        };

        while (pos < size) {
            size_t run = pos;
            while (run < size && !IsDecisive(s[run])) ++run;
            if (run > pos) {
                take(pos, run);
                pos = run;
            } else {
                const char c = s[pos];
                if (!quoted && isSeparator(c)) break;
                const bool dropNext = dropBlanks && c == '=' && pos + 1 < size && s[pos + 1] == ' ';
                if (c == '"' || c == '\'') quoted = !quoted;
                take(pos, pos + 1);
                pos += dropNext ? 2 : 1;
            }
            if (dropBlanks && pos + 1 < size && s[pos] == ' ' && s[pos + 1] == '=') ++pos;
        }
        if (pos < size && isSeparator(s[pos])) ++pos;
        if (length == 0) continue;  // runs of blanks give no attribute

        std::string_view text;
        if (built) {
            arena.Shrink(built, reserved, length);
            text = {built, length};
        } else {
            text = raw.substr(begin, length);
        }
        THTMLParam& param = scratch.emplace_back();
        param.Parse(text, arena);
    }
    m_params = arena.CopyArray(std::span<const THTMLParam>(scratch));
}

} // namespace web
