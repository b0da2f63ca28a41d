#pragma once
// The program's settings: the saved search conditions (the inherited
// properties), the program's own options after them, and the proxy settings,
// all kept in the program's registry key.

#include "data/TFinderParams.h"
#include "data/TTesselProxyParams.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace data {

class TTesselSettings : public TFinderParams {
public:
    TTesselSettings() = default;

    // The 56 conditions, then the ten options below, in published order.
    platform::TPropList PublishedProperties() const override;

    // The inherited load; then an empty FinderServer becomes the default
    // server host and an empty AutoViewInterval "1"; then the proxy settings
    // are read from the same key. True when the key was absent (the first
    // run). Never raises: a value that cannot be taken is passed over and
    // noted for the user (platform::TRegistry::TakeSkippedValues).
    bool LoadFromRegistry() override;
    // The inherited save, then the proxy settings'. Throws
    // platform::ERegistryException when the settings file cannot be written.
    void SaveToRegistry() override;
    bool Load() { return LoadFromRegistry(); }
    void Save() { SaveToRegistry(); }

    // The site password in clear text, decoded from the stored Base64 text
    // (see DecodeStoredPassword); SetPassword stores the Base64 text of it.
    std::string GetPassword() const;
    void SetPassword(std::string_view clearText);

    // The host searches run against, and a second host kept with it.
    const std::string& FinderServer() const { return m_FinderServer; }
    void SetFinderServer(std::string value) { m_FinderServer = std::move(value); }
    const std::string& AgentServer() const { return m_AgentServer; }
    void SetAgentServer(std::string value) { m_AgentServer = std::move(value); }
    // The site login, and its password as stored (Base64 text).
    const std::string& login() const { return m_login; }
    void SetLogin(std::string value) { m_login = std::move(value); }
    const std::string& password() const { return m_password; }
    // Take login, password, folder and proxy from the login profile named
    // ProfileLogin.
    bool UseProfile() const { return m_UseProfile; }
    void SetUseProfile(bool value) { m_UseProfile = value; }
    const std::string& ProfileLogin() const { return m_ProfileLogin; }
    void SetProfileLogin(std::string value) { m_ProfileLogin = std::move(value); }
    // Decimal text; "1" by default.
    const std::string& AutoViewInterval() const { return m_AutoViewInterval; }
    void SetAutoViewInterval(std::string value) { m_AutoViewInterval = std::move(value); }
    // The number of result pages a search walks: 0 to MaxPageCount (the six
    // digits the settings page takes). Whatever is stored (the file is kept
    // as it is) or set, the value read is bounded, so that a search ends.
    static constexpr int32_t MaxPageCount = 999999;
    int32_t PageCount() const { return std::clamp(m_PageCount, 0, MaxPageCount); }
    void SetPageCount(int32_t value) { m_PageCount = std::clamp(value, 0, MaxPageCount); }
    int32_t OnLineScan() const { return m_OnLineScan; }
    void SetOnLineScan(int32_t value) { m_OnLineScan = value; }
    int32_t MessageScan() const { return m_MessageScan; }
    void SetMessageScan(int32_t value) { m_MessageScan = value; }

    TTesselProxyParams& ProxyParams() { return m_proxyParams; }
    const TTesselProxyParams& ProxyParams() const { return m_proxyParams; }

private:
    static const std::array<platform::TPropInfo, 10> OwnProperties;

    // Points the proxy settings at the program's key.
    void AimProxyParams();

    std::string m_FinderServer;
    std::string m_AgentServer;
    std::string m_login;
    std::string m_password;
    bool m_UseProfile = false;
    std::string m_ProfileLogin;
    std::string m_AutoViewInterval;
    int32_t m_PageCount = 0;
    int32_t m_OnLineScan = 0;
    int32_t m_MessageScan = 0;
    TTesselProxyParams m_proxyParams;
};

} // namespace data
