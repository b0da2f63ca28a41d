// One libcurl easy handle per connection. Every request sets all of its
// options afresh, so nothing of one request (a proxy, a header list) leaks
// into the next; what the handle keeps on purpose is its open connections
// and its cookie store.
//
// The body is collected in memory and only handed over when the transfer
// ended cleanly: a page cut short must never reach a parser as if whole.
// The response head is watched line by line, so that what libcurl would
// take as it comes (two different lengths, an endless head) is refused.
//
// A started request goes through a libcurl multi handle of the connection's
// own (so that its open connections are this connection's alone, as with a
// blocking request), driven by Qt: socket notifiers wake it when a socket is
// ready, a single-shot timer when libcurl asks for one. Every option is set
// by the same code for both roads, so the site cannot tell them apart. The
// response is handed over by a queued call, out of every libcurl and Qt
// callback, so the receiver may do anything with the connection.
#include "platform/HttpConnection.h"

#include "platform/ErrorText.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <map>
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

// The longest response head taken, all its lines together; below libcurl's
// own limit, so that an over-long head is told as such. libcurl refuses a
// single line over CURL_MAX_HTTP_HEADER itself (as out of memory).
constexpr size_t kMaxHeadBytes = size_t(256) << 10;
constexpr size_t kMaxHeaderLineBytes = CURL_MAX_HTTP_HEADER;

// State of one transfer, shared with libcurl's callbacks.
struct Transfer {
    const HttpRequest* request = nullptr;
    const HttpConnection::Observer* observer = nullptr;
    CURL* handle = nullptr;
    std::string body;
    std::string statusLine;
    // Why a callback stopped the transfer, in the user's words; the answer
    // came but is refused.
    std::string refusal;
    bool stalled = false;
    // The head of the current response is still coming (or none has begun).
    bool inHead = true;
    size_t headBytes = 0;
    std::string contentLength; // the first Content-Length of the current head
    std::string location;      // its Location
    // When the current head began to be waited for; when bytes of the body
    // last moved (or the connection was still being made).
    Clock::time_point headStart = Clock::now();
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastReceived = 0;
    curl_off_t lastSent = 0;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->request->maxBodyBytes) {
        transfer->refusal = TooLongText(transfer->request->maxBodyBytes);
        return 0; // makes libcurl stop with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

// No answer within the stall time once the connection stands (making it is
// the connect time-out's business): the head must be in whole that long
// after it began to be waited for, however its bytes trickle in, and then
// the body's bytes must never keep away that long. libcurl's own low-speed
// limit counts body bytes only and averages over several seconds, so it
// would let a trickled head, or a transfer that stalls after a burst, run on
// well past the limit.
bool CheckStalled(Transfer& transfer, curl_off_t received, curl_off_t sent) {
    const auto now = Clock::now();
    const auto limit = std::chrono::milliseconds(transfer.request->stallTimeoutMs);
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(transfer.handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer == 0) {
        transfer.headStart = transfer.lastActivity = now;
        return false;
    }
    if (transfer.inHead) {
        if (now - transfer.headStart >= limit) transfer.stalled = true;
        return transfer.stalled;
    }
    if (received != transfer.lastReceived || sent != transfer.lastSent) {
        transfer.lastActivity = now;
        transfer.lastReceived = received;
        transfer.lastSent = sent;
        return false;
    }
    if (now - transfer.lastActivity >= limit) transfer.stalled = true;
    return transfer.stalled;
}

int OnProgress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
    return CheckStalled(*static_cast<Transfer*>(user), received, sent) ? 1 : 0; // 1 stops the transfer
}

// The value of header `name` on `line` ("Name: value"), trimmed; none when
// the line is another header.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view name) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || !text::SameTextAscii(text::Trim(line.substr(0, colon)), name))
        return std::nullopt;
    return text::Trim(line.substr(colon + 1));
}

