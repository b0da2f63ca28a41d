#include "app/controls/TComboBox.h"

#include <QPointer>
#include <exception>

namespace app {

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {}

void TComboBox::showPopup() {
    // The handler may show a message box (a nested event loop); the box may
    // be gone when it returns.
    QPointer<TComboBox> self(this);
    bool open = true;
    if (OnDropDown) {
        try {
            open = OnDropDown(*this);
        } catch (const std::exception&) {
        }
    }
    if (open && self && isVisible()) QComboBox::showPopup();
}

} // namespace app
