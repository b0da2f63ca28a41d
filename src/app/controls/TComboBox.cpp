#include "app/controls/TComboBox.h"

#include <QPointer>
#include <exception>

namespace app {

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {}

void TComboBox::showPopup() {
    // The handler may run a nested event loop (a load with a progress box);
    // the box may be gone when it returns.
    QPointer<TComboBox> self(this);
    if (OnDropDown) {
        try {
            OnDropDown(*this);
        } catch (const std::exception&) {
        }
    }
    if (self && isVisible()) QComboBox::showPopup();
}

} // namespace app
