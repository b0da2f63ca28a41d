// The small dialogs the value nodes of the extended tree ask.
#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/TfrmConditions.h"

namespace app {

bool TfrmConditions::AskRange(const QString&, int32_t, TStoredRange&, QString&) { return false; }
bool TfrmConditions::AskMyAge() { return false; }
bool TfrmConditions::AskName() { return false; }
bool TfrmConditions::AskCarModel(TCheckedTreeNode*) { return false; }

} // namespace app
