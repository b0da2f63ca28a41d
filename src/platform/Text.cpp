#include "platform/Text.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace text {
namespace {

// Code points of the windows-1251 bytes 0x80-0xFF.
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// UTF-8 encodings of the high half, built once so that decoding a page is a
// table copy per byte.
struct HighUtf8 {
    std::array<std::array<char, 3>, 128> bytes{};
    std::array<uint8_t, 128> length{};
    HighUtf8() {
        for (size_t i = 0; i < 128; ++i) {
            std::string s;
            AppendUtf8(s, kCp1251High[i]);
            length[i] = static_cast<uint8_t>(s.size());
            for (size_t k = 0; k < s.size(); ++k) bytes[i][k] = s[k];
        }
    }
};

const HighUtf8& highUtf8() {
    static const HighUtf8 table;
    return table;
}

constexpr char32_t kReplacement = 0xFFFD;

} // namespace

std::string Cp1251ToUtf8(std::string_view in) {
    const HighUtf8& high = highUtf8();
    std::string out;
    out.reserve(in.size() + in.size() / 2);
    for (unsigned char c : in) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            const auto& b = high.bytes[c - 0x80];
            out.append(b.data(), high.length[c - 0x80]);
        }
    }
    return out;
}

int Cp1251ByteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    for (size_t i = 0; i < 64; ++i)
        if (kCp1251High[i] == cp) return static_cast<int>(i + 0x80);
    return -1;
}

std::string Utf8ToCp1251(std::string_view in, const std::function<std::string(char32_t)>& unmappable) {
    std::string out;
    out.reserve(in.size());
    size_t pos = 0;
    while (pos < in.size()) {
        const unsigned char c = static_cast<unsigned char>(in[pos]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++pos;
            continue;
        }
        const char32_t cp = NextCodePoint(in, pos);
        const int b = cp == kReplacement ? -1 : Cp1251ByteOf(cp);
        if (b >= 0)
            out.push_back(static_cast<char>(b));
        else if (unmappable)
            out += unmappable(cp);
        else
            out.push_back('?');
    }
    return out;
}

char32_t NextCodePoint(std::string_view s, size_t& pos) {
    if (pos >= s.size()) return 0;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(pos);
    if (c < 0x80) {
        ++pos;
        return c;
    }
    size_t len;
    char32_t cp;
    char32_t min;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2; cp = c & 0x1F; min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3; cp = c & 0x0F; min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4; cp = c & 0x07; min = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + len > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (size_t k = 1; k < len; ++k) {
        const unsigned char cc = byte(pos + k);
        if ((cc & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += len;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsValidUtf8(std::string_view s) {
    // Whole tables are checked on load, so this runs at memory speed: ASCII
    // eight bytes at a time, other sequences decoded in line with the same
    // rules as NextCodePoint (no overlongs, no surrogates, nothing past
    // U+10FFFF).
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    const auto continuation = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            while (end - p >= 8) {
                uint64_t word;
                std::memcpy(&word, p, 8);
                if (word & 0x8080808080808080ull) break;
                p += 8;
            }
            while (p < end && *p < 0x80) ++p;
        } else if (c >= 0xC2 && c <= 0xDF) {
            if (end - p < 2 || !continuation(p[1])) return false;
            p += 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            if (end - p < 3 || !continuation(p[1]) || !continuation(p[2])) return false;
            if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0)) return false;
            p += 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            if (end - p < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3])) return false;
            if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] >= 0x90)) return false;
            p += 4;
        } else {
            return false;
        }
    }
    return true;
}

std::string SanitizeUtf8(std::string_view s) {
    if (IsValidUtf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + 8);
    size_t pos = 0;
    while (pos < s.size()) AppendUtf8(out, NextCodePoint(s, pos));
    return out;
}

std::string Utf8OrCp1251ToUtf8(std::string_view s) {
    return IsValidUtf8(s) ? std::string(s) : Cp1251ToUtf8(s);
}

size_t CodePointCount(std::string_view s) {
    size_t n = 0;
    size_t pos = 0;
    while (pos < s.size()) {
        NextCodePoint(s, pos);
        ++n;
    }
    return n;
}

std::string_view TakeCodePoints(std::string_view s, size_t count) {
    size_t pos = 0;
    while (count > 0 && pos < s.size()) {
        NextCodePoint(s, pos);
        --count;
    }
    return s.substr(0, pos);
}

std::string_view DropCodePoints(std::string_view s, size_t count) {
    return s.substr(TakeCodePoints(s, count).size());
}

std::string DisplayText(std::string_view s) {
    const std::string_view shown = TakeCodePoints(s, kDisplayCodePoints);
    return shown.size() == s.size() ? std::string(s) : std::string(shown) + "…";
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string AsciiUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiUpper(c);
    return r;
}

std::string AsciiLower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiLower(c);
    return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

bool StartsWithAsciiCI(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameTextAscii(s.substr(0, prefix.size()), prefix);
}

bool EndsWithAsciiCI(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && SameTextAscii(s.substr(s.size() - suffix.size()), suffix);
}

size_t FindAsciiCI(std::string_view hay, std::string_view needle, size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size()) return std::string_view::npos;
    const char first = AsciiLower(needle[0]);
    for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
        if (AsciiLower(hay[i]) != first) continue;
        if (SameTextAscii(hay.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

std::string_view TrimLeft(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    return s.substr(b);
}

std::string_view TrimRight(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(0, e);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(s.substr(start, i - start));
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

std::vector<std::string> Split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t p = s.find(sep, start);
        if (p == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, p - start));
        start = p + 1;
    }
}

int32_t StrToIntDef(std::string_view s, int32_t fallback) {
    s = TrimLeft(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return fallback;
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (ec != std::errc() || end != s.data() + s.size()) return fallback;
    if (s[0] == '-' || s[0] == '+') return fallback;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return fallback;
    return static_cast<int32_t>(value);
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string UrlDecode(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 1 < encoded.size() && encoded[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (c == '%' && i + 2 < encoded.size() && HexValue(encoded[i + 1]) >= 0 &&
                   HexValue(encoded[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

std::string CountOf(int64_t n, std::string_view one, std::string_view few, std::string_view many) {
    const int64_t tens = (n < 0 ? -n : n) % 100, units = tens % 10;
    const std::string_view word = tens >= 11 && tens <= 14 ? many : units == 1 ? one : units >= 2 && units <= 4 ? few : many;
    return std::to_string(n) + " " + std::string(word);
}

} // namespace text
