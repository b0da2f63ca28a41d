#include "web/THTTPClientProxyParams.h"

void THTTPClientProxyParams::Changed(int propertyIndex) {
    if (OnChange) OnChange(*this, propertyIndex);
}

void THTTPClientProxyParams::SetProxyBypass(const std::string& value) {
    if (m_proxyBypass == value) return;
    m_proxyBypass = value;
    Changed(ProxyBypassIndex);
}

void THTTPClientProxyParams::SetProxyServer(const std::string& value) {
    if (m_proxyServer == value) return;
    m_proxyServer = value;
    Changed(ProxyServerIndex);
}

void THTTPClientProxyParams::SetProxyPort(int32_t value) {
    if (m_proxyPort == value) return;
    m_proxyPort = value;
    Changed(ProxyPortIndex);
}

void THTTPClientProxyParams::SetProxyUserName(const std::string& value) {
    if (m_proxyUserName == value) return;
    m_proxyUserName = value;
    Changed(ProxyUserNameIndex);
}

void THTTPClientProxyParams::SetProxyPassword(const std::string& value) {
    if (m_proxyPassword == value) return;
    m_proxyPassword = value;
    Changed(ProxyPasswordIndex);
}

void THTTPClientProxyParams::AssignTo(THTTPClientProxyParams& target) const {
    if (&target == this) return;
    target.m_proxyBypass = m_proxyBypass;
    target.m_proxyServer = m_proxyServer;
    target.m_proxyUserName = m_proxyUserName;
    target.m_proxyPassword = m_proxyPassword;
    target.m_proxyPort = m_proxyPort;
}
