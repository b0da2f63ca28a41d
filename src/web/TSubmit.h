#pragma once
// The program's only HTTP client: GET requests, blocking on the calling
// thread, or started and carried on by that thread's Qt event loop so that
// the thread stays free while the site answers. Both send the same request.
// Network and HTTP failures never raise; they are handed to ReportError and
// the caller gets no content. Only a missing URL raises.

#include "web/THTTPClientProxyParams.h"
#include "web/THTTPRequestHeader.h"
#include "web/TResponseContent.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class HttpConnection;
struct HttpRequest;
struct HttpResponse;
enum class HttpEvent;
} // namespace platform

// A URL as the client splits it.
struct TUrl {
    std::string URL;   // exactly as set
    std::string Host;  // host name without scheme and port
    std::string Path;  // from the first '/' to the end, query included; "/" when none
    std::string Query; // text after the first '?' in Path (kept, not read by the client)
    int32_t Port = 0;  // a port written in the URL; 0 when none
    bool Secure = false; // the URL began with "https://"
};

enum class TSubmitAccessType : uint8_t {
    Direct = 0,       // no proxy
    DefaultProxy = 1, // the system's proxy: here, none (the environment is never read)
    NamedProxy = 2,   // the proxy that ProxyParams names
};

enum class TSubmitInternetOption : uint8_t {
    None = 0, // no effect
    BypassProxyCache = 1,
    EscapeDisable = 2,
    EscapeDisableQuery = 3,
    EscapePercent = 4,
    NullCodepage = 5,
    Refresh = 6,
    Secure = 7,
    KeepConnection = 8,
    NoCookies = 9,
    NoAutoRedirect = 10,
};

// A set of TSubmitInternetOption, one bit per element in the order above.
class TSubmitInternetOptions {
public:
    constexpr TSubmitInternetOptions() = default;
    constexpr TSubmitInternetOptions(std::initializer_list<TSubmitInternetOption> options) {
        for (auto option : options) Include(option);
    }
    constexpr bool Contains(TSubmitInternetOption option) const { return (m_bits & Bit(option)) != 0; }
    constexpr void Include(TSubmitInternetOption option) { m_bits = uint16_t(m_bits | Bit(option)); }
    constexpr void Exclude(TSubmitInternetOption option) { m_bits = uint16_t(m_bits & ~Bit(option)); }
    constexpr uint16_t Bits() const { return m_bits; }
    friend constexpr bool operator==(TSubmitInternetOptions, TSubmitInternetOptions) = default;

private:
    static constexpr uint16_t Bit(TSubmitInternetOption option) { return uint16_t(1u << uint8_t(option)); }
    uint16_t m_bits = 0;
};

// What the last request of a client ran into.
enum class TSubmitFailure : uint8_t {
    None = 0,    // it succeeded (or none was made)
    Network = 1, // no answer at all: no connection, unknown host, time-out, transfer cut short
    Status = 2,  // the server answered with a status of 300 or more
};

class TSubmit {
public:
    // The agent the client introduces itself with.
    static constexpr std::string_view AgentString = "Mozilla/5.0 (compatible; MSIE 6.0; Windows 98)";

    // Progress notifications passed to OnStatus (the values of the
    // operating system's HTTP service that the original reported).
    static constexpr uint32_t StatusSendingRequest = 0x00000010;
    static constexpr uint32_t StatusHeadersAvailable = 0x00020000; // information: the status line
    static constexpr uint32_t StatusRequestError = 0x00200000;     // information: the error text

    using TSubmitStatusEvent = std::function<void(TSubmit& sender, uint32_t internetStatus,
                                                  const void* statusInformation,
                                                  uint32_t statusInformationLength)>;

    // Port 80, direct access, options [KeepConnection], HTTP/1.0; the request
    // header carries Accept "text/html, */*" and the agent as User-Agent.
    TSubmit();
    // Closes the connection when the caller has not.
    virtual ~TSubmit();
    TSubmit(const TSubmit&) = delete;
    TSubmit& operator=(const TSubmit&) = delete;

    // Setting the URL splits it (see TUrl) and does not disconnect: the next
    // request goes to the new URL's host and port.
    const std::string& URL() const { return m_url.URL; }
    void SetURL(const std::string& url);
    const TUrl& Url() const { return m_url; }

    // The port used when the URL names none (443 instead of the default 80
    // for an https URL).
    int32_t Port() const { return m_port; }
    void SetPort(int32_t port) { m_port = port; }

    bool Connected() const { return m_connected; }

    // A different access type disconnects first.
    TSubmitAccessType AccessType() const { return m_accessType; }
    void SetAccessType(TSubmitAccessType accessType);

    TSubmitInternetOptions InternetOptions() const { return m_internetOptions; }
    void SetInternetOptions(TSubmitInternetOptions options) { m_internetOptions = options; }

    // 1 plain HTTP; 2 makes every request secure (https), as does an https URL.
    int32_t URLScheme() const { return m_urlScheme; }
    void SetURLScheme(int32_t scheme) { m_urlScheme = scheme; }

    // Time-outs in milliseconds; 0 keeps the defaults (connect 60 s, a
    // stalled send or receive 30 s).
    int32_t ConnectTimeout() const { return m_connectTimeout; }
    void SetConnectTimeout(int32_t ms) { m_connectTimeout = ms; }
    int32_t SendTimeout() const { return m_sendTimeout; }
    void SetSendTimeout(int32_t ms) { m_sendTimeout = ms; }
    int32_t ReceiveTimeout() const { return m_receiveTimeout; }
    void SetReceiveTimeout(int32_t ms) { m_receiveTimeout = ms; }

