#pragma once
// Actions: one command shared by menu items, tool buttons and push buttons,
// with a caption, a hint, a picture from the list's image list and the
// enabled and visible state that every control linked to it follows.
// Actions are QActions named by objectName (the component name), so a form
// can look another form's action up by name.

#include "platform/TImageList.h"

#include <QAction>
#include <QObject>
#include <functional>
#include <string_view>

class QAbstractButton;

namespace platform {

class TAction : public QAction {
    Q_OBJECT
public:
    explicit TAction(QObject* parent = nullptr);

    // Run when the action is triggered (menu, tool button, linked button,
    // Execute). Exceptions are stopped at that boundary and logged.
    std::function<void(TAction* Sender)> OnExecute;

    // Triggers the action when it is enabled; returns whether it ran.
    bool Execute();

    // -1: no picture.
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);
    // The image list the picture is taken from; none by default.
    void SetImages(const TImageList* images);

private:
    void UpdateIcon();
    void Run();

    int m_imageIndex = -1;
    const TImageList* m_images = nullptr;
};

class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject* parent = nullptr);

    // Creates an action owned by the list, named `name`, with the caption,
    // the hint (tool tip and status tip) and the picture `imageIndex` of
    // Images(). Enabled and visible.
    TAction* Add(std::string_view name, std::string_view caption, std::string_view hint = {},
                 int imageIndex = -1);
    // The list's action named `name` (exact match); nullptr when none.
    TAction* Find(std::string_view name) const;

    TImageList& Images() { return m_images; }
    const TImageList& Images() const { return m_images; }

private:
    TImageList m_images;
};

// Makes `button` show the action's caption, hint, picture, enabled and
// visible state (now and whenever they change) and trigger it when clicked.
// Either null: nothing. A button linked twice follows the last action.
void LinkButtonToAction(QAbstractButton* button, QAction* action);

} // namespace platform
