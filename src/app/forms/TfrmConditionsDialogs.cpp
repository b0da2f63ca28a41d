// The small dialogs the value nodes of the extended tree ask. Each is made
// for one question and freed afterwards; Cancel changes nothing.
#include "app/controls/TCheckedTreeNode.h"
#include "app/forms/TfrmAge.h"
#include "app/forms/TfrmCarModel.h"
#include "app/forms/TfrmConditions.h"
#include "app/forms/TfrmName.h"
#include "app/forms/TfrmRange.h"
#include "data/TdmFriend.h"
#include "platform/MessageDialogTypes.h"
#include "platform/QtText.h"

#include <QLineEdit>

namespace app {

using platform::ToQString;

bool TfrmConditions::AskRange(const QString& prefix, int32_t lowerLimit, TStoredRange& range, QString& caption) {
    TfrmRange dialog(this);
    dialog.SetPrefix(prefix.toStdString());
    if (lowerLimit >= 0) dialog.SetLowerLimit(lowerLimit);
    dialog.SetMin(range.Min);
    dialog.SetMax(range.Max);
    if (dialog.ShowModal() != platform::mrOk) return false;
    range = {dialog.Min(), dialog.Max()};
    caption = ToQString(dialog.ResultText());
    return true;
}

bool TfrmConditions::AskMyAge() {
    TfrmAge dialog(this);
    dialog.SetAge(m_storedMyAge);
    if (dialog.ShowModal() != platform::mrOk) return false;
    m_storedMyAge = dialog.Age();
    return true;
}

bool TfrmConditions::AskName() {
    TfrmName dialog(this);
    dialog.edName->setText(ToQString(m_storedName));
    if (dialog.ShowModal() != platform::mrOk) return false;
    m_storedName = dialog.edName->text().toStdString();
    return true;
}

bool TfrmConditions::AskCarModel(TCheckedTreeNode* item) {
    TCheckedTreeNode* root = item->ParentNode();
    data::TCarGroup& cars = data::dmFriend().CarGroup();
    const int index = root ? root->indexOfChild(item) : -1;
    if (index < 0 || index >= cars.RecordCount()) return false; // the placeholder, or a make gone meanwhile
    const std::string make = cars.GetComment(index);
    TfrmCarModel dialog(cars, this);
    dialog.setWindowTitle("Марка: " + ToQString(make));
    dialog.SetMake(index);
    if (dialog.ShowModal() != platform::mrOk) return false;
    const std::string model = dialog.GetModel();
    cars.SetModel(index, model);
    // "любая" (any model) shows the make alone, as when the tree is built.
    item->SetCaption(ToQString(model.empty() ? make : make + " " + model));
    return true;
}

} // namespace app
