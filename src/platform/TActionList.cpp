#include "platform/TActionList.h"

#include "platform/QtText.h"

#include <QAbstractButton>
#include <exception>

namespace platform {

namespace {

// Copies what a linked button shows from its action.
void SyncButton(QAbstractButton* button, const QAction* action) {
    button->setText(action->text());
    button->setToolTip(action->toolTip());
    button->setIcon(action->icon());
    button->setEnabled(action->isEnabled());
    button->setVisible(action->isVisible());
}

constexpr const char* kLinkProperty = "velmoraLinkedAction";

} // namespace

TAction::TAction(QObject* parent) : QAction(parent) { connect(this, &QAction::triggered, this, &TAction::Run); }

bool TAction::Execute() {
    if (!isEnabled()) return false;
    trigger();
    return true;
}

void TAction::SetImageIndex(int index) {
    m_imageIndex = index;
    UpdateIcon();
}

void TAction::SetImages(const TImageList* images) {
    m_images = images;
    UpdateIcon();
}

void TAction::UpdateIcon() { setIcon(m_images ? m_images->Icon(m_imageIndex) : QIcon()); }

void TAction::Run() {
    if (!OnExecute) return;
    try {
        OnExecute(this);
    } catch (const std::exception& e) {
        qWarning("Action %s failed: %s", qPrintable(objectName()), e.what());
    } catch (...) {
        qWarning("Action %s failed", qPrintable(objectName()));
    }
}

TActionList::TActionList(QObject* parent) : QObject(parent) {}

TAction* TActionList::Add(std::string_view name, std::string_view caption, std::string_view hint, int imageIndex) {
    auto* action = new TAction(this);
    action->setObjectName(ToQString(name));
    action->setText(ToQString(caption));
    action->setToolTip(ToQString(hint));
    action->setStatusTip(ToQString(hint));
    action->SetImages(&m_images);
    action->SetImageIndex(imageIndex);
    return action;
}

TAction* TActionList::Find(std::string_view name) const {
    const QString wanted = ToQString(name);
    for (TAction* action : findChildren<TAction*>(Qt::FindDirectChildrenOnly))
        if (action->objectName() == wanted) return action;
    return nullptr;
}

void LinkButtonToAction(QAbstractButton* button, QAction* action) {
    if (!button || !action) return;
    // Drop the connections of an earlier link so the button follows one action.
    if (auto* old = button->property(kLinkProperty).value<QAction*>()) {
        QObject::disconnect(old, nullptr, button, nullptr);
        QObject::disconnect(button, &QAbstractButton::clicked, old, nullptr);
    }
    button->setProperty(kLinkProperty, QVariant::fromValue(action));
    SyncButton(button, action);
    QObject::connect(action, &QAction::changed, button, [button, action] { SyncButton(button, action); });
    QObject::connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
}

} // namespace platform
