// Every way a request can fail gives no content and no exception, except a
// missing URL.
#include "RecordingSubmit.h"
#include "support/LocalHttpServer.h"
#include "support/RawHttpServer.h"
#include "web/EWebError.h"

#include <gtest/gtest.h>

#include <chrono>

using testsupport::HttpReply;
using testsupport::LocalHttpServer;
using testsupport::RawHttpServer;
using testsupport::RawReply;

namespace {

const std::string kPage(5000, 'x');

// The request gives no content, and only once its one-second time-out ran.
void ExpectEmptyAfterTheOneSecondTimeOut(RecordingSubmit& submit) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(submit.GetString(), "");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(900));
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

} // namespace

TEST(SubmitFailure, ErrorStatusesGiveEmptyTextAndReportTheStatus) {
    LocalHttpServer server;
    server.Reply("/missing", HttpReply::Status(404, "<html>Not here</html>"));
    server.Reply("/broken", HttpReply::Status(500, "<html>Server error</html>"));
    server.Reply("/forbidden", HttpReply::Status(403, "<html>No</html>"));
    for (const char* path : {"/missing", "/broken", "/forbidden"}) {
        RecordingSubmit submit;
        submit.SetURL(server.Url(path));
        std::string content = "kept";
        submit.Get(content);
        EXPECT_EQ(content, "kept") << path;
        EXPECT_EQ(submit.GetString(), "") << path;
    }
    RecordingSubmit submit;
    submit.SetURL(server.Url("/missing"));
    submit.GetString();
    ASSERT_EQ(submit.errors.size(), 1u);
    EXPECT_EQ(submit.errors[0], "Not Found - '" + server.Url("/missing") + "'");
}

TEST(SubmitFailure, RedirectsAreFollowedUnlessSwitchedOff) {
    LocalHttpServer server;
    server.Reply("/old", HttpReply::Redirect("/middle"));
    server.Reply("/middle", HttpReply::Redirect("/new", 301));
    server.Page("/new", "arrived");

    TSubmit follows;
    follows.SetURL(server.Url("/old"));
    EXPECT_EQ(follows.GetString(), "arrived");

    RecordingSubmit stays;
    stays.SetInternetOptions({TSubmitInternetOption::KeepConnection, TSubmitInternetOption::NoAutoRedirect});
    stays.SetURL(server.Url("/old"));
    EXPECT_EQ(stays.GetString(), "");
    EXPECT_EQ(stays.errors.size(), 1u);

    // A redirect to itself is given up.
    server.Reply("/loop", HttpReply::Redirect("/loop"));
    const size_t before = server.RequestCount();
    RecordingSubmit loops;
    loops.SetURL(server.Url("/loop"));
    EXPECT_EQ(loops.GetString(), "");
    EXPECT_EQ(loops.errors.size(), 1u);
    EXPECT_LE(server.RequestCount() - before, 11u);
}

TEST(SubmitFailure, DamagedResponsesGiveEmptyText) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"shorter than declared", RawReply::CutShort(kPage, 10).bytes},
        {"chunk cut short", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                            "1000\r\n" + kPage.substr(0, 100)},
        {"bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n"},
        {"closed without a word", ""},
        {"headers cut short", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"},
        {"no status line", "<html>old style</html>"},
    };
    for (const auto& c : cases) {
        RawHttpServer server([&](const std::string&) { return RawReply{c.bytes, false, {}, {}}; });
        RecordingSubmit submit;
        submit.SetURL(server.Url("/"));
        EXPECT_EQ(submit.GetString(), "") << c.name;
        EXPECT_EQ(submit.errors.size(), 1u) << c.name;
    }
}

TEST(SubmitFailure, EmptyUrlRaises) {
    TSubmit submit;
    EXPECT_THROW(submit.GetString(), EWebError);
    std::string content;
    try {
        submit.Get(content);
        FAIL() << "no exception";
    } catch (const EWebError& e) {
        EXPECT_STREQ(e.what(), "Empty URL");
    }
    submit.SetURL("http://127.0.0.1/");
    submit.SetURL("");
    EXPECT_THROW(submit.GetString(), EWebError);
}

TEST(SubmitFailure, SilentServerTimesOut) {
    RawHttpServer server([](const std::string&) { return RawReply::Silence(); });
    RecordingSubmit submit;
    submit.SetReceiveTimeout(1000);
    submit.SetURL(server.Url("/"));
    ExpectEmptyAfterTheOneSecondTimeOut(submit);
    EXPECT_EQ(submit.errors.size(), 1u);
}

TEST(SubmitFailure, StallMidBodyTimesOut) {
    RawHttpServer server([](const std::string&) {
        RawReply reply = RawReply::CutShort(kPage, 100);
        reply.stall = true;
        return reply;
    });
    RecordingSubmit submit;
    submit.SetSendTimeout(1000);
    submit.SetURL(server.Url("/"));
    ExpectEmptyAfterTheOneSecondTimeOut(submit);
}

