#pragma once
// The HTTP service the web library's client stands on: one libcurl easy
// handle that keeps its connections and in-memory cookies between requests.
// A request is either performed blocking on the calling thread, or started
// and left to the calling thread's Qt event loop, which moves its bytes as
// the sockets allow and hands the response over when it has arrived. It
// knows nothing of the client's options; it is told exactly what to send.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// libcurl's process-wide set-up. Call once at start-up, before any other
// thread runs; further calls do nothing.
void InitHttp();

struct HttpProxy {
    std::string server; // host name or address, without port
    int port = 80;
    std::string userName; // empty: no credentials
    std::string password;
};

struct HttpRequest {
    std::string url;                  // absolute http or https URL, already escaped
    std::vector<std::string> headers; // "Name: value" lines, sent in this order after Host
    std::string userAgent;            // sent when `headers` has no User-Agent line
    bool http11 = false;              // HTTP/1.0 otherwise
    bool followRedirects = true;      // at most 10
    bool keepAlive = true;            // reuse the connection for the next request
    std::optional<HttpProxy> proxy;   // none: a direct connection, whatever the environment says
    long connectTimeoutMs = 60000;
    // No answer for this long fails the request: the response head must be
    // in whole this long after the request went out, and then no byte of
    // the body may keep away this long.
    long stallTimeoutMs = 30000;
    size_t maxBodyBytes = size_t(64) << 20; // a longer body fails the request
};

struct HttpResponse {
    bool completed = false; // the transfer ended without any transport error
    long status = 0;        // status of the last response; 0 when none arrived
    std::string statusText; // its reason phrase
    std::string body;       // the whole body of the last response; empty unless completed
    std::string error;      // what went wrong when not completed, in the user's words (see ErrorText.h)
    bool atProxy = false;   // not completed, a proxy was asked and nothing came from it
    // Not completed: the server answered, but the answer was refused: a body
    // over maxBodyBytes, a head too long or not ended in time, two different
    // lengths, a redirect to an address of another scheme (never followed).
    bool refused = false;
    bool notHttp = false;   // not completed: a connection stood, but what came was no HTTP response
};

enum class HttpEvent {
    SendingRequest,   // information: the URL
    HeadersAvailable, // information: the status line of a response
};

class HttpConnection {
public:
    using Observer = std::function<void(HttpEvent event, std::string_view information)>;

    // `cookies`: keep the cookies that responses set and send them back.
    explicit HttpConnection(bool cookies);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // False when libcurl could not make a handle; Perform then fails.
    bool IsOpen() const;
    bool Cookies() const { return m_cookies; }

    // Performs one GET and waits for it to end. Never throws for network
    // faults: they come back as a response that is not `completed`. Not
    // while a started request is in flight.
    HttpResponse Perform(const HttpRequest& request, const Observer& observer = {});

    using Completion = std::function<void(HttpResponse response)>;
    // Starts one GET and returns at once; the event loop of the calling
    // thread (a QCoreApplication must exist) carries it on, and `done` gets
    // the response, the same one Perform would give, from a later turn of
    // that loop, never from within Start. `done` may destroy the connection
    // or start the next request. Starting while a request is in flight gives
    // that one up first (see Abort).
    void Start(const HttpRequest& request, Completion done, const Observer& observer = {});
    // Gives up the request in flight at once: its transfer is cut off (the
    // connection closed) and its `done` is never called. Nothing otherwise.
    void Abort();
    // A started request has not been handed over yet.
    bool Busy() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    bool m_cookies;
};

} // namespace platform
