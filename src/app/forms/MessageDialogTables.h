#pragma once
// The buttons of the message boxes: the standard captions a box is built
// with, the Russian captions and glyphs that replace them, and the picture
// faces of the confirmation box.

#include "app/controls/TBitBtn.h"
#include "platform/MessageDialogTypes.h"

#include <array>
#include <string>
#include <string_view>

namespace app {

// A standard button, indexed by TMsgDlgBtn.
struct TMsgDlgButtonInfo {
    std::string_view Caption;
    std::string_view Name;
    int ModalResult;
};

inline constexpr std::array<TMsgDlgButtonInfo, platform::kMsgDlgBtnCount> kMsgDlgButtonInfos{{
    {"&Yes", "Yes", platform::mrYes},
    {"&No", "No", platform::mrNo},
    {"OK", "OK", platform::mrOk},
    {"Cancel", "Cancel", platform::mrCancel},
    {"&Abort", "Abort", platform::mrAbort},
    {"&Retry", "Retry", platform::mrRetry},
    {"&Ignore", "Ignore", platform::mrIgnore},
    {"&All", "All", platform::mrAll},
    {"&No to All", "NoToAll", platform::mrNoToAll},
    {"&Yes to All", "YesToAll", platform::mrYesToAll},
    // Help opens no help here, so it leaves the box open.
    {"&Help", "Help", platform::mrNone},
}};

// A standard caption and what the plain message boxes show instead.
struct TMessageButtonRow {
    std::string_view FrameworkCaption;
    TBitBtnKind Kind;
    std::string_view Caption;
    std::string_view Glyph;
};

inline constexpr std::array<TMessageButtonRow, 11> kMessageButtonRows{{
    {"&Yes", TBitBtnKind::bkYes, "Да", "BTN_YES"},
    {"&No", TBitBtnKind::bkNo, "Нет", "BTN_NO"},
    {"OK", TBitBtnKind::bkOK, "OK", "BTN_OK"},
    {"Cancel", TBitBtnKind::bkCancel, "Отмена", "BTN_CANCEL"},
    {"&Abort", TBitBtnKind::bkAbort, "Прервать", "BTN_ABORT"},
    {"&Retry", TBitBtnKind::bkRetry, "Повторить", "BTN_RETRY"},
    {"&Ignore", TBitBtnKind::bkIgnore, "Игнорировать", "BTN_IGNORE"},
    {"&All", TBitBtnKind::bkAll, "Все", "BTN_ALL"},
    {"&No to All", TBitBtnKind::bkNo, "Нет для Всех", "BTN_ALL_NO"},
    {"&Yes to All", TBitBtnKind::bkYes, "Да для Всех", "BTN_ALL_YES"},
    {"&Help", TBitBtnKind::bkHelp, "Подсказка", "BTN_HELP"},
}};

// A standard caption and the picture face of the confirmation box.
struct TPictureButtonRow {
    std::string_view FrameworkCaption;
    int ModalResult;
    std::string_view Glyph;
};

inline constexpr std::array<TPictureButtonRow, 3> kPictureButtonRows{{
    {"&Yes", platform::mrYes, "BTN_YES_UP"},
    {"&No", platform::mrNo, "BTN_NO_UP"},
    {"OK", platform::mrOk, "BTN_OK_UP"},
}};

// The row of `rows` for a standard caption; null for a caption without one.
template <class Row, size_t N>
const Row* FindButtonRow(const std::array<Row, N>& rows, const std::string& frameworkCaption) {
    for (const Row& row : rows)
        if (row.FrameworkCaption == frameworkCaption) return &row;
    return nullptr;
}

} // namespace app
