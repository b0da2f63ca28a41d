#pragma once
// One condition group of the search: a table of the values the user can
// require (id, caption and the text a profile page must show), filled at
// start-up with fixed rows and never written to a file.

#include "data/TXMLTable.h"

#include <string_view>

namespace data {

class TConditionGroup : public TXMLTable {
public:
    // Element names "Assertion" / "Assertions"; the table is open at once.
    TConditionGroup();

    // Appends a row and returns its record element.
    pugi::xml_node AddCondition(std::string_view id, std::string_view Comment, std::string_view Condition);

protected:
    // For descendants with further fields: the element names only; the
    // descendant opens the table once its own fields can be made.
    struct TUnopened {};
    explicit TConditionGroup(TUnopened);

    // id 50, Comment 100, Condition 100.
    void InitFieldDefs() override;
};

} // namespace data
