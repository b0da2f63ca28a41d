#pragma once
// The standard message box that the program's message dialogs start from: an
// icon (none for mtCustom), the message label and one button per requested
// button, with English captions and a plain layout. The dialogs then replace
// the buttons and re-centre the parts.

#include "app/controls/TButton.h"
#include "platform/MessageDialogTypes.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QFont;
class QLabel;

namespace app {

class TMessageForm : public QDialog {
    Q_OBJECT
public:
    explicit TMessageForm(QWidget* parent = nullptr);

    // The form's buttons in the order they were made, which is left to right.
    std::vector<TButton*> Buttons() const;
    // The message label (the form's last label); nullptr when it has none.
    QLabel* MessageLabel() const;

    // Escape and the window's close box press the cancel button (Cancel
    // before No) when there is one, else end the box with mrCancel.
    void reject() override;

    // The button that has the focus when the box shows (the box may be
    // moved to another owner before, which clears a focus set earlier).
    void SetFocusOnShow(QWidget* button) { m_focusOnShow = button; }
    QWidget* FocusOnShow() const { return m_focusOnShow; }

    // Shows the message in `font`, broken into lines afresh so that the box
    // still fits its screen; the buttons move down (and the box grows) when
    // it takes more lines than before.
    void SetMessageFont(const QFont& font);

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string&, platform::TMsgDlgType,
                                                             platform::TMsgDlgButtons);

    QPointer<QWidget> m_focusOnShow;
    // The message as shown (cut to what a screen can hold), before it is
    // broken into lines of at most m_lineWidth pixels, m_textHeight in all.
    QString m_message;
    int m_lineWidth = 0;
    int m_textHeight = 0;
};

// The application's title, which captions every message box.
QString ApplicationTitle();

// Builds the standard box for `msg` (plain text, never rich text), no wider
// and no higher than the screen it opens on: the message is broken into
// lines of half that screen's width (a word longer than a line is broken
// too) and what would not fit under it is cut with "…". The caller shows
// and frees it. Empty `buttons`: a box without buttons.
std::unique_ptr<TMessageForm> CreateMessageDialog(const std::string& msg, platform::TMsgDlgType type,
                                                  platform::TMsgDlgButtons buttons);

// Shows `form` modally, centred over the window in front, then frees it.
// Returns the modal result (mrNone when the box was destroyed from outside).
int ShowModalAndFree(std::unique_ptr<TMessageForm> form);

} // namespace app
