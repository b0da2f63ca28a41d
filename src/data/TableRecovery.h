#pragma once
// Loading a table file at start-up so that a damaged file never keeps the
// program from working: the file is renamed aside for the user (as the
// settings file is) and the table starts empty, so that searching and saving
// go on. The user hears once what happened to which file.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace data {

class TXMLTable;

struct TRecoveredLoad {
    // The table is usable: loaded, or emptied after its file was set aside.
    // False when the file could not be read or set aside; the table then
    // refuses to save over it.
    bool Usable = true;
    // What to tell the user; empty when the file loaded (or was missing).
    std::string Message;
};

// Runs `load` (the table's own load of `file`). A damaged file is renamed
// aside and `table` emptied. `contents` names what the table holds, as the
// message says it ("список избранных"). Never throws.
TRecoveredLoad LoadSettingDamagedAside(TXMLTable& table, const std::filesystem::path& file,
                                       std::string_view contents, const std::function<void()>& load);

} // namespace data
