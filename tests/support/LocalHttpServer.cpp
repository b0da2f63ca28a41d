#include "support/LocalHttpServer.h"

#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// "Example.COM:8080" -> "example.com"; "[::1]:80" -> "[::1]".
std::string HostWithoutPort(const std::string& hostHeader) {
    std::string host = hostHeader;
    size_t colon = host.rfind(':');
    size_t bracket = host.rfind(']');
    if (colon != std::string::npos && (bracket == std::string::npos || bracket < colon)) host.erase(colon);
    return Lower(host);
}

HttpRequestRecord Record(const httplib::Request& req) {
    HttpRequestRecord record;
    record.method = req.method;
    record.target = req.target;
    record.path = req.path;
    record.version = req.version;
    record.host = HostWithoutPort(req.get_header_value("Host"));
    for (const auto& [name, value] : req.params) record.params.emplace(name, value);
    for (const auto& [name, value] : req.headers) record.headers.emplace_back(name, value);
    return record;
}

} // namespace

std::string HttpRequestRecord::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (Lower(key) == Lower(name)) return value;
    return {};
}

bool HttpRequestRecord::HasHeader(const std::string& name) const {
    for (const auto& header : headers)
        if (Lower(header.first) == Lower(name)) return true;
    return false;
}

std::string HttpRequestRecord::Param(const std::string& name) const {
    auto it = params.find(name);
    return it == params.end() ? std::string() : it->second;
}

HttpReply HttpReply::Page(std::string body, std::string contentType) {
    HttpReply reply;
    reply.body = std::move(body);
    reply.contentType = std::move(contentType);
    return reply;
}

HttpReply HttpReply::Status(int status, std::string body) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

HttpReply HttpReply::Redirect(const std::string& location, int status) {
    HttpReply reply;
    reply.status = status;
    reply.headers.emplace_back("Location", location);
    return reply;
}

HttpReply HttpReply::Stall() {
    HttpReply reply;
    reply.delay = std::chrono::hours(24);
    return reply;
}

struct LocalHttpServer::Impl {
    httplib::Server server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::map<std::pair<std::string, std::string>, HttpHandler> routes; // (host or "", path)
    HttpHandler fallback;
    std::vector<HttpRequestRecord> requests;

    HttpHandler Find(const HttpRequestRecord& request) {
        std::lock_guard lock(mutex);
        auto it = routes.find({request.host, request.path});
        if (it == routes.end()) it = routes.find({std::string(), request.path});
        return it == routes.end() ? fallback : it->second;
    }

    // Waits for `delay`; false when the server stops first.
    bool Wait(std::chrono::milliseconds delay) {
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, delay, [this] { return stopping; });
    }

    void Serve(const httplib::Request& req, httplib::Response& res) {
        HttpRequestRecord record = Record(req);
        {
            std::lock_guard lock(mutex);
            requests.push_back(record);
        }
        HttpReply reply;
        if (HttpHandler handler = Find(record)) {
            try {
                reply = handler(record);
            } catch (const std::exception& e) {
                reply = HttpReply::Status(500, e.what());
            }
        } else {
            reply = HttpReply::Status(404, "Not Found");
        }
        if (reply.delay.count() > 0 && !Wait(reply.delay)) {
            res.status = 503;
            return;
        }
        res.status = reply.status;
        for (const auto& [name, value] : reply.headers) res.set_header(name.c_str(), value);
        if (reply.cutShortAfter) {
            auto body = std::make_shared<std::string>(std::move(reply.body));
            size_t sent = std::min(*reply.cutShortAfter, body->size());
            res.set_content_provider(
                body->size(), reply.contentType.c_str(),
                [body, sent](size_t offset, size_t length, httplib::DataSink& sink) {
                    if (offset >= sent) return false; // closes the connection mid-body
                    sink.write(body->data() + offset, std::min(length, sent - offset));
                    return true;
                });
        } else {
            res.set_content(reply.body, reply.contentType.c_str());
        }
    }
};

LocalHttpServer::LocalHttpServer(int port) : m_impl(std::make_unique<Impl>()) {
    Impl& impl = *m_impl;
    impl.server.set_keep_alive_timeout(1);
    // Headers and body go out in separate writes; without this the body
    // would wait for the client's delayed acknowledgement.
    impl.server.set_tcp_nodelay(true);
    impl.server.set_pre_routing_handler([&impl](const httplib::Request& req, httplib::Response& res) {
        impl.Serve(req, res);
        return httplib::Server::HandlerResponse::Handled;
    });
    // Address reuse for a quick restart, but no port sharing: a port that
    // another server listens on is refused, not shared with it.
    impl.server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (port > 0)
        impl.port = impl.server.bind_to_port("127.0.0.1", port) ? port : -1;
    else
        impl.port = impl.server.bind_to_any_port("127.0.0.1");
    if (impl.port <= 0)
        throw std::runtime_error(port > 0 ? "cannot listen on 127.0.0.1:" + std::to_string(port) + " (in use?)"
                                          : std::string("cannot listen on any loopback port"));
    impl.thread = std::thread([&impl] { impl.server.listen_after_bind(); });
    for (int i = 0; i < 500 && !impl.server.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

LocalHttpServer::~LocalHttpServer() {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopping = true;
    }
    m_impl->wake.notify_all();
    m_impl->server.stop();
    if (m_impl->thread.joinable()) m_impl->thread.join();
}

int LocalHttpServer::Port() const { return m_impl->port; }

std::string LocalHttpServer::HostPort() const { return "127.0.0.1:" + std::to_string(m_impl->port); }

std::string LocalHttpServer::Url(const std::string& pathAndQuery) const {
    return "http://" + HostPort() + pathAndQuery;
}

void LocalHttpServer::Route(const std::string& path, HttpHandler handler) { Route(std::string(), path, std::move(handler)); }

void LocalHttpServer::Route(const std::string& host, const std::string& path, HttpHandler handler) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->routes[{Lower(host), path}] = std::move(handler);
}

void LocalHttpServer::Fallback(HttpHandler handler) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->fallback = std::move(handler);
}

void LocalHttpServer::Page(const std::string& path, std::string body) { Reply(path, HttpReply::Page(std::move(body))); }

void LocalHttpServer::Reply(const std::string& path, HttpReply reply) {
    Route(path, [reply](const HttpRequestRecord&) { return reply; });
}

std::vector<HttpRequestRecord> LocalHttpServer::Requests() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

size_t LocalHttpServer::RequestCount() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests.size();
}

HttpRequestRecord LocalHttpServer::LastRequest() const {
    std::lock_guard lock(m_impl->mutex);
    if (m_impl->requests.empty()) throw std::runtime_error("LocalHttpServer: no request arrived");
    return m_impl->requests.back();
}

void LocalHttpServer::ClearRequests() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->requests.clear();
}

} // namespace testsupport