// A length as the digits say it, leading zeros dropped; empty when it is no
// plain decimal number below 2^63. libcurl would read "0x100" as 0, "1e3" as
// 1 and " 12 3" as 12, and take a length it cannot hold for none at all:
// each would pass a page cut short (or cut it) as whole.
std::string LengthDigits(std::string_view value) {
    value = text::Trim(value);
    if (value.empty() || !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const std::string_view digits = value.substr(std::min(value.find_first_not_of('0'), value.size() - 1));
    constexpr std::string_view kLargest = "9223372036854775807"; // 2^63 - 1
    if (digits.size() > kLargest.size() || (digits.size() == kLargest.size() && digits > kLargest)) return {};
    return std::string(digits);
}

// False when the Content-Length on this line (a list of them included)
// cannot be read as a length, or differs from one given before in the same
// head: which one holds cannot be known, and taking either could pass a page
// cut short as whole.
bool SameLength(Transfer& transfer, std::string_view value) {
    for (const std::string& part : text::Split(value, ',')) {
        const std::string length = LengthDigits(part);
        if (length.empty()) {
            transfer.refusal = UnreadableLengthText(value);
            return false;
        }
        if (transfer.contentLength.empty()) {
            transfer.contentLength = length;
        } else if (length != transfer.contentLength) {
            transfer.refusal = ConflictingLengthText(transfer.contentLength, length);
            return false;
        }
    }
    return true;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    size_t bytes = size * count;
    std::string_view line = text::TrimRight(std::string_view(data, bytes));
    if (text::StartsWithAsciiCI(line, "HTTP/")) {
        // A new response begins (after a redirect or an interim reply): only
        // the last response's body counts, and its head is waited for anew.
        if (!transfer->inHead) transfer->headStart = Clock::now();
        transfer->inHead = true;
        transfer->headBytes = 0;
        transfer->contentLength.clear();
        transfer->location.clear();
        transfer->statusLine = std::string(line);
        transfer->body.clear();
    }
    transfer->headBytes += bytes;
    if (transfer->headBytes > kMaxHeadBytes) {
        transfer->refusal = LongHeaderText(kMaxHeadBytes, false);
        return 0; // makes libcurl stop with a write error
    }
    if (line.empty()) {
        if (transfer->statusLine.empty()) return bytes;
        transfer->inHead = false;
        transfer->lastActivity = Clock::now();
        if (*transfer->observer) (*transfer->observer)(HttpEvent::HeadersAvailable, transfer->statusLine);
    } else if (const auto length = HeaderValue(line, "Content-Length")) {
        if (!SameLength(*transfer, *length)) return 0;
    } else if (const auto location = HeaderValue(line, "Location")) {
        transfer->location = std::string(*location);
    }
    return bytes;
}

// The scheme of an address in lower case ("file" of "file:///etc/passwd");
// empty for a relative one.
std::string SchemeOf(std::string_view address) {
    const size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    const std::string_view scheme = address.substr(0, colon);
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isLetter(scheme[0]) || !std::all_of(scheme.begin(), scheme.end(), [&](char c) {
            return isLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        }))
        return {};
    return text::AsciiLower(scheme);
}

// The reason phrase of "HTTP/1.1 404 Not Found".
std::string ReasonOf(std::string_view statusLine) {
    size_t first = statusLine.find(' ');
    if (first == std::string_view::npos) return {};
    size_t second = statusLine.find(' ', first + 1);
    if (second == std::string_view::npos) return {};
    return std::string(text::Trim(statusLine.substr(second + 1)));
}

// Sets every option of one request on `h`; false when the header list
// could not be built.
bool Prepare(CURL* h, const HttpRequest& request, Transfer& transfer, HeaderList& headers) {
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
    if (!listOk) return false;

    transfer.request = &request;
    transfer.handle = h;

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
    return true;
}

// The handle outlives a request; nothing may point into its state.
void Release(CURL* h) {
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    curl_easy_setopt(h, CURLOPT_WRITEDATA, static_cast<void*>(nullptr));
    curl_easy_setopt(h, CURLOPT_HEADERDATA, static_cast<void*>(nullptr));
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, static_cast<void*>(nullptr));
}

