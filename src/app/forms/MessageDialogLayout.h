#pragma once
// The arithmetic both message dialogs use to re-centre a standard box: a row
// of 100-pixel buttons with equal gaps, and the message label centred over
// the box (for a box with an icon, centred in the room beside the icon).

#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cmath>

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

// After the buttons are replaced: a dialog has one default button (the
// first that asked to be, else "Да для Всех" would take Enter from "Да"
// before it), and it has the focus, or the first button has without one.
inline void SettleDefault(QPushButton* first, QPushButton* firstDefault) {
    if (firstDefault) firstDefault->setDefault(true);
    if (QPushButton* focus = firstDefault ? firstDefault : first) focus->setFocus();
}

} // namespace app::dialoglayout
