#pragma once
// The picture-button confirmation: a box whose buttons show picture faces
// only ("Да", "Нет", "OK" drawn on the pictures) and whose message is bold.
// The person-card list asks with it before deleting a card.

#include "app/forms/TMessageForm.h"
#include "platform/MessageDialogTypes.h"

#include <memory>
#include <string>

namespace app {

class TdlgMessagesEx {
public:
    TdlgMessagesEx() = default;

    // The height the button pictures are cut to.
    int GlyphHeight() const { return m_glyphHeight; }

    // Builds the box; the caller shows and frees it.
    std::unique_ptr<TMessageForm> CreateMessageDialogEx(const std::string& msg, platform::TMsgDlgType type,
                                                        platform::TMsgDlgButtons buttons) const;

    // Turns a standard box of the given type into this unit's box. A button
    // without a picture face keeps its caption and result.
    void AdaptDialogEx(TMessageForm& form, platform::TMsgDlgType type) const;

    // The Yes/No confirmation, shown modally and freed; returns mrYes (6) or
    // mrNo (7). Escape and the close box answer mrNo.
    int MessageDlgEx(const std::string& msg) const;

private:
    int m_glyphHeight = 23;
};

// The one holder, alive from program start to program end.
extern TdlgMessagesEx dlgMessagesEx;

} // namespace app
