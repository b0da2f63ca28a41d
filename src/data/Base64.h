#pragma once
// Base64 (RFC 4648, section 4: the standard alphabet, "=" padding, no line
// breaks), the form in which passwords are stored. It hides them from a
// casual reader and is no protection.

#include <cstddef>
#include <string>
#include <string_view>

namespace data {

// Room the buffer routines need for `count` input bytes or characters.
constexpr size_t Base64EncodedSize(size_t count) { return (count + 2) / 3 * 4; }
constexpr size_t Base64DecodedSizeBound(size_t count) { return (count + 3) / 4 * 3; }

// Writes the Base64 text of `bytes` to `out` (Base64EncodedSize(bytes.size())
// characters, all of which are written) and returns that count.
size_t Base64EncodeBuf(std::string_view bytes, char* out);
// Decodes `text` into `out` (room for Base64DecodedSizeBound(text.size())
// bytes) and returns the number of bytes produced. Characters outside the
// alphabet are skipped; characters are taken in groups of four, where a "="
// ends its group early (after three characters it gives two bytes, after
// two one byte); a last group of fewer than four characters is not decoded.
// Never fails.
size_t Base64DecodeBuf(std::string_view text, char* out);

// The Base64 text of `bytes`; empty for no bytes.
std::string Base64Encode(std::string_view bytes);
// The bytes of a Base64 text, decoded as Base64DecodeBuf does.
std::string Base64Decode(std::string_view text);

// A stored password in clear text. The original program stored windows-1251
// bytes; decoded bytes that are not valid UTF-8 are taken as windows-1251.
std::string DecodeStoredPassword(std::string_view stored);

} // namespace data
