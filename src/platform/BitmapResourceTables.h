#pragma once
// Every picture the program loads by name: its size, its background and the
// routine that draws it. A picture is added by writing its painter (in
// platform/resources/) and one row here.

#include "platform/resources/GridPictures.h"
#include "platform/resources/MessageButtonPictures.h"
#include "platform/resources/PersonCardPictures.h"

#include <array>
#include <string_view>

class QPainter;

namespace platform {

enum class TBitmapBackground {
    // Drawn over transparent pixels.
    Transparent,
    // A 24-bit picture on pure red (255, 0, 0), which its user makes transparent.
    KeyRed,
};

struct TBitmapResource {
    std::string_view Name;
    int Width;
    int Height;
    TBitmapBackground Background;
    void (*Paint)(QPainter& painter);
};

inline constexpr auto kBitmapResources = std::to_array<TBitmapResource>({
    // Glyphs of the message-box buttons, drawn in the 16 standard colours.
    {"BTN_YES", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnYes},
    {"BTN_NO", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnNo},
    {"BTN_OK", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnOk},
    {"BTN_CANCEL", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnCancel},
    {"BTN_ABORT", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnAbort},
    {"BTN_RETRY", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnRetry},
    {"BTN_IGNORE", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnIgnore},
    {"BTN_ALL", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnAll},
    {"BTN_ALL_NO", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnAllNo},
    {"BTN_ALL_YES", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnAllYes},
    {"BTN_HELP", 16, 16, TBitmapBackground::Transparent, &resources::PaintBtnHelp},
    // Faces of the picture-only confirmation buttons.
    {"BTN_YES_UP", 99, 24, TBitmapBackground::KeyRed, &resources::PaintBtnYesUp},
    {"BTN_NO_UP", 99, 24, TBitmapBackground::KeyRed, &resources::PaintBtnNoUp},
    {"BTN_OK_UP", 99, 24, TBitmapBackground::KeyRed, &resources::PaintBtnOkUp},
    // The data grid's row indicators and title sort markers.
    {"MDBGARROW", 9, 9, TBitmapBackground::Transparent, &resources::PaintGridArrow},
    {"MDBEDIT", 9, 9, TBitmapBackground::Transparent, &resources::PaintGridEdit},
    {"MDBINSERT", 9, 9, TBitmapBackground::Transparent, &resources::PaintGridInsert},
    {"MDBMULTIDOT", 9, 9, TBitmapBackground::Transparent, &resources::PaintGridMultiDot},
    {"MDBMULTIARROW", 9, 9, TBitmapBackground::Transparent, &resources::PaintGridMultiArrow},
    {"MDBSMDOWN", 11, 7, TBitmapBackground::Transparent, &resources::PaintGridSortDown},
    {"MDBSMUP", 11, 7, TBitmapBackground::Transparent, &resources::PaintGridSortUp},
    // The expanded person card.
    {"VOICE", 16, 16, TBitmapBackground::Transparent, &resources::PaintVoice},
    {"VIP", 16, 16, TBitmapBackground::Transparent, &resources::PaintVip},
    {"REAL", 16, 16, TBitmapBackground::Transparent, &resources::PaintReal},
    {"BASKETRED", 16, 16, TBitmapBackground::Transparent, &resources::PaintBasketRed},
    {"TOPRIGHT", 8, 23, TBitmapBackground::Transparent, &resources::PaintTopRight},
    {"RIGHTBOTTOM", 8, 8, TBitmapBackground::Transparent, &resources::PaintRightBottom},
    {"BOTTOMLEFT", 8, 8, TBitmapBackground::Transparent, &resources::PaintBottomLeft},
    {"GOTO", 50, 16, TBitmapBackground::Transparent, &resources::PaintGoto},
    {"NOPHOTO", 46, 62, TBitmapBackground::Transparent, &resources::PaintNoPhoto},
    {"PHOTOFAILED", 46, 62, TBitmapBackground::Transparent, &resources::PaintPhotoFailed},
    {"LETTER", 19, 14, TBitmapBackground::Transparent, &resources::PaintLetter},
    // Shared by the cards of a list: the header line's marks and the frame's
    // top left corner with the mark.
    {"LETTERSHORT", 12, 9, TBitmapBackground::Transparent, &resources::PaintLetterShort},
    {"ABSENT", 6, 13, TBitmapBackground::Transparent, &resources::PaintAbsent},
    {"ABSENTSELECTED", 6, 13, TBitmapBackground::Transparent, &resources::PaintAbsentSelected},
    {"CONNECTED", 6, 13, TBitmapBackground::Transparent, &resources::PaintConnected},
    {"CONNECTEDSELECTED", 6, 13, TBitmapBackground::Transparent, &resources::PaintConnectedSelected},
    {"TOPLEFTABSENT", 18, 23, TBitmapBackground::Transparent, &resources::PaintTopLeftAbsent},
    {"TOPLEFTCONNECTED", 18, 23, TBitmapBackground::Transparent, &resources::PaintTopLeftConnected},
});

} // namespace platform
