#include "app/forms/TdlgMessages.h"

#include "app/controls/TBitBtn.h"
#include "app/forms/MessageDialogLayout.h"
#include "app/forms/MessageDialogTables.h"
#include "platform/BitmapResource.h"

#include <QLabel>

namespace app {

using namespace platform;

TdlgMessages dlgMessages;

std::unique_ptr<TMessageForm> TdlgMessages::MessageDialog(const std::string& msg, TMsgDlgType type,
                                                          TMsgDlgButtons buttons) const {
    auto form = CreateMessageDialog(msg, type, buttons);
    AdaptDialog(*form, type);
    return form;
}

void TdlgMessages::AdaptDialog(TMessageForm& form, TMsgDlgType type) const {
    const bool custom = type == TMsgDlgType::mtCustom;
    const std::vector<TButton*> old = form.Buttons();
    QLabel* label = form.MessageLabel();
    const int n = int(old.size());
    const int labelWidth = label ? label->width() : 0;

    const int width = custom ? form.width() : dialoglayout::DialogWidth(n, labelWidth, 52);
    form.setFixedWidth(width);
    if (label) dialoglayout::PlaceLabel(*label, width, custom);
    const int gap = dialoglayout::Gap(width, n);

    dialoglayout::ReplaceButtons(form, old, [&](int i, TButton* was, TBitBtn* button) {
        button->SetCaption(was->Caption());
        button->SetModalResult(was->ModalResult());
        if (const TMessageButtonRow* row = FindButtonRow(kMessageButtonRows, was->Caption())) {
            button->SetKind(row->Kind);
            button->SetCaption(std::string(row->Caption));
            button->SetGlyph(LoadBitmapResource(row->Glyph));
            // "Нет для Всех" and "Да для Всех" look like No and Yes but must
            // still answer mrNoToAll and mrYesToAll, so the standard button's
            // result is kept whatever the kind says.
            button->SetModalResult(was->ModalResult());
        } else {
            button->SetCancel(was->IsCancel());
            button->setDefault(was->isDefault());
        }
        if (custom) {
            const int height = was->height() > m_glyphSize + 8 ? was->height() : 24;
            button->setGeometry(was->x(), was->y(), was->width(), height);
        } else {
            button->setGeometry(dialoglayout::ButtonLeft(i, gap), was->y(),
                                dialoglayout::kButtonWidth, 25);
        }
        button->SetGlyphSize(QSize(m_glyphSize, m_glyphSize));
    });
    form.setWindowTitle(ApplicationTitle());
}

int TdlgMessages::ShowInfoMessage(const std::string& msg) const {
    return ShowModalAndFree(MessageDialog(msg, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK}));
}

int TdlgMessages::ShowMessageQuery(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) const {
    return ShowModalAndFree(MessageDialog(msg, type, buttons));
}

} // namespace app
