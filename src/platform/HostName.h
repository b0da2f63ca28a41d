#pragma once
// What the user may type as a server or a proxy: a host name or an IPv4
// address, checked before it is stored, so that a slip ("1.9990") is
// refused where it was typed instead of failing every later request.

#include <string>
#include <string_view>

namespace platform {

// A dotted IPv4 address of four numbers 0-255 ("192.168.0.1"), or a host
// name: labels of letters, digits and hyphens (none at either end of a
// label), at most 63 bytes each and 253 in all, the last not all digits.
// Letters outside ASCII are allowed in labels (national domain names).
bool IsHostName(std::string_view text);
// IsHostName, optionally followed by ":" and a port 1-65535.
bool IsServerAddress(std::string_view text);
// Why `text` cannot be a server's name ("Имя сервера «…» не годится: ..."),
// the words the program refuses it with wherever it is typed or used; empty
// when it can (IsServerAddress).
std::string ServerAddressProblem(std::string_view text);

} // namespace platform
