#pragma once
// The frame the condition dialogs share: a caption, a row of controls built
// by the dialog, and "OK" and "Отменить" below. "OK" closes the dialog with
// mrOk only when the dialog's check (OKClick) lets it; a refusal keeps the
// dialog open, normally after telling the user why. "Отменить", Escape and
// the window's close box end it with mrCancel. The dialog opens with the
// keyboard focus in its first field, so a typed value and Enter answer it.

#include "app/controls/TButton.h"

#include <QDialog>
#include <string_view>

class QHBoxLayout;

namespace app {

class TConditionDialog : public QDialog {
    Q_OBJECT
public:
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

    // Shows the dialog modally and returns mrOk or mrCancel.
    int ShowModal();

    void reject() override;

protected:
    TConditionDialog(std::string_view caption, QWidget* parent);

    // Appends a control to the centred row above the buttons. The first
    // one that takes the focus has it when the dialog opens.
    void AddToRow(QWidget* control);

    void showEvent(QShowEvent* event) override;

    // True when the dialog may close with mrOk. Exceptions count as a refusal.
    virtual bool OKClick() = 0;

private:
    void PressOK();

    QHBoxLayout* m_row = nullptr;
    QWidget* m_firstField = nullptr;
    QWidget* m_lastField = nullptr;
};

} // namespace app
