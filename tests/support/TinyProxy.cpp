#include "support/TinyProxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

constexpr const char* kTinyproxy = "/usr/bin/tinyproxy";

sockaddr_in Loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(port));
    return addr;
}

// A port nobody listens on right now (the kernel's choice of a free one).
int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(fd);
    return port;
}

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in addr = Loopback(port);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

} // namespace

TinyProxy::TinyProxy(const std::string& userName, const std::string& password) {
    if (access(kTinyproxy, X_OK) != 0) throw std::runtime_error("TinyProxy: /usr/bin/tinyproxy is not installed");
    // Another process may take the free port before tinyproxy binds it; try again on a new one.
    for (int attempt = 0; attempt < 5; ++attempt)
        if (Start(userName, password)) return;
    throw std::runtime_error("TinyProxy: the proxy did not start:\n" + Log());
}

TinyProxy::~TinyProxy() { Stop(); }

bool TinyProxy::Start(const std::string& userName, const std::string& password) {
    m_port = FreePort();
    if (m_port == 0) return false;
    const auto config = m_dir / "tinyproxy.conf";
    std::string text = "Port " + std::to_string(m_port) +
                       "\nListen 127.0.0.1\nTimeout 30\nMaxClients 50\nAllow 127.0.0.1\nLogLevel Info\n"
                       "LogFile \"" + (m_dir / "tinyproxy.log").string() + "\"\n";
    if (!userName.empty()) text += "BasicAuth " + userName + " " + password + "\n";
    WriteFile(config, text);

    const std::string out = (m_dir / "tinyproxy.out").string();
    m_pid = fork();
    if (m_pid < 0) return false;
    if (m_pid == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
        }
        execl(kTinyproxy, kTinyproxy, "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        if (Accepts(m_port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return false;
}

void TinyProxy::Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string TinyProxy::Log() const {
    std::string log;
    for (const char* name : {"tinyproxy.out", "tinyproxy.log"}) {
        const auto path = m_dir / name;
        if (std::filesystem::exists(path)) log += ReadFile(path);
    }
    return log;
}

} // namespace testsupport
