#include "data/FillVocabulary.h"

namespace data {

void FillConditionGroup(TConditionGroup& table, TVocabularyGroup group) {
    for (const TVocabularyRow& row : VocabularyRowsOf(group)) table.AddCondition(row.id, row.Comment, row.Condition);
}

void FillVocabulary(std::span<TConditionGroup* const, VocabularyGroupCount> groups) {
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i]) FillConditionGroup(*groups[i], static_cast<TVocabularyGroup>(i));
}

} // namespace data
