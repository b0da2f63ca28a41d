#pragma once
// Fills the condition groups with their fixed rows (VocabularyTables.h) at
// start-up. The rows are appended as they stand; nothing is read or saved.

#include "data/TConditionGroup.h"
#include "data/VocabularyTables.h"

#include <span>

namespace data {

// Appends the rows of `group`, in their order, to `table`.
void FillConditionGroup(TConditionGroup& table, TVocabularyGroup group);

// Appends the rows of every group: `groups[i]` receives the rows of group i
// (target, sponsor, music, ... orientation, in TVocabularyGroup order). A
// null entry is passed over.
void FillVocabulary(std::span<TConditionGroup* const, VocabularyGroupCount> groups);

} // namespace data
