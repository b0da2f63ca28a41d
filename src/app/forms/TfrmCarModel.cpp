#include "app/forms/TfrmCarModel.h"

#include "data/TCarGroup.h"
#include "platform/MessageRoutines.h"
#include "search/CarCatalogue.h"

#include <QComboBox>
#include <QLabel>
#include <vector>

namespace app {

namespace {
constexpr int kComboWidth = 180;
constexpr const char* kAnyModel = "любая";
} // namespace

TfrmCarModel::TfrmCarModel(data::TCarGroup& cars, QWidget* parent)
    : TConditionDialog("Имя", parent), m_cars(cars) {
    lbModel = new QLabel(QString::fromUtf8("Модель"), this);
    lbModel->setObjectName("lbModel");
    cbModel = new QComboBox(this);
    cbModel->setObjectName("cbModel");
    cbModel->setEditable(true);
    cbModel->setInsertPolicy(QComboBox::NoInsert);
    cbModel->setMaxVisibleItems(20);
    cbModel->setFixedWidth(kComboWidth);
    AddToRow(lbModel);
    AddToRow(cbModel);
}

void TfrmCarModel::SetMake(int index) {
    m_make = index;
    const std::string makeId = m_cars.GetId(index);
    const std::string savedModel = m_cars.GetModel(index);
    std::vector<std::string> models;
    search::FillCarModels(makeId, models);
    cbModel->clear();
    for (const std::string& model : models) cbModel->addItem(QString::fromStdString(model));
    const bool any = !models.empty();
    cbModel->setEnabled(any);
    btnOK->setEnabled(any);
    if (!any) return;
    int selected = 0;
    if (!savedModel.empty()) {
        selected = -1;
        for (size_t i = 0; i < models.size(); ++i)
            if (models[i] == savedModel) {
                selected = int(i);
                break;
            }
    }
    cbModel->setCurrentIndex(selected);
    // An editable list keeps the text of the item it had; no item, no text.
    if (selected < 0) cbModel->setEditText(QString());
}

std::string TfrmCarModel::GetModel() const {
    if (cbModel->count() == 0) return {};
    const std::string model = cbModel->currentText().toStdString();
    return model == kAnyModel ? std::string() : model;
}

bool TfrmCarModel::OKClick() {
    if (cbModel->currentText().trimmed().isEmpty()) {
        platform::ShowInfoMessage("Выберите, пожалуйста, модель.");
        return false;
    }
    return true;
}

} // namespace app
