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

class SubmitSplitUrl : public ::testing::TestWithParam<UrlCase> {};

} // namespace

TEST_P(SubmitSplitUrl, SplitsIntoHostPathQueryAndPort) {
    const UrlCase& c = GetParam();
    TSubmit submit;
    submit.SetURL(c.url);
    EXPECT_EQ(submit.URL(), c.url);
    EXPECT_EQ(submit.Url().Host, c.host);
    EXPECT_EQ(submit.Url().Path, c.path);
    EXPECT_EQ(submit.Url().Query, c.query);
    EXPECT_EQ(submit.Url().Port, c.port);
    EXPECT_EQ(submit.Url().Secure, c.secure);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, SubmitSplitUrl,
    ::testing::Values(
        UrlCase{"http://www.example.com/search/?city=12&age=20", "www.example.com", "/search/?city=12&age=20",
                "city=12&age=20", 0, false},
        UrlCase{"HTTP://WWW.Example.COM/Search/?a=1", "WWW.Example.COM", "/Search/?a=1", "a=1", 0, false},
        UrlCase{"http://www.example.com", "www.example.com", "/", "", 0, false},
        UrlCase{"www.example.com/page.phtml", "www.example.com", "/page.phtml", "", 0, false},
        UrlCase{"http://example.com/a?b?c", "example.com", "/a?b?c", "b?c", 0, false},
        UrlCase{"http://example.com?q=1", "example.com", "/?q=1", "q=1", 0, false},
        UrlCase{"http://example.com:8080/p", "example.com", "/p", "", 8080, false},
        UrlCase{"127.0.0.1:3000", "127.0.0.1", "/", "", 3000, false},
        UrlCase{"https://secure.example.com/login", "secure.example.com", "/login", "", 0, true},
        UrlCase{"HTTPS://secure.example.com:8443", "secure.example.com", "/", "", 8443, true},
        UrlCase{"http://[::1]:8080/x", "[::1]", "/x", "", 8080, false},
        UrlCase{"http://[::1]/x", "[::1]", "/x", "", 0, false},
        // Not a port: kept as part of the host, so the request fails rather than going elsewhere.
        UrlCase{"http://example.com:99999/", "example.com:99999", "/", "", 0, false},
        UrlCase{"http://example.com:0/", "example.com:0", "/", "", 0, false},
        UrlCase{"", "", "/", "", 0, false}));

TEST(Submit, StartsWithTheOriginalsDefaults) {
    TSubmit submit;
    EXPECT_EQ(submit.Port(), 80);
    EXPECT_FALSE(submit.Connected());
    EXPECT_EQ(submit.AccessType(), TSubmitAccessType::Direct);
    EXPECT_EQ(submit.InternetOptions(), TSubmitInternetOptions{TSubmitInternetOption::KeepConnection});
    EXPECT_EQ(submit.ProtocolVersion(), "HTTP/1.0");
    EXPECT_EQ(submit.URLScheme(), 1);
    EXPECT_EQ(submit.RequestHeader().RawHeaderText(),
              "Accept: text/html, */*\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 6.0; Windows 98)\r\n");
}

TEST(Submit, InternetOptionsKeepTheirBitOrder) {
    TSubmitInternetOptions options{TSubmitInternetOption::BypassProxyCache, TSubmitInternetOption::KeepConnection};
    EXPECT_EQ(options.Bits(), 0x0102);
    options.Include(TSubmitInternetOption::NoAutoRedirect);
    options.Exclude(TSubmitInternetOption::BypassProxyCache);
    EXPECT_EQ(options.Bits(), 0x0500);
    EXPECT_TRUE(options.Contains(TSubmitInternetOption::NoAutoRedirect));
    EXPECT_FALSE(options.Contains(TSubmitInternetOption::BypassProxyCache));
}
