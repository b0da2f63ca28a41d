#include "data/TArea.h"

#include "platform/Text.h"

namespace data {

TArea::TArea(std::string topNodeName, std::string recordNodeName, std::string nameField)
    : m_nameField(std::move(nameField)) {
    SetTopNodeName(std::move(topNodeName));
    SetRecordNodeName(std::move(recordNodeName));
}

void TArea::InitFieldDefs() {
    FieldDefs().Add("id", 50, true);
    FieldDefs().Add(m_nameField, 50, true);
}

pugi::xml_node TArea::FindById(std::string_view id) const {
    // Each row's own id element is compared, so a row whose fields stand in
    // another order is still found by its id.
    for (int i = 0; i < RecordCount(); ++i) {
        const pugi::xml_node field = FieldNode(RecordNode(i), "id");
        if (field && text::SameTextAscii(NodeText(RecordNode(i), "id"), id)) return field;
    }
    return {};
}

pugi::xml_node TArea::AddArea(std::string_view id, std::string_view Name) {
    const pugi::xml_node record = NewRecordNode();
    SetNodeText(record, "id", id);
    SetNodeText(record, m_nameField, Name);
    return record;
}

} // namespace data
