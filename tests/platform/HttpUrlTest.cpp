#include "platform/HttpUrl.h"

#include <gtest/gtest.h>

using platform::EscapeRequestPath;
using platform::HttpEscapeRules;
using platform::ProxyBypassMatches;

TEST(HttpUrl, EscapesUnsafeBytesOnly) {
    EXPECT_EQ(EscapeRequestPath("/search/?a=1&b=x-y_z.~!$'()*+,;=:@/"), "/search/?a=1&b=x-y_z.~!$'()*+,;=:@/");
    EXPECT_EQ(EscapeRequestPath(std::string("/\x01\x1F \x7F\x80\xFF", 7)), "/%01%1F%20%7F%80%FF");
    EXPECT_EQ(EscapeRequestPath("/\"<>\\^`{|}"), "/%22%3C%3E%5C%5E%60%7B%7C%7D");
    EXPECT_EQ(EscapeRequestPath("/%D0%B6 %"), "/%D0%B6%20%");
    EXPECT_EQ(EscapeRequestPath(""), "");
}

TEST(HttpUrl, EscapeRulesSwitchPartsOff) {
    const std::string path = "/a b?c d%";
    EXPECT_EQ(EscapeRequestPath(path, HttpEscapeRules{true, true, true}), "/a%20b?c%20d%25");
    EXPECT_EQ(EscapeRequestPath(path, HttpEscapeRules{true, false, false}), "/a%20b?c d%");
    EXPECT_EQ(EscapeRequestPath(path, HttpEscapeRules{false, false, false}), path);
}

TEST(HttpUrl, BypassListMatching) {
    struct Case {
        const char* list;
        const char* host;
        int port;
        bool bypass;
    };
    const Case cases[] = {
        {"", "example.com", 80, false},
        {"example.com", "example.com", 80, true},
        {"example.com", "EXAMPLE.com", 80, true},
        {"example.com", "www.example.com", 80, false},
        {"*.example.com", "www.example.com", 80, true},
        {"*.example.com", "example.com", 80, false},
        {"10.*", "10.1.2.3", 80, true},
        {"10.*", "110.1.2.3", 80, false},
        {"a.com;b.com", "b.com", 80, true},
        {"a.com, b.com", "b.com", 80, true},
        {"a.com b.com", "b.com", 80, true},
        {"<local>", "intranet", 80, true},
        {"<local>", "intranet.example.com", 80, false},
        {"<LOCAL>", "localhost", 8080, true},
        {"example.com:8080", "example.com", 8080, true},
        {"example.com:8080", "example.com", 80, false},
        {"http://example.com", "example.com", 80, true},
        {"[::1]:8080", "[::1]", 8080, true},
        {"[::1]", "[::1]", 8080, true},
        {"*", "anything.at.all", 1, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProxyBypassMatches(c.list, c.host, c.port), c.bypass) << c.list << " / " << c.host << ":" << c.port;
}
