#include "app/forms/TConditionDialog.h"

#include "platform/MessageDialogTypes.h"
#include "platform/QtText.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <exception>

namespace app {

TConditionDialog::TConditionDialog(std::string_view caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(platform::ToQString(caption));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_row = new QHBoxLayout;
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(12);
    m_row->addStretch();
    m_row->addStretch();
    layout->addLayout(m_row);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK = new TButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->SetCaption("OK");
    btnOK->setDefault(true);
    // Closing is left to PressOK, which asks the dialog first.
    connect(btnOK, &QPushButton::clicked, this, &TConditionDialog::PressOK);
    btnCancel = new TButton(this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->SetCaption("Отменить");
    btnCancel->SetModalResult(platform::mrCancel);
    btnCancel->SetCancel(true);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons);
}

void TConditionDialog::AddToRow(QWidget* control) {
    m_row->insertWidget(m_row->count() - 1, control);
    if (!(control->focusPolicy() & Qt::TabFocus)) return;
    // The fields come first when tabbing, in the row's order, then the buttons.
    if (!m_firstField) m_firstField = control;
    else setTabOrder(m_lastField, control);
    m_lastField = control;
    setTabOrder(control, btnOK);
    setTabOrder(btnOK, btnCancel);
}

void TConditionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // What the user types goes into the first field, replacing its value;
    // Enter there presses OK.
    if (!m_firstField || !m_firstField->isEnabled()) return;
    m_firstField->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(m_firstField)) edit->selectAll();
}

int TConditionDialog::ShowModal() { return exec(); }

void TConditionDialog::reject() { done(platform::mrCancel); }

void TConditionDialog::PressOK() {
    bool accepted = false;
    try {
        accepted = OKClick();
    } catch (const std::exception& e) {
        qWarning("A condition dialog's check failed: %s", e.what());
    } catch (...) {
        qWarning("A condition dialog's check failed");
    }
    if (accepted) done(platform::mrOk);
}

} // namespace app
