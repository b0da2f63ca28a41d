#include "data/TConditionGroup.h"

namespace data {

TConditionGroup::TConditionGroup(TUnopened) {
    SetTopNodeName("Assertion");
    SetRecordNodeName("Assertions");
}

TConditionGroup::TConditionGroup() : TConditionGroup(TUnopened{}) {
    Open();
}

void TConditionGroup::InitFieldDefs() {
    FieldDefs().Add("id", 50, true);
    FieldDefs().Add("Comment", 100, true);
    FieldDefs().Add("Condition", 100, true);
}

pugi::xml_node TConditionGroup::AddCondition(std::string_view id, std::string_view Comment,
                                             std::string_view Condition) {
    const pugi::xml_node record = NewRecordNode();
    SetNodeText(record, "id", id);
    SetNodeText(record, "Comment", Comment);
    SetNodeText(record, "Condition", Condition);
    return record;
}

} // namespace data
