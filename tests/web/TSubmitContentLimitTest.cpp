// The client's limit on the length of a response body.
#include "RecordingSubmit.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

using testsupport::HttpReply;
using testsupport::LocalHttpServer;

TEST(SubmitContentLimit, ABodyLongerThanTheLimitGivesNoContent) {
    LocalHttpServer server;
    server.Reply("/page", HttpReply::Page(std::string(1000, 'x')));
    RecordingSubmit submit;
    EXPECT_EQ(submit.MaxContentLength(), size_t(64) << 20);
    submit.SetURL(server.Url("/page"));

    submit.SetMaxContentLength(1000);
    EXPECT_EQ(submit.GetString().size(), 1000u) << submit.AllErrors();

    submit.SetMaxContentLength(999);
    std::string content = "kept";
    submit.Get(content);
    EXPECT_EQ(content, "kept");
    ASSERT_EQ(submit.errors.size(), 1u);
    EXPECT_EQ(submit.errors[0], "страница больше 999 байт - URL:" + server.Url("/page"));
}
