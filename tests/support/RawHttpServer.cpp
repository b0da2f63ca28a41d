#include "support/RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testsupport {

RawReply RawReply::Response(int status, const std::string& reason, const std::string& body,
                            const std::string& extraHeaders) {
    RawReply reply;
    reply.bytes = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n" +
                  "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                  "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
    return reply;
}

RawReply RawReply::CutShort(const std::string& body, size_t sent) {
    RawReply reply;
    reply.bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                  "\r\nConnection: close\r\n\r\n" + body.substr(0, sent);
    return reply;
}

RawReply RawReply::Silence() {
    RawReply reply;
    reply.stall = true;
    return reply;
}

struct RawHttpServer::Impl {
    RawHandler handler;
    int listener = -1;
    int port = 0;
    std::thread acceptor;
    std::vector<std::thread> connections;

    mutable std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> stopping{false};
    std::vector<std::string> requests;

    void Accept() {
        while (!stopping) {
            pollfd p{listener, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0) continue;
            int fd = accept(listener, nullptr, nullptr);
            if (fd < 0) continue;
            std::lock_guard lock(mutex);
            connections.emplace_back([this, fd] { Serve(fd); });
        }
    }

    // Reads up to the blank line that ends the request head.
    std::string ReadHead(int fd) {
        std::string head;
        char buffer[4096];
        while (!stopping && head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 10) <= 0) continue;
            ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            head.append(buffer, size_t(n));
        }
        return head;
    }

    void Serve(int fd) {
        std::string head = ReadHead(fd);
        if (!head.empty()) {
            {
                std::lock_guard lock(mutex);
                requests.push_back(head);
            }
            wake.notify_all();
            RawReply reply = handler ? handler(head) : RawReply::Response(200, "OK", "OK");
            size_t done = 0;
            while (done < reply.bytes.size()) {
                ssize_t n = send(fd, reply.bytes.data() + done, reply.bytes.size() - done, MSG_NOSIGNAL);
                if (n <= 0) break;
                done += size_t(n);
            }
            for (size_t i = 0; i < reply.trickle.size() && !stopping; ++i) {
                std::unique_lock lock(mutex);
                if (wake.wait_for(lock, reply.pace, [this] { return stopping.load(); })) break;
                lock.unlock();
                if (send(fd, &reply.trickle[i], 1, MSG_NOSIGNAL) <= 0) break;
            }
            if (reply.stall) {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping.load(); });
            }
        }
        shutdown(fd, SHUT_RDWR);
        close(fd);
    }
};

RawHttpServer::RawHttpServer(RawHandler handler) : m_impl(std::make_unique<Impl>()) {
    m_impl->handler = std::move(handler);
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error("RawHttpServer: no socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        throw std::runtime_error("RawHttpServer: cannot listen on a loopback port");
    }
    m_impl->listener = fd;
    m_impl->port = ntohs(addr.sin_port);
    m_impl->acceptor = std::thread([impl = m_impl.get()] { impl->Accept(); });
}

RawHttpServer::~RawHttpServer() {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopping = true;
    }
    m_impl->wake.notify_all();
    m_impl->acceptor.join();
    // No new connection threads start once the acceptor has stopped.
    for (auto& t : m_impl->connections) t.join();
    close(m_impl->listener);
}

int RawHttpServer::Port() const { return m_impl->port; }

std::string RawHttpServer::HostPort() const { return "127.0.0.1:" + std::to_string(m_impl->port); }

std::string RawHttpServer::Url(const std::string& pathAndQuery) const { return "http://" + HostPort() + pathAndQuery; }

std::vector<std::string> RawHttpServer::RawRequests() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

std::string RawHttpServer::LastRawRequest() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests.empty() ? std::string() : m_impl->requests.back();
}

} // namespace testsupport

namespace testsupport {

bool RawHttpServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->wake.wait_for(lock, timeout, [&] { return m_impl->requests.size() >= count; });
}

} // namespace testsupport
