#include "app/forms/FormHosting.h"
#include "app/forms/TDockedForms.h"
#include "platform/FormRegistry.h"
#include "platform/TPanel.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <gtest/gtest.h>
#include <stdexcept>

using platform::TForm;

namespace {

// A page that counts its activations and can run code while it is built.
class TfrmPage : public TForm {
public:
    explicit TfrmPage(QWidget* owner) : TForm(owner) {
        edit = new QLineEdit(this);
        SetActiveControl(edit);
        if (OnCreate) OnCreate(this);
    }
    static inline std::function<void(TfrmPage*)> OnCreate;
    QLineEdit* edit;
    int activations = 0;

protected:
    void Activate() override {
        ++activations;
        TForm::Activate();
    }
};

class TfrmHelpPage : public TfrmPage {
public:
    explicit TfrmHelpPage(QWidget* owner) : TfrmPage(owner) { SetHelpContext(17); }
};

class TfrmBroken : public TForm {
public:
    explicit TfrmBroken(QWidget* owner) : TForm(owner) { throw std::runtime_error("cannot build"); }
};

class FormHosting : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegisterFormClass<TfrmPage>("TfrmPage");
        platform::RegisterFormClass<TfrmHelpPage>("TfrmHelpPage");
        platform::RegisterFormClass<TfrmBroken>("TfrmBroken");
        host.SetHelpFile("velmora.hlp");
        panel = new platform::TPanel(&host);
        panel->setObjectName("pnForm");
        panel->SetHint("empty");
        splitter = new QWidget(&host);
        host.resize(800, 600);
        panel->setGeometry(0, 0, 700, 500);
        host.show();
    }
    void TearDown() override { TfrmPage::OnCreate = nullptr; }

    static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TForm host;
    platform::TPanel* panel = nullptr;
    QWidget* splitter = nullptr;
};

} // namespace

TEST_F(FormHosting, DockedFormIsReplacedFreedLaterAndActivatedOnce) {
    app::TDockedForms dock(host, splitter);
    QPointer<TForm> first = dock.ShowDockedForm(panel, "TfrmPage");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(dock.DockedForm(panel), first);
    EXPECT_EQ(first->parentWidget(), panel);
    EXPECT_FALSE(first->isWindow());
    EXPECT_EQ(first->HelpFile(), "velmora.hlp");
    EXPECT_EQ(host.HelpContext(), 2);
    EXPECT_EQ(panel->Hint(), "");
    EXPECT_TRUE(panel->isVisible() && splitter->isVisible());
    EXPECT_EQ(static_cast<TfrmPage*>(first.data())->activations, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(static_cast<TfrmPage*>(first.data())->activations, 1);
    EXPECT_EQ(first->geometry(), panel->contentsRect());

    // The page asks for its own replacement from its handler: it must live on
    // until the handler is over.
    QPointer<TForm> second;
    QObject::connect(static_cast<TfrmPage*>(first.data())->edit, &QLineEdit::returnPressed, first, [&] {
        second = dock.ShowDockedForm(panel, "TfrmHelpPage");
        EXPECT_FALSE(first.isNull());
        EXPECT_FALSE(first->isVisible());
    });
    emit static_cast<TfrmPage*>(first.data())->edit->returnPressed();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(dock.DockedAs<TfrmHelpPage>(panel), second);
    EXPECT_EQ(host.HelpContext(), 17);
    FlushDeletes();
    EXPECT_TRUE(first.isNull());
    QCoreApplication::processEvents();
    EXPECT_EQ(static_cast<TfrmPage*>(second.data())->activations, 1);

    // An unknown class frees the docked form anyway and leaves the slot empty;
    // so does a form whose constructor fails.
    EXPECT_EQ(dock.ShowDockedForm(panel, "TfrmNowhere"), nullptr);
    EXPECT_EQ(dock.DockedForm(panel), nullptr);
    FlushDeletes();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(dock.ShowDockedForm(panel, "TfrmBroken"), nullptr);
    EXPECT_TRUE(panel->isVisible() && splitter->isVisible());
    EXPECT_FALSE(dock.IsDocking());
}

TEST_F(FormHosting, DockingIsNotReentrant) {
    app::TDockedForms dock(host, splitter);
    TForm* nested = reinterpret_cast<TForm*>(1);
    bool guardSeen = false;
    TfrmPage::OnCreate = [&](TfrmPage*) {
        guardSeen = dock.IsDocking();
        nested = dock.ShowDockedForm(panel, "TfrmHelpPage");
    };
    TForm* outer = dock.ShowDockedForm(panel, "TfrmPage");
    EXPECT_TRUE(guardSeen);
    EXPECT_EQ(nested, nullptr);
    EXPECT_EQ(dock.DockedForm(panel), outer);
    EXPECT_FALSE(dock.IsDocking());
}

TEST_F(FormHosting, EmbeddedAndChildFormsFillTheirPanel) {
    QPointer<TForm> page = app::LoadEmbeddedForm(panel, "TfrmPage", "proxy.hlp");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->parentWidget(), panel);
    EXPECT_EQ(page->HelpFile(), "proxy.hlp");
    EXPECT_EQ(page->HelpContext(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(static_cast<TfrmPage*>(page.data())->activations, 1);
    EXPECT_EQ(app::LoadEmbeddedForm(panel, "TfrmNowhere", ""), nullptr);
    EXPECT_EQ(app::LoadEmbeddedForm(panel, "TfrmBroken", ""), nullptr);
    EXPECT_EQ(panel->findChildren<TForm*>().size(), 1);

    auto* cards = new platform::TPanel(&host);
    bool guard = true;
    EXPECT_EQ(app::ShowChildForm(host, cards, "TfrmPage", guard), nullptr);
    guard = false;
    TForm* child = app::ShowChildForm(host, cards, "TfrmPage", guard);
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(guard);
    EXPECT_EQ(child->parentWidget(), cards);
    EXPECT_EQ(child->HelpFile(), "velmora.hlp");
    EXPECT_EQ(host.ActiveControl(), static_cast<TfrmPage*>(child)->edit);
}
