#pragma once
// The site server a search runs against when the user has chosen none: a
// placeholder host under the reserved ".example" domain, which names no real
// site and never resolves, so that the user sets the real server in the
// settings. The settings fall back to it and the server list starts with it.

#include <string_view>

namespace data {

inline constexpr std::string_view DefaultServerHost = "site.example";

} // namespace data
