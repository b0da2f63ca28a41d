#include "data/TProfiles.h"

#include "platform/ProgramDir.h"

#include <array>

namespace data {
namespace {

struct TProfileField {
    std::string_view Name;
    int Size;
};

constexpr std::array<TProfileField, 10> kProfileFields{{
    {"Login", 2048},
    {"Password", 2048},
    {"LocalDir", 2048},
    {"UseProxy", 50},
    {"Authorization", 50},
    {"ProxyServer", 2048},
    {"ProxyPort", 2048},
    {"ProxyUserName", 2048},
    {"ProxyPassword", 2048},
    {"ProxyBypass", 2048},
}};

} // namespace

void TProfiles::InitFieldDefs() {
    for (const TProfileField& field : kProfileFields) FieldDefs().Add(std::string(field.Name), field.Size, true);
}

std::filesystem::path TProfiles::FilePath() { return platform::ProgramDir() / FileName; }

void TProfiles::Open() {
    // The table is opened even when the file fails, so that the program goes
    // on with no profiles rather than with a closed table.
    try {
        LoadFromFile(FilePath());
    } catch (...) {
        TXMLTable::Open();
        throw;
    }
    TXMLTable::Open();
}

pugi::xml_node TProfiles::FindByLogin(std::string_view Login) const {
    for (int i = 0; i < RecordCount(); ++i) {
        const pugi::xml_node record = RecordNode(i);
        if (NodeText(record, "Login") == Login) return record;
    }
    return {};
}

} // namespace data
