// Requests through a real proxy (tinyproxy on a loopback port).
#include "RecordingSubmit.h"
#include "support/LocalHttpServer.h"
#include "support/TinyProxy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using testsupport::LocalHttpServer;
using testsupport::TinyProxy;

namespace {

// What the settings' proxy parameters put into a client.
void UseProxy(TSubmit& submit, const TinyProxy& proxy, const std::string& user = {}, const std::string& password = {},
              const std::string& bypass = {}) {
    submit.SetInternetOptions({TSubmitInternetOption::BypassProxyCache, TSubmitInternetOption::KeepConnection});
    submit.SetAccessType(TSubmitAccessType::NamedProxy);
    submit.ProxyParams().SetProxyServer(proxy.Host());
    submit.ProxyParams().SetProxyPort(proxy.Port());
    submit.ProxyParams().SetProxyUserName(user);
    submit.ProxyParams().SetProxyPassword(password);
    submit.ProxyParams().SetProxyBypass(bypass);
}

bool CameThroughProxy(const LocalHttpServer& server) {
    return server.LastRequest().Header("Via").find("tinyproxy") != std::string::npos;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) setenv(m_name, m_old->c_str(), 1);
        else unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(SubmitProxy, RequestGoesThroughTheNamedProxy) {
    LocalHttpServer server;
    server.Page("/page", "through");
    TinyProxy proxy;
    RecordingSubmit submit;
    UseProxy(submit, proxy);
    submit.SetURL(server.Url("/page"));
    ASSERT_TRUE(submit.Connect());
    EXPECT_EQ(submit.GetString(), "through") << submit.AllErrors() << proxy.Log();
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_TRUE(CameThroughProxy(server));
    EXPECT_EQ(server.LastRequest().Header("Pragma"), "no-cache");
    EXPECT_EQ(server.LastRequest().Header("User-Agent"), std::string(TSubmit::AgentString));
}

TEST(SubmitProxy, ProxyWithBasicAuthorisation) {
    LocalHttpServer server;
    server.Page("/page", "authorised");
    TinyProxy proxy("velmora", "s3cret");

    RecordingSubmit right;
    UseProxy(right, proxy, "velmora", "s3cret");
    right.SetURL(server.Url("/page"));
    EXPECT_EQ(right.GetString(), "authorised") << right.AllErrors() << proxy.Log();
    EXPECT_TRUE(CameThroughProxy(server));

    RecordingSubmit wrong;
    UseProxy(wrong, proxy, "velmora", "wrong");
    wrong.SetURL(server.Url("/page"));
    EXPECT_EQ(wrong.GetString(), "");
    EXPECT_EQ(wrong.errors.size(), 1u);

    RecordingSubmit none;
    UseProxy(none, proxy);
    none.SetURL(server.Url("/page"));
    EXPECT_EQ(none.GetString(), "");
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(SubmitProxy, BypassListSkipsTheProxy) {
    LocalHttpServer server;
    server.Page("/page", "direct");
    TinyProxy proxy;
    for (const char* bypass : {"127.0.0.1", "*.example.com; 127.0.0.*", "<local>"}) {
        const bool local = std::string(bypass) == "<local>";
        RecordingSubmit submit;
        UseProxy(submit, proxy, {}, {}, bypass);
        submit.SetURL((local ? "http://localhost:" + std::to_string(server.Port()) : server.Url("")) + "/page");
        EXPECT_EQ(submit.GetString(), "direct") << bypass << submit.AllErrors();
        EXPECT_FALSE(CameThroughProxy(server)) << bypass;
    }
    RecordingSubmit other;
    UseProxy(other, proxy, {}, {}, "*.example.com");
    other.SetURL(server.Url("/page"));
    EXPECT_EQ(other.GetString(), "direct") << other.AllErrors();
    EXPECT_TRUE(CameThroughProxy(server));
}

TEST(SubmitProxy, ProxyServerIsIgnoredUnlessTheAccessTypeNamesIt) {
    LocalHttpServer server;
    server.Page("/page", "direct");
    TinyProxy proxy;
    for (auto access : {TSubmitAccessType::Direct, TSubmitAccessType::DefaultProxy}) {
        RecordingSubmit submit;
        UseProxy(submit, proxy);
        submit.SetAccessType(access);
        submit.SetURL(server.Url("/page"));
        EXPECT_EQ(submit.GetString(), "direct") << submit.AllErrors();
        EXPECT_FALSE(CameThroughProxy(server));
    }
}

TEST(SubmitProxy, ProxyThatIsDownGivesEmptyText) {
    LocalHttpServer server;
    server.Page("/page", "unreached");
    int deadPort;
    {
        LocalHttpServer gone;
        deadPort = gone.Port();
    }
    RecordingSubmit submit;
    submit.SetAccessType(TSubmitAccessType::NamedProxy);
    submit.ProxyParams().SetProxyServer("127.0.0.1");
    submit.ProxyParams().SetProxyPort(deadPort);
    submit.SetURL(server.Url("/page"));
    EXPECT_EQ(submit.GetString(), "");
    EXPECT_EQ(submit.errors.size(), 1u);
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(SubmitProxy, ProxyPortZeroMeansEighty) {
    LocalHttpServer server;
    RecordingSubmit submit;
    submit.SetAccessType(TSubmitAccessType::NamedProxy);
    submit.ProxyParams().SetProxyServer("127.0.0.1");
    submit.ProxyParams().SetProxyPort(0);
    submit.SetConnectTimeout(2000);
    submit.SetURL(server.Url("/"));
    submit.GetString();
    // Whatever answers on port 80 here, the request must not have gone to
    // libcurl's own default proxy port.
    if (submit.LastFailure() == TSubmitFailure::Network) {
        EXPECT_TRUE(submit.FailureMessage().starts_with("Прокси-сервер 127.0.0.1:80 недоступен: "))
            << submit.FailureMessage();
    }
}

TEST(SubmitProxy, EnvironmentProxiesAreNeverUsed) {
    LocalHttpServer server;
    server.Page("/page", "direct");
    TinyProxy proxy;
    const std::string proxyUrl = "http://127.0.0.1:" + std::to_string(proxy.Port());
    ScopedEnv http("http_proxy", proxyUrl);
    ScopedEnv all("ALL_PROXY", proxyUrl);
    ScopedEnv noProxy("NO_PROXY", "*");
    ScopedEnv noProxyLower("no_proxy", "*");

    RecordingSubmit direct;
    direct.SetURL(server.Url("/page"));
    EXPECT_EQ(direct.GetString(), "direct") << direct.AllErrors();
    EXPECT_FALSE(CameThroughProxy(server));

    // NO_PROXY does not bypass the proxy that the settings name either.
    RecordingSubmit named;
    UseProxy(named, proxy);
    named.SetURL(server.Url("/page"));
    EXPECT_EQ(named.GetString(), "direct") << named.AllErrors();
    EXPECT_TRUE(CameThroughProxy(server));
}
