#pragma once
// Helpers for the profile table tests: the program's folder pointed at a
// temporary one, and the plain first-match scan that lookups must agree with.

#include "data/TFriend.h"
#include "platform/ProgramDir.h"
#include "platform/Text.h"
#include "support/TempDir.h"

#include <string>
#include <string_view>

namespace testsupport {

// A temporary folder that stands for the program's folder while it lives.
class ProgramDirScope {
public:
    ProgramDirScope() { platform::SetProgramDir(m_dir.path()); }
    ~ProgramDirScope() { platform::SetProgramDir({}); }
    ProgramDirScope(const ProgramDirScope&) = delete;
    ProgramDirScope& operator=(const ProgramDirScope&) = delete;
    std::filesystem::path path() const { return m_dir.path(); }
    std::filesystem::path operator/(std::string_view name) const { return m_dir / name; }

private:
    TempDir m_dir;
};

// The `field` element of the first record, in table order, that has one
// whose text equals `value` with A-Z folded; empty texts are passed over
// when `skipEmpty` is set.
inline pugi::xml_node ScanFind(const data::TXMLTable& table, std::string_view field, std::string_view value,
                               bool skipEmpty) {
    for (int i = 0; i < table.RecordCount(); ++i) {
        const pugi::xml_node node = data::TXMLTable::FieldNode(table.RecordNode(i), field);
        if (!node) continue;
        const std::string current = data::TXMLTable::NodeText(table.RecordNode(i), field);
        if (skipEmpty && current.empty()) continue;
        if (text::AsciiLower(current) == text::AsciiLower(value)) return node;
    }
    return {};
}

// A row with the login, a profile address made from it and small numbers.
inline pugi::xml_node AddProfile(data::TFriend& table, std::string_view login, std::string_view name = "Анна") {
    return table.AddFriend(name, login, "http://example.test/" + std::string(login), "Москва", 25, 1, 0, 3, 0, 0,
                           "20-30");
}

// The logins of the rows, in order, joined by spaces.
inline std::string Logins(const data::TXMLTable& table) {
    std::string out;
    for (int i = 0; i < table.RecordCount(); ++i) {
        if (i) out += ' ';
        out += data::TXMLTable::NodeText(table.RecordNode(i), "Login");
    }
    return out;
}

} // namespace testsupport
