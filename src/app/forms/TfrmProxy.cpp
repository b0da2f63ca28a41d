#include "app/forms/TfrmProxy.h"

#include "app/controls/TNumberEdit.h"

#include "platform/HostName.h"
#include "platform/QtText.h"
#include "platform/Text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace app {
namespace {

using platform::ToQString;

std::string ToStd(const QString& s) { return s.toStdString(); }

} // namespace

TfrmProxy::TfrmProxy(QWidget* owner) : platform::TForm(owner) {
    setObjectName("frmProxy");

    chbUseProxy = new QCheckBox("Использовать прокси", this);
    chbUseProxy->setObjectName("chbUseProxy");
    gbProxy = new QGroupBox("Прокси", this);
    gbProxy->setObjectName("gbProxy");

    auto label = [this](QLabel*& member, const char* name, const char* caption) {
        member = new QLabel(caption, gbProxy);
        member->setObjectName(name);
    };
    auto edit = [this]<class Edit>(Edit*& member, const char* name) {
        member = new Edit(gbProxy);
        member->setObjectName(name);
        connect(member, &QLineEdit::textChanged, this, [this, member] { ChangeValue(member); });
    };
    label(lbProxyServer, "lbProxyServer", "Сервер IP");
    edit(edProxyServer, "edProxyServer");
    label(lbProxyPort, "lbProxyPort", "Порт");
    edit(edProxyPort, "edProxyPort");
    edProxyPort->SetValue("80");
    edProxyPort->setMaxLength(5);
    label(lbAthorization, "lbAthorization", "Авторизация");
    chbAuthorization = new QCheckBox("С авторизацией", gbProxy);
    chbAuthorization->setObjectName("chbAuthorization");
    label(lbProxyUserName, "lbProxyUserName", "Логин");
    edit(edProxyUserName, "edProxyUserName");
    label(lbProxyPassword, "lbProxyPassword", "Пароль");
    edit(edProxyPassword, "edProxyPassword");
    edProxyPassword->setEchoMode(QLineEdit::Password);

    auto* grid = new QGridLayout(gbProxy);
    grid->addWidget(lbProxyServer, 0, 0);
    grid->addWidget(edProxyServer, 0, 1);
    grid->addWidget(lbProxyPort, 1, 0);
    grid->addWidget(edProxyPort, 1, 1, Qt::AlignLeft);
    edProxyPort->setFixedWidth(70);
    grid->addWidget(lbAthorization, 2, 0);
    grid->addWidget(chbAuthorization, 2, 1);
    grid->addWidget(lbProxyUserName, 3, 0);
    grid->addWidget(edProxyUserName, 3, 1);
    grid->addWidget(lbProxyPassword, 4, 0);
    grid->addWidget(edProxyPassword, 4, 1);
    grid->setColumnStretch(1, 1);
    gbProxy->setFixedWidth(360);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chbUseProxy);
    layout->addWidget(gbProxy);
    layout->addStretch(1);

    connect(chbUseProxy, &QCheckBox::clicked, this, &TfrmProxy::chbUseProxyClick);
    connect(chbAuthorization, &QCheckBox::clicked, this, &TfrmProxy::chbAuthorizationClick);
    m_params.Clear();
    LoadFromParams();
}

TfrmProxy::~TfrmProxy() = default;

void TfrmProxy::LoadFromParams() {
    chbUseProxy->setChecked(m_params.UseProxy());
    chbAuthorization->setChecked(m_params.ProxyAuthorization());
    edProxyServer->SetValue(m_params.ProxyServer().empty() ? "0" : m_params.ProxyServer());
    // A stored 0 stands for the proxy's usual port, which is what the page shows.
    edProxyPort->SetValue(std::to_string(m_params.ProxyPort() == 0 ? 80 : m_params.ProxyPort()));
    edProxyUserName->setText(ToQString(m_params.ProxyUserName()));
    edProxyPassword->setText(ToQString(m_params.ProxyPassword()));
    EnableProxyControls(m_params.UseProxy());
}

std::optional<int> TfrmProxy::PortValue() const {
    const std::string text(text::Trim(ToStd(edProxyPort->text())));
    if (text.empty() || text.size() > 5) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    // Port 0 names no port: no proxy listens there.
    const int port = std::stoi(text);
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

std::optional<std::string> TfrmProxy::CheckValues(QLineEdit** field) const {
    if (!chbUseProxy->isChecked()) return std::nullopt;
    if (field) *field = edProxyServer;
    const std::string server(text::Trim(edProxyServer->GetValue()));
    if (server.empty() || server == "0")
        return std::string("Укажите в поле «Сервер IP» адрес прокси-сервера, например 192.168.0.1.");
    if (!platform::IsHostName(server))
        return "«" + server +
               "» в поле «Сервер IP» — не адрес прокси-сервера: нужен IP-адрес из четырёх чисел от 0 до 255 "
               "через точку, например 192.168.0.1.";
    if (field) *field = edProxyPort;
    if (!PortValue()) return std::string("Укажите в поле «Порт» прокси-сервера целое число от 1 до 65535.");
    return std::nullopt;
}

void TfrmProxy::SaveToParams() {
    m_params.SetUseProxy(chbUseProxy->isChecked());
    m_params.SetProxyAuthorization(chbAuthorization->isChecked());
    const std::string server = edProxyServer->GetValue();
    m_params.SetProxyServer(server == "0" ? std::string() : server);
    if (const std::optional<int> port = PortValue()) m_params.SetProxyPort(*port);
    m_params.SetProxyUserName(std::string(text::TrimRight(ToStd(edProxyUserName->text()))));
    m_params.SetProxyPassword(std::string(text::TrimRight(ToStd(edProxyPassword->text()))));
}

void TfrmProxy::EnableProxyControls(bool On) {
    edProxyServer->setEnabled(On);
    edProxyPort->setEnabled(On);
    chbAuthorization->setEnabled(On);
    EnableAuthControls(chbAuthorization->isEnabled() && chbAuthorization->isChecked());
}

void TfrmProxy::EnableAuthControls(bool On) {
    // The group box shrinks to the rows left visible.
    for (QWidget* w : {static_cast<QWidget*>(lbProxyUserName), static_cast<QWidget*>(lbProxyPassword),
                       static_cast<QWidget*>(edProxyUserName), static_cast<QWidget*>(edProxyPassword)}) {
        w->setEnabled(On);
        w->setVisible(On);
    }
}

void TfrmProxy::chbUseProxyClick() {
    EnableProxyControls(chbUseProxy->isChecked());
    ChangeValue(chbUseProxy);
}

void TfrmProxy::chbAuthorizationClick() {
    EnableAuthControls(chbAuthorization->isChecked());
    ChangeValue(chbAuthorization);
}

void TfrmProxy::ChangeValue(QObject* Sender) {
    if (!OnChange) return;
    try {
        OnChange(Sender);
    } catch (const std::exception&) {
        // Nothing binds it; a handler that fails must not take the page down.
    }
}

} // namespace app
