// vtool fetch URL [--proxy HOST:PORT] [--proxy-user U --proxy-pass P]
// Prints the body the program's HTTP client returns for URL, byte for byte;
// nothing when the request fails: the reason goes to standard error and the
// exit code is 1 (no connection, an unknown host, an error status).
#include "Command.h"

#include "platform/Text.h"
#include "web/TSubmit.h"

#include <cstdio>

namespace {

class ReportingSubmit : public TSubmit {
protected:
    void ReportError(const std::string& text) override { std::fprintf(stderr, "vtool fetch: %s\n", text.c_str()); }
};

int Fetch(const vtool::Args& args) {
    const auto positional = vtool::Positional(args, {"--proxy", "--proxy-user", "--proxy-pass"});
    if (positional.size() != 1) {
        std::fprintf(stderr, "usage: vtool fetch URL [--proxy HOST:PORT] [--proxy-user U --proxy-pass P]\n");
        return 2;
    }
    ReportingSubmit submit;
    submit.SetURL(positional[0]);
    const std::string proxy = vtool::Option(args, "--proxy");
    if (!proxy.empty()) {
        // As the settings put a proxy into a client; no port means 80.
        std::string server = proxy;
        int32_t port = 0;
        if (size_t colon = proxy.rfind(':'); colon != std::string::npos) {
            server = proxy.substr(0, colon);
            port = text::StrToIntDef(proxy.substr(colon + 1), 0);
        }
        submit.SetInternetOptions({TSubmitInternetOption::BypassProxyCache, TSubmitInternetOption::KeepConnection});
        submit.SetAccessType(TSubmitAccessType::NamedProxy);
        submit.ProxyParams().SetProxyServer(server);
        submit.ProxyParams().SetProxyPort(port);
        submit.ProxyParams().SetProxyUserName(vtool::Option(args, "--proxy-user"));
        submit.ProxyParams().SetProxyPassword(vtool::Option(args, "--proxy-pass"));
    }
    std::string body;
    if (submit.Connect()) body = submit.GetString();
    submit.Disconnect();
    std::fwrite(body.data(), 1, body.size(), stdout);
    return submit.LastFailure() == TSubmitFailure::None ? 0 : 1;
}

const vtool::Register reg("fetch", "URL [--proxy HOST:PORT] [--proxy-user U --proxy-pass P]", Fetch);

} // namespace
