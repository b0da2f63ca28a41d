#include "MessageDialogTestSupport.h"

#include "app/forms/MessageDialogBinding.h"
#include "app/forms/TdlgMessages.h"
#include "app/forms/TdlgMessagesEx.h"
#include "platform/MessageRoutines.h"
#include "support/ModalAction.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

using namespace app;
using namespace platform;

namespace {

// What a modal box looked like when the timer found it.
struct Seen {
    QString title;
    std::vector<std::string> captions;
    std::string focused;
};

// Records the box, then presses its button number `index` (or, with a key,
// sends that key to the box instead).
testsupport::ModalAction Press(Seen& seen, int index, int key = 0) {
    return testsupport::ModalAction([&seen, index, key](QWidget& dialog) {
        auto* form = qobject_cast<TMessageForm*>(&dialog);
        ASSERT_NE(form, nullptr);
        seen.title = form->windowTitle();
        const auto buttons = form->Buttons();
        for (const TButton* button : buttons) seen.captions.push_back(button->Caption());
        if (const auto* focused = qobject_cast<TButton*>(form->focusWidget())) seen.focused = focused->Caption();
        if (key) QTest::keyClick(form, Qt::Key(key));
        else if (index < int(buttons.size())) buttons[size_t(index)]->click();
        // A box the action could not close is closed anyway, so no test hangs.
        if (form->isVisible()) form->done(-1);
    });
}

int openMessageForms() {
    int count = 0;
    for (QWidget* widget : QApplication::allWidgets()) count += qobject_cast<TMessageForm*>(widget) != nullptr;
    return count;
}

} // namespace

