// What goes out on the wire, checked byte for byte against a bare server.
#include "RecordingSubmit.h"
#include "support/LocalHttpServer.h"
#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

using testsupport::HttpReply;
using testsupport::HttpRequestRecord;
using testsupport::LocalHttpServer;
using testsupport::RawHttpServer;

namespace {

const std::string kAgent = "Mozilla/5.0 (compatible; MSIE 6.0; Windows 98)";

std::string Fetch(TSubmit& submit, const std::string& url) {
    submit.SetURL(url);
    EXPECT_TRUE(submit.Connect());
    std::string body = submit.GetString();
    submit.Disconnect();
    return body;
}

// A page that sets the cookie session=42.
HttpReply SessionCookiePage() {
    HttpReply reply = HttpReply::Page("in");
    reply.headers.emplace_back("Set-Cookie", "session=42; Path=/");
    return reply;
}

} // namespace

TEST(SubmitRequest, DefaultRequestIsHttp10WithTheOriginalsHeaders) {
    RawHttpServer server;
    RecordingSubmit submit;
    EXPECT_EQ(Fetch(submit, server.Url("/search/page.phtml?city=12&age=20")), "OK") << submit.AllErrors();
    EXPECT_EQ(server.LastRawRequest(), "GET /search/page.phtml?city=12&age=20 HTTP/1.0\r\n"
                                       "Host: " + server.HostPort() + "\r\n"
                                       "Accept: text/html, */*\r\n"
                                       "User-Agent: " + kAgent + "\r\n"
                                       "Connection: Keep-Alive\r\n"
                                       "\r\n");
}

TEST(SubmitRequest, HeaderClearedFromEmptyTextStillSendsTheAgentAndTheLaterAccept) {
    // The image loader's order: empty header, connect, then its own Accept.
    RawHttpServer server;
    TSubmit submit;
    submit.SetURL(server.Url("/photo.jpg"));
    submit.RequestHeader().SetRawHeaderText("");
    ASSERT_TRUE(submit.Connect());
    submit.RequestHeader().SetAccept("image/png,image/jpeg,*/*;q=0.1");
    EXPECT_EQ(submit.GetString(), "OK");
    EXPECT_EQ(server.LastRawRequest(), "GET /photo.jpg HTTP/1.0\r\n"
                                       "Host: " + server.HostPort() + "\r\n"
                                       "User-Agent: " + kAgent + "\r\n"
                                       "Accept: image/png,image/jpeg,*/*;q=0.1\r\n"
                                       "Connection: Keep-Alive\r\n"
                                       "\r\n");
}

TEST(SubmitRequest, NoAcceptAtAllWhenTheHeaderHasNone) {
    RawHttpServer server;
    TSubmit submit;
    submit.RequestHeader().SetAccept("");
    Fetch(submit, server.Url("/"));
    EXPECT_EQ(server.LastRawRequest().find("Accept"), std::string::npos) << server.LastRawRequest();
}

TEST(SubmitRequest, RefererCustomHeadersAndCookiesFollowInOrder) {
    RawHttpServer server;
    TSubmit submit;
    submit.RequestHeader().SetReferer("http://example.com/from");
    submit.RequestHeader().SetCustomHeaders({"X-Test: 1"});
    submit.RequestHeader().SetCookies({"a=1", "b=2"});
    submit.SetInternetOptions({});
    Fetch(submit, server.Url("/p"));
    EXPECT_EQ(server.LastRawRequest(), "GET /p HTTP/1.0\r\n"
                                       "Host: " + server.HostPort() + "\r\n"
                                       "Accept: text/html, */*\r\n"
                                       "Referer: http://example.com/from\r\n"
                                       "User-Agent: " + kAgent + "\r\n"
                                       "X-Test: 1\r\n"
                                       "Cookie: a=1; b=2\r\n"
                                       "\r\n");
}

TEST(SubmitRequest, BypassingTheProxyCacheAsksForNoCache) {
    RawHttpServer server;
    TSubmit submit;
    submit.SetInternetOptions({TSubmitInternetOption::BypassProxyCache, TSubmitInternetOption::KeepConnection});
    Fetch(submit, server.Url("/"));
    EXPECT_NE(server.LastRawRequest().find("\r\nPragma: no-cache\r\n"), std::string::npos) << server.LastRawRequest();
}

