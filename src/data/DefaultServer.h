#pragma once
// The site server a search runs against when the user has chosen none: the
// host name (no scheme, no path) of the dating site's main web server. The
// settings fall back to it and the server list starts with it.

#include <string_view>

namespace data {

inline constexpr std::string_view DefaultServerHost = "mamba.ru";

} // namespace data