TEST_F(MessageDialogTest, EnterTakesTheDefaultAndEscapeTheCancelButton) {
    const TMsgDlgButtons yesNo{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};
    TMsgDlgButtons all;
    for (int i = 0; i < kMsgDlgBtnCount; ++i) all |= static_cast<TMsgDlgBtn>(i);
    struct Case {
        TMsgDlgButtons buttons;
        int key;
        int result;
    };
    const Case cases[] = {
        {yesNo, Qt::Key_Return, mrYes},
        {yesNo, Qt::Key_Escape, mrNo},
        {{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel}, Qt::Key_Escape, mrCancel},
        {{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel}, Qt::Key_Return, mrOk},
        // A box with one button has one answer, also for Escape.
        {{TMsgDlgBtn::mbOK}, Qt::Key_Escape, mrOk},
        {{TMsgDlgBtn::mbOK}, Qt::Key_Return, mrOk},
        // Without a cancel button Escape still closes the box.
        {{TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbIgnore}, Qt::Key_Escape, mrCancel},
        // "Да для Всех" and "Нет для Всех" do not take Enter or Escape from
        // Yes and Cancel.
        {all, Qt::Key_Return, mrYes},
        {all, Qt::Key_Escape, mrCancel},
        {{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbNoToAll}, Qt::Key_Escape, mrNo},
        // A question whose "Да" loses data gives Enter to "Нет".
        {yesNo.WithDefault(TMsgDlgBtn::mbNo), Qt::Key_Return, mrNo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Seen seen;
        const auto action = Press(seen, -1, c.key);
        EXPECT_EQ(dlgMessages.ShowMessageQuery("?", TMsgDlgType::mtConfirmation, c.buttons), c.result);
    }
}

TEST_F(MessageDialogTest, ThePictureConfirmationAnswersYesOrNo) {
    const std::pair<int, int> cases[] = {{0, mrYes}, {1, mrNo}};
    for (const auto& [index, result] : cases) {
        Seen seen;
        const auto action = Press(seen, index);
        EXPECT_EQ(dlgMessagesEx.MessageDlgEx("Удалить контакт \"Маша\"?"), result);
        EXPECT_EQ(seen.title, "Velmora");
        EXPECT_EQ(seen.captions, (std::vector<std::string>{"", ""}));
    }
    Seen seen;
    const auto action = Press(seen, -1, Qt::Key_Escape);
    EXPECT_EQ(dlgMessagesEx.MessageDlgEx("Удалить?"), mrNo);
    EXPECT_EQ(openMessageForms(), 0);
}

TEST_F(MessageDialogTest, TheBoxIsOwnedByTheWindowInFrontAndFreedAfterwards) {
    QWidget front;
    front.resize(400, 300);
    front.show();
    QApplication::setActiveWindow(&front);
    QWidget* parent = nullptr;
    const testsupport::ModalAction action([&parent](QWidget& dialog) {
        parent = dialog.parentWidget();
        static_cast<TMessageForm&>(dialog).Buttons()[0]->click();
    });
    EXPECT_EQ(dlgMessages.ShowInfoMessage("x"), mrOk);
    EXPECT_EQ(parent, &front);
    EXPECT_TRUE(front.findChildren<TMessageForm*>().isEmpty());
}

// A name a page brought in full, or with no blank to break it at: the box
// stays on its screen, its buttons and its text whole on it.
TEST_F(MessageDialogTest, EveryBoxFitsItsScreenWithItsButtonsOnIt) {
    std::string maria;
    for (int i = 0; i < 50; ++i) maria += "Мария ";
    const std::string word(2000, 'W');
    const TMsgDlgButtons yesNo{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};
    const std::pair<const char*, std::function<int()>> boxes[] = {
        {"card of 300 characters", [&] { return dlgMessagesEx.MessageDlgEx("Удалить контакт \"" + maria + "\"?"); }},
        {"card of one word", [&] { return dlgMessagesEx.MessageDlgEx("Удалить контакт \"" + word + "\"?"); }},
        {"card of 50 MB", [&] { return dlgMessagesEx.MessageDlgEx(std::string(50'000'000, 'w')); }},
        {"question of one word", [&] { return dlgMessages.ShowMessageQuery(word, TMsgDlgType::mtConfirmation, yesNo); }},
        {"information of one word", [&] { return dlgMessages.ShowInfoMessage(word + " уже в избранных."); }},
        {"information of many lines", [&] { return dlgMessages.ShowInfoMessage(std::string(3000, '\n') + "?"); }},
    };
    for (const auto& [what, show] : boxes) {
        SCOPED_TRACE(what);
        QRect screen, box;
        std::vector<QRect> parts; // the buttons, then the message
        const testsupport::ModalAction look([&](QWidget& dialog) {
            auto& form = static_cast<TMessageForm&>(dialog);
            screen = form.screen()->availableGeometry();
            box = form.frameGeometry();
            for (const TButton* button : form.Buttons()) parts.push_back(button->geometry());
            const QLabel* label = form.MessageLabel();
            parts.push_back(QRect(label->pos(), QFontMetrics(label->font()).boundingRect(QRect(), 0, label->text()).size()));
            form.Buttons().back()->click();
        });
        show();
        ASSERT_TRUE(look.Done());
        EXPECT_TRUE(screen.contains(box)) << box.width() << " x " << box.height();
        const QRect inside(QPoint(0, 0), box.size());
        for (const QRect& part : parts) EXPECT_TRUE(inside.contains(part)) << part.x() << ", " << part.right();
        EXPECT_LT(parts.back().bottom(), parts.front().top()) << "the text above the buttons";
    }
}

TEST_F(MessageDialogTest, TheBoundRoutinesShowTheProgramsBoxes) {
    const TMessageRoutines previous = BindMessageRoutines({});
    BindMessageDialogs();
    {
        Seen seen;
        const auto action = Press(seen, 0);
        EXPECT_EQ(ShowMessageQuery("?", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}), mrYes);
        EXPECT_EQ(seen.captions, (std::vector<std::string>{"Да", "Нет"}));
    }
    {
        Seen seen;
        const auto action = Press(seen, 0);
        EXPECT_EQ(ShowInfoMessage("Не задано имя сервера"), mrOk);
        EXPECT_EQ(seen.captions, std::vector<std::string>{"OK"});
    }
    {
        Seen seen;
        const auto action = Press(seen, 1);
        EXPECT_EQ(MessageDlgEx("Удалить?"), mrNo);
    }
    BindMessageRoutines(previous);
}
