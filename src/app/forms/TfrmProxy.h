#pragma once
// The proxy page, embedded in the second tab of the settings page: whether
// to go through a proxy, its address and port, and the user name and
// password when the proxy asks for them. It edits a copy of the proxy
// settings of its own (Params); the settings page copies them in and out.

#include "data/TTesselProxyParams.h"
#include "platform/TForm.h"

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace app {

class TNumberEdit;

class TfrmProxy : public platform::TForm {
    Q_OBJECT
public:
    explicit TfrmProxy(QWidget* owner = nullptr);
    ~TfrmProxy() override;

    // The page's own copy of the proxy settings.
    data::TTesselProxyParams& Params() { return m_params; }

    // The controls from Params, then the controls enabled to match.
    void LoadFromParams();
    // Params from the controls: the switches, the address ("0", what the
    // number edit shows for none, is no address), the port, and
    // the user name and password with trailing blanks cut. Call
    // CheckValues first: a port that is no port number is not stored, and
    // the port Params held is kept.
    void SaveToParams();
    // Why the controls cannot be stored, naming the field (a message for the
    // user); nothing when they can. The address (an IP address or a host
    // name) and the port are checked only while the proxy is switched on,
    // since the user cannot edit them otherwise. `field`, when given, gets
    // the edit that is wrong.
    std::optional<std::string> CheckValues(QLineEdit** field = nullptr) const;
    // The port as the user wrote it: trimmed, 0 to 65535; nothing otherwise.
    std::optional<int> PortValue() const;

    // The address, port and authorization switch follow On; the user name
    // and password follow the authorization switch where it is enabled.
    void EnableProxyControls(bool On);
    // The user name and password rows are shown and enabled with On.
    void EnableAuthControls(bool On);

    // Raised by every edit and check box of the page, with the control.
    std::function<void(QObject* Sender)> OnChange;

    QCheckBox* chbUseProxy = nullptr;
    QGroupBox* gbProxy = nullptr;
    QLabel* lbProxyServer = nullptr;
    TNumberEdit* edProxyServer = nullptr;
    QLabel* lbProxyPort = nullptr;
    TNumberEdit* edProxyPort = nullptr;
    QLabel* lbAthorization = nullptr;
    QCheckBox* chbAuthorization = nullptr;
    QLabel* lbProxyUserName = nullptr;
    QLineEdit* edProxyUserName = nullptr;
    QLabel* lbProxyPassword = nullptr;
    QLineEdit* edProxyPassword = nullptr;

private:
    void chbUseProxyClick();
    void chbAuthorizationClick();
    void ChangeValue(QObject* Sender);

    data::TTesselProxyParams m_params;
};

} // namespace app
