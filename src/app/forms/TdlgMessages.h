#pragma once
// The plain message boxes: every message, question and the quit question go
// through here. The standard box's buttons become glyph buttons with Russian
// captions, the parts are re-centred and the caption is the application title.

#include "app/forms/TMessageForm.h"
#include "platform/MessageDialogTypes.h"

#include <memory>
#include <string>

namespace app {

class TdlgMessages {
public:
    TdlgMessages() = default;

    // The side of the square glyphs beside the captions.
    int GlyphSize() const { return m_glyphSize; }

    // Builds the box; the caller shows and frees it.
    std::unique_ptr<TMessageForm> MessageDialog(const std::string& msg, platform::TMsgDlgType type,
                                                platform::TMsgDlgButtons buttons) const;

    // Turns a standard box of the given type into this unit's box: what
    // MessageDialog does after building the standard box. A button whose
    // caption has no row in the button table keeps its caption and gets no
    // glyph.
    void AdaptDialog(TMessageForm& form, platform::TMsgDlgType type) const;

    // The information box (no icon, one "OK" button), shown modally and
    // freed; returns the modal result.
    int ShowInfoMessage(const std::string& msg) const;

    // A question with the given icon and buttons, shown modally and freed;
    // returns the modal result (mrYes for "Да").
    int ShowMessageQuery(const std::string& msg, platform::TMsgDlgType type,
                         platform::TMsgDlgButtons buttons) const;

private:
    int m_glyphSize = 16;
};

// The one holder, alive from program start to program end.
extern TdlgMessages dlgMessages;

} // namespace app