TEST(SubmitRequest, ProtocolVersionOneOneIsHonoured) {
    RawHttpServer server;
    TSubmit submit;
    submit.SetProtocolVersion("HTTP/1.1");
    Fetch(submit, server.Url("/"));
    EXPECT_EQ(server.LastRawRequest().rfind("GET / HTTP/1.1\r\n", 0), 0u) << server.LastRawRequest();
}

TEST(SubmitRequest, UnsafeBytesArePercentEncodedAndPercentIsLeftAlone) {
    struct Case {
        TSubmitInternetOptions options;
        const char* target;
    };
    const std::string path = "/a b/\xD0\xB6\"<>^`{}|\\?q=\xD0\xB6 x|y&r=%41";
    const Case cases[] = {
        {{}, "/a%20b/%D0%B6%22%3C%3E%5E%60%7B%7D%7C%5C?q=%D0%B6%20x%7Cy&r=%41"},
        {{TSubmitInternetOption::EscapePercent}, "/a%20b/%D0%B6%22%3C%3E%5E%60%7B%7D%7C%5C?q=%D0%B6%20x%7Cy&r=%2541"},
    };
    for (const auto& c : cases) {
        RawHttpServer server;
        TSubmit submit;
        submit.SetInternetOptions(c.options);
        Fetch(submit, server.Url(path));
        EXPECT_EQ(server.LastRawRequest().rfind("GET " + std::string(c.target) + " HTTP/1.0\r\n", 0), 0u)
            << server.LastRawRequest();
    }
}

TEST(SubmitRequest, PortInTheUrlWinsAndThePortPropertyServesAUrlWithoutOne) {
    LocalHttpServer server;
    server.Page("/p", "here");
    RecordingSubmit submit;
    submit.SetPort(1); // nothing listens there
    EXPECT_EQ(Fetch(submit, server.Url("/p")), "here") << submit.AllErrors();
    submit.SetPort(server.Port());
    EXPECT_EQ(Fetch(submit, "http://127.0.0.1/p"), "here") << submit.AllErrors();
}

TEST(SubmitRequest, ConnectedClientFollowsANewHost) {
    LocalHttpServer first, second;
    first.Page("/", "first");
    second.Page("/", "second");
    RecordingSubmit submit;
    submit.SetURL(first.Url("/"));
    ASSERT_TRUE(submit.Connect());
    EXPECT_EQ(submit.GetString(), "first");
    submit.SetURL("http://localhost:" + std::to_string(second.Port()) + "/");
    EXPECT_TRUE(submit.Connected());
    EXPECT_EQ(submit.GetString(), "second") << submit.AllErrors();
    EXPECT_EQ(first.RequestCount(), 1u);
    ASSERT_EQ(second.RequestCount(), 1u);
    EXPECT_EQ(second.LastRequest().host, "localhost");
}

TEST(SubmitRequest, OneConnectionServesSeveralRequests) {
    LocalHttpServer server;
    server.Page("/a", "A");
    server.Page("/b", "B");
    TSubmit submit;
    submit.SetURL(server.Url("/a"));
    ASSERT_TRUE(submit.Connect());
    ASSERT_TRUE(submit.Connect()); // already connected: nothing new
    EXPECT_EQ(submit.GetString(), "A");
    submit.SetURL(server.Url("/b"));
    EXPECT_EQ(submit.GetString(), "B");
    EXPECT_EQ(submit.GetString(), "B");
    EXPECT_EQ(server.RequestCount(), 3u);
}

TEST(SubmitRequest, ChangingTheAccessTypeDisconnects) {
    LocalHttpServer server;
    TSubmit submit;
    submit.SetURL(server.Url("/"));
    ASSERT_TRUE(submit.Connect());
    submit.SetAccessType(TSubmitAccessType::Direct); // the same: stays connected
    EXPECT_TRUE(submit.Connected());
    submit.SetAccessType(TSubmitAccessType::NamedProxy);
    EXPECT_FALSE(submit.Connected());
}

