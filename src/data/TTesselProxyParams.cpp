#include "data/TTesselProxyParams.h"

#include "data/Base64.h"
#include "data/TCustomParams.h"
#include "web/TSubmit.h"

#include <QtGlobal>
#include <functional>

namespace data {

using platform::ERegistryException;
using platform::TRegistry;

namespace {

// The registry value names, in the order they are written.
constexpr std::string_view kUseProxy = "UseProxy";
constexpr std::string_view kProxyAuthorization = "ProxyAuthorization";
constexpr std::string_view kProxyServer = "ProxyServer";
constexpr std::string_view kProxyPort = "ProxyPort";
constexpr std::string_view kProxyUserName = "ProxyUserName";
constexpr std::string_view kProxyPassword = "ProxyPassword";
constexpr std::string_view kProxyBypass = "ProxyBypass";

// The port a proxy listens on when none is given.
constexpr int32_t kDefaultProxyPort = 80;

// Reads one value when it exists; a value of the wrong kind is passed over.
void ReadValue(const TRegistry& reg, std::string_view name, const std::function<void()>& read) {
    if (!reg.ValueExists(name)) return;
    try {
        read();
    } catch (const ERegistryException& e) {
        qWarning("Proxy setting skipped: %s", e.what());
    }
}

} // namespace

TTesselProxyParams::TTesselProxyParams() : m_regKey(TesselRegKey) { Clear(); }

void TTesselProxyParams::Clear() {
    m_regRoot = platform::TRegistryRoot::CurrentUser;
    m_useProxy = false;
    m_proxyAuthorization = false;
    SetProxyServer("");
    SetProxyPort(0);
    SetProxyUserName("");
    SetProxyPassword("");
    SetProxyBypass("");
}

void TTesselProxyParams::AssignProxyTo(THTTPClientProxyParams& Other) const {
    Other.SetProxyServer(ProxyServer());
    Other.SetProxyPort(ProxyPort());
    Other.SetProxyUserName(ProxyUserName());
    Other.SetProxyPassword(ProxyPassword());
    Other.SetProxyBypass(ProxyBypass());
}

void TTesselProxyParams::AssignProxyFrom(const THTTPClientProxyParams& Other) {
    SetProxyServer(Other.ProxyServer());
    SetProxyPort(Other.ProxyPort());
    SetProxyUserName(Other.ProxyUserName());
    SetProxyPassword(Other.ProxyPassword());
    SetProxyBypass(Other.ProxyBypass());
}

void TTesselProxyParams::AssignTo(THTTPClientProxyParams& Other) const {
    auto* tessel = dynamic_cast<TTesselProxyParams*>(&Other);
    if (!tessel) {
        THTTPClientProxyParams::AssignTo(Other);
        return;
    }
    tessel->m_useProxy = m_useProxy;
    tessel->m_proxyAuthorization = m_proxyAuthorization;
    AssignProxyTo(*tessel);
}

void TTesselProxyParams::Assign(const TTesselProxyParams& Other) {
    m_useProxy = Other.m_useProxy;
    m_proxyAuthorization = Other.m_proxyAuthorization;
    AssignProxyFrom(Other);
}

void TTesselProxyParams::ApplyToClient(TSubmit& Client) const {
    THTTPClientProxyParams& proxy = Client.ProxyParams();
    if (m_useProxy) {
        Client.SetInternetOptions({TSubmitInternetOption::BypassProxyCache, TSubmitInternetOption::KeepConnection});
        Client.SetAccessType(TSubmitAccessType::NamedProxy);
        proxy.SetProxyServer(ProxyServer());
        // A port left at 0 means the usual one, not the transport's own default.
        proxy.SetProxyPort(ProxyPort() == 0 ? kDefaultProxyPort : ProxyPort());
        proxy.SetProxyUserName(m_proxyAuthorization ? ProxyUserName() : std::string());
        proxy.SetProxyPassword(m_proxyAuthorization ? ProxyPassword() : std::string());
        proxy.SetProxyBypass(ProxyBypass());
    } else {
        Client.SetAccessType(TSubmitAccessType::Direct);
        proxy.SetProxyServer("");
        proxy.SetProxyPort(0);
        proxy.SetProxyUserName("");
        proxy.SetProxyPassword("");
        proxy.SetProxyBypass("");
    }
}

void TTesselProxyParams::LoadFromRegistry() {
    TRegistry reg;
    reg.SetRootKey(m_regRoot);
    if (reg.KeyExists(m_regKey) && reg.OpenKey(m_regKey, false)) {
        ReadValue(reg, kUseProxy, [&] { m_useProxy = reg.ReadInteger(kUseProxy) != 0; });
        ReadValue(reg, kProxyAuthorization,
                  [&] { m_proxyAuthorization = reg.ReadInteger(kProxyAuthorization) != 0; });
        ReadValue(reg, kProxyServer, [&] { SetProxyServer(reg.ReadString(kProxyServer)); });
        ReadValue(reg, kProxyPort, [&] { SetProxyPort(reg.ReadInteger(kProxyPort)); });
        ReadValue(reg, kProxyUserName, [&] { SetProxyUserName(reg.ReadString(kProxyUserName)); });
        ReadValue(reg, kProxyPassword, [&] { m_storedPassword = reg.ReadString(kProxyPassword); });
        ReadValue(reg, kProxyBypass, [&] { SetProxyBypass(reg.ReadString(kProxyBypass)); });
    }
    DecodePassword();
}

void TTesselProxyParams::SaveToRegistry() {
    EncodePassword();
    TRegistry reg;
    reg.SetRootKey(m_regRoot);
    reg.OpenKey(m_regKey, true);
    reg.WriteInteger(kUseProxy, m_useProxy ? 1 : 0);
    reg.WriteInteger(kProxyAuthorization, m_proxyAuthorization ? 1 : 0);
    reg.WriteString(kProxyServer, ProxyServer());
    reg.WriteInteger(kProxyPort, ProxyPort());
    reg.WriteString(kProxyUserName, ProxyUserName());
    reg.WriteString(kProxyPassword, m_storedPassword);
    reg.WriteString(kProxyBypass, ProxyBypass());
    reg.CloseKey();
}

void TTesselProxyParams::EncodePassword() { m_storedPassword = Base64Encode(ProxyPassword()); }

void TTesselProxyParams::DecodePassword() { SetProxyPassword(DecodeStoredPassword(m_storedPassword)); }

} // namespace data
