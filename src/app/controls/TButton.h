#pragma once
// A push button that closes its dialog with a modal result, as the original's
// buttons do: pressing a button whose ModalResult is not mrNone ends the modal
// loop of the dialog it sits in with that number.

#include "platform/MessageDialogTypes.h"

#include <QPushButton>
#include <string>

namespace app {

class TButton : public QPushButton {
    Q_OBJECT
public:
    explicit TButton(QWidget* parent = nullptr);

    // The caption as the program wrote it ("&Yes"; '&' marks the shortcut).
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);

    // mrNone (the default) leaves the dialog open when the button is pressed.
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int result) { m_modalResult = result; }

    // The button that Escape (and closing the dialog's window) presses.
    bool IsCancel() const { return m_cancel; }
    void SetCancel(bool cancel) { m_cancel = cancel; }

private:
    void CloseDialog();

    std::string m_caption;
    int m_modalResult = platform::mrNone;
    bool m_cancel = false;
};

} // namespace app
