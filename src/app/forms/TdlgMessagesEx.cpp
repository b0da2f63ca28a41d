#include "app/forms/TdlgMessagesEx.h"

#include "app/controls/TBitBtn.h"
#include "app/forms/MessageDialogLayout.h"
#include "app/forms/MessageDialogTables.h"
#include "platform/BitmapResource.h"

#include <QLabel>

namespace app {

using namespace platform;

TdlgMessagesEx dlgMessagesEx;

std::unique_ptr<TMessageForm> TdlgMessagesEx::CreateMessageDialogEx(const std::string& msg, TMsgDlgType type,
                                                                    TMsgDlgButtons buttons) const {
    auto form = CreateMessageDialog(msg, type, buttons);
    AdaptDialogEx(*form, type);
    return form;
}

void TdlgMessagesEx::AdaptDialogEx(TMessageForm& form, TMsgDlgType type) const {
    const std::vector<TButton*> old = form.Buttons();
    QLabel* label = form.MessageLabel();
    const int n = int(old.size());
    int labelWidth = 0;
    if (label) {
        QFont bold = label->font();
        bold.setBold(true);
        form.SetMessageFont(bold);
        labelWidth = label->width();
    }

    const int width = dialoglayout::DialogWidth(n, labelWidth, 74);
    form.setFixedWidth(width);
    if (label) dialoglayout::PlaceLabel(*label, width, type == TMsgDlgType::mtCustom);
    const int gap = dialoglayout::Gap(width, n);

    dialoglayout::ReplaceButtons(form, old, [&](int i, TButton* was, TBitBtn* button) {
        if (const TPictureButtonRow* row = FindButtonRow(kPictureButtonRows, was->Caption())) {
            button->SetKind(TBitBtnKind::bkCustom);
            button->SetCaption({});
            button->SetModalResult(row->ModalResult);
            button->SetGlyph(LoadBitmapResource(row->Glyph));
        } else {
            button->SetCaption(was->Caption());
            button->SetModalResult(was->ModalResult());
        }
        // Enter and Escape keep the roles of the standard buttons.
        button->setDefault(was->isDefault());
        button->SetCancel(was->IsCancel() || button->ModalResult() == mrNo);
        button->setGeometry(dialoglayout::ButtonLeft(i, gap), was->y(), dialoglayout::kButtonWidth, 24);
        button->SetLayout(TButtonLayout::blGlyphBottom);
        button->SetGlyphSize(QSize(button->Glyph().width(), m_glyphHeight));
        button->SetTransparentColor(QColor(255, 0, 0));
    });
    form.setWindowTitle(ApplicationTitle());
}

int TdlgMessagesEx::MessageDlgEx(const std::string& msg) const {
    return ShowModalAndFree(
        CreateMessageDialogEx(msg, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}));
}

} // namespace app
