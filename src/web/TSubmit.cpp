// The HTTP client over the platform's HTTP connection. Each request is built
// afresh from the client's current URL, header, proxy parameters, options
// and time-outs; the connection made by Connect only carries the open
// sockets and the cookies from one request to the next.
#include "web/TSubmit.h"

#include "platform/ErrorText.h"
#include "platform/HttpConnection.h"
#include "platform/HttpUrl.h"
#include "platform/Text.h"
#include "web/EWebError.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

constexpr int32_t kDefaultConnectTimeout = 60000;
constexpr int32_t kDefaultStallTimeout = 30000;

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Moves a trailing ":port" of `host` into `port` when it is a valid port
// number (an IPv6 literal keeps the colons inside its brackets).
void SplitPort(std::string& host, int32_t& port) {
    size_t colon = host.rfind(':');
    if (colon == std::string::npos) return;
    size_t bracket = host.rfind(']');
    if (bracket != std::string::npos ? bracket > colon : host.find(':') != colon) return;
    std::string_view digits = std::string_view(host).substr(colon + 1);
    if (!AllDigits(digits) || digits.size() > 5) return;
    int32_t value = text::StrToIntDef(digits, 0);
    if (value < 1 || value > 65535) return;
    port = value;
    host.erase(colon);
}

TUrl SplitUrl(const std::string& url) {
    TUrl result;
    result.URL = url;
    std::string_view rest = url;
    if (text::StartsWithAsciiCI(rest, "http://")) {
        rest.remove_prefix(7);
    } else if (text::StartsWithAsciiCI(rest, "https://")) {
        rest.remove_prefix(8);
        result.Secure = true;
    }
    // The host ends at the first '/', or at a '?' that comes before any '/'.
    size_t end = rest.find_first_of("/?");
    if (end == std::string_view::npos) {
        result.Host = std::string(rest);
        result.Path = "/";
    } else {
        result.Host = std::string(rest.substr(0, end));
        result.Path = rest[end] == '?' ? "/" + std::string(rest.substr(end)) : std::string(rest.substr(end));
    }
    if (size_t q = result.Path.find('?'); q != std::string::npos) result.Query = result.Path.substr(q + 1);
    SplitPort(result.Host, result.Port);
    return result;
}

class StringContent final : public TResponseContent {
public:
    explicit StringContent(std::string& target) : m_target(target) {}
    void Write(std::string_view bytes) override { m_target.append(bytes); }

private:
    std::string& m_target;
};

} // namespace

TSubmit::TSubmit()
    : m_requestHeader(std::make_unique<THTTPRequestHeader>()),
      m_proxyParams(std::make_unique<THTTPClientProxyParams>()) {
    m_requestHeader->SetUserAgent(std::string(AgentString));
}

TSubmit::~TSubmit() { Disconnect(); }

void TSubmit::SetURL(const std::string& url) { m_url = SplitUrl(url); }

void TSubmit::SetAccessType(TSubmitAccessType accessType) {
    if (accessType == m_accessType) return;
    Disconnect();
    m_accessType = accessType;
}

bool TSubmit::Connect() {
    if (m_connected) return true;
    if (!m_url.Host.empty()) {
        m_connection = std::make_unique<platform::HttpConnection>(
            !m_internetOptions.Contains(TSubmitInternetOption::NoCookies));
        if (m_connection->IsOpen()) {
            m_connected = true;
            return true;
        }
        m_connection.reset();
    }
    m_lastProxy.clear();
    Fail(TSubmitFailure::Network, m_url.Host.empty() ? platform::BadAddressText() : platform::NoHttpServiceText(),
         "Ошибка соединения:" + m_url.Host);
    return false;
}

void TSubmit::Disconnect() {
    m_connected = false;
    m_answerQueued = false;
    m_connection.reset();
}

std::string TSubmit::GetString() {
    std::string content;
    Get(content);
    return content;
}

void TSubmit::Get(TResponseContent& content) { Execute(&content); }

void TSubmit::Get(std::string& content) {
    StringContent sink(content);
    Execute(&sink);
}

