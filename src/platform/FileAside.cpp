#include "platform/FileAside.h"

#include <cerrno>
#include <string>

namespace platform {

std::filesystem::path SetFileAside(const std::filesystem::path& file, std::error_code& ec) {
    ec.clear();
    for (int n = 1; n < 1000; ++n) {
        auto aside = file;
        aside += n == 1 ? std::string(".damaged") : ".damaged-" + std::to_string(n);
        if (std::filesystem::exists(aside, ec) || ec) continue;
        std::filesystem::rename(file, aside, ec);
        return ec ? std::filesystem::path() : aside;
    }
    if (!ec) ec = std::make_error_code(std::errc::file_exists);
    return {};
}

} // namespace platform
