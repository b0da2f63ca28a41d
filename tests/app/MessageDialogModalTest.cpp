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

// A long name, or one with no blank to break it at: the box, its text and its buttons on the screen.
TEST_F(MessageDialogTest, EveryBoxFitsItsScreenWithItsButtonsOnIt) {
    const std::string maria = QString("Мария ").repeated(50).toStdString(), word(2000, 'W');
    const std::function<int()> boxes[] = {
        [&] { return dlgMessagesEx.MessageDlgEx("Удалить контакт \"" + maria + "\"?"); },
        [&] { return dlgMessagesEx.MessageDlgEx("Удалить контакт \"" + word + "\"?"); },
        [&] { return dlgMessages.ShowMessageQuery(word, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}); },
        [&] { return dlgMessages.ShowInfoMessage(std::string(3000, '\n') + word); }};
    for (const auto& show : boxes) {
        std::vector<QRect> parts; // the screen, the box, the message, the buttons
        const testsupport::ModalAction look([&parts](QWidget& box) {
            const QLabel* label = static_cast<TMessageForm&>(box).MessageLabel();
            parts = {box.screen()->availableGeometry(), box.frameGeometry(),
                     QRect(label->pos(), QFontMetrics(label->font()).boundingRect(QRect(), 0, label->text()).size())};
            for (const TButton* button : static_cast<TMessageForm&>(box).Buttons()) parts.push_back(button->geometry());
            box.close();
        });
        ASSERT_TRUE(show() >= 0 && parts.size() >= 4);
        EXPECT_TRUE(parts[0].contains(parts[1])) << parts[1].width() << " x " << parts[1].height();
        for (size_t i = 2; i < parts.size(); ++i) EXPECT_TRUE(QRect(QPoint(), parts[1].size()).contains(parts[i])) << i;
        EXPECT_LT(parts[2].bottom(), parts[3].top()) << "the text above the buttons";
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
