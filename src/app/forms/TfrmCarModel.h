#pragma once
// Asks for the model of one car make. The caller passes the car group whose
// row SetMake picks (the program's is the data module's), sets the window
// caption, calls SetMake, shows the dialog and, on mrOk, reads GetModel.
// The models come from the built-in model table, "любая" (any) first.

#include "app/forms/TConditionDialog.h"

#include <string>

class QComboBox;
class QLabel;

namespace data {
class TCarGroup;
}

namespace app {

class TfrmCarModel : public TConditionDialog {
    Q_OBJECT
public:
    // `cars` must outlive the dialog.
    explicit TfrmCarModel(data::TCarGroup& cars, QWidget* parent = nullptr);

    QLabel* lbModel = nullptr;
    QComboBox* cbModel = nullptr;

    // Lists the models of the make at row `index` (0-based) and selects the
    // one remembered for it: item 0 ("любая") when none is, no item when the
    // remembered one is not listed. A make without models (or a row that does
    // not exist) leaves the list empty and the list and OK disabled.
    void SetMake(int index);
    int Make() const { return m_make; }

    // The chosen model; "" for "любая" or an empty list.
    std::string GetModel() const;

protected:
    bool OKClick() override;

private:
    data::TCarGroup& m_cars;
    int m_make = -1;
};

} // namespace app
