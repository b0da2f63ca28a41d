// libFuzzer target: the HTTP client on any response: a server on a loopback
// port answers every connection with the input's bytes (status line,
// headers and body as they come) and closes it. The client reaches it as its
// proxy, so a redirect anywhere comes back to the same server. A reply is
// either the body, within the client's length limit, or empty with a
// failure named.
#include "FuzzSupport.h"

#include "web/TSubmit.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

class TReplyServer {
public:
    TReplyServer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 16) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        m_port = ntohs(address.sin_port);
        std::thread([this] { Serve(); }).detach();
    }
    int Port() const { return m_port; }
    void SetReply(std::string reply) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reply = std::move(reply);
    }

private:
    void Serve() {
        for (;;) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0) continue;
            // The request up to its blank line (the client sends no body).
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
                pollfd p{client, POLLIN, 0};
                if (::poll(&p, 1, 2000) <= 0) break;
                const ssize_t n = ::recv(client, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, size_t(n));
            }
            std::string reply;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                reply = m_reply;
            }
            for (size_t sent = 0; sent < reply.size();) {
                const ssize_t n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += size_t(n);
            }
            ::shutdown(client, SHUT_WR);
            ::close(client);
        }
    }

    int m_listener = -1;
    int m_port = 0;
    std::mutex m_mutex;
    std::string m_reply;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    static TReplyServer server;
    server.SetReply(fuzzsupport::Text(data, size));
    fuzzsupport::TChoices choices(data, size);

    constexpr size_t Limit = 4096;
    TSubmit client;
    client.SetURL(choices.Next(2) ? "http://site.example/page?x=1" : "http://site.example");
    client.SetProtocolVersion(choices.Next(2) ? "HTTP/1.1" : "HTTP/1.0");
    client.SetMaxContentLength(Limit);
    client.SetConnectTimeout(2000);
    client.SetReceiveTimeout(2000);
    client.ProxyParams().SetProxyServer("127.0.0.1");
    client.ProxyParams().SetProxyPort(server.Port());
    client.SetAccessType(TSubmitAccessType::NamedProxy);
    client.OnStatus = [](TSubmit&, uint32_t, const void* information, uint32_t length) {
        if (length > 0 && !information) std::abort();
    };
    client.Connect();
    const std::string body = client.GetString();
    client.Disconnect();
    if (body.size() > Limit) std::abort();
    if (!body.empty() && client.LastFailure() != TSubmitFailure::None) std::abort();
    if (client.LastFailure() != TSubmitFailure::None && client.LastError().empty()) std::abort();
    return 0;
}