void TSubmit::Execute(TResponseContent* content) {
    if (m_url.URL.empty()) throw EWebError("Empty URL");
    m_lastFailure = TSubmitFailure::None;
    m_lastError.clear();
    m_lastFailureAtProxy = false;
    m_lastFailureRefused = false;
    m_lastFailureNotHttp = false;
    try {
        platform::HttpRequest request;
        platform::HttpConnection::Observer observer;
        if (!PrepareRequest(request, observer)) return;
        platform::HttpResponse response = m_connection->Perform(request, observer);
        if (Accept(response) && content) content->Write(response.body);
    } catch (...) {
        Disconnect();
        throw;
    }
}

void TSubmit::GetStringAsync(TGetDone done) {
    if (m_url.URL.empty()) throw EWebError("Empty URL");
    Abort();
    m_lastFailure = TSubmitFailure::None;
    m_lastError.clear();
    m_lastFailureAtProxy = false;
    m_lastFailureRefused = false;
    m_lastFailureNotHttp = false;
    try {
        platform::HttpRequest request;
        platform::HttpConnection::Observer observer;
        if (PrepareRequest(request, observer)) {
            m_connection->Start(
                request,
                [this, done = std::move(done)](platform::HttpResponse response) {
                    std::string content;
                    if (Accept(response)) content = std::move(response.body);
                    done(std::move(content));
                },
                observer);
            return;
        }
    } catch (...) {
        Disconnect();
        throw;
    }
    // Nothing was sent: the empty answer still comes from the event loop.
    if (!m_self) m_self = std::make_shared<TSubmit*>(this);
    m_answerQueued = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [weak = std::weak_ptr<TSubmit*>(m_self), ticket = m_answerTicket, done = std::move(done)] {
            const std::shared_ptr<TSubmit*> alive = weak.lock();
            if (!alive || (*alive)->m_answerTicket != ticket || !(*alive)->m_answerQueued) return;
            (*alive)->m_answerQueued = false;
            try {
                done(std::string());
            } catch (...) {
                // Nothing may escape into the event loop.
            }
        },
        Qt::QueuedConnection);
}

void TSubmit::Abort() {
    ++m_answerTicket;
    m_answerQueued = false;
    if (m_connection) m_connection->Abort();
}

bool TSubmit::Busy() const { return m_answerQueued || (m_connection && m_connection->Busy()); }

