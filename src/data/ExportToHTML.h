#pragma once
// The found profiles or the favourites as a web page for the browser: one
// link per row ("Name, Age, Area" to the profile's address), in a
// windows-1251 file.

#include <filesystem>

namespace data {

class TXMLTable;

// Writes every row of `table` (opened, put on its first record) to
// `fileName`, replacing it through a temporary file. Texts are escaped; an
// address is linked only when it is an http:// or https:// one; characters
// windows-1251 lacks become numeric character references. Throws EXMLTable
// when the file cannot be written (an existing file is then kept).
void ExportToHTML(TXMLTable& table, const std::filesystem::path& fileName);

} // namespace data
