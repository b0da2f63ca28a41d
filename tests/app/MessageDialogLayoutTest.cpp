#include "MessageDialogTestSupport.h"

#include "app/forms/MessageDialogLayout.h"
#include "app/forms/TdlgMessages.h"
#include "app/forms/TdlgMessagesEx.h"

#include <QLabel>
#include <cmath>
#include <string>

using namespace app;
using namespace platform;

namespace {

const std::string kShort = "Да?";
const std::string kLong =
    "Вы действительно желаете завершить работу с программой и закрыть все её окна?";

} // namespace

TEST_F(MessageDialogTest, ButtonsKeepTheStandardOrderWithEqualGaps) {
    const auto form = dlgMessages.MessageDialog(
        kShort, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbCancel, TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo});
    const auto buttons = BitButtons(*form);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0]->Caption(), "Да");
    EXPECT_EQ(buttons[1]->Caption(), "Нет");
    EXPECT_EQ(buttons[2]->Caption(), "Отмена");
    const int W = form->MessageLabel()->width();
    const int width = std::max(3 * 100 + 4 * 20, W + 52);
    EXPECT_EQ(form->width(), width);
    const int gap = (width - 300) / 4;
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[size_t(i - 1)]->geometry(), QRect(i * gap + (i - 1) * 100, buttons[0]->y(), 100, 25));
    }
}

TEST_F(MessageDialogTest, AOneButtonBoxWithIconIsAtLeast140WideAndFitsTheLabel) {
    for (const std::string& text : {kShort, kLong}) {
        SCOPED_TRACE(text);
        const auto standard = CreateMessageDialog(text, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        const int oldTop = standard->Buttons()[0]->y();
        const auto form = dlgMessages.MessageDialog(text, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        const QLabel* label = form->MessageLabel();
        ASSERT_NE(label, nullptr);
        const int W = label->width();
        EXPECT_GT(W, 0);
        EXPECT_EQ(form->width(), std::max(140, W + 52));
        const int gap = (form->width() - 100) / 2;
        EXPECT_EQ(BitButtons(*form)[0]->geometry(), QRect(gap, oldTop, 100, 25));
        EXPECT_EQ(label->pos(), QPoint((form->width() - W + 44) / 2, 20));
        // The label stays clear of the icon and inside the box.
        EXPECT_GE(label->x(), 44);
        EXPECT_LE(label->geometry().right(), form->width() - 1);
        EXPECT_LT(label->geometry().bottom(), oldTop);
    }
    const auto shortForm = dlgMessages.MessageDialog(kShort, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    EXPECT_EQ(shortForm->width(), 140);
    EXPECT_EQ(BitButtons(*shortForm)[0]->x(), 20);
}

TEST_F(MessageDialogTest, TheInformationBoxKeepsTheStandardWidthAndCentresTheLabelSideways) {
    for (const std::string& text : {std::string("OK"), kShort, kLong, std::string("Найдено: 7"), std::string()}) {
        SCOPED_TRACE(text);
        const auto standard = CreateMessageDialog(text, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
        const auto form = dlgMessages.MessageDialog(text, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
        EXPECT_EQ(form->width(), standard->width());
        EXPECT_EQ(form->findChildren<QLabel*>().size(), 1); // no icon
        const QLabel* label = form->MessageLabel();
        // Centred; an odd remainder rounds to the even neighbour, as
        // nearbyint does in the default rounding mode.
        EXPECT_EQ(label->x(), int(std::nearbyint((form->width() - label->width()) / 2.0)));
        EXPECT_EQ(label->y(), standard->MessageLabel()->y());
        const TButton* was = standard->Buttons()[0];
        const auto buttons = BitButtons(*form);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0]->geometry(), QRect(was->x(), was->y(), was->width(), std::max(was->height(), 24)));
        EXPECT_EQ(buttons[0]->Caption(), "OK");
    }
}

TEST_F(MessageDialogTest, AButtonWhoseCaptionMatchesNoRowKeepsItAndItsResult) {
    const auto form = CreateMessageDialog(kShort, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel});
    form->Buttons()[0]->SetCaption("&Close");
    dlgMessages.AdaptDialog(*form, TMsgDlgType::mtWarning);
    const auto buttons = BitButtons(*form);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->Caption(), "&Close");
    EXPECT_EQ(buttons[0]->Kind(), TBitBtnKind::bkCustom);
    EXPECT_TRUE(buttons[0]->Glyph().isNull());
    EXPECT_EQ(buttons[0]->ModalResult(), mrOk);
    EXPECT_EQ(buttons[1]->Caption(), "Отмена");
}

TEST_F(MessageDialogTest, AMessageIsNeverTakenForRichText) {
    const auto form = dlgMessages.MessageDialog("<b>Маша</b> уже в избранных.", TMsgDlgType::mtCustom,
                                                {TMsgDlgBtn::mbOK});
    EXPECT_EQ(form->MessageLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(form->MessageLabel()->text(), "<b>Маша</b> уже в избранных.");
    // A name a page brought in full is cut before it is laid out.
    const auto huge = dlgMessages.MessageDialog(std::string(50'000'000, 'w') + " уже в избранных.",
                                                TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
    EXPECT_LE(huge->MessageLabel()->text().size(), 4001 + 100);
    EXPECT_TRUE(huge->MessageLabel()->text().endsWith("w…"));
}

TEST_F(MessageDialogTest, TheConfirmationShowsPictureFacesAndABoldMessage) {
    for (const std::string& text : {std::string("Удалить контакт \"Маша\"?"), kLong + kLong}) {
        SCOPED_TRACE(text);
        const auto form = dlgMessagesEx.CreateMessageDialogEx(text, TMsgDlgType::mtConfirmation,
                                                              {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo});
        const QLabel* label = form->MessageLabel();
        EXPECT_TRUE(label->font().bold());
        EXPECT_FALSE(label->wordWrap());
        const int W = label->width();
        EXPECT_EQ(form->width(), std::max(2 * 100 + 3 * 20, W + 74));
        EXPECT_EQ(label->pos(), QPoint((form->width() - W + 44) / 2, 20));
        const int gap = (form->width() - 200) / 3;
        const auto buttons = BitButtons(*form);
        ASSERT_EQ(buttons.size(), 2u);
        const int results[] = {mrYes, mrNo};
        for (int i = 1; i <= 2; ++i) {
            const TBitBtn* button = buttons[size_t(i - 1)];
            EXPECT_TRUE(button->text().isEmpty());
            EXPECT_EQ(button->Kind(), TBitBtnKind::bkCustom);
            EXPECT_EQ(button->ModalResult(), results[i - 1]);
            EXPECT_EQ(button->geometry(), QRect(i * gap + (i - 1) * 100, buttons[0]->y(), 100, 24));
            EXPECT_EQ(button->Layout(), TButtonLayout::blGlyphBottom);
            // The 99 x 24 face cut to 23 rows, its red corners see-through.
            const QImage glyph = button->Glyph().toImage().convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(glyph.size(), QSize(99, 23));
            EXPECT_EQ(qAlpha(glyph.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(glyph.pixel(98, 22)), 0);
            EXPECT_EQ(qAlpha(glyph.pixel(50, 12)), 255);
        }
    }
}

