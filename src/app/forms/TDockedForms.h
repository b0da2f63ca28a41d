#pragma once
// The main window's docking: each of its panels (the conditions tree's
// "pnTree", the page's "pnForm") holds one form at a time. Docking a form
// frees the one the panel held, even when the new class is unknown.
//
// The old form is hidden at once and destroyed with deleteLater(), so a form
// may ask for its own replacement from one of its handlers: it dies after the
// handler has returned. Docking is not re-entrant: a ShowDockedForm asked for
// while another is under way (from a form's constructor, say) does nothing.

#include "platform/TForm.h"

#include <QPointer>
#include <string_view>
#include <utility>
#include <vector>

namespace app {

class TDockedForms {
public:
    // `host` is the main window: it owns the docked forms, lends them its help
    // file and takes their help context. `splitter`, when given, is hidden
    // while a form is docked, as the panels are.
    explicit TDockedForms(platform::TForm& host, QWidget* splitter = nullptr);

    // Frees the form docked in `panel`, then creates the form registered as
    // `className`, owned by the host, and embeds it filling the panel. The
    // host's help context becomes the form's (2 when it has none), the panel
    // takes over the form's mouse-move handler and loses its hint, the form is
    // activated once the event loop runs and its active control becomes the
    // host's. Returns the form now docked: nullptr for an unknown class, a
    // failure while creating it (logged), or while another docking is under
    // way (then nothing changes).
    platform::TForm* ShowDockedForm(QWidget* panel, std::string_view className);

    // The form docked in `panel`; nullptr when none is (or it was destroyed).
    platform::TForm* DockedForm(const QWidget* panel) const;
    // The docked form as `T`; nullptr when it is of another class.
    template <class T>
    T* DockedAs(const QWidget* panel) const {
        return dynamic_cast<T*>(DockedForm(panel));
    }

    // True while a ShowDockedForm is under way.
    bool IsDocking() const { return m_docking; }

private:
    QPointer<platform::TForm>& Slot(const QWidget* panel);

    platform::TForm& m_host;
    QPointer<QWidget> m_splitter;
    std::vector<std::pair<QPointer<QWidget>, QPointer<platform::TForm>>> m_slots;
    bool m_docking = false;
};

} // namespace app
