#include "data/TdmFriend.h"

#include "data/Base64.h"
#include "data/FillVocabulary.h"
#include "platform/ErrorText.h"
#include "platform/TRegistry.h"
#include "platform/Text.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace data {
namespace {

TdmFriend* g_dmFriend = nullptr;

// The only text of "Profiles.xml" that switches a proxy or its authorization on.
constexpr std::string_view kYes = "Да";

// A proxy port from its decimal text; none for text that is no number or a
// number outside the port range.
std::optional<int32_t> ProxyPortOf(std::string_view text) {
    // StrToIntDef answers its fallback for bad text, so two different
    // fallbacks tell a bad text from a stored number that equals one of them.
    const int32_t value = text::StrToIntDef(text, -1);
    if (value != text::StrToIntDef(text, 0)) return std::nullopt;
    if (value < 0 || value > 65535) return std::nullopt;
    return value;
}

// One message for every stored setting a load passed over.
std::string SkippedSettingsMessage(const std::vector<platform::TSkippedValue>& skipped) {
    std::string message = "В файле настроек " + platform::QuotedFile(platform::TRegistry::StoreFile()) +
                          (skipped.size() == 1 ? " не прочитано значение" : " не прочитаны значения") + ":";
    for (const auto& value : skipped) message += "\n«" + value.Name + "»: " + value.Cause + ";";
    message.back() = '.';
    return message + (skipped.size() == 1 ? "\nВместо него действует значение по умолчанию"
                                          : "\nВместо них действуют значения по умолчанию") +
           ", остальные настройки прочитаны.";
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

} // namespace

TdmFriend::TdmFriend() {
    if (g_dmFriend) throw std::logic_error("TdmFriend: the data module exists already");

    m_friends.Open();
    m_friends.SetFileName("Friends.xml");
    m_ignore.Open();
    m_ignore.SetFileName("Ignore.xml");
    m_servers.Open();
    m_servers.SetFileName("FinderServers.xml");

    m_firstRun = m_settings.Load();
    std::string cause;
    const std::filesystem::path setAside = platform::TRegistry::TakeSetAsideFile(&cause);
    if (!setAside.empty())
        m_startupWarnings.push_back("Файл настроек " + platform::QuotedFile(platform::TRegistry::StoreFile()) +
                                    " повреждён: " + cause + ". Он сохранён как " + platform::QuotedFile(setAside) +
                                    ", а программа начинает с настройками по умолчанию.");
    if (const auto skipped = platform::TRegistry::TakeSkippedValues(); !skipped.empty())
        m_startupWarnings.push_back(SkippedSettingsMessage(skipped));

    try {
        m_profiles.Open();
    } catch (const std::exception& e) {
        // The program can work without login profiles: it uses the settings'
        // login, no proxy and its own folder, and keeps the file as it is.
        m_startupWarnings.push_back("Файл профилей «" + std::string(TProfiles::FileName) +
                                    "» не прочитан, профили не используются.\n" + e.what());
    }

    m_countries.Open();
    m_regions.Open();
    m_cities.Open();
    m_stations.Open();
    m_carGroup.Open();

    std::array<TConditionGroup*, VocabularyGroupCount> groups{};
    for (size_t i = 0; i < groups.size(); ++i) groups[i] = &m_groups[i];
    FillVocabulary(groups);

    const TTesselProfile& active = GetActiveProfile();
    if (!m_profileWarning.empty()) m_startupWarnings.push_back(m_profileWarning);

    std::string localDir = m_settings.UseProfile() ? active.LocalDir : std::string();
    if (!text::Trim(localDir).empty()) {
        // Ask the profile list where it would read its file, so that the
        // folder is checked exactly as the tables will resolve it.
        m_ignore.SetLocalDir(localDir);
        if (!IsFolder(m_ignore.FilePath().parent_path())) {
            m_startupWarnings.push_back("Папка профиля \"" + localDir +
                                        "\" не найдена, файлы профиля берутся из папки программы.");
            localDir.clear();
        }
    }
    m_folderList.SetLocalDir(localDir);
    m_ignore.SetLocalDir(localDir);
    m_localDir = localDir;

    g_dmFriend = this;
}

TdmFriend::~TdmFriend() {
    if (g_dmFriend == this) g_dmFriend = nullptr;
}

TTesselProfile& TdmFriend::GetActiveProfile() {
    m_profileWarning.clear();
    TTesselProxyParams& proxy = m_profile.ProxyParams;
    const pugi::xml_node row = m_profiles.FindByLogin(m_settings.ProfileLogin());
    if (!m_settings.UseProfile() || !row) {
        m_profile.Login = m_settings.login();
        m_profile.Password = m_settings.GetPassword();
        proxy.Clear();
        return m_profile;
    }

    m_profile.Login = TXMLTable::NodeText(row, "Login");
    m_profile.Password = DecodeStoredPassword(TXMLTable::NodeText(row, "Password"));
    m_profile.LocalDir = TXMLTable::NodeText(row, "LocalDir");
    proxy.Clear();
    if (TXMLTable::NodeText(row, "UseProxy") != kYes) return m_profile;

    const std::string portText = TXMLTable::NodeText(row, "ProxyPort");
    const std::optional<int32_t> port = ProxyPortOf(portText);
    if (!port) {
        m_profileWarning = "Порт прокси-сервера \"" + portText + "\" в профиле \"" + m_profile.Login +
                           "\" не является номером порта, прокси-сервер не используется.";
        return m_profile;
    }
    proxy.SetUseProxy(true);
    proxy.SetProxyAuthorization(TXMLTable::NodeText(row, "Authorization") == kYes);
    proxy.SetProxyServer(TXMLTable::NodeText(row, "ProxyServer"));
    proxy.SetProxyPort(*port);
    if (proxy.ProxyAuthorization()) {
        proxy.SetProxyUserName(TXMLTable::NodeText(row, "ProxyUserName"));
        // Profiles keep the proxy password in clear text.
        proxy.SetProxyPassword(TXMLTable::NodeText(row, "ProxyPassword"));
    }
    proxy.SetProxyBypass(TXMLTable::NodeText(row, "ProxyBypass"));
    return m_profile;
}

TdmFriend& dmFriend() {
    if (!g_dmFriend) throw std::logic_error("dmFriend: the data module has not been created");
    return *g_dmFriend;
}

bool dmFriendExists() { return g_dmFriend != nullptr; }

} // namespace data
