#pragma once
// A list of profile folders (default element names; fields id, Name,
// Caption). It owns one table per row, at the row's position, and hands its
// local folder to the profile tables among them.

#include "data/TXMLTable.h"

#include <memory>
#include <string>
#include <vector>

namespace data {

class TFriend;

class TFriendFolderList : public TXMLTable {
public:
    TFriendFolderList();
    ~TFriendFolderList() override;

    // The folder of the profile tables it owns; empty = the data folder.
    const std::string& LocalDir() const { return m_localDir; }
    // Sets its folder and that of every profile table it owns.
    void SetLocalDir(std::string dir);

    // Takes `component` over as the table of the next row without one; a
    // profile table gets the list's folder. Returns it. Throws EXMLTable for
    // a null pointer.
    TXMLTable& InsertComponent(std::unique_ptr<TXMLTable> component);
    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    // The owned table at `index`; throws EXMLTable outside 0..ComponentCount-1.
    TXMLTable& Components(int index) const;

    // Frees the owned table at the row's position (when there is one), then
    // removes the row. Nothing for an index outside the rows.
    void DeleteNode(int index) override;

protected:
    // id 50, Name 255, Caption 255.
    void InitFieldDefs() override;

private:
    std::string m_localDir;
    std::vector<std::unique_ptr<TXMLTable>> m_components;
};

} // namespace data
