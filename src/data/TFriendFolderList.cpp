#include "data/TFriendFolderList.h"

#include "data/TFriend.h"

namespace data {

TFriendFolderList::TFriendFolderList() = default;

TFriendFolderList::~TFriendFolderList() = default;

void TFriendFolderList::InitFieldDefs() {
    FieldDefs().Add("id", 50, true);
    FieldDefs().Add("Name", 255, true);
    FieldDefs().Add("Caption", 255, true);
}

void TFriendFolderList::SetLocalDir(std::string dir) {
    m_localDir = std::move(dir);
    for (const auto& component : m_components)
        if (auto* profiles = dynamic_cast<TFriend*>(component.get())) profiles->SetLocalDir(m_localDir);
}

TXMLTable& TFriendFolderList::InsertComponent(std::unique_ptr<TXMLTable> component) {
    if (!component) throw EXMLTable("InsertComponent: no component");
    if (auto* profiles = dynamic_cast<TFriend*>(component.get())) profiles->SetLocalDir(m_localDir);
    m_components.push_back(std::move(component));
    return *m_components.back();
}

TXMLTable& TFriendFolderList::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EXMLTable("List index out of bounds (" + std::to_string(index) + ")");
    return *m_components[static_cast<size_t>(index)];
}

void TFriendFolderList::DeleteNode(int index) {
    if (index < 0 || index >= RecordCount()) return;
    // The table of the removed row goes with it; the later tables move up
    // with their rows.
    if (index < ComponentCount()) m_components.erase(m_components.begin() + index);
    TXMLTable::DeleteNode(index);
}

} // namespace data
