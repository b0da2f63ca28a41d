#pragma once
// The strokes of a checkbox cell's two marks, drawn inside the 11 x 11 box
// whose top-left corner is the origin. Each stroke is a vertical line from
// (Dx, From) down to (Dx, To), the end point not drawn; the cross is drawn
// in the order listed.

#include <array>

namespace grid {

struct TMarkStroke {
    int Dx;
    int From;
    int To;
};

inline constexpr std::array<TMarkStroke, 7> CheckMark{{
    {2, 4, 7}, {3, 5, 8}, {4, 6, 9}, {5, 5, 8}, {6, 4, 7}, {7, 3, 6}, {8, 2, 5},
}};
static_assert(CheckMark.size() == 7);

inline constexpr std::array<TMarkStroke, 12> CrossMark{{
    {8, 7, 9}, {7, 6, 9}, {6, 5, 8}, {5, 4, 7}, {4, 3, 6}, {3, 2, 5},
    {3, 7, 9}, {4, 6, 9}, {5, 5, 8}, {6, 4, 7}, {7, 3, 6}, {8, 2, 5},
}};
static_assert(CrossMark.size() == 12);

// Side of the checkbox in pixels.
inline constexpr int CheckboxSize = 11;

} // namespace grid
