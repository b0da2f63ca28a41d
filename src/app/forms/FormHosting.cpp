#include "app/forms/FormHosting.h"

#include "app/forms/FormGuards.h"
#include "platform/FormRegistry.h"
#include "platform/TPanel.h"

#include <QGuiApplication>
#include <QLayout>
#include <QVBoxLayout>
#include <string>

namespace app {

using platform::TForm;

namespace {

// The size a page is given before it is aligned in its parent.
constexpr int kPageWidth = 686;
constexpr int kPageHeight = 385;

void LogFailure(std::string_view className, const char* what) {
    qWarning("Embedding %.*s failed: %s", int(className.size()), className.data(), what);
}

// Logs the exception being handled; call only inside a catch block.
void LogCurrentException(std::string_view className) {
    try {
        throw;
    } catch (const std::exception& e) {
        LogFailure(className, e.what());
    } catch (...) {
        LogFailure(className, "unknown error");
    }
}

// Creates the page, saying so in the log when nobody registered the name.
TForm* CreatePage(std::string_view className, QWidget* owner) {
    TForm* form = platform::CreateForm(className, owner);
    if (!form) LogFailure(className, platform::EClassNotFound(className).what());
    return form;
}

} // namespace

void MakeWindow(QWidget* parent, TForm* form, TAlign align, bool visible) {
    if (!parent || !form) return;
    const bool autoScroll = form->AutoScroll();
    form->hide();
    form->setParent(parent, Qt::Widget);
    form->setGeometry(0, 0, kPageWidth, kPageHeight);
    if (align == TAlign::alNone) {
        form->move(parent->contentsRect().topLeft());
    } else {
        QLayout* layout = parent->layout();
        if (!layout) {
            layout = new QVBoxLayout(parent);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
        }
        layout->addWidget(form);
    }
    form->SetAutoScroll(autoScroll);
    form->setVisible(visible);
}

void EmbedForm(QWidget* panel, TForm* form, bool takeOverMouseMove) {
    const bool panelHidden = panel->isHidden();
    panel->hide();
    MakeWindow(panel, form, TAlign::alClient, true);
    if (auto* p = qobject_cast<platform::TPanel*>(panel); p && takeOverMouseMove) p->SetOnMouseMove(form->OnMouseMove());
    panel->setToolTip(QString());
    form->PostActivate();
    panel->setVisible(!panelHidden);
}

TForm* LoadEmbeddedForm(QWidget* parent, std::string_view className, std::string_view helpFile) {
    if (!parent) return nullptr;
    TCursorGuard wait;
    TForm* form = nullptr;
    const bool parentHidden = parent->isHidden();
    try {
        form = CreatePage(className, nullptr);
        if (!form) return nullptr;
        form->SetHelpFile(helpFile);
        if (form->HelpContext() == 0) form->SetHelpContext(2);
        QWidget* const active = form->ActiveControl();
        EmbedForm(parent, form, false);
        form->SetActiveControl(active);
    } catch (...) {
        LogCurrentException(className);
        delete form;
        form = nullptr;
        parent->setVisible(!parentHidden);
    }
    return form;
}

TForm* ShowChildForm(TForm& host, QWidget* panel, std::string_view className, bool& guard) {
    if (guard || !panel) return nullptr;
    guard = true;
    TCursorGuard wait;
    TForm* form = nullptr;
    const bool panelHidden = panel->isHidden();
    try {
        form = CreatePage(className, &host);
        if (form) {
            form->SetHelpFile(host.HelpFile());
            QWidget* const active = form->ActiveControl();
            EmbedForm(panel, form, true);
            host.SetActiveControl(active);
        }
    } catch (...) {
        LogCurrentException(className);
        delete form;
        form = nullptr;
        panel->setVisible(!panelHidden);
    }
    guard = false;
    return form;
}

} // namespace app
