#include "data/TCustomParams.h"
#include "data/TTesselProxyParams.h"
#include "platform/TRegistry.h"
#include "support/ConfigHome.h"
#include "web/TSubmit.h"

#include <gtest/gtest.h>

using namespace data;
using testsupport::ConfigHome;

namespace {

void SetStored(TTesselProxyParams& p, bool useProxy, bool auth) {
    p.SetUseProxy(useProxy);
    p.SetProxyAuthorization(auth);
    p.SetProxyServer("10.0.0.7");
    p.SetProxyPort(3128);
    p.SetProxyUserName("user");
    p.SetProxyPassword("pass");
    p.SetProxyBypass("localhost");
}

struct ClientProxy {
    std::string server;
    int32_t port;
    std::string user;
    std::string password;
    std::string bypass;
    bool operator==(const ClientProxy&) const = default;
};

ClientProxy ProxyOf(const TSubmit& client) {
    const auto& p = client.ProxyParams();
    return {p.ProxyServer(), p.ProxyPort(), p.ProxyUserName(), p.ProxyPassword(), p.ProxyBypass()};
}

void PrintTo(const ClientProxy& p, std::ostream* os) {
    *os << "{" << p.server << ", " << p.port << ", " << p.user << ", " << p.password << ", " << p.bypass << "}";
}

} // namespace

TEST(TesselProxyParams, ApplyToClientWithAProxy) {
    const TSubmitInternetOptions proxyOptions{TSubmitInternetOption::BypassProxyCache,
                                              TSubmitInternetOption::KeepConnection};
    struct Case {
        bool auth;
        int32_t port;
        ClientProxy expected;
    };
    const Case cases[] = {
        {true, 3128, {"10.0.0.7", 3128, "user", "pass", "localhost"}},
        {false, 3128, {"10.0.0.7", 3128, "", "", "localhost"}}, // stored credentials are not sent
        {true, 0, {"10.0.0.7", 80, "user", "pass", "localhost"}},  // port 0 is the usual 80
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "auth " << c.auth << " port " << c.port);
        TTesselProxyParams params;
        SetStored(params, true, c.auth);
        params.SetProxyPort(c.port);
        TSubmit client;
        client.SetInternetOptions({TSubmitInternetOption::NoCookies, TSubmitInternetOption::KeepConnection});
        client.ProxyParams().SetProxyUserName("someone else");
        params.ApplyToClient(client);
        EXPECT_EQ(client.AccessType(), TSubmitAccessType::NamedProxy);
        EXPECT_EQ(client.InternetOptions(), proxyOptions);
        EXPECT_EQ(ProxyOf(client), c.expected);
    }
}

TEST(TesselProxyParams, ApplyToClientWithoutAProxyClearsTheClients) {
    for (const bool auth : {false, true}) {
        TTesselProxyParams params;
        SetStored(params, false, auth);
        TSubmit client;
        const TSubmitInternetOptions options{TSubmitInternetOption::NoAutoRedirect};
        client.SetInternetOptions(options);
        client.SetAccessType(TSubmitAccessType::NamedProxy);
        client.ProxyParams().SetProxyServer("old.proxy");
        client.ProxyParams().SetProxyPort(8080);
        client.ProxyParams().SetProxyUserName("u");
        client.ProxyParams().SetProxyPassword("p");
        client.ProxyParams().SetProxyBypass("b");
        params.ApplyToClient(client);
        EXPECT_EQ(client.AccessType(), TSubmitAccessType::Direct);
        EXPECT_EQ(client.InternetOptions(), options) << "options are left as they were";
        EXPECT_EQ(ProxyOf(client), (ClientProxy{"", 0, "", "", ""}));
    }
}

TEST(TesselProxyParams, MissingValuesKeepTheCurrentOnesAndAMissingPasswordIsEmpty) {
    ConfigHome home;
    {
        platform::TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(TesselRegKey, true));
        reg.WriteString("ProxyServer", "proxy.local");
    }
    TTesselProxyParams params;
    params.SetProxyPort(8080);
    params.SetProxyPassword("typed but not saved");
    params.LoadFromRegistry();
    EXPECT_EQ(params.ProxyServer(), "proxy.local");
    EXPECT_EQ(params.ProxyPort(), 8080);
    EXPECT_EQ(params.ProxyPassword(), "");
}

TEST(TesselProxyParams, ClearAndAssign) {
    TTesselProxyParams source;
    SetStored(source, true, true);

    TTesselProxyParams copy;
    copy.Assign(source);
    EXPECT_TRUE(copy.UseProxy());
    EXPECT_TRUE(copy.ProxyAuthorization());
    EXPECT_EQ(copy.ProxyServer(), "10.0.0.7");
    EXPECT_EQ(copy.ProxyPassword(), "pass");

    TTesselProxyParams target;
    int changes = 0;
    target.OnChange = [&](THTTPClientProxyParams&, int) { ++changes; };
    source.AssignTo(target);
    EXPECT_TRUE(target.UseProxy());
    EXPECT_EQ(target.ProxyBypass(), "localhost");
    EXPECT_EQ(changes, 5) << "the five values go through the target's setters";

    THTTPClientProxyParams plain;
    source.AssignTo(plain);
    EXPECT_EQ(plain.ProxyServer(), "10.0.0.7");
    EXPECT_EQ(plain.ProxyPort(), 3128);

    copy.Clear();
    EXPECT_FALSE(copy.UseProxy());
    EXPECT_FALSE(copy.ProxyAuthorization());
    EXPECT_EQ(copy.ProxyServer(), "");
    EXPECT_EQ(copy.ProxyPort(), 0);
    EXPECT_EQ(copy.ProxyUserName(), "");
    EXPECT_EQ(copy.ProxyPassword(), "");
    EXPECT_EQ(copy.ProxyBypass(), "");
}
