#include "data/TTesselProxyParams.h"

#include "data/Base64.h"
#include "data/TCustomParams.h"
#include "web/TSubmit.h"


namespace data {

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

// The port a proxy listens on when none is given (a stored 0).
constexpr int32_t kDefaultProxyPort = 80;
constexpr int32_t kMaxPort = 65535;

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
        if (const auto value = reg.ReadIntegerIfValid(kUseProxy)) m_useProxy = *value != 0;
        if (const auto value = reg.ReadIntegerIfValid(kProxyAuthorization)) m_proxyAuthorization = *value != 0;
        if (const auto value = reg.ReadStringIfValid(kProxyServer)) SetProxyServer(*value);
        if (const auto value = reg.ReadIntegerIfValid(kProxyPort)) {
            // A port no proxy can listen on would only be told later as an
            // unreachable proxy; 0 is no port given (the usual one).
            if (*value >= 0 && *value <= kMaxPort)
                SetProxyPort(*value);
            else
                reg.SkipValue(kProxyPort, "номер порта " + std::to_string(*value) + " вне пределов от 1 до " +
                                              std::to_string(kMaxPort));
        }
        if (const auto value = reg.ReadStringIfValid(kProxyUserName)) SetProxyUserName(*value);
        if (const auto value = reg.ReadStringIfValid(kProxyPassword)) m_storedPassword = *value;
        if (const auto value = reg.ReadStringIfValid(kProxyBypass)) SetProxyBypass(*value);
    }
    DecodePassword();
    m_stored = Values();
}

std::array<std::string, 7> TTesselProxyParams::Values() const {
    return {std::to_string(m_useProxy),  std::to_string(m_proxyAuthorization), ProxyServer(),
            std::to_string(ProxyPort()), ProxyUserName(),                      ProxyPassword(),
            ProxyBypass()};
}

void TTesselProxyParams::SaveToRegistry() {
    EncodePassword();
    const std::array<std::string, 7> now = Values();
    TRegistry reg;
    reg.SetRootKey(m_regRoot);
    reg.OpenKey(m_regKey, true);
    size_t i = 0;
    const auto changed = [&] { return !m_stored || (*m_stored)[i] != now[i]; };
    const auto integer = [&](std::string_view name, int32_t value) {
        changed() ? reg.WriteInteger(name, value) : reg.WriteIntegerIfMissing(name, value);
        ++i;
    };
    const auto string = [&](std::string_view name, const std::string& value) {
        changed() ? reg.WriteString(name, value) : reg.WriteStringIfMissing(name, value);
        ++i;
    };
    integer(kUseProxy, m_useProxy ? 1 : 0);
    integer(kProxyAuthorization, m_proxyAuthorization ? 1 : 0);
    string(kProxyServer, ProxyServer());
    integer(kProxyPort, ProxyPort());
    string(kProxyUserName, ProxyUserName());
    // Compared in clear text above: the same password stored as other text stays.
    string(kProxyPassword, m_storedPassword);
    string(kProxyBypass, ProxyBypass());
    reg.CloseKey();
    m_stored = now;
}

void TTesselProxyParams::EncodePassword() { m_storedPassword = Base64Encode(ProxyPassword()); }

void TTesselProxyParams::DecodePassword() { SetProxyPassword(DecodeStoredPassword(m_storedPassword)); }

} // namespace data
