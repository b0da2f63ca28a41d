#pragma once
// The fixed codes of the search conditions that are not vocabulary rows: the
// gender codes with their captions (the user's side and the side looked for,
// `s_i` and `s_l` of the search parameters) and the search period codes with
// theirs (`s_ty`). A caption belongs to the code at the same position; the
// trees skip position 0 of the gender tables, which stands for no choice.

#include <array>
#include <cstdint>
#include <string_view>

namespace data {

inline constexpr std::array<std::string_view, 6> GenderCodes{"N", "M", "F", "MF", "MM", "FF"};
inline constexpr std::array<std::string_view, 6> GenderNames{"",         "Парень",   "Девушка",
                                                             "Пара М+Ж", "Пара М+М", "Пара Ж+Ж"};
inline constexpr std::array<std::string_view, 6> SeekGenderNames{"",         "Парня",    "Девушку",
                                                                 "Пару М+Ж", "Пару М+М", "Пару Ж+Ж"};

inline constexpr std::array<std::string_view, 5> PeriodCodes{"All", "Online", "24h", "Week", "Month"};
inline constexpr std::array<std::string_view, 5> PeriodNames{"Всех", "Кто сейчас на сайте", "Новых за сутки",
                                                             "Новых за неделю", "Новых за месяц"};

// The position of `Code` in GenderCodes (exact comparison); -1 when absent.
constexpr int32_t IndexOfGenderCode(std::string_view Code) {
    for (size_t i = 0; i < GenderCodes.size(); ++i)
        if (GenderCodes[i] == Code) return static_cast<int32_t>(i);
    return -1;
}

static_assert(IndexOfGenderCode("MF") == 3 && IndexOfGenderCode("X") == -1);

} // namespace data
