#include "data/TXMLTableIndex.h"

#include "data/TXMLTable.h"

#include <algorithm>

namespace data {
namespace {

// Ordinal comparison: bytes as unsigned, no locale.
int CompareKeys(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

} // namespace

const TXMLTableIndexItem& TXMLTableIndex::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EXMLTable("List index out of bounds (" + std::to_string(index) + ")");
    return *m_items[static_cast<size_t>(index)];
}

void TXMLTableIndex::Build(std::string_view keyField, TXMLTable& table) {
    m_keyField = keyField;
    m_table = &table;
    Clear();
    table.Open();
    table.First();
    const int count = table.RecordCount();
    m_items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        m_items.push_back(std::make_unique<TXMLTableIndexItem>(i, table.GetFieldValue(m_keyField)));
        table.Next();
    }
    // The original's exchange sort, kept for its order among equal keys; the
    // index serves short lists.
    for (size_t i = 0; i + 1 < m_items.size(); ++i)
        for (size_t j = i + 1; j < m_items.size(); ++j)
            if (CompareKeys(m_items[i]->Key(), m_items[j]->Key()) > 0) std::swap(m_items[i], m_items[j]);
}

pugi::xml_node TXMLTableIndex::Find(std::string_view key) const {
    if (!m_table || m_items.empty()) return {};
    auto entry = [&](int oneBased) -> const TXMLTableIndexItem& { return *m_items[static_cast<size_t>(oneBased - 1)]; };
    int lo = 1;
    int hi = Count();
    int mid = (lo + hi) / 2;
    while (hi > lo && mid != lo && mid != hi) {
        const int c = CompareKeys(key, entry(mid).Key());
        if (c == 0) return m_table->RecordNode(entry(mid).RecIndex());
        if (c < 0)
            hi = mid;
        else
            lo = mid;
        mid = (lo + hi) / 2;
    }
    pugi::xml_node result;
    if (entry(lo).Key() == key) result = m_table->RecordNode(entry(lo).RecIndex());
    if (entry(hi).Key() == key) result = m_table->RecordNode(entry(hi).RecIndex());
    return result;
}

void TXMLTableIndex::AddKey(std::string_view key) {
    if (!m_table) return;
    const pugi::xml_node record = m_table->NewRecordNode();
    TXMLTable::SetNodeText(record, m_keyField, key);
    auto item = std::make_unique<TXMLTableIndexItem>(m_table->RecordCount() - 1, std::string(key));
    const auto at = std::find_if(m_items.begin(), m_items.end(),
                                 [&](const auto& e) { return CompareKeys(e->Key(), key) > 0; });
    m_items.insert(at, std::move(item));
}

void TXMLTableIndex::DeleteEntry(int index) {
    const int32_t removed = Items(index).RecIndex();
    m_items.erase(m_items.begin() + index);
    if (m_table) m_table->DeleteNode(removed);
    for (auto& item : m_items)
        if (item->RecIndex() > removed) item->SetRecIndex(item->RecIndex() - 1);
}

void TXMLTableIndex::FillStrings(std::vector<std::string>& strings) const {
    strings.clear();
    if (!m_table) return;
    strings.reserve(m_items.size());
    for (const auto& item : m_items)
        strings.push_back(TXMLTable::NodeText(m_table->RecordNode(item->RecIndex()), m_keyField));
}

} // namespace data
