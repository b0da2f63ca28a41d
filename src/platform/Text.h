#pragma once
// Text routines shared by every subsystem. Inside the program all text is
// UTF-8; the site and some stored files speak windows-1251, and the original's
// lookups fold ASCII letters only. These helpers are the one place where
// those rules live.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// windows-1251 bytes to UTF-8. Every byte maps to a code point (0x98, which
// the code page leaves undefined, maps to U+0098 as Windows does), so the
// conversion never fails and round-trips through Utf8ToCp1251.
std::string Cp1251ToUtf8(std::string_view bytes);

// The windows-1251 byte of a code point, or -1 when the code page lacks it.
int Cp1251ByteOf(char32_t codePoint);

// UTF-8 to windows-1251. A code point the code page lacks (and an invalid
// UTF-8 sequence, as U+FFFD) is handed to `unmappable`, whose result is
// written in its place; without a handler it becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8,
                         const std::function<std::string(char32_t)>& unmappable = {});

// True when the text is well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// The text with every invalid UTF-8 sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// Text that is valid UTF-8 stays as it is; anything else is taken as
// windows-1251 (how the original's stored Base64 passwords and hand-made
// files are encoded).
std::string Utf8OrCp1251ToUtf8(std::string_view bytes);

// Decodes the code point at `pos` and advances `pos` past it. An invalid
// sequence yields U+FFFD and advances one byte. At the end of the text the
// result is 0 and `pos` does not move.
char32_t NextCodePoint(std::string_view text, size_t& pos);

// Appends the UTF-8 form of a code point (invalid ones as U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);

// Number of code points in the text.
size_t CodePointCount(std::string_view text);

// The first `count` code points of the text (fewer when it is shorter).
std::string_view TakeCodePoints(std::string_view text, size_t count);

// The text after the first `count` code points (empty when it is shorter).
std::string_view DropCodePoints(std::string_view text, size_t count);

// Room for any text shown at once (a card's lines, a list row, a tool tip, a
// question naming a profile). Qt's text layout costs time and memory with a
// text's whole length and its sizes overflow on huge ones, so what is shown
// is cut to this many code points before it gets there.
inline constexpr size_t kDisplayCodePoints = 1000;
// `text` for display: itself, or its first kDisplayCodePoints code points
// followed by "…".
std::string DisplayText(std::string_view text);

// ASCII-only case mapping: A-Z and a-z change, every other byte stays.
char AsciiUpper(char c);
char AsciiLower(char c);
std::string AsciiUpper(std::string_view s);
std::string AsciiLower(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
bool StartsWithAsciiCI(std::string_view s, std::string_view prefix);
bool EndsWithAsciiCI(std::string_view s, std::string_view suffix);
// Position of `needle` in `hay` from `from`, letters folded ASCII-only, or npos.
size_t FindAsciiCI(std::string_view hay, std::string_view needle, size_t from = 0);

// True when `part` occurs in `text`; an empty part is never found, as the
// original's searches of page text behave.
inline bool Contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

// Blanks and control bytes (<= ' ') cut at both ends, as the original trims.
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);

// Splits text into lines the way the original's string list does: CR LF, LF
// or CR ends a line; a last line without an ending still counts; an empty
// text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// Splits on a separator character; an empty text gives one empty piece.
std::vector<std::string> Split(std::string_view text, char separator);

// Integer as the original's StrToIntDef reads it: leading blanks, an optional
// sign, decimal digits or a hex number after '$' or "0x"; anything else
// (trailing text included), or a value outside 32 bits, gives `fallback`.
int32_t StrToIntDef(std::string_view s, int32_t fallback);

// URL decoding as forms and cookies write it: '+' is a blank, "%%" one '%',
// '%' and two hex digits the byte they give; any other '%' stays as it is.
std::string UrlDecode(std::string_view encoded);

// The number and the word as Russian counts it: `one` after 1, 21, 31 ...
// ("1 сервер"), `few` after 2-4, 22-24 ... ("3 сервера"), `many` otherwise,
// 11-14 included ("12 серверов").
std::string CountOf(int64_t n, std::string_view one, std::string_view few, std::string_view many);

} // namespace text