// Answers that came but cannot be taken: no content, and the cause told is
// the server's.
TEST(SubmitFailure, AnswersThatCannotBeTakenAreToldAsTheServers) {
    const std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    std::string lines;
    for (int i = 0; i < 300; ++i) lines += "X-Line-" + std::to_string(i) + ": " + std::string(1000, 'b') + "\r\n";
    struct Case {
        std::string name;
        std::string bytes;
        std::string cause; // empty: taken, the body is "0123456789"
    };
    std::vector<Case> cases = {
        {"a header line over 100 KB", head + "X-Long: " + std::string(101 << 10, 'a') + "\r\nContent-Length: 2\r\n\r\nok",
         "строка заголовка ответа длиннее 100 КБ"},
        {"a head over 256 KB", head + lines + "Content-Length: 2\r\n\r\nok", "заголовок ответа длиннее 256 КБ"},
        {"two lengths", head + "Content-Length: 10\r\nContent-Length: 5\r\n\r\n0123456789",
         "в ответе две разные длины страницы (Content-Length 10 и 5)"},
        {"a list of two lengths", head + "Content-Length: 10, 5\r\n\r\n0123456789",
         "в ответе две разные длины страницы (Content-Length 10 и 5)"},
        {"one length twice", head + "Content-Length: 10\r\ncontent-length: 010\r\n\r\n0123456789", ""},
        {"a redirect to a file", "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 0\r\n\r\n",
         "перенаправление на адрес не по протоколу HTTP («file:…»)"},
    };
    // Lengths libcurl reads its own way (as 0, 1, 5, 12, 10) or takes for none: a cut page would pass.
    for (const std::string length : {"0x100", "1e3", "+5", "12 3", "9223372036854775808", "18446744073709551616", "10, 0x10"})
        cases.push_back({"Content-Length: " + length, head + "Content-Length: " + length + "\r\n\r\n0123456789",
                         "длина страницы в ответе не читается (Content-Length «" + length + "»)"});
    for (const auto& c : cases) {
        RawHttpServer server([&](const std::string&) { return RawReply{c.bytes, false, {}, {}}; });
        RecordingSubmit submit;
        submit.SetURL(server.Url("/"));
        EXPECT_EQ(submit.GetString(), c.cause.empty() ? "0123456789" : "") << c.name;
        EXPECT_EQ(submit.FailureMessage(), c.cause.empty() ? "" : "Ответ сервера " + server.HostPort() + " не принят: " + c.cause)
            << c.name;
    }
}

// The no-answer limit covers the head too: one trickled in whole lines is
// cut at the limit, and told as such.
TEST(SubmitFailure, AHeadTrickledInIsCutAtTheLimit) {
    RawHttpServer server([](const std::string&) {
        RawReply reply{"HTTP/1.1 200 OK\r\n", false, {}, {}};
        reply.trickle = "X-A: 1\r\nX-B: 2\r\nX-C: 3\r\nX-D: 4\r\nX-E: 5\r\nX-F: 6\r\nContent-Length: 2\r\n\r\nok";
        reply.pace = std::chrono::milliseconds(40);
        return reply;
    });
    RecordingSubmit submit;
    submit.SetReceiveTimeout(1000);
    submit.SetURL(server.Url("/"));
    ExpectEmptyAfterTheOneSecondTimeOut(submit);
    EXPECT_EQ(submit.FailureMessage(),
              "Ответ сервера " + server.HostPort() + " не принят: заголовок ответа не пришёл целиком за 1 с");
}

TEST(SubmitFailure, DelayedAnswerWithinTheTimeOutArrives) {
    LocalHttpServer server;
    HttpReply reply = HttpReply::Page("late");
    reply.delay = std::chrono::milliseconds(300);
    server.Reply("/", reply);
    TSubmit submit;
    submit.SetReceiveTimeout(2000);
    submit.SetURL(server.Url("/"));
    EXPECT_EQ(submit.GetString(), "late");
}

TEST(SubmitFailure, NobodyListeningGivesEmptyTextAndAnError) {
    int port;
    {
        LocalHttpServer gone;
        port = gone.Port();
    }
    RecordingSubmit submit;
    submit.SetURL("http://127.0.0.1:" + std::to_string(port) + "/page");
    EXPECT_EQ(submit.GetString(), "");
    ASSERT_EQ(submit.errors.size(), 1u);
    EXPECT_NE(submit.errors[0].find(" - URL:http://127.0.0.1:" + std::to_string(port) + "/page"), std::string::npos)
        << submit.errors[0];
}

TEST(SubmitFailure, ConnectWithoutHostFailsWithTheConnectionMessage) {
    RecordingSubmit submit;
    EXPECT_FALSE(submit.Connect());
    EXPECT_FALSE(submit.Connected());
    EXPECT_EQ(submit.errors, std::vector<std::string>{"Ошибка соединения:"});
}

TEST(SubmitFailure, ExceptionFromAHandlerDisconnectsAndPassesOn) {
    LocalHttpServer server;
    server.Page("/", "x");
    struct Throwing : TResponseContent {
        void Write(std::string_view) override { throw std::runtime_error("full"); }
    } sink;
    TSubmit submit;
    submit.SetURL(server.Url("/"));
    EXPECT_THROW(submit.Get(sink), std::runtime_error);
    EXPECT_FALSE(submit.Connected());
}
