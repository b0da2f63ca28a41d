#pragma once
// One profile row in plain form, as the search engine hands it from a
// candidate to a checker and on to the found table. Unlike a stored row it
// has no new-message mark.

#include <cstdint>
#include <string>

namespace data {

struct TFriendRecord {
    std::string Name;
    std::string Login;
    std::string URL;
    std::string Area;
    int32_t Age = 0;
    int32_t RealUser = 0;
    int32_t VipUser = 0;
    int32_t PhotoCount = 0;
    int32_t VideoCount = 0;
    int32_t Intim = 0;
    std::string AgeRange;
};

} // namespace data
