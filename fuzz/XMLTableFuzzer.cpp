// libFuzzer target: a profile table file ("Friends.xml" and its kind) as
// the program loads it, then looked up, added to and saved, and the saved
// file loaded again. A file that fails to load raises the table's error and
// is never overwritten.
#include "FuzzSupport.h"

#include "data/TFriend.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto file = fuzzsupport::Setup() / "Friends.xml";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    data::TFriend table;
    try {
        table.LoadFromFile(file);
    } catch (const std::exception&) {
        // Refused: the file must stay as it was and a save must be refused.
        try {
            table.SaveToFile(file);
            std::abort();
        } catch (const std::exception&) {
        }
        return 0;
    }
    for (int i = 0; i < table.RecordCount(); ++i) {
        const data::TFriendRecord r = data::TFriend::ReadRecord(table, i);
        if (!r.Login.empty() && !table.FindByLogin(r.Login)) std::abort();
    }
    table.AddFriend("n", "fuzz-login", "http://h/fuzz-login/", "", 1, 0, 0, 0, 0, 0, "");
    if (!table.FindByLogin("fuzz-login")) std::abort();
    // A table saves to a file that loads back to the same table: saving
    // what was loaded gives the same file again.
    const auto copy = file.parent_path() / "Copy.xml";
    table.SaveToFile(file);
    data::TFriend again;
    try {
        again.LoadFromFile(file);
    } catch (const std::exception&) {
        std::abort();
    }
    if (again.RecordCount() != table.RecordCount() || !again.FindByLogin("fuzz-login")) std::abort();
    again.SaveToFile(copy);
    if (ReadAll(copy) != ReadAll(file)) std::abort();
    return 0;
}