bool ConnectionMade(CURL* h) {
    const char* ip = nullptr;
    return curl_easy_getinfo(h, CURLINFO_PRIMARY_IP, &ip) == CURLE_OK && ip && *ip;
}

// libcurl tells an answer without an HTTP status line (raw bytes, taken
// for HTTP/0.9) as an unsupported protocol, and a broken status line as a
// weird reply; with the connection made, neither is about the address.
bool AnsweredNotHttp(CURL* h, CURLcode code) {
    return (code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_WEIRD_SERVER_REPLY) && ConnectionMade(h);
}

// libcurl refuses a header line over its limit as if memory ran out (newer
// versions say "too large"); with the connection made, it is the line.
bool HeaderLineTooLong(CURL* h, CURLcode code) {
#if LIBCURL_VERSION_NUM >= 0x080600
    if (code == CURLE_TOO_LARGE) return true;
#endif
    return code == CURLE_OUT_OF_MEMORY && ConnectionMade(h);
}

// Why an answer that came is refused, in the user's words; empty when the
// failure is not the answer's.
std::string Refusal(CURL* h, CURLcode code, const Transfer& transfer, const HttpRequest& request, long status) {
    if (!transfer.refusal.empty()) return transfer.refusal;
    if (transfer.stalled && transfer.inHead && !transfer.statusLine.empty()) return SlowHeaderText(request.stallTimeoutMs);
    if (HeaderLineTooLong(h, code)) return LongHeaderText(kMaxHeaderLineBytes, true);
    // libcurl refuses to follow a redirect to a scheme it is not allowed.
    const std::string scheme = SchemeOf(transfer.location);
    if (code == CURLE_UNSUPPORTED_PROTOCOL && status >= 300 && status < 400 && !scheme.empty() && scheme != "http" &&
        scheme != "https")
        return RedirectNotHttpText(scheme);
    return {};
}

HttpResponse Outcome(CURL* h, CURLcode code, Transfer& transfer, const HttpRequest& request) {
    HttpResponse response;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;
    response.statusText = ReasonOf(transfer.statusLine);
    if (code == CURLE_OK) {
        response.completed = true;
        response.body = std::move(transfer.body);
        return response;
    }
    if (std::string refusal = Refusal(h, code, transfer, request, status); !refusal.empty()) {
        // The answer came, but is refused: the server's fault, not the network's.
        response.refused = true;
        response.error = std::move(refusal);
    } else if (transfer.stalled) {
        response.error = NoAnswerText(request.stallTimeoutMs);
    } else if (code == CURLE_OPERATION_TIMEDOUT) { // only the connection has a time-out of libcurl's
        response.error = NoConnectionText(request.connectTimeoutMs, int(code));
    } else if ((response.notHttp = AnsweredNotHttp(h, code))) {
        response.error = NotHttpText(int(code));
    } else {
        response.error = CurlErrorText(code);
    }
    // Through a proxy, whatever fails before the first status line is the
    // proxy's failure: the site is only ever reached through it.
    response.atProxy = request.proxy.has_value() && transfer.statusLine.empty() && !response.refused;
    return response;
}


} // namespace

// A started request, from Start until its response is handed over.
struct Pending {
    HttpRequest request;
    HttpConnection::Observer observer;
    HttpConnection::Completion done;
    HeaderList headers;
    Transfer transfer;
    bool added = false;     // in the multi handle
    bool abandoned = false; // given up while libcurl was busy; removed when it returns
    std::optional<HttpResponse> response; // arrived, not yet handed over
};

struct HttpConnection::Impl {
    CURL* handle = nullptr;

