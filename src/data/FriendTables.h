#pragma once
// The fields of a profile row, in the order every profile file lists them,
// with their maximum lengths in characters.

#include <array>
#include <string_view>

namespace data {

struct TFriendFieldSpec {
    std::string_view Name;
    int Size;
};

inline constexpr std::array<TFriendFieldSpec, 12> FriendFields = {{
    {"Name", 100},
    {"Login", 82},
    {"URL", 2048},
    {"Area", 2048},
    {"Age", 62},
    {"RealUser", 50},
    {"VipUser", 50},
    {"PhotoCount", 50},
    {"VideoCount", 50},
    {"Intim", 62},
    {"AgeRange", 100},
    {"NewMessage", 50},
}};
static_assert(FriendFields.size() == 12, "a stored profile row has twelve fields");

} // namespace data
