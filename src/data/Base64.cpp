#include "data/Base64.h"

#include "platform/Text.h"

#include <array>
#include <cstdint>

namespace data {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kPad = -2;
constexpr int8_t kSkip = -1;

// Sextet of each byte: 0..63 for the alphabet, kPad for '=', kSkip otherwise.
constexpr std::array<int8_t, 256> kDecode = [] {
    std::array<int8_t, 256> table{};
    table.fill(kSkip);
    for (size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    table['='] = kPad;
    return table;
}();

} // namespace

size_t Base64EncodeBuf(std::string_view bytes, char* out) {
    char* p = out;
    size_t i = 0;
    const auto at = [&](size_t k) -> uint32_t { return static_cast<uint8_t>(bytes[k]); };
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
        *p++ = kAlphabet[v >> 18];
        *p++ = kAlphabet[(v >> 12) & 63];
        *p++ = kAlphabet[(v >> 6) & 63];
        *p++ = kAlphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        const uint32_t v = at(i) << 16 | (rest == 2 ? at(i + 1) << 8 : 0);
        *p++ = kAlphabet[v >> 18];
        *p++ = kAlphabet[(v >> 12) & 63];
        *p++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        *p++ = '=';
    }
    return static_cast<size_t>(p - out);
}

size_t Base64DecodeBuf(std::string_view text, char* out) {
    char* p = out;
    uint32_t group = 0; // the sextets gathered so far, high first
    int count = 0;      // how many
    for (const char c : text) {
        const int8_t sextet = kDecode[static_cast<uint8_t>(c)];
        if (sextet == kSkip) continue;
        if (sextet == kPad) {
            // Two sextets make one byte, three make two.
            if (count >= 2) *p++ = static_cast<char>(group >> (6 * count - 8));
            if (count == 3) *p++ = static_cast<char>(group >> 2);
            group = 0;
            count = 0;
            continue;
        }
        group = group << 6 | static_cast<uint32_t>(sextet);
        if (++count == 4) {
            *p++ = static_cast<char>(group >> 16);
            *p++ = static_cast<char>(group >> 8);
            *p++ = static_cast<char>(group);
            group = 0;
            count = 0;
        }
    }
    return static_cast<size_t>(p - out);
}

std::string Base64Encode(std::string_view bytes) {
    std::string text(Base64EncodedSize(bytes.size()), '\0');
    text.resize(Base64EncodeBuf(bytes, text.data()));
    return text;
}

std::string Base64Decode(std::string_view text) {
    std::string bytes(Base64DecodedSizeBound(text.size()), '\0');
    bytes.resize(Base64DecodeBuf(text, bytes.data()));
    return bytes;
}

std::string DecodeStoredPassword(std::string_view stored) {
    return text::Utf8OrCp1251ToUtf8(Base64Decode(stored));
}

} // namespace data
