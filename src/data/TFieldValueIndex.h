#pragma once
// Records of a table indexed by the text of a few of their fields, ASCII
// letters folded, so that a lookup by value takes the same time whatever the
// size of the table. A search looks up every listed profile in the found
// table, which may hold a hundred thousand rows.
//
// Each record has an order label that grows with its place in the table:
// appended records get a new highest label, two records that trade places
// trade labels, removals leave gaps. Records with the same folded value of a
// field form a group that keeps them sorted by label, so a group's first
// record is the first match in table order, exactly what a scan from the top
// would find.
//
// Groups are found through an open-addressing hash table per field (linear
// probing, at most half full, backward-shift removal) whose hashSlots hold 32
// bits of the value's hash beside the group's number. A lookup of an absent
// value usually reads one slot; a present one reads the slot and one
// 128-byte group, which holds the answer and the value (inline unless long),
// so that a lookup in a large table meets about as few cache misses as one
// in a small table.
//
// The index does not watch the document: its owner reports every record
// added, removed, moved or rewritten.

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace data {

class TXMLTable;

class TFieldValueIndex {
public:
    // Most fields one index covers.
    static constexpr size_t kMaxFields = 4;

    // Indexes the fields named `fields` (at most kMaxFields; further ones are
    // ignored), numbered in this order for Find.
    explicit TFieldValueIndex(std::vector<std::string> fields);
    ~TFieldValueIndex();
    TFieldValueIndex(const TFieldValueIndex&) = delete;
    TFieldValueIndex& operator=(const TFieldValueIndex&) = delete;

    // Number of records indexed.
    size_t Count() const { return m_entries.size(); }

    // Forgets everything, then indexes every record of `table` in order.
    void Rebuild(const TXMLTable& table);
    // Forgets every record.
    void Clear();
    // A record appended at the end of the table, with its fields as they are
    // now. A record already indexed is re-read instead.
    void Appended(pugi::xml_node record);
    // A record about to be removed; nothing for one not indexed.
    void Removed(pugi::xml_node record);
    // Two neighbouring records trading places; nothing unless both are indexed.
    void Swapped(pugi::xml_node first, pugi::xml_node second);
    // A record whose indexed fields may have been rewritten; nothing for one
    // not indexed.
    void Changed(pugi::xml_node record);

    // The element of field number `field` in the first record, in table
    // order, that has that element and whose text equals `value` with A-Z
    // folded on both sides; a null node when none has.
    pugi::xml_node Find(size_t field, std::string_view value) const;

private:
    static constexpr uint32_t kNoGroup = UINT32_MAX;

    struct TMember {
        uint64_t order;
        pugi::xml_node field;
    };
    // Two adjacent cache lines, which the processor fetches together: the
    // answer and the folded value, inline unless it is a long one.
    struct alignas(128) TGroup {
        static constexpr size_t kShortKey = 84;

        pugi::xml_node first;          // members.front().field
        std::vector<TMember> members;  // sorted by order
        std::unique_ptr<char[]> longKey;
        uint32_t keySize = 0;
        char shortKey[kShortKey];

        std::string_view Key() const { return {keySize <= kShortKey ? shortKey : longKey.get(), keySize}; }
        void SetKey(std::string_view key);
    };
    struct TFieldTable {
        std::vector<uint64_t> hashSlots;  // hash bits << 32 | (group + 1); 0 = free
        size_t used = 0;
        std::vector<TGroup> groups;
        std::vector<uint32_t> freeGroups;
    };
    struct TEntry {
        uint64_t order = 0;
        std::array<uint32_t, kMaxFields> groups{};  // per field, kNoGroup without the element
    };

    static uint32_t HashBits(std::string_view folded);
    uint32_t FindGroup(const TFieldTable& table, std::string_view folded, uint32_t hash) const;
    void Grow(TFieldTable& table);
    void RemoveSlot(TFieldTable& table, uint32_t group, uint32_t hash);
    void Enter(TEntry& entry, size_t field, pugi::xml_node record);
    void Leave(TEntry& entry, size_t field);
    TMember* Locate(TGroup& group, uint64_t order);

    std::vector<std::string> m_fields;
    std::vector<TFieldTable> m_tables;                  // one per field
    std::unordered_map<const void*, TEntry> m_entries;  // by the record's node
    uint64_t m_nextOrder = 0;
};

} // namespace data
