#include "web/THTTPClientProxyParams.h"

#include <gtest/gtest.h>

#include <vector>

TEST(HTTPClientProxyParams, EachSetterFiresItsIndexOnlyOnChange) {
    THTTPClientProxyParams params;
    std::vector<int> fired;
    params.OnChange = [&](THTTPClientProxyParams& sender, int index) {
        EXPECT_EQ(&sender, &params);
        fired.push_back(index);
    };
    for (int pass = 0; pass < 2; ++pass) { // the second pass repeats the values: no events
        params.SetProxyBypass("<local>");
        params.SetProxyServer("10.0.0.1");
        params.SetProxyPort(3128);
        params.SetProxyUserName("user");
        params.SetProxyPassword("secret");
    }
    EXPECT_EQ(fired, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(HTTPClientProxyParams, AssignToCopiesSilently) {
    THTTPClientProxyParams source;
    source.SetProxyServer("10.0.0.1");
    source.SetProxyPort(8080);
    source.SetProxyBypass("*.local");
    source.SetProxyUserName("u");
    source.SetProxyPassword("p");
    THTTPClientProxyParams target;
    int events = 0;
    target.OnChange = [&](THTTPClientProxyParams&, int) { ++events; };
    source.AssignTo(target);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(target.ProxyServer(), "10.0.0.1");
    EXPECT_EQ(target.ProxyPort(), 8080);
    EXPECT_EQ(target.ProxyBypass(), "*.local");
    EXPECT_EQ(target.ProxyUserName(), "u");
    EXPECT_EQ(target.ProxyPassword(), "p");
}
