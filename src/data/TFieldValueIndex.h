#pragma once
// Records of a table indexed by the text of a few of their fields, ASCII
// letters folded, so that a lookup by value takes the same time whatever the
// size of the table. A search looks up every listed profile in the found
// table, which may hold a hundred thousand rows.
//
// Each record has an order label that grows with its place in the table:
// appended records get a new highest label, two records that trade places
// trade labels, removals leave gaps. Every bucket (one per folded value and
// field) keeps its records sorted by label, so its first record is the first
// match in table order, exactly what a scan from the top would find.
//
// The index does not watch the document: its owner reports every record
// added, removed, moved or rewritten, before handing the table back.

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace data {

class TXMLTable;

class TFieldValueIndex {
public:
    // Indexes the fields named `fields`, numbered in this order for Find.
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

    // The first record, in table order, that has field number `field` and
    // whose text, ASCII-folded, equals `folded` (which must already be
    // folded); a null node when none has.
    pugi::xml_node Find(size_t field, std::string_view folded) const;

private:
    struct TKey {
        bool present = false;  // the record has the field's element
        std::string folded;
    };
    struct TEntry {
        uint64_t order = 0;
        pugi::xml_node record;
        std::vector<TKey> keys;  // one per indexed field
    };
    using TBucket = std::vector<TEntry*>;  // sorted by order
    struct THash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    using TBucketMap = std::unordered_map<std::string, TBucket, THash, std::equal_to<>>;

    std::vector<TKey> ReadKeys(pugi::xml_node record) const;
    void Enter(TEntry& entry, size_t field);
    void Leave(TEntry& entry, size_t field);
    TBucket::iterator Locate(TBucket& bucket, const TEntry& entry);

    std::vector<std::string> m_fields;
    std::vector<TBucketMap> m_buckets;  // one map per field
    std::unordered_map<const void*, TEntry> m_entries;  // by the record's node
    uint64_t m_nextOrder = 0;
};

} // namespace data
