#pragma once
// Profile addresses in the user's browser. A profile's address comes from a
// page of the site, so only web addresses are ever handed to the desktop:
// never a local file or program.

#include <QUrl>
#include <string>

namespace app {

// An absolute http or https address with a host.
bool IsWebAddress(const QUrl& url);

// Opens `address` in the browser. Anything but a web address is refused with
// a message; a browser that does not take it is reported too.
void OpenWebAddress(const std::string& address);

} // namespace app
