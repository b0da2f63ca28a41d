#pragma once
// Concrete tables for the XML table's tests: a profile-like table of twelve
// fields ("Friends"/"Friend") and a table of one field with default names.

#include "data/TXMLTable.h"

#include <array>
#include <string>
#include <string_view>

namespace testsupport {

inline constexpr std::array<std::string_view, 12> kFriendFields = {
    "Name", "Login", "URL", "Area", "Age", "RealUser", "VipUser", "PhotoCount", "VideoCount", "Intim", "AgeRange",
    "NewMessage"};

class FriendTable : public data::TXMLTable {
public:
    FriendTable() {
        SetTopNodeName("Friends");
        SetRecordNodeName("Friend");
    }

    // Appends a record with `name` and `login` and the other fields derived
    // from `n`; returns the record element.
    pugi::xml_node Add(std::string_view name, std::string_view login, int n = 0) {
        const pugi::xml_node record = NewRecordNode();
        SetNodeText(record, "Name", name);
        SetNodeText(record, "Login", login);
        SetNodeText(record, "URL", "http://example.test/anketa/" + std::string(login));
        SetNodeText(record, "Area", "Москва, Россия");
        SetNodeText(record, "Age", std::to_string(18 + n % 50));
        SetNodeText(record, "RealUser", std::to_string(n % 2));
        SetNodeText(record, "VipUser", "0");
        SetNodeText(record, "PhotoCount", std::to_string(n % 7));
        SetNodeText(record, "VideoCount", "0");
        SetNodeText(record, "Intim", "0");
        SetNodeText(record, "AgeRange", "25-35");
        SetNodeText(record, "NewMessage", "0");
        return record;
    }

protected:
    void InitFieldDefs() override {
        for (std::string_view name : kFriendFields)
            FieldDefs().Add(std::string(name), name == "URL" || name == "Area" ? 2048 : 100, true);
    }
};

class KeyTable : public data::TXMLTable {
protected:
    void InitFieldDefs() override { FieldDefs().Add("URL", 2048, true); }
};

} // namespace testsupport
