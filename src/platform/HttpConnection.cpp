// One libcurl easy handle per connection. Every request sets all of its
// options afresh, so nothing of one request (a proxy, a header list) leaks
// into the next; what the handle keeps on purpose is its open connections
// and its cookie store.
//
// The body is collected in memory and only handed over when the transfer
// ended cleanly: a page cut short must never reach a parser as if whole.
#include "platform/HttpConnection.h"

#include "platform/Text.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <mutex>

namespace platform {

void InitHttp() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

namespace {

struct HeaderList {
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
    bool Append(const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (!grown) return false;
        list = grown;
        return true;
    }
};

bool HasHeader(const std::vector<std::string>& headers, std::string_view name) {
    for (const auto& line : headers) {
        size_t colon = line.find(':');
        if (colon != std::string::npos && text::SameTextAscii(text::Trim(std::string_view(line).substr(0, colon)), name))
            return true;
    }
    return false;
}

using Clock = std::chrono::steady_clock;

// State of one transfer, shared with libcurl's callbacks.
struct Transfer {
    const HttpRequest* request = nullptr;
    const HttpConnection::Observer* observer = nullptr;
    CURL* handle = nullptr;
    std::string body;
    std::string statusLine;
    bool tooLong = false;
    bool stalled = false;
    // When bytes last moved (or the connection was still being made).
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastReceived = 0;
    curl_off_t lastSent = 0;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->request->maxBodyBytes) {
        transfer->tooLong = true;
        return 0; // makes libcurl stop with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

// A stalled transfer is one where no byte has moved for the stall time once
// the connection stands (making it is the connect time-out's business).
// libcurl's own low-speed limit averages over several seconds and so would
// let a transfer that stalls after a burst run on well past the limit.
int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    auto* transfer = static_cast<Transfer*>(user);
    const auto now = Clock::now();
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(transfer->handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer == 0 || received != transfer->lastReceived || sent != transfer->lastSent) {
        transfer->lastActivity = now;
        transfer->lastReceived = received;
        transfer->lastSent = sent;
        return 0;
    }
    if (now - transfer->lastActivity >= std::chrono::milliseconds(transfer->request->stallTimeoutMs)) {
        transfer->stalled = true;
        return 1; // stops the transfer
    }
    return 0;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    std::string_view line = text::TrimRight(std::string_view(data, bytes));
    if (text::StartsWithAsciiCI(line, "HTTP/")) {
        // A new response begins (after a redirect or an interim reply): only
        // the last response's body counts.
        transfer->statusLine = std::string(line);
        transfer->body.clear();
    } else if (line.empty() && !transfer->statusLine.empty() && *transfer->observer) {
        (*transfer->observer)(HttpEvent::HeadersAvailable, transfer->statusLine);
    }
    return bytes;
}

// The reason phrase of "HTTP/1.1 404 Not Found".
std::string ReasonOf(std::string_view statusLine) {
    size_t first = statusLine.find(' ');
    if (first == std::string_view::npos) return {};
    size_t second = statusLine.find(' ', first + 1);
    if (second == std::string_view::npos) return {};
    return std::string(text::Trim(statusLine.substr(second + 1)));
}

} // namespace

struct HttpConnection::Impl {
    CURL* handle = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
};

HttpConnection::HttpConnection(bool cookies) : m_impl(std::make_unique<Impl>()), m_cookies(cookies) {
    InitHttp();
    m_impl->handle = curl_easy_init();
    if (m_impl->handle && cookies) curl_easy_setopt(m_impl->handle, CURLOPT_COOKIEFILE, "");
}

HttpConnection::~HttpConnection() {
    if (m_impl->handle) curl_easy_cleanup(m_impl->handle);
}

bool HttpConnection::IsOpen() const { return m_impl->handle != nullptr; }

HttpResponse HttpConnection::Perform(const HttpRequest& request, const Observer& observer) {
    HttpResponse response;
    CURL* h = m_impl->handle;
    if (!h) {
        response.error = "The HTTP service could not be started";
        return response;
    }

    HeaderList headers;
    bool listOk = true;
    for (const auto& line : request.headers) {
        // A line with nothing after the colon would tell libcurl to drop a
        // header of its own; such a line has nothing to send anyway.
        size_t colon = line.find(':');
        if (colon == std::string::npos || text::Trim(std::string_view(line).substr(colon + 1)).empty()) continue;
        listOk = listOk && headers.Append(line);
    }
    // libcurl would send "Accept: */*" of its own accord.
    if (!HasHeader(request.headers, "Accept")) listOk = listOk && headers.Append("Accept:");
    if (!listOk) {
        response.error = "Out of memory";
        return response;
    }

    Transfer transfer;
    transfer.request = &request;
    transfer.observer = &observer;
    transfer.handle = h;
    m_impl->errorText[0] = '\0';

    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(h, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION,
                     request.http11 ? long(CURL_HTTP_VERSION_1_1) : long(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(h, CURLOPT_USERAGENT, request.userAgent.empty() ? nullptr : request.userAgent.c_str());
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, static_cast<const char*>(nullptr));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, request.keepAlive ? 0L : 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, std::max(1L, request.connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);

    // An empty proxy name switches off the proxies of the environment; an
    // empty no-proxy list keeps the environment's NO_PROXY from bypassing
    // the proxy the settings name.
    curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    if (request.proxy) {
        curl_easy_setopt(h, CURLOPT_PROXY, request.proxy->server.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPORT, long(request.proxy->port));
        curl_easy_setopt(h, CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
        bool credentials = !request.proxy->userName.empty() || !request.proxy->password.empty();
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, credentials ? request.proxy->userName.c_str() : nullptr);
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, credentials ? request.proxy->password.c_str() : nullptr);
        curl_easy_setopt(h, CURLOPT_PROXYAUTH, long(CURLAUTH_ANY));
    } else {
        curl_easy_setopt(h, CURLOPT_PROXY, "");
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, static_cast<const char*>(nullptr));
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, static_cast<const char*>(nullptr));
    }
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_impl->errorText);

    if (observer) observer(HttpEvent::SendingRequest, request.url);
    CURLcode code = curl_easy_perform(h);

    // The handle outlives this call; nothing may point into our locals.
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    curl_easy_setopt(h, CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
    curl_easy_setopt(h, CURLOPT_HEADERDATA, static_cast<void*>(nullptr));
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, static_cast<void*>(nullptr));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, static_cast<char*>(nullptr));

    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;
    response.statusText = ReasonOf(transfer.statusLine);
    if (code == CURLE_OK) {
        response.completed = true;
        response.body = std::move(transfer.body);
    } else if (transfer.stalled) {
        response.error = "No data for " + std::to_string(request.stallTimeoutMs) + " ms: the transfer was given up";
    } else if (transfer.tooLong) {
        response.error = "The response is longer than " + std::to_string(request.maxBodyBytes) + " bytes";
    } else {
        response.error = m_impl->errorText[0] ? std::string(m_impl->errorText) : curl_easy_strerror(code);
    }
    return response;
}

} // namespace platform
