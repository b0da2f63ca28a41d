#pragma once
// The user's proxy settings: the HTTP client's proxy values plus the switches
// UseProxy and ProxyAuthorization, kept in the registry (the password as
// Base64 text) and copied into a client before it connects.

#include "platform/TRegistry.h"
#include "web/THTTPClientProxyParams.h"

#include <array>
#include <optional>
#include <string>

class TSubmit;

namespace data {

class TTesselProxyParams : public THTTPClientProxyParams {
public:
    // Starts cleared (see Clear), with RegKey the program's key.
    TTesselProxyParams();

    // No proxy: both switches off, the five proxy values "" and 0, the root
    // the current user's.
    void Clear();

    // The five proxy values (server, port, user name, password, bypass) into
    // or out of other proxy parameters, through the receiver's setters.
    void AssignProxyTo(THTTPClientProxyParams& Other) const;
    void AssignProxyFrom(const THTTPClientProxyParams& Other);
    // Into other TTesselProxyParams: the two switches, then AssignProxyTo.
    // Into plain proxy parameters: the five values, as the parent does.
    void AssignTo(THTTPClientProxyParams& Other) const override;
    // The two switches of Other, then AssignProxyFrom.
    void Assign(const TTesselProxyParams& Other);

    // With UseProxy: the client goes through the named proxy, with options
    // exactly [BypassProxyCache, KeepConnection], the server, the port (0 as
    // 80), the user name and password only with ProxyAuthorization (else
    // both empty), and the bypass list. Without: direct access and the
    // client's five proxy values cleared; its options stay as they are.
    void ApplyToClient(TSubmit& Client) const;

    // Reads the seven values that exist under RegRoot\RegKey; a missing
    // value keeps the current value, and so does one that cannot be taken
    // (the wrong kind, no 32-bit number, a port outside 0..65535), which is
    // noted for the user (platform::TRegistry::TakeSkippedValues). Then, in
    // every case, decodes the stored password. Never raises.
    void LoadFromRegistry();
    // Encodes the password and writes the seven values, creating the key:
    // after a load, as the settings do, only those changed since the load or
    // the last save, and the others only where the file lacks them. Throws
    // platform::ERegistryException when the settings file cannot be written.
    void SaveToRegistry();
    // StoredPassword := Base64 of ProxyPassword.
    void EncodePassword();
    // ProxyPassword := the decoded StoredPassword (see DecodeStoredPassword).
    void DecodePassword();

    const std::string& StoredPassword() const { return m_storedPassword; }
    void SetStoredPassword(std::string value) { m_storedPassword = std::move(value); }
    platform::TRegistryRoot RegRoot() const { return m_regRoot; }
    void SetRegRoot(platform::TRegistryRoot value) { m_regRoot = value; }
    const std::string& RegKey() const { return m_regKey; }
    void SetRegKey(std::string value) { m_regKey = std::move(value); }
    bool UseProxy() const { return m_useProxy; }
    void SetUseProxy(bool value) { m_useProxy = value; }
    bool ProxyAuthorization() const { return m_proxyAuthorization; }
    void SetProxyAuthorization(bool value) { m_proxyAuthorization = value; }

private:
    // The seven values in the order they are written, the password in clear.
    std::array<std::string, 7> Values() const;

    // Values() when last loaded or saved; none before a load.
    std::optional<std::array<std::string, 7>> m_stored;
    std::string m_storedPassword;
    platform::TRegistryRoot m_regRoot = platform::TRegistryRoot::CurrentUser;
    std::string m_regKey;
    bool m_useProxy = false;
    bool m_proxyAuthorization = false;
};

} // namespace data
