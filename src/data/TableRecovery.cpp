#include "data/TableRecovery.h"

#include "data/TXMLTable.h"
#include "platform/ErrorText.h"
#include "platform/FileAside.h"

namespace data {

TRecoveredLoad LoadSettingDamagedAside(TXMLTable& table, const std::filesystem::path& file,
                                       std::string_view contents, const std::function<void()>& load) {
    try {
        load();
        return {};
    } catch (const EXMLTableDamaged& e) {
        std::error_code ec;
        const std::filesystem::path aside = platform::SetFileAside(file, ec);
        if (aside.empty())
            return {false, std::string(e.what()) + ".\nОтложить его не удалось: " + platform::ErrnoText(ec) + ". " +
                               "Программа не записывает в него, пока он не исправлен или не удалён."};
        // The file is gone from its place: the table forgets it failed, and
        // starts empty.
        table.ClearRecords();
        try {
            table.LoadFromFile(file);
        } catch (const std::exception&) {
        }
        return {true, std::string(e.what()) + ".\nОн сохранён как " + platform::QuotedFile(aside) + ", а " +
                          std::string(contents) + " начат заново."};
    } catch (const std::exception& e) {
        return {false, std::string(e.what()) + "."};
    }
}

} // namespace data