    CURLM* multi = nullptr;
    QTimer curlTimer;  // the time-out libcurl asks for
    QTimer stallTimer; // checks a transfer that may have gone quiet
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    std::map<curl_socket_t, Watch> sockets;
    std::unique_ptr<Pending> pending;
    uint64_t ticket = 0;  // which request a queued hand-over belongs to
    int insideCurl = 0;   // libcurl is running below us: no handle may be removed
    // What a queued hand-over finds the connection by; gone with it.
    std::shared_ptr<Impl*> self = std::make_shared<Impl*>(this);

    Impl() {
        curlTimer.setSingleShot(true);
        curlTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&curlTimer, &QTimer::timeout, [this] { Drive(CURL_SOCKET_TIMEOUT, 0); });
        QObject::connect(&stallTimer, &QTimer::timeout, [this] { CheckQuiet(); });
    }

    ~Impl() {
        self.reset();
        Remove();
        if (multi) curl_multi_cleanup(multi); // may still close sockets through OnSocket
        for (auto& [fd, watch] : sockets) Drop(watch);
        if (handle) curl_easy_cleanup(handle);
    }

    static void Drop(Watch& watch) {
        // A notifier may be the one whose signal is running: never deleted at once.
        for (QSocketNotifier* n : {watch.read, watch.write})
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        watch = {};
    }

    bool EnsureMulti() {
        if (multi) return true;
        multi = curl_multi_init();
        if (!multi) return false;
        curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &OnSocket);
        curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &OnTimer);
        curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
        return true;
    }

    static int OnSocket(CURL*, curl_socket_t fd, int what, void* user, void*) {
        auto* impl = static_cast<Impl*>(user);
        if (what == CURL_POLL_REMOVE) {
            if (auto it = impl->sockets.find(fd); it != impl->sockets.end()) {
                Drop(it->second);
                impl->sockets.erase(it);
            }
            return 0;
        }
        Watch& watch = impl->sockets[fd];
        impl->Notify(watch.read, fd, QSocketNotifier::Read, (what & CURL_POLL_IN) != 0);
        impl->Notify(watch.write, fd, QSocketNotifier::Write, (what & CURL_POLL_OUT) != 0);
        return 0;
    }

    void Notify(QSocketNotifier*& notifier, curl_socket_t fd, QSocketNotifier::Type type, bool wanted) {
        if (!notifier) {
            if (!wanted) return;
            notifier = new QSocketNotifier(qintptr(fd), type);
            const int event = type == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
            QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this, fd, event] { Drive(fd, event); });
        }
        notifier->setEnabled(wanted);
    }

    static int OnTimer(CURLM*, long timeoutMs, void* user) {
        auto* impl = static_cast<Impl*>(user);
        if (timeoutMs < 0)
            impl->curlTimer.stop();
        else
            impl->curlTimer.start(int(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
        return 0;
    }

    void Drive(curl_socket_t fd, int events) {
        if (!multi) return;
        int running = 0;
        ++insideCurl;
        curl_multi_socket_action(multi, fd, events, &running);
        --insideCurl;
        Collect();
    }

    // Takes a finished transfer out of libcurl and queues its hand-over.
    void Collect() {
        if (pending && pending->abandoned) {
            Remove();
            pending.reset();
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left))
            if (message->msg == CURLMSG_DONE && pending && pending->added && message->easy_handle == handle)
                Finish(message->data.result);
    }

    // Libcurl's own progress calls may not come while nothing moves; the
    // stall time-out is then checked from here.
    void CheckQuiet() {
        if (!pending || !pending->added || insideCurl) return;
        curl_off_t received = 0, sent = 0;
        curl_easy_getinfo(handle, CURLINFO_SIZE_DOWNLOAD_T, &received);
        curl_easy_getinfo(handle, CURLINFO_SIZE_UPLOAD_T, &sent);
        if (CheckStalled(pending->transfer, received, sent)) Finish(CURLE_ABORTED_BY_CALLBACK);
    }

    void Finish(CURLcode code) {
        pending->response = Outcome(handle, code, pending->transfer, pending->request);
        Remove();
        HandOver();
    }

    // Out of libcurl: the transfer stops at once and its connection is closed.
    void Remove() {
        stallTimer.stop();
        if (!pending || !pending->added) return;
        pending->added = false;
        curl_multi_remove_handle(multi, handle);
        Release(handle);
    }

    void HandOver() {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak = std::weak_ptr<Impl*>(self), ticket = ticket] {
                const std::shared_ptr<Impl*> alive = weak.lock();
                if (!alive) return;
                Impl& impl = **alive;
                if (impl.ticket != ticket || !impl.pending || !impl.pending->response) return;
                const Completion done = std::move(impl.pending->done);
                HttpResponse response = std::move(*impl.pending->response);
                impl.pending.reset();
                // Last: it may destroy the connection. Nothing may escape
                // into the event loop.
                try {
                    if (done) done(std::move(response));
                } catch (...) {
                }
            },
            Qt::QueuedConnection);
    }
};

