#pragma once
// A list of addresses kept in the data folder: container "URLs", record
// "URL", one field `URL`. The lists are short (the site servers), so lookups
// scan the rows.

#include "data/TXMLTable.h"

#include <string>
#include <string_view>

namespace data {

class TUrlList : public TXMLTable {
public:
    TUrlList();

    // The file's name in the data folder; empty = no file.
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(std::string value) { m_fileName = std::move(value); }

    // The `URL` element of the first row whose address equals `URL`, letters
    // A-Z folded; a null node when none does.
    virtual pugi::xml_node FindByURL(std::string_view URL) const;
    // Appends a row with the address; returns its record element.
    virtual pugi::xml_node AddURL(std::string_view URL);
    // Rewrites the address of the row at `index`; nothing outside the rows.
    virtual void SetURL(int index, std::string_view URL);
    // Removes the row at `index`; nothing outside the rows.
    virtual void DeleteURL(int index);
    // Appends to `target`, in this list's order, every address it lacks.
    virtual void CopyMissingTo(TUrlList& target) const;
    // Puts the addresses in ascending byte order (the rows keep their places,
    // the addresses move between them).
    virtual void SortByURL();
    // Reads the file from the data folder; nothing without FileName. A
    // missing file keeps the rows; a damaged one throws EXMLTable.
    virtual void Load();
    // Writes the file to the data folder; nothing without FileName.
    // Throws EXMLTable when writing fails or the file failed to load.
    virtual void Save();

protected:
    // `URL`, 2048 characters.
    void InitFieldDefs() override;

private:
    std::string m_fileName;
};

} // namespace data
