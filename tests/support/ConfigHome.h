#pragma once
// Points XDG_CONFIG_HOME (where the program keeps its registry file) at a
// fresh temporary folder for the life of the object, then restores it, so
// that tests in one process never see each other's settings.

#include "support/TempDir.h"

#include <filesystem>
#include <optional>
#include <string>

namespace testsupport {

class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    std::filesystem::path path() const { return m_dir.path(); }

private:
    TempDir m_dir;
    std::optional<std::string> m_old;
};

} // namespace testsupport
