#include "data/TTesselSettings.h"

#include "data/Base64.h"
#include "data/DefaultServer.h"

#include <vector>

namespace data {

using platform::BooleanField;
using platform::IntegerField;
using platform::StringField;
using platform::TPropInfo;

constinit const std::array<TPropInfo, 10> TTesselSettings::OwnProperties = {
    StringField<TTesselSettings, &TTesselSettings::m_FinderServer>("FinderServer"),
    StringField<TTesselSettings, &TTesselSettings::m_AgentServer>("AgentServer"),
    StringField<TTesselSettings, &TTesselSettings::m_login>("login"),
    StringField<TTesselSettings, &TTesselSettings::m_password>("password"),
    BooleanField<TTesselSettings, &TTesselSettings::m_UseProfile>("UseProfile"),
    StringField<TTesselSettings, &TTesselSettings::m_ProfileLogin>("ProfileLogin"),
    StringField<TTesselSettings, &TTesselSettings::m_AutoViewInterval>("AutoViewInterval"),
    IntegerField<TTesselSettings, &TTesselSettings::m_PageCount>("PageCount"),
    IntegerField<TTesselSettings, &TTesselSettings::m_OnLineScan>("OnLineScan"),
    IntegerField<TTesselSettings, &TTesselSettings::m_MessageScan>("MessageScan"),
};

platform::TPropList TTesselSettings::PublishedProperties() const {
    static const std::vector<TPropInfo> all = [] {
        std::vector<TPropInfo> list(Properties.begin(), Properties.end());
        list.insert(list.end(), OwnProperties.begin(), OwnProperties.end());
        return list;
    }();
    return all;
}

void TTesselSettings::AimProxyParams() {
    m_proxyParams.SetRegRoot(platform::TRegistryRoot::CurrentUser);
    m_proxyParams.SetRegKey(std::string(TesselRegKey));
}

bool TTesselSettings::LoadFromRegistry() {
    const bool absent = TFinderParams::LoadFromRegistry();
    if (m_FinderServer.empty()) m_FinderServer = DefaultServerHost;
    if (m_AutoViewInterval.empty()) m_AutoViewInterval = "1";
    // A default stands for what the file lacks: it is written only where the
    // file still lacks it, never over another copy's choice.
    NoteStoredValues();
    AimProxyParams();
    m_proxyParams.LoadFromRegistry();
    return absent;
}

void TTesselSettings::SaveToRegistry() {
    TFinderParams::SaveToRegistry();
    AimProxyParams();
    m_proxyParams.SaveToRegistry();
}

std::string TTesselSettings::GetPassword() const { return DecodeStoredPassword(m_password); }

void TTesselSettings::SetPassword(std::string_view clearText) {
    // The same password keeps the text it is stored as, so it is no change.
    if (GetPassword() != clearText) m_password = Base64Encode(clearText);
}

} // namespace data
