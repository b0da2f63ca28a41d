#pragma once
// A sorted key index over one field of a TXMLTable (the settings page keeps
// the server list through it). Entries hold the record's position and its
// key; keys compare byte by byte, case counting.

#include "data/TXMLTableIndexItem.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace data {

class TXMLTable;

class TXMLTableIndex {
public:
    TXMLTableIndex() = default;
    ~TXMLTableIndex() { Clear(); }
    TXMLTableIndex(const TXMLTableIndex&) = delete;
    TXMLTableIndex& operator=(const TXMLTableIndex&) = delete;

    TXMLTable* Table() const { return m_table; }
    const std::string& KeyField() const { return m_keyField; }
    int Count() const { return static_cast<int>(m_items.size()); }
    // The entry at `index` in key order; throws EXMLTable outside 0..Count-1.
    const TXMLTableIndexItem& Items(int index) const;

    // Indexes `keyField` of every record of `table` (opened, walked from the
    // first record) and sorts the entries ascending by key.
    void Build(std::string_view keyField, TXMLTable& table);
    // The record element whose key equals `key` (among equal keys, one of
    // them); a null node when none does, for an empty index or no table.
    pugi::xml_node Find(std::string_view key) const;
    // Appends a record whose key field holds `key` and enters it after the
    // entries with keys not greater than it. Nothing without a table.
    void AddKey(std::string_view key);
    // Removes entry `index` and its record; later records' entries move up.
    // Throws EXMLTable outside 0..Count-1.
    void DeleteEntry(int index);
    // Replaces `strings` with the key field of every entry's record, in key
    // order ("" for an entry whose record is gone). The cursor stays.
    void FillStrings(std::vector<std::string>& strings) const;
    // Removes every entry.
    void Clear() { m_items.clear(); }

private:
    TXMLTable* m_table = nullptr;
    std::string m_keyField;
    std::vector<std::unique_ptr<TXMLTableIndexItem>> m_items;
};

} // namespace data
