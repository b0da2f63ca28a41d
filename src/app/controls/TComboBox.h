#pragma once
// A drop-down list that tells its owner when the list is about to open, so
// that the owner can fill it first (the settings page fetches the area lists
// from the site only when the user opens them).

#include <QComboBox>
#include <functional>

namespace app {

class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);

    // Raised before the list opens, by mouse or keyboard; the list opens
    // afterwards with whatever items the handler left, unless the handler
    // answers false (it fills the list later and opens it then). An
    // exception of the handler is dropped here: the list opens all the same.
    std::function<bool(TComboBox& Sender)> OnDropDown;

    void showPopup() override;
};

} // namespace app
