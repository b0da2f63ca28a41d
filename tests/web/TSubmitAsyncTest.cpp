// Requests that leave the calling thread free: the site gets byte for byte
// what a blocking request sends, the answer comes from the event loop, and
// a request that never ends can be given up or times out.
#include "RecordingSubmit.h"
#include "support/LocalHttpServer.h"
#include "support/RawHttpServer.h"
#include "web/EWebError.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

using testsupport::HttpReply;
using testsupport::LocalHttpServer;
using testsupport::RawHttpServer;
using testsupport::RawReply;

namespace {

// Starts the request and runs the event loop until it is answered.
std::optional<std::string> GetAsync(TSubmit& submit, int timeoutMs = 5000) {
    std::optional<std::string> answer;
    submit.GetStringAsync([&](std::string content) { answer = std::move(content); });
    EXPECT_FALSE(answer) << "answered from within the call";
    (void)QTest::qWaitFor([&] { return answer.has_value(); }, timeoutMs);
    return answer;
}

} // namespace

TEST(SubmitAsync, SendsWhatABlockingRequestSendsAndFailsTheSameWay) {
    RawHttpServer raw;
    RecordingSubmit submit;
    submit.SetURL(raw.Url("/page?q=a b"));
    submit.RequestHeader().SetReferer("http://referrer.example/");
    submit.SetProtocolVersion("HTTP/1.1");
    EXPECT_EQ(submit.GetString(), "OK");
    EXPECT_EQ(GetAsync(submit), "OK");
    submit.Disconnect();
    ASSERT_EQ(raw.RawRequests().size(), 2u);
    EXPECT_EQ(raw.RawRequests()[1], raw.RawRequests()[0]);
    EXPECT_FALSE(submit.Busy());

    // Failures: an error status, no host to connect to; each reported once,
    // and still answered from the event loop.
    LocalHttpServer server;
    server.Reply("/missing", HttpReply::Status(404, "gone"));
    submit.SetURL(server.Url("/missing"));
    EXPECT_EQ(GetAsync(submit), "");
    submit.Disconnect();
    submit.SetURL("http://");
    EXPECT_EQ(GetAsync(submit), "");
    EXPECT_EQ(submit.errors, (std::vector<std::string>{"Not Found - '" + server.Url("/missing") + "'",
                                                       "Ошибка соединения:"}));
    submit.SetURL("");
    EXPECT_THROW(submit.GetStringAsync([](std::string) { FAIL(); }), EWebError);
}

TEST(SubmitAsync, AbortAndTheStallTimeOutEndARequestThatNeverEnds) {
    RawHttpServer silent([](const std::string&) { return RawReply::Silence(); });
    RecordingSubmit submit;
    submit.SetURL(silent.Url("/"));
    bool answered = false;
    submit.GetStringAsync([&](std::string) { answered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.RawRequests().size() == 1; }, 5000));
    EXPECT_TRUE(submit.Busy());
    submit.Abort();
    EXPECT_FALSE(submit.Busy());
    QTest::qWait(100);
    EXPECT_FALSE(answered);

    // The client serves on; a silence beyond the stall time is a failure.
    submit.SetReceiveTimeout(300);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(GetAsync(submit), "");
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 1500);
    ASSERT_EQ(submit.errors.size(), 1u);
    EXPECT_EQ(submit.errors[0], "нет ответа за 0,3 с - URL:" + silent.Url("/"));

    // Giving up a request in flight by ending the client is safe too.
    auto doomed = std::make_unique<TSubmit>();
    doomed->SetURL(silent.Url("/"));
    doomed->GetStringAsync([](std::string) { FAIL(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.RawRequests().size() == 3; }, 5000));
    doomed.reset();
    QTest::qWait(50);
}
