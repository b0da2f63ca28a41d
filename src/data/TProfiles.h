#pragma once
// The user's login profiles, "Profiles.xml" in the data folder: one row per
// site account with its password (Base64 text), its local folder and its
// proxy. Default element names ("XMLTable" / "Record"). The program reads
// this file and never writes it.

#include "data/TXMLTable.h"

#include <filesystem>
#include <string_view>

namespace data {

class TProfiles : public TXMLTable {
public:
    // The file's name in the data folder.
    static constexpr std::string_view FileName = "Profiles.xml";

    TProfiles() = default;

    // The file the profiles are read from.
    static std::filesystem::path FilePath();

    // Reads FilePath() and opens the table. A missing file gives an empty
    // table. A file that cannot be read or parsed leaves the table empty and
    // open, and then throws EXMLTable.
    void Open();

    // The record element of the first row whose Login equals `Login`
    // exactly (letter case counts); a null node when none does.
    pugi::xml_node FindByLogin(std::string_view Login) const;

protected:
    // Login, Password, LocalDir, UseProxy, Authorization, ProxyServer,
    // ProxyPort, ProxyUserName, ProxyPassword, ProxyBypass.
    void InitFieldDefs() override;
};

} // namespace data
