#include "web/TSubmit.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
    const char* url;
    const char* host;
    const char* path;
    const char* query;
    int port;
    bool secure;
};

const UrlCase kUrlCases[] = {
    {"http://www.example.com/search/?city=12&age=20", "www.example.com", "/search/?city=12&age=20",
            "city=12&age=20", 0, false},
    {"HTTP://WWW.Example.COM/Search/?a=1", "WWW.Example.COM", "/Search/?a=1", "a=1", 0, false},
    {"http://www.example.com", "www.example.com", "/", "", 0, false},
    {"www.example.com/page.phtml", "www.example.com", "/page.phtml", "", 0, false},
    {"http://example.com/a?b?c", "example.com", "/a?b?c", "b?c", 0, false},
    {"http://example.com?q=1", "example.com", "/?q=1", "q=1", 0, false},
    {"http://example.com:8080/p", "example.com", "/p", "", 8080, false},
    {"127.0.0.1:3000", "127.0.0.1", "/", "", 3000, false},
    {"https://secure.example.com/login", "secure.example.com", "/login", "", 0, true},
    {"HTTPS://secure.example.com:8443", "secure.example.com", "/", "", 8443, true},
    {"http://[::1]:8080/x", "[::1]", "/x", "", 8080, false},
    {"http://[::1]/x", "[::1]", "/x", "", 0, false},
    // Not a port: kept in the host, so the request fails rather than going elsewhere.
    {"http://example.com:99999/", "example.com:99999", "/", "", 0, false},
    {"http://example.com:0/", "example.com:0", "/", "", 0, false},
    {"", "", "/", "", 0, false},
};

} // namespace

TEST(Submit, SplitsUrlsIntoHostPathQueryAndPort) {
    for (const UrlCase& c : kUrlCases) {
        SCOPED_TRACE(c.url);
        TSubmit submit;
        submit.SetURL(c.url);
        EXPECT_EQ(submit.URL(), c.url);
        EXPECT_EQ(submit.Url().Host, c.host);
        EXPECT_EQ(submit.Url().Path, c.path);
        EXPECT_EQ(submit.Url().Query, c.query);
        EXPECT_EQ(submit.Url().Port, c.port);
        EXPECT_EQ(submit.Url().Secure, c.secure);
    }
}

