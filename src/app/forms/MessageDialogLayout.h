#pragma once
// The arithmetic both message dialogs use to re-centre a standard box: a row
// of 100-pixel buttons with equal gaps, and the message label centred over
// the box (for a box with an icon, centred in the room beside the icon); and
// the swap of its standard buttons for glyph buttons.

#include "app/controls/TBitBtn.h"
#include "app/forms/TMessageForm.h"

#include <QLabel>
#include <algorithm>
#include <cmath>
#include <vector>

namespace app::dialoglayout {

inline constexpr int kButtonWidth = 100;
inline constexpr int kButtonMargin = 20;
// The top of the message label in a box with an icon.
inline constexpr int kLabelTop = 20;
// Room the icon takes left of a centred label.
inline constexpr int kIconRoom = 44;

// Wide enough for n buttons with margins of 20 around each, and for the
// label plus `labelExtra`.
constexpr int DialogWidth(int n, int labelWidth, int labelExtra) {
    return std::max(n * kButtonWidth + (n + 1) * kButtonMargin, labelWidth + labelExtra);
}

// The equal gap left and right of every button (rounded towards zero).
constexpr int Gap(int width, int n) { return (width - n * kButtonWidth) / (n + 1); }

// The left edge of button i, counted from 1.
constexpr int ButtonLeft(int i, int gap) { return i * gap + (i - 1) * kButtonWidth; }

// Rounds to the nearest integer, halves to the even neighbour.
inline int RoundHalfEven(double value) {
    const double below = std::floor(value);
    const double rest = value - below;
    const int whole = int(below);
    if (rest < 0.5) return whole;
    if (rest > 0.5) return whole + 1;
    return whole % 2 == 0 ? whole : whole + 1;
}

// Centres the label in a box of `width`: a box without icon (mtCustom) only
// moves it sideways; a box with an icon also puts it at top 20. The label
// stays transparent, showing the box beneath.
inline void PlaceLabel(QLabel& label, int width, bool custom) {
    const int w = label.width();
    if (custom)
        label.move(RoundHalfEven(width / 2.0 - w / 2.0), label.y());
    else
        label.move((width - w + kIconRoom) / 2, kLabelTop);
    label.setAutoFillBackground(false);
}

// Replaces the standard buttons `old` of `form` by glyph buttons of the same
// names, which dress(i, was, button) sets up (i counts from 1), and frees the
// old ones. A dialog has one default button, the first that asked to be
// ("Да для Всех" would otherwise take Enter from "Да" before it); it has the
// focus, or the first button has without one.
template <class Dress>
void ReplaceButtons(TMessageForm& form, const std::vector<TButton*>& old, Dress&& dress) {
    TBitBtn* first = nullptr;
    TBitBtn* firstDefault = nullptr;
    // A button the caller gave Enter keeps it from the buttons whose kind
    // would take it.
    TBitBtn* named = nullptr;
    for (int i = 1; i <= int(old.size()); ++i) {
        TButton* was = old[size_t(i - 1)];
        auto* button = new TBitBtn(&form);
        button->setObjectName(was->objectName());
        dress(i, was, button);
        if (!first) first = button;
        if (!firstDefault && button->isDefault()) firstDefault = button;
        if (was == form.FocusOnShow()) named = button;
        delete was;
    }
    if (named) {
        for (TButton* button : form.Buttons()) button->setDefault(false);
        firstDefault = named;
        form.SetFocusOnShow(named);
    }
    if (firstDefault) firstDefault->setDefault(true);
    if (TBitBtn* focus = firstDefault ? firstDefault : first) focus->setFocus();
}

} // namespace app::dialoglayout
