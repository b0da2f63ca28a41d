#include "platform/FormRegistry.h"
#include "platform/TActionList.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace platform;

namespace {

class TfrmProbe : public TForm {
public:
    using TForm::TForm;
    int activations = 0;

protected:
    void Activate() override {
        ++activations;
        TForm::Activate();
        throw std::runtime_error("handler fault");  // must stop at the event boundary
    }
};

} // namespace

TEST(FormRegistry, CreatesByNameWithOwnerAndRefusesUnknownNames) {
    RegisterFormClass<TfrmProbe>("TfrmProbe");
    QWidget owner;
    QPointer<TForm> form = CreateForm("tfrmPROBE", &owner);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->ClassName(), "TfrmProbe");
    EXPECT_EQ(form->parent(), &owner);
    EXPECT_TRUE(form->isWindow());

    EXPECT_EQ(CreateForm("TfrmMissing", &owner), nullptr);
    try {
        CreateFormByName("TfrmMissing", &owner);
        FAIL() << "no exception";
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class TfrmMissing not found");
    }
    EXPECT_EQ(owner.findChildren<TForm*>().size(), 1);

    UnRegisterFormClass("TfrmProbe");
    EXPECT_FALSE(IsFormClassRegistered("TfrmProbe"));
    delete form.data();
}

TEST(FormRegistry, ActivationArrivesThroughTheEventLoopOnly) {
    TfrmProbe form;
    int raised = 0;
    form.OnActivate = [&](TForm* sender) { raised += sender == &form; };
    form.PostActivate();
    EXPECT_EQ(form.activations, 0);
    QCoreApplication::sendPostedEvents(&form);
    EXPECT_EQ(form.activations, 1);
    EXPECT_EQ(raised, 1);

    // A form freed before its activation arrives takes the event with it.
    auto* doomed = new TfrmProbe;
    doomed->PostActivate();
    delete doomed;
    QCoreApplication::sendPostedEvents();
}

TEST(ActionList, LinkedButtonFollowsTheActionAndTriggersIt) {
    TActionList list;
    list.Images().Add(QPixmap(32, 8));
    TAction* start = list.Add("acStartSearch", "Старт", "Начать поиск", 0);
    EXPECT_EQ(list.Find("acStartSearch"), start);
    EXPECT_EQ(list.Find("acNothing"), nullptr);
    EXPECT_EQ(list.Images().Pixmap(0).size(), QSize(16, 16));
    EXPECT_FALSE(start->icon().isNull());

    int runs = 0;
    start->OnExecute = [&](TAction*) {
        ++runs;
        throw std::runtime_error("handler fault");
    };
    QPushButton button;
    LinkButtonToAction(&button, start);
    EXPECT_EQ(button.text(), QString("Старт"));
    button.click();
    EXPECT_EQ(runs, 1);

    start->setEnabled(false);
    start->setVisible(false);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_TRUE(button.isHidden());
    EXPECT_FALSE(start->Execute());
    EXPECT_EQ(runs, 1);

    // Relinking drops the first action.
    TAction* other = list.Add("acStopSearch", "Стоп");
    LinkButtonToAction(&button, other);
    start->setEnabled(true);
    other->setEnabled(false);
    start->setEnabled(true);
    EXPECT_FALSE(button.isEnabled());
    other->setEnabled(true);
    button.click();
    EXPECT_EQ(runs, 1);
}
