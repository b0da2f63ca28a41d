#pragma once
// One entry of a TXMLTableIndex: a record's position and its key.

#include <cstdint>
#include <string>
#include <utility>

namespace data {

class TXMLTableIndexItem {
public:
    TXMLTableIndexItem(int32_t recIndex, std::string key) : m_recIndex(recIndex), m_key(std::move(key)) {}

    // Position of the record element in the table.
    int32_t RecIndex() const { return m_recIndex; }
    void SetRecIndex(int32_t value) { m_recIndex = value; }
    const std::string& Key() const { return m_key; }

private:
    int32_t m_recIndex;
    std::string m_key;
};

} // namespace data
