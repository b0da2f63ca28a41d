#include "app/forms/WebAddress.h"

#include "platform/MessageRoutines.h"
#include "platform/QtText.h"

#include <QDesktopServices>

namespace app {

bool IsWebAddress(const QUrl& url) {
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty();
}

void OpenWebAddress(const std::string& address) {
    const QUrl url(platform::ToQString(address), QUrl::StrictMode);
    if (!IsWebAddress(url)) {
        platform::ShowInfoMessage("Открываются только адреса http и https: " + address);
        return;
    }
    if (!QDesktopServices::openUrl(url)) platform::ShowInfoMessage("Не удалось открыть " + address + " в браузере.");
}

} // namespace app
