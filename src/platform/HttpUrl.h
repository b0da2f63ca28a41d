#pragma once
// URL rules of the HTTP service: which bytes of a request path get
// percent-encoded, and which hosts skip a proxy.

#include <string>
#include <string_view>

namespace platform {

struct HttpEscapeRules {
    bool path = true;     // escape what comes before '?'
    bool query = true;    // escape what follows from '?' on
    bool percent = false; // escape '%' too (otherwise it is taken as an escape already made)
};

// Percent-encodes the unsafe bytes of a path with its query: control bytes,
// space, '"', '<', '>', '\', '^', '`', '{', '|', '}', DEL and bytes >= 0x80.
std::string EscapeRequestPath(std::string_view pathAndQuery, HttpEscapeRules rules = {});

// True when `host` (with `port`) matches an entry of the proxy bypass list.
// Entries are separated by ';', ',' or blanks; letter case is ignored; '*'
// matches any run of characters; "<local>" matches a host name without a
// dot; an entry with ":port" matches that port only. An empty list matches
// nothing.
bool ProxyBypassMatches(std::string_view bypassList, std::string_view host, int port);

} // namespace platform
