#pragma once
// Asks for a name. The caller fills edName, shows the dialog and, on mrOk,
// reads edName, which then holds more than blanks.

#include "app/forms/TConditionDialog.h"

class QLabel;
class QLineEdit;

namespace app {

class TfrmName : public TConditionDialog {
    Q_OBJECT
public:
    explicit TfrmName(QWidget* parent = nullptr);

    QLabel* lbName = nullptr;
    QLineEdit* edName = nullptr;

protected:
    bool OKClick() override;
};

} // namespace app