bool TSubmit::PrepareRequest(platform::HttpRequest& request, platform::HttpConnection::Observer& observer) {
    if (!Connect()) return false;
    const bool cookies = !m_internetOptions.Contains(TSubmitInternetOption::NoCookies);
    if (m_connection->Cookies() != cookies) {
        // The cookie switch changed since Connect: start a session that obeys it.
        m_connection = std::make_unique<platform::HttpConnection>(cookies);
    }

    // libcurl reads the URL as a C string: a host with a NUL byte (or
    // any control byte) could send the request somewhere else.
    if (std::any_of(m_url.Host.begin(), m_url.Host.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        m_lastProxy.clear();
        Fail(TSubmitFailure::Network, platform::BadAddressText(), platform::BadAddressText() + " - URL:" + m_url.URL);
        return false;
    }

    request = MakeRequest();
    m_lastProxy = request.proxy ? request.proxy->server + ":" + std::to_string(request.proxy->port) : std::string();
    if (OnStatus) {
        observer = [this](platform::HttpEvent event, std::string_view information) {
            Status(event == platform::HttpEvent::SendingRequest ? StatusSendingRequest : StatusHeadersAvailable,
                   information);
        };
    }
    return true;
}

bool TSubmit::Accept(const platform::HttpResponse& response) {
    if (!response.completed) {
        Status(StatusRequestError, response.error);
        m_lastFailureAtProxy = response.atProxy;
        m_lastFailureRefused = response.refused;
        m_lastFailureNotHttp = response.notHttp;
        Fail(TSubmitFailure::Network, response.error, response.error + " - URL:" + m_url.URL);
        return false;
    }
    if (response.status >= 300 || response.status < 100) {
        Fail(TSubmitFailure::Status, platform::HttpStatusText(response.status, response.statusText),
             response.statusText + " - '" + m_url.URL + "'");
        return false;
    }
    return true;
}

platform::HttpRequest TSubmit::MakeRequest() const {
    platform::HttpRequest request;
    const bool secure =
        m_url.Secure || m_urlScheme == 2 || m_internetOptions.Contains(TSubmitInternetOption::Secure);
    // A port written in the URL wins; an https URL without one goes to 443
    // unless the client's port was changed from its default of 80.
    const int32_t port = m_url.Port > 0 ? m_url.Port : (secure && m_port == 80 ? 443 : m_port);
    platform::HttpEscapeRules escape;
    escape.path = !m_internetOptions.Contains(TSubmitInternetOption::EscapeDisable);
    escape.query = escape.path && !m_internetOptions.Contains(TSubmitInternetOption::EscapeDisableQuery);
    escape.percent = m_internetOptions.Contains(TSubmitInternetOption::EscapePercent);
    request.url = (secure ? "https://" : "http://") + m_url.Host;
    if (port != (secure ? 443 : 80)) request.url += ":" + std::to_string(port);
    request.url += platform::EscapeRequestPath(m_url.Path, escape);

    request.headers = text::SplitLines(m_requestHeader->RawHeaderText());
    // What the system's HTTP service added of its own accord: a request
    // that must not come from a cache says so, and HTTP/1.0 asks for the
    // connection to stay open.
    if ((m_internetOptions.Contains(TSubmitInternetOption::BypassProxyCache) ||
         m_internetOptions.Contains(TSubmitInternetOption::Refresh)) &&
        text::Trim(m_requestHeader->Pragma()).empty())
        request.headers.push_back("Pragma: no-cache");
    const bool keepAlive = m_internetOptions.Contains(TSubmitInternetOption::KeepConnection);
    if (keepAlive && text::Trim(m_requestHeader->Connection()).empty())
        request.headers.push_back("Connection: Keep-Alive");
    request.userAgent = std::string(AgentString);
    request.http11 = text::SameTextAscii(m_protocolVersion, "HTTP/1.1");
    request.followRedirects = !m_internetOptions.Contains(TSubmitInternetOption::NoAutoRedirect);
    request.keepAlive = keepAlive;

    // A named proxy only when the parameters name one and the access
    // type asks for it; anything else goes direct.
    const auto& proxy = *m_proxyParams;
    if (m_accessType == TSubmitAccessType::NamedProxy && !proxy.ProxyServer().empty() &&
        !platform::ProxyBypassMatches(proxy.ProxyBypass(), m_url.Host, port)) {
        platform::HttpProxy named;
        named.server = proxy.ProxyServer();
        named.port = proxy.ProxyPort() == 0 ? 80 : proxy.ProxyPort();
        named.userName = proxy.ProxyUserName();
        named.password = proxy.ProxyPassword();
        request.proxy = std::move(named);
    }

    request.connectTimeoutMs = m_connectTimeout > 0 ? m_connectTimeout : kDefaultConnectTimeout;
    request.stallTimeoutMs = std::min(m_sendTimeout > 0 ? m_sendTimeout : kDefaultStallTimeout,
                                      m_receiveTimeout > 0 ? m_receiveTimeout : kDefaultStallTimeout);
    request.maxBodyBytes = m_maxContentLength;
    return request;
}

void TSubmit::ReportError(const std::string&) {}

std::string TSubmit::FailureMessage() const {
    std::string server = m_url.Host;
    if (m_url.Port > 0) server += ":" + std::to_string(m_url.Port);
    switch (m_lastFailure) {
    case TSubmitFailure::None: return {};
    case TSubmitFailure::Network:
        // The server answered, with what is refused (more than a page may
        // hold, a broken head, a redirect to another scheme).
        if (m_lastFailureRefused) return "Ответ сервера " + server + " не принят: " + m_lastError;
        // It answered, with something else than HTTP: reachable, and the address is right.
        if (m_lastFailureNotHttp)
            return (m_lastFailureAtProxy && !m_lastProxy.empty() ? "Прокси-сервер " + m_lastProxy : "Сервер " + server) +
                   " прислал " + m_lastError;
        if (m_lastFailureAtProxy && !m_lastProxy.empty())
            return "Прокси-сервер " + m_lastProxy + " недоступен: " + m_lastError;
        return "Сервер " + server + " недоступен: " + m_lastError;
    case TSubmitFailure::Status:
        return "Сервер " + server + (m_lastProxy.empty() ? "" : " (через прокси-сервер " + m_lastProxy + ")") +
               " ответил ошибкой " + m_lastError;
    }
    return {};
}

void TSubmit::Fail(TSubmitFailure failure, const std::string& error, const std::string& report) {
    m_lastFailure = failure;
    m_lastError = error;
    ReportError(report);
}

void TSubmit::Status(uint32_t status, std::string_view information) {
    if (OnStatus) OnStatus(*this, status, information.data(), uint32_t(information.size()));
}
