#pragma once
// A real HTTP proxy for tests: /usr/bin/tinyproxy in the foreground on a
// free port of 127.0.0.1, optionally asking for Basic authorisation, with
// its configuration and log in a temporary folder. It serves clients on
// 127.0.0.1 only and is killed when the object goes.

#include "support/TempDir.h"

#include <string>
#include <sys/types.h>

namespace testsupport {

class TinyProxy {
public:
    // Starts the proxy and waits until it accepts connections; throws when
    // it cannot be started. With a user name, clients must authenticate.
    explicit TinyProxy(const std::string& userName = {}, const std::string& password = {});
    ~TinyProxy();
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    std::string Host() const { return "127.0.0.1"; }
    int Port() const { return m_port; }
    // The proxy's log so far, for failure messages.
    std::string Log() const;

private:
    bool Start(const std::string& userName, const std::string& password);
    void Stop();

    TempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace testsupport
