#include "platform/HttpConnection.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

using testsupport::HttpReply;
using testsupport::LocalHttpServer;

TEST(HttpConnection, OverlongBodyFailsInsteadOfGrowingWithoutEnd) {
    LocalHttpServer server;
    server.Page("/big", std::string(100000, 'x'));
    platform::HttpConnection connection(true);
    ASSERT_TRUE(connection.IsOpen());
    platform::HttpRequest request;
    request.url = server.Url("/big");
    request.maxBodyBytes = 99999;
    platform::HttpResponse response = connection.Perform(request);
    EXPECT_FALSE(response.completed);
    EXPECT_EQ(response.body, "");
    EXPECT_FALSE(response.error.empty());

    request.maxBodyBytes = 100000;
    response = connection.Perform(request);
    EXPECT_TRUE(response.completed) << response.error;
    EXPECT_EQ(response.body.size(), 100000u);
}

TEST(HttpConnection, OnlyTheLastResponseOfARedirectChainCounts) {
    LocalHttpServer server;
    HttpReply redirect = HttpReply::Redirect("/end");
    redirect.body = "redirect page";
    server.Reply("/start", redirect);
    server.Page("/end", "end");
    platform::HttpConnection connection(false);
    platform::HttpRequest request;
    request.url = server.Url("/start");
    platform::HttpResponse response = connection.Perform(request);
    EXPECT_TRUE(response.completed) << response.error;
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.statusText, "OK");
    EXPECT_EQ(response.body, "end");
}

TEST(HttpConnection, RedirectsToOtherSchemesAreRefused) {
    LocalHttpServer server;
    server.Reply("/start", HttpReply::Redirect("file:///etc/passwd"));
    platform::HttpConnection connection(false);
    platform::HttpRequest request;
    request.url = server.Url("/start");
    platform::HttpResponse response = connection.Perform(request);
    EXPECT_FALSE(response.completed);
    EXPECT_EQ(response.body, "");
}
