#include "app/controls/TButton.h"

#include <QDialog>
#include <QString>

namespace app {

TButton::TButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, &TButton::CloseDialog);
}

void TButton::SetCaption(const std::string& caption) {
    m_caption = caption;
    setText(QString::fromStdString(caption));
}

void TButton::CloseDialog() {
    if (m_modalResult == platform::mrNone) return;
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->done(m_modalResult);
}

} // namespace app
