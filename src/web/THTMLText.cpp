// Text decoding in one forward pass over a copy of the raw text, written in
// place: line feeds become blanks, a leading run of blanks shrinks to one,
// and entities are decoded as they end.
//
// An entity starts at '&' (a later '&' starts it again) and ends at ';' or a
// blank, the terminator being part of it. "&name;" from the entity table and
// "&#N;" / "&#xN;" with at most three characters after "&#" and a value up to
// 255 give one windows-1251 byte through EntityCharTable, written as UTF-8;
// anything else stays as it is. Scanning goes on after what was put in, so
// "&amp;lt;" gives "&lt;" and not "<". Every decoded form is shorter than the
// entity it replaces (at most 3 bytes for at least 4), so the output never
// overtakes the input and the arena copy never needs to grow.
#include "web/THTMLText.h"

#include "platform/Text.h"
#include "web/HTMLEntityTables.h"
#include "web/TStringArena.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace web {
namespace {

// The entity table sorted by name, with the range of names for each letter
// after the '&', so that a lookup compares a handful of names at most.
constexpr auto kSortedEntities = [] {
    auto sorted = EntityTable;
    std::sort(sorted.begin(), sorted.end(), [](const THTMLEntity& a, const THTMLEntity& b) { return a.Name < b.Name; });
    return sorted;
}();

struct TEntityRange {
    uint8_t Begin = 0;
    uint8_t End = 0;
};

constexpr auto kEntitiesByLetter = [] {
    std::array<TEntityRange, 256> ranges{};
    for (size_t i = 0; i < kSortedEntities.size(); ++i) {
        auto& range = ranges[static_cast<unsigned char>(kSortedEntities[i].Name[1])];
        if (range.End == 0) range.Begin = static_cast<uint8_t>(i);
        range.End = static_cast<uint8_t>(i + 1);
    }
    return ranges;
}();

// UTF-8 of every windows-1251 byte.
struct TByteUtf8 {
    std::array<std::array<char, 4>, 256> Bytes{};
    std::array<uint8_t, 256> Length{};
    TByteUtf8() {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const std::string utf8 = text::Cp1251ToUtf8(std::string_view(&c, 1));
            Length[b] = static_cast<uint8_t>(utf8.size());
            std::memcpy(Bytes[b].data(), utf8.data(), utf8.size());
        }
    }
};

const TByteUtf8& ByteUtf8() {
    static const TByteUtf8 table;
    return table;
}

// The code an entity (with its '&' and terminator) stands for, or -1 when it
// is not one the tokenizer decodes.
int EntityCode(std::string_view entity) {
    if (entity.size() < 3 || entity[1] != '#') {
        if (entity.size() < 2) return -1;
        const TEntityRange range = kEntitiesByLetter[static_cast<unsigned char>(entity[1])];
        for (size_t i = range.Begin; i < range.End; ++i)
            if (kSortedEntities[i].Name == entity) return kSortedEntities[i].Code;
        return -1;
    }
    const std::string_view digits = entity.substr(2, entity.size() - 3);
    if (digits.empty() || digits.size() > 3) return -1;
    int value = 0;
    if (digits[0] == 'x' || digits[0] == 'X') {
        if (digits.size() == 1) return -1;
        for (char c : digits.substr(1)) {
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return -1;
            value = value * 16 + d;
        }
    } else {
        for (char c : digits) {
            if (c < '0' || c > '9') return -1;
            value = value * 10 + (c - '0');
        }
    }
    return value <= 255 ? value : -1;  // 256-999 have no byte: left as written
}

} // namespace

void THTMLText::Parse(std::string_view raw, TStringArena& arena) {
    m_raw = raw;
    const bool hasLineFeed = raw.find('\n') != std::string_view::npos;
    const bool hasAmpersand = raw.find('&') != std::string_view::npos;

    if (!hasLineFeed && !hasAmpersand) {
        // Nothing to rewrite: the text is a slice of the raw text.
        size_t blanks = 0;
        while (blanks < raw.size() && raw[blanks] == ' ') ++blanks;
        m_text = blanks >= 2 ? raw.substr(blanks - 1) : raw;
        return;
    }

    char* out = arena.Allocate(raw.size());
    const size_t reserved = raw.size();
    size_t length = raw.size();
    std::memcpy(out, raw.data(), length);
    if (hasLineFeed) std::replace(out, out + length, '\n', ' ');

    size_t start = 0;
    while (start < length && out[start] == ' ') ++start;
    start = start >= 2 ? start - 1 : 0;

    if (!hasAmpersand) {
        // Drop the cut blanks by moving the text down, so the copy starts at
        // the block's start and Shrink can give back the end.
        std::memmove(out, out + start, length - start);
        length -= start;
        arena.Shrink(out, reserved, length);
        m_text = {out, length};
        return;
    }

    const TByteUtf8& utf8 = ByteUtf8();
    size_t w = 0;
    size_t r = start;
    while (r < length) {
        // Outside an entity only '&' matters: move the run before it down.
        const void* amp = std::memchr(out + r, '&', length - r);
        const size_t next = amp ? static_cast<size_t>(static_cast<const char*>(amp) - out) : length;
        if (w != r) std::memmove(out + w, out + r, next - r);
        w += next - r;
        r = next;
        if (r == length) break;

        // Collect from the '&' to its terminator; a later '&' starts again.
        size_t entityStart = w;
        out[w++] = out[r++];
        while (r < length) {
            const char c = out[r++];
            out[w++] = c;
            if (c == '&') {
                entityStart = w - 1;
            } else if (c == ';' || c == ' ') {
                const int code = EntityCode(std::string_view(out + entityStart, w - entityStart));
                if (code >= 0) {
                    const uint8_t byte = EntityCharTable[static_cast<size_t>(code)];
                    w = entityStart;
                    for (uint8_t k = 0; k < utf8.Length[byte]; ++k) out[w++] = utf8.Bytes[byte][k];
                }
                break;
            }
        }
    }
    arena.Shrink(out, reserved, w);
    m_text = {out, w};
}

} // namespace web
