#include "app/forms/TDockedForms.h"

#include "app/forms/FormHosting.h"
#include "platform/FlagScope.h"
#include "platform/FormRegistry.h"

#include <QGuiApplication>
#include <QLayout>
#include <exception>

namespace app {

using platform::TForm;

namespace {

// Hides a docked form and has it destroyed once control is back in the event
// loop, so that none of its own handlers still on the stack outlives it.
void ReleaseForm(TForm* form) {
    if (!form) return;
    form->hide();
    if (QWidget* parent = form->parentWidget(); parent && parent->layout()) parent->layout()->removeWidget(form);
    form->deleteLater();
}

} // namespace

TDockedForms::TDockedForms(TForm& host, QWidget* splitter) : m_host(host), m_splitter(splitter) {}

QPointer<TForm>& TDockedForms::Slot(const QWidget* panel) {
    for (auto& [slotPanel, form] : m_slots)
        if (slotPanel == panel) return form;
    m_slots.emplace_back(const_cast<QWidget*>(panel), nullptr);
    return m_slots.back().second;
}

TForm* TDockedForms::DockedForm(const QWidget* panel) const {
    for (const auto& [slotPanel, form] : m_slots)
        if (slotPanel == panel) return form;
    return nullptr;
}

TForm* TDockedForms::ShowDockedForm(QWidget* panel, std::string_view className) {
    if (m_docking || !panel) return nullptr;
    platform::FlagScope guard(m_docking);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QPointer<TForm>& slot = Slot(panel);
    const bool panelHidden = panel->isHidden();
    const bool splitterHidden = m_splitter && m_splitter->isHidden();
    try {
        ReleaseForm(slot);
        slot = nullptr;
        TForm* form = platform::CreateForm(className, &m_host);
        if (!form) {
            qWarning("%s", platform::EClassNotFound(className).what());
        } else {
            slot = form;
            form->SetHelpFile(m_host.HelpFile());
            m_host.SetHelpContext(form->HelpContext() != 0 ? form->HelpContext() : 2);
            QWidget* const active = form->ActiveControl();
            if (m_splitter) m_splitter->hide();
            EmbedForm(panel, form, true);
            if (m_splitter) m_splitter->setVisible(!splitterHidden);
            m_host.SetActiveControl(active);
        }
    } catch (const std::exception& e) {
        qWarning("Docking %.*s failed: %s", int(className.size()), className.data(), e.what());
    } catch (...) {
        qWarning("Docking %.*s failed", int(className.size()), className.data());
    }
    panel->setVisible(!panelHidden);
    if (m_splitter) m_splitter->setVisible(!splitterHidden);
    QGuiApplication::restoreOverrideCursor();
    return slot;
}

} // namespace app
