#pragma once
// Asks for the user's own age. The caller sets the stored age with SetAge,
// shows the dialog and, on mrOk, reads Age (18 or more). A "0" counts as 1;
// a text that is no whole number is refused on OK with a message.

#include "app/controls/TNumberEdit.h"
#include "app/forms/TConditionDialog.h"

#include <cstdint>
#include <string>

class QLabel;

namespace app {

class TfrmAge : public TConditionDialog {
    Q_OBJECT
public:
    explicit TfrmAge(QWidget* parent = nullptr);

    QLabel* lbAge = nullptr;
    TNumberEdit* edAge = nullptr;

    // Below 1 the edit keeps its text.
    void SetAge(int32_t value);
    int32_t Age() const { return m_age; }

protected:
    bool OKClick() override;

private:
    void edChange(TNumberEdit* sender);

    int32_t m_age = 18;
    // The edit's text when it holds no whole number; "" otherwise.
    std::string m_invalidText;
};

} // namespace app
