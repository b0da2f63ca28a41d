#pragma once
// The base of every form of the program: a plain widget that is either a
// window of its own or, far more often, a borderless page embedded in a panel
// of another form (MakeWindow, FormHosting.h).
//
// A form is created with an owner: the owner frees it (the form is a Qt child
// of the owner, shown as a separate window until it is embedded). A form
// embedded in a panel becomes the panel's child and dies with it.
//
// An embedded form learns that it is now in place from the CM_ACTIVATE event
// posted to it: the event arrives once the docking code has returned to the
// event loop and reaches Activate(), which fires OnActivate and gives the
// focus to ActiveControl.

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

class QMouseEvent;

namespace platform {

// The event that activates a freshly embedded form; the number is the one of
// the message it stands for, within Qt's range of user event types.
inline constexpr QEvent::Type CM_ACTIVATE = static_cast<QEvent::Type>(0xB000);

// A mouse-move handler: the widget under the mouse, the held keyboard
// modifiers and the position in that widget's coordinates.
using TMouseMoveEvent = std::function<void(QWidget* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

class TForm : public QWidget {
    Q_OBJECT
public:
    // `owner` frees the form; nullptr leaves that to the caller.
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    // The class name the form was created by (FormRegistry.h); "" when it
    // was made directly.
    const std::string& ClassName() const { return m_className; }
    void SetClassName(std::string_view name) { m_className = name; }

    const std::string& HelpFile() const { return m_helpFile; }
    void SetHelpFile(std::string_view file) { m_helpFile = file; }
    // 0 means the form has no help topic of its own.
    int HelpContext() const { return m_helpContext; }
    void SetHelpContext(int context) { m_helpContext = context; }

    // The control that gets the focus when the form is activated; nullptr
    // when none is set or the control was destroyed.
    QWidget* ActiveControl() const { return m_activeControl; }
    // Also focuses the control at once when the form is visible.
    void SetActiveControl(QWidget* control);

    // Kept for the forms that ask for it; embedding preserves the value.
    bool AutoScroll() const { return m_autoScroll; }
    void SetAutoScroll(bool on) { m_autoScroll = on; }

    // Posts CM_ACTIVATE to the form; Activate() runs once the event loop
    // delivers it (never inside this call). Safe when the form is destroyed
    // before that: the pending event goes with it.
    void PostActivate();

    // Raised by Activate().
    std::function<void(TForm* Sender)> OnActivate;
    // Raised on mouse moves over the form itself (not over its controls).
    // Setting it switches mouse tracking on so moves without a button count.
    TMouseMoveEvent OnMouseMove() const { return m_onMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent handler);

protected:
    // The form has become active (CM_ACTIVATE): fires OnActivate, then focuses
    // ActiveControl. Overrides should call the base. Exceptions are stopped
    // at the event boundary.
    virtual void Activate();

    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::string m_className;
    std::string m_helpFile;
    int m_helpContext = 0;
    QPointer<QWidget> m_activeControl;
    bool m_autoScroll = false;
    TMouseMoveEvent m_onMouseMove;
};

} // namespace platform
