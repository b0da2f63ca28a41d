#pragma once
// A bare TCP server on a loopback port for the cases a real web server
// cannot play: it records the exact bytes of each request head and answers
// with exactly the bytes a test gives (a body shorter than declared, a broken
// status line) or never answers at all. One request per connection.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct RawReply {
    std::string bytes; // sent as they are, then the connection is closed
    bool stall = false; // after sending `bytes`, keep the connection open without a word until the server stops
    std::string trickle;              // sent after `bytes`, one byte every `pace`
    std::chrono::milliseconds pace{0};

    // A complete response with Content-Length and "Connection: close".
    static RawReply Response(int status, const std::string& reason, const std::string& body,
                             const std::string& extraHeaders = {});
    // Declares `body`'s length but sends only its first `sent` bytes.
    static RawReply CutShort(const std::string& body, size_t sent);
    // Never answers.
    static RawReply Silence();
};

using RawHandler = std::function<RawReply(const std::string& requestHead)>;

class RawHttpServer {
public:
    // Answers every request with `handler`'s reply (by default a 200 page
    // with the body "OK"). Throws when no loopback port can be had.
    explicit RawHttpServer(RawHandler handler = {});
    // Closes every connection, stalled ones included.
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int Port() const;
    std::string HostPort() const;
    std::string Url(const std::string& pathAndQuery = "/") const;

    // The request heads received so far (request line and headers up to and
    // including the blank line), byte for byte, in order of arrival.
    std::vector<std::string> RawRequests() const;
    // The last request head; empty when none arrived.
    std::string LastRawRequest() const;
    // Waits until `count` request heads have arrived (a head the client
    // abandoned counts once its connection closes); false on time-out.
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace testsupport
