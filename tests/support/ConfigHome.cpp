#include "support/ConfigHome.h"

#include <cstdlib>

namespace testsupport {

ConfigHome::ConfigHome() {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_old = old;
    ::setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1);
}

ConfigHome::~ConfigHome() {
    if (m_old)
        ::setenv("XDG_CONFIG_HOME", m_old->c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

} // namespace testsupport
