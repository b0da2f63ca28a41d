#include "data/Base64.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace data;

namespace {

struct Vector {
    std::string_view bytes;
    std::string_view text;
};

// RFC 4648, section 10.
constexpr Vector kRfc4648[] = {
    {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
};

} // namespace

TEST(Base64, EncodesAndDecodesTheRfc4648Vectors) {
    for (const auto& v : kRfc4648) {
        EXPECT_EQ(Base64Encode(v.bytes), v.text);
        EXPECT_EQ(Base64Decode(v.text), v.bytes);
    }
}

TEST(Base64, EveryByteValueAndLengthRoundTrips) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(255 - i));
    for (size_t n = 0; n <= bytes.size(); ++n) {
        const auto part = std::string_view(bytes).substr(0, n);
        const std::string text = Base64Encode(part);
        ASSERT_EQ(text.size(), (n + 2) / 3 * 4) << n;
        ASSERT_EQ(Base64Decode(text), part) << n;
    }
    EXPECT_EQ(Base64Encode("\xFB\xFF"), "+/8=");
}

TEST(Base64, DecodesWhatItWasNotMadeForWithoutFailing) {
    struct Case {
        std::string_view text;
        std::string_view bytes;
    };
    const Case cases[] = {
        {"Zm9vYmF", "foo"},          // a last group short of four characters is not decoded
        {"Zg==Zm8=", "ffo"},         // a group that "=" ends early, then more groups
        {"Zg=", "f"},                // "=" after two characters: one byte
        {"Z===", ""},                // "=" after one character gives nothing
        {"Zm9v\r\nYmFy", "foobar"},  // line breaks are skipped
        {"Zm 9v!Ym*Fy", "foobar"},   // so is anything outside the alphabet
        {"====", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Base64Decode(c.text), c.bytes) << c.text;
}

TEST(Base64, BufferRoutinesStayWithinTheirBounds) {
    for (std::string_view text : {"Zg=", "QQ=QQ=QQ=", "Zm9vYmFy", "x", ""}) {
        std::string out(Base64DecodedSizeBound(text.size()) + 1, '#');
        const size_t n = Base64DecodeBuf(text, out.data());
        EXPECT_LE(n, Base64DecodedSizeBound(text.size())) << text;
        EXPECT_EQ(out.back(), '#') << text;
    }
    char buf[9] = "########";
    EXPECT_EQ(Base64EncodeBuf("foob", buf), 8u);
    EXPECT_EQ(std::string_view(buf, 8), "Zm9vYg==");
}

TEST(Base64, StoredPasswordsOfEitherEncodingDecodeToUtf8) {
    // The original stored windows-1251 bytes; this program stores UTF-8.
    const std::string cp1251 = text::Utf8ToCp1251("Пароль");
    EXPECT_EQ(DecodeStoredPassword(Base64Encode(cp1251)), "Пароль");
    EXPECT_EQ(DecodeStoredPassword(Base64Encode("Пароль")), "Пароль");
    EXPECT_EQ(DecodeStoredPassword(Base64Encode("secret")), "secret");
    EXPECT_EQ(DecodeStoredPassword(""), "");
}