    // The longest response body accepted, in bytes (64 MiB unless set); a
    // longer one is cut off while it arrives and fails like any transfer.
    size_t MaxContentLength() const { return m_maxContentLength; }
    void SetMaxContentLength(size_t bytes) { m_maxContentLength = bytes; }

    // "HTTP/1.0"; "HTTP/1.1" is also understood.
    const std::string& ProtocolVersion() const { return m_protocolVersion; }
    void SetProtocolVersion(const std::string& version) { m_protocolVersion = version; }

    THTTPRequestHeader& RequestHeader() { return *m_requestHeader; }
    const THTTPRequestHeader& RequestHeader() const { return *m_requestHeader; }
    THTTPClientProxyParams& ProxyParams() { return *m_proxyParams; }
    const THTTPClientProxyParams& ProxyParams() const { return *m_proxyParams; }

    // Opens the session (cookies live as long as it does). Answers True at
    // once when already connected; on failure reports it and answers False.
    bool Connect();
    // Closes the session; does nothing when not connected.
    void Disconnect();

    // The body of a GET of URL, or an empty string after any failure (no
    // connection, time-out, status of 300 or more, a transfer cut short).
    // Throws EWebError("Empty URL") when no URL is set.
    std::string GetString();
    // GET of URL: the whole body is written to `content` only on success;
    // after a failure `content` is not touched. Throws like GetString.
    void Get(TResponseContent& content);
    // As above, appending the body to `content`.
    void Get(std::string& content);

    using TGetDone = std::function<void(std::string content)>;
    // GetString without the wait: returns at once, and `done` gets what
    // GetString would have returned from a later turn of the calling
    // thread's Qt event loop, never from within this call. Throws at once
    // like GetString (and `done` is then never called). Another request,
    // Abort, Disconnect or the client's end gives the request up.
    void GetStringAsync(TGetDone done);
    // Gives up the request in flight at once: its transfer is cut off and
    // its `done` never called. Nothing otherwise.
    void Abort();
    // A request of GetStringAsync has not been answered yet.
    bool Busy() const;

    // The failure of the last request and its cause in the user's words
    // ("не удаётся установить соединение (код libcurl 7)", "404 — страница не
    // найдена (Not Found)"), kept until the next request.
    TSubmitFailure LastFailure() const { return m_lastFailure; }
    const std::string& LastError() const { return m_lastError; }
    // The last request went through a proxy and failed before the proxy
    // answered anything: the proxy, not the site, is what failed.
    bool LastFailureAtProxy() const { return m_lastFailureAtProxy; }
    // The last failure as a message for the user, naming whom it concerns:
    // "Сервер HOST недоступен: CAUSE", "Прокси-сервер HOST:PORT недоступен:
    // CAUSE", "Ответ сервера HOST не принят: CAUSE" (a page over the limit,
    // a broken head, a redirect to another scheme), "Сервер HOST (or
    // Прокси-сервер HOST:PORT) прислал ответ не по протоколу HTTP (код
    // libcurl N)" or "Сервер HOST ответил ошибкой CAUSE"; empty after a
    // success.
    std::string FailureMessage() const;

    TSubmitStatusEvent OnStatus;

protected:
    // Performs the request (connecting first when needed) and hands a
    // successful body to `content` (which may be null).
    virtual void Execute(TResponseContent* content);
    // Receives the text of every failure; the client itself drops them.
    virtual void ReportError(const std::string& text);

private:
    // Connects when needed and builds the request for the current URL;
    // false, the failure reported, when there is nothing to send.
    bool PrepareRequest(platform::HttpRequest& request, std::function<void(platform::HttpEvent, std::string_view)>& observer);
    // Reports a response that brings no content; true when its body is the content.
    bool Accept(const platform::HttpResponse& response);
    // The request for the current URL, header, options, proxy and time-outs.
    platform::HttpRequest MakeRequest() const;
    void Status(uint32_t status, std::string_view information);
    void Fail(TSubmitFailure failure, const std::string& error, const std::string& report);

    TUrl m_url;
    int32_t m_port = 80;
    bool m_connected = false;
    std::unique_ptr<platform::HttpConnection> m_connection;
    std::unique_ptr<THTTPRequestHeader> m_requestHeader;
    int32_t m_urlScheme = 1;
    TSubmitAccessType m_accessType = TSubmitAccessType::Direct;
    TSubmitInternetOptions m_internetOptions{TSubmitInternetOption::KeepConnection};
    std::unique_ptr<THTTPClientProxyParams> m_proxyParams;
    int32_t m_connectTimeout = 0;
    int32_t m_sendTimeout = 0;
    int32_t m_receiveTimeout = 0;
    size_t m_maxContentLength = size_t(64) << 20;
    std::string m_protocolVersion = "HTTP/1.0";
    // An answer of GetStringAsync given without a request is queued with
    // this ticket and finds the client through `m_self`, or not at all.
    uint64_t m_answerTicket = 0;
    bool m_answerQueued = false;
    std::shared_ptr<TSubmit*> m_self;
    TSubmitFailure m_lastFailure = TSubmitFailure::None;
    std::string m_lastError;
    bool m_lastFailureAtProxy = false;
    bool m_lastFailureRefused = false;
    bool m_lastFailureNotHttp = false;
    // "host:port" of the proxy the last request went through; empty when direct.
    std::string m_lastProxy;
};
