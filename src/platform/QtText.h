#pragma once
// Our UTF-8 texts as Qt's strings.

#include <QString>
#include <string_view>

namespace platform {

inline QString ToQString(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

} // namespace platform
