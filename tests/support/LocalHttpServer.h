#pragma once
// A web server on a loopback port for tests, running on its own threads
// (the client under test blocks the thread that calls it). Pages are routes
// by Host header and path, each a handler; every request that arrives is
// recorded. It grows into the simulated dating site of the search tests.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A request as the server saw it.
struct HttpRequestRecord {
    std::string method;
    std::string target;  // the request target exactly as sent (path and query)
    std::string path;    // the path, percent-decoded, without the query
    std::string version; // "HTTP/1.0"
    std::string host;    // the Host header without its port, in lower case
    std::multimap<std::string, std::string> params;   // the query's parameters, decoded
    std::vector<std::pair<std::string, std::string>> headers; // sorted by name, letter case ignored

    // The first value of a header (name in any letter case), empty when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
    std::string Param(const std::string& name) const;
};

// What a handler answers.
struct HttpReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=windows-1251";
    std::vector<std::pair<std::string, std::string>> headers;
    // Waits this long before answering (cut short when the server stops).
    std::chrono::milliseconds delay{0};
    // Declares the whole body's length but sends only this many bytes of
    // it, then closes the connection.
    std::optional<size_t> cutShortAfter;

    static HttpReply Page(std::string body, std::string contentType = "text/html; charset=windows-1251");
    static HttpReply Status(int status, std::string body = {});
    static HttpReply Redirect(const std::string& location, int status = 302);
    // Never answers (until the server stops).
    static HttpReply Stall();
};

using HttpHandler = std::function<HttpReply(const HttpRequestRecord& request)>;

class LocalHttpServer {
public:
    // Starts listening on 127.0.0.1, on `port` or (0) on a free port; throws
    // when it cannot.
    explicit LocalHttpServer(int port = 0);
    // Stops the server, waking every delayed answer.
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int Port() const;
    // "127.0.0.1:<port>", the host part of URLs to this server.
    std::string HostPort() const;
    // "http://127.0.0.1:<port>" followed by `pathAndQuery`.
    std::string Url(const std::string& pathAndQuery = "/") const;

    // Routes the exact path (no query) to a handler. With a host, only
    // requests whose Host header names it (port and letter case aside) take
    // the route; a route for that host wins over one for any host. A later
    // route replaces an earlier one. Unrouted requests get 404.
    void Route(const std::string& path, HttpHandler handler);
    void Route(const std::string& host, const std::string& path, HttpHandler handler);
    // Takes every request that no route takes (instead of the 404).
    void Fallback(HttpHandler handler);
    // Shorthands: a fixed reply for a path of any host.
    void Page(const std::string& path, std::string body);
    void Reply(const std::string& path, HttpReply reply);

    // Every request received so far, in order of arrival.
    std::vector<HttpRequestRecord> Requests() const;
    size_t RequestCount() const;
    // The last request received; throws when there is none.
    HttpRequestRecord LastRequest() const;
    void ClearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace testsupport
