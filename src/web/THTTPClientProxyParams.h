#pragma once
// The proxy a client goes through: its server (empty = no proxy), port (0 is
// taken as 80), the user name and password it asks for, and the bypass list
// of hosts that skip it.

#include <cstdint>
#include <functional>
#include <string>

class THTTPClientProxyParams {
public:
    // Property indexes reported by OnChange.
    static constexpr int ProxyBypassIndex = 0;
    static constexpr int ProxyServerIndex = 1;
    static constexpr int ProxyPortIndex = 2;
    static constexpr int ProxyUserNameIndex = 3;
    static constexpr int ProxyPasswordIndex = 4;

    // Fired with the parameters and the index of the value that changed.
    using TChangeEvent = std::function<void(THTTPClientProxyParams& sender, int propertyIndex)>;

    THTTPClientProxyParams() = default;
    virtual ~THTTPClientProxyParams() = default;
    THTTPClientProxyParams(const THTTPClientProxyParams&) = delete;
    THTTPClientProxyParams& operator=(const THTTPClientProxyParams&) = delete;

    // Each setter stores the value and fires OnChange only when it differs.
    const std::string& ProxyBypass() const { return m_proxyBypass; }
    void SetProxyBypass(const std::string& value);
    const std::string& ProxyServer() const { return m_proxyServer; }
    void SetProxyServer(const std::string& value);
    int32_t ProxyPort() const { return m_proxyPort; }
    void SetProxyPort(int32_t value);
    const std::string& ProxyUserName() const { return m_proxyUserName; }
    void SetProxyUserName(const std::string& value);
    const std::string& ProxyPassword() const { return m_proxyPassword; }
    void SetProxyPassword(const std::string& value);

    // Copies the five values into `target` directly, firing no event there.
    virtual void AssignTo(THTTPClientProxyParams& target) const;

    TChangeEvent OnChange;

private:
    void Changed(int propertyIndex);

    std::string m_proxyBypass;
    std::string m_proxyServer;
    std::string m_proxyUserName;
    std::string m_proxyPassword;
    int32_t m_proxyPort = 0;
};