TEST(SubmitRequest, CookiesLiveAsLongAsTheConnectionAndNoCookiesKeepsNone) {
    LocalHttpServer server;
    server.Reply("/login", SessionCookiePage());
    server.Route("/me", [](const HttpRequestRecord& request) { return HttpReply::Page("[" + request.Header("Cookie") + "]"); });

    TSubmit submit;
    submit.SetURL(server.Url("/login"));
    ASSERT_TRUE(submit.Connect());
    EXPECT_EQ(submit.GetString(), "in");
    submit.SetURL(server.Url("/me"));
    EXPECT_EQ(submit.GetString(), "[session=42]");
    submit.Disconnect();
    EXPECT_EQ(submit.GetString(), "[]");

    TSubmit none;
    none.SetInternetOptions({TSubmitInternetOption::KeepConnection, TSubmitInternetOption::NoCookies});
    none.SetURL(server.Url("/login"));
    EXPECT_EQ(none.GetString(), "in");
    none.SetURL(server.Url("/me"));
    EXPECT_EQ(none.GetString(), "[]");
}

TEST(SubmitRequest, BinaryBodiesArriveWhole) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += char(i * 7 % 256);
    LocalHttpServer server;
    server.Reply("/photo.jpg", HttpReply::Page(bytes, "image/jpeg"));
    TSubmit submit;
    submit.SetURL(server.Url("/photo.jpg"));
    EXPECT_EQ(submit.GetString(), bytes);
}

TEST(SubmitRequest, GetAppendsToAStringAndWritesASinkOnce) {
    LocalHttpServer server;
    server.Page("/", "body");
    TSubmit submit;
    submit.SetURL(server.Url("/"));
    std::string content = "before:";
    submit.Get(content);
    EXPECT_EQ(content, "before:body");

    struct Sink : TResponseContent {
        std::vector<std::string> writes;
        void Write(std::string_view bytes) override { writes.emplace_back(bytes); }
    } sink;
    submit.Get(sink);
    EXPECT_EQ(sink.writes, std::vector<std::string>{"body"});
}

TEST(SubmitRequest, StatusEventsReportTheRequestAndItsResponse) {
    LocalHttpServer server;
    server.Page("/", "x");
    TSubmit submit;
    std::vector<std::pair<uint32_t, std::string>> events;
    submit.OnStatus = [&](TSubmit& sender, uint32_t status, const void* info, uint32_t length) {
        EXPECT_EQ(&sender, &submit);
        events.emplace_back(status, std::string(static_cast<const char*>(info), length));
    };
    submit.SetURL(server.Url("/"));
    submit.GetString();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].first, TSubmit::StatusSendingRequest);
    EXPECT_EQ(events[1].first, TSubmit::StatusHeadersAvailable);
    EXPECT_EQ(events[1].second.rfind("HTTP/1.1 200", 0), 0u) << events[1].second;
}

TEST(SubmitRequest, HostHeaderNamesTheUrlsHost) {
    LocalHttpServer server;
    server.Route("localhost", "/", [](const HttpRequestRecord&) { return HttpReply::Page("by name"); });
    server.Route("/", [](const HttpRequestRecord&) { return HttpReply::Page("by address"); });
    TSubmit submit;
    submit.SetURL("http://LOCALHOST:" + std::to_string(server.Port()) + "/");
    EXPECT_EQ(submit.GetString(), "by name");
    submit.SetURL(server.Url("/"));
    EXPECT_EQ(submit.GetString(), "by address");
}

TEST(SubmitRequest, HttpsUrlsAndSecureSchemeSpeakTls) {
    // A plain server sees the TLS handshake's first byte (0x16) where a
    // request line would be; the client then gives up with no content.
    for (int variant = 0; variant < 2; ++variant) {
        RawHttpServer server;
        RecordingSubmit submit;
        submit.SetConnectTimeout(1000);
        if (variant == 0) {
            submit.SetURL("https://" + server.HostPort() + "/");
        } else {
            submit.SetURLScheme(2);
            submit.SetURL(server.Url("/"));
        }
        EXPECT_EQ(submit.GetString(), "");
        EXPECT_EQ(submit.errors.size(), 1u);
        ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5))) << variant;
        const std::string head = server.LastRawRequest();
        EXPECT_EQ(head[0], '\x16') << variant;
    }
}

TEST(SubmitRequest, HostWithControlBytesIsRefused) {
    LocalHttpServer server;
    RecordingSubmit submit;
    submit.SetURL(std::string("http://127.0.0.1\0.example.com:", 30) + std::to_string(server.Port()) + "/");
    EXPECT_EQ(submit.GetString(), "");
    EXPECT_EQ(submit.errors.size(), 1u);
    EXPECT_EQ(server.RequestCount(), 0u);
}