HttpConnection::HttpConnection(bool cookies) : m_impl(std::make_unique<Impl>()), m_cookies(cookies) {
    InitHttp();
    m_impl->handle = curl_easy_init();
    if (m_impl->handle && cookies) curl_easy_setopt(m_impl->handle, CURLOPT_COOKIEFILE, "");
}

HttpConnection::~HttpConnection() = default;

bool HttpConnection::IsOpen() const { return m_impl->handle != nullptr; }

HttpResponse HttpConnection::Perform(const HttpRequest& request, const Observer& observer) {
    HttpResponse response;
    CURL* h = m_impl->handle;
    if (!h) {
        response.error = NoHttpServiceText();
        return response;
    }
    HeaderList headers;
    Transfer transfer;
    transfer.observer = &observer;
    if (!Prepare(h, request, transfer, headers)) {
        Release(h);
        response.error = CurlErrorText(CURLE_OUT_OF_MEMORY);
        return response;
    }
    if (observer) observer(HttpEvent::SendingRequest, request.url);
    CURLcode code = curl_easy_perform(h);
    Release(h);
    return Outcome(h, code, transfer, request);
}

void HttpConnection::Start(const HttpRequest& request, Completion done, const Observer& observer) {
    Abort();
    Impl& impl = *m_impl;
    impl.pending = std::make_unique<Pending>();
    Pending& p = *impl.pending;
    p.request = request;
    p.observer = observer;
    p.done = std::move(done);
    p.transfer.observer = &p.observer;
    if (!impl.handle || !impl.EnsureMulti()) {
        p.response = HttpResponse{};
        p.response->error = NoHttpServiceText();
    } else if (!Prepare(impl.handle, p.request, p.transfer, p.headers)) {
        Release(impl.handle);
        p.response = HttpResponse{};
        p.response->error = CurlErrorText(CURLE_OUT_OF_MEMORY);
    }
    if (p.response) {
        impl.HandOver();
        return;
    }
    if (p.observer) p.observer(HttpEvent::SendingRequest, p.request.url);
    if (!impl.pending) return; // the observer gave the request up
    if (curl_multi_add_handle(impl.multi, impl.handle) != CURLM_OK) {
        Release(impl.handle);
        p.response = HttpResponse{};
        p.response->error = NoHttpServiceText();
        impl.HandOver();
        return;
    }
    p.added = true;
    impl.stallTimer.start(int(std::clamp(p.request.stallTimeoutMs / 4, 10L, 1000L)));
}

void HttpConnection::Abort() {
    Impl& impl = *m_impl;
    if (!impl.pending) return;
    ++impl.ticket; // a hand-over already queued finds nothing
    if (impl.insideCurl && impl.pending->added) {
        impl.pending->abandoned = true;
        impl.pending->done = nullptr;
        return;
    }
    impl.Remove();
    impl.pending.reset();
}

bool HttpConnection::Busy() const { return m_impl->pending && !m_impl->pending->abandoned; }

} // namespace platform
