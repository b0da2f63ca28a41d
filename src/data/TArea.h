#pragma once
// The common base of the four area levels (countries, regions, cities, metro
// stations): an id field and a name field named after the level. Area ids are
// hierarchical, four levels joined by "_" with unknown lower levels "0"; each
// table starts with a placeholder row that stands for no choice at its level.
// None of these tables is written to a file.

#include "data/TXMLTable.h"

#include <string>
#include <string_view>

namespace data {

class TArea : public TXMLTable {
public:
    // The name of the level's name field ("Country", "Region", ...).
    const std::string& NameField() const { return m_nameField; }

    // The `id` element of the first row whose id equals `id`, letters A-Z
    // folded (others compared as they are); a null node when none does.
    pugi::xml_node FindById(std::string_view id) const;

    // Appends a row and returns its record element.
    pugi::xml_node AddArea(std::string_view id, std::string_view Name);

protected:
    TArea(std::string topNodeName, std::string recordNodeName, std::string nameField);

    // id 50, then the name field 50.
    void InitFieldDefs() override;

private:
    std::string m_nameField;
};

} // namespace data
