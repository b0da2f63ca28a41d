#pragma once
// The profile-like record both table benchmarks write node by node, row `i`
// with the given login: the same texts a search stores for a found profile.

#include "data/TXMLTable.h"

#include <pugixml.hpp>

#include <string>

namespace benchdata {

inline void SetPlainFriendNodes(const pugi::xml_node& r, int i, const std::string& login) {
    data::TXMLTable::SetNodeText(r, "Name", "Анастасия " + std::to_string(i));
    data::TXMLTable::SetNodeText(r, "Login", login);
    data::TXMLTable::SetNodeText(r, "URL", "http://www.example-dating.test/anketa.phtml?oid=" + std::to_string(1000000 + i));
    data::TXMLTable::SetNodeText(r, "Area", "Россия, Москва, м. Парк культуры");
    data::TXMLTable::SetNodeText(r, "Age", std::to_string(18 + i % 50));
    data::TXMLTable::SetNodeText(r, "RealUser", std::to_string(i % 2));
    data::TXMLTable::SetNodeText(r, "VipUser", std::to_string(i % 3 == 0));
    data::TXMLTable::SetNodeText(r, "PhotoCount", std::to_string(i % 12));
    data::TXMLTable::SetNodeText(r, "VideoCount", std::to_string(i % 4));
    data::TXMLTable::SetNodeText(r, "Intim", "0");
    data::TXMLTable::SetNodeText(r, "AgeRange", "25-35");
    data::TXMLTable::SetNodeText(r, "NewMessage", "0");
}

} // namespace benchdata
