#include "data/TFieldValueIndex.h"

#include "data/TXMLTable.h"
#include "platform/Text.h"

#include <algorithm>

namespace data {
namespace {

const void* Identity(pugi::xml_node record) { return record.internal_object(); }

} // namespace

TFieldValueIndex::TFieldValueIndex(std::vector<std::string> fields)
    : m_fields(std::move(fields)), m_buckets(m_fields.size()) {}

TFieldValueIndex::~TFieldValueIndex() = default;

std::vector<TFieldValueIndex::TKey> TFieldValueIndex::ReadKeys(pugi::xml_node record) const {
    std::vector<TKey> keys(m_fields.size());
    for (size_t f = 0; f < m_fields.size(); ++f) {
        keys[f].present = static_cast<bool>(TXMLTable::FieldNode(record, m_fields[f]));
        if (keys[f].present) keys[f].folded = text::AsciiLower(TXMLTable::NodeText(record, m_fields[f]));
    }
    return keys;
}

TFieldValueIndex::TBucket::iterator TFieldValueIndex::Locate(TBucket& bucket, const TEntry& entry) {
    const auto it = std::lower_bound(bucket.begin(), bucket.end(), entry.order,
                                     [](const TEntry* e, uint64_t order) { return e->order < order; });
    return it != bucket.end() && *it == &entry ? it : bucket.end();
}

void TFieldValueIndex::Enter(TEntry& entry, size_t field) {
    const TKey& key = entry.keys[field];
    if (!key.present) return;
    TBucketMap& map = m_buckets[field];
    auto it = map.find(std::string_view(key.folded));
    if (it == map.end()) it = map.emplace(key.folded, TBucket{}).first;
    TBucket& bucket = it->second;
    // Appended records carry the highest label, so this is nearly always a
    // push at the end.
    if (bucket.empty() || bucket.back()->order < entry.order) {
        bucket.push_back(&entry);
        return;
    }
    const auto at = std::upper_bound(bucket.begin(), bucket.end(), entry.order,
                                     [](uint64_t order, const TEntry* e) { return order < e->order; });
    bucket.insert(at, &entry);
}

void TFieldValueIndex::Leave(TEntry& entry, size_t field) {
    const TKey& key = entry.keys[field];
    if (!key.present) return;
    TBucketMap& map = m_buckets[field];
    const auto it = map.find(std::string_view(key.folded));
    if (it == map.end()) return;
    const auto at = Locate(it->second, entry);
    if (at != it->second.end()) it->second.erase(at);
    if (it->second.empty()) map.erase(it);
}

void TFieldValueIndex::Clear() {
    m_entries.clear();
    for (TBucketMap& map : m_buckets) map.clear();
    m_nextOrder = 0;
}

void TFieldValueIndex::Rebuild(const TXMLTable& table) {
    Clear();
    const int count = table.RecordCount();
    m_entries.reserve(static_cast<size_t>(count));
    for (TBucketMap& map : m_buckets) map.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) Appended(table.RecordNode(i));
}

void TFieldValueIndex::Appended(pugi::xml_node record) {
    if (!record) return;
    const auto [it, added] = m_entries.try_emplace(Identity(record));
    if (!added) {
        Changed(record);
        return;
    }
    TEntry& entry = it->second;
    entry.order = m_nextOrder++;
    entry.record = record;
    entry.keys = ReadKeys(record);
    for (size_t f = 0; f < m_fields.size(); ++f) Enter(entry, f);
}

void TFieldValueIndex::Removed(pugi::xml_node record) {
    const auto it = m_entries.find(Identity(record));
    if (it == m_entries.end()) return;
    for (size_t f = 0; f < m_fields.size(); ++f) Leave(it->second, f);
    m_entries.erase(it);
}

void TFieldValueIndex::Swapped(pugi::xml_node first, pugi::xml_node second) {
    const auto a = m_entries.find(Identity(first));
    const auto b = m_entries.find(Identity(second));
    if (a == m_entries.end() || b == m_entries.end() || a == b) return;
    TEntry& x = a->second;
    TEntry& y = b->second;
    // No other record's label lies between those of two neighbours, so
    // trading labels keeps every bucket sorted, except a bucket that holds
    // both: there the two trade places too.
    std::vector<std::pair<TBucket*, std::pair<size_t, size_t>>> shared;
    for (size_t f = 0; f < m_fields.size(); ++f) {
        if (!x.keys[f].present || !y.keys[f].present || x.keys[f].folded != y.keys[f].folded) continue;
        const auto it = m_buckets[f].find(std::string_view(x.keys[f].folded));
        if (it == m_buckets[f].end()) continue;
        TBucket& bucket = it->second;
        const auto px = Locate(bucket, x);
        const auto py = Locate(bucket, y);
        if (px == bucket.end() || py == bucket.end()) continue;
        shared.push_back({&bucket, {static_cast<size_t>(px - bucket.begin()), static_cast<size_t>(py - bucket.begin())}});
    }
    std::swap(x.order, y.order);
    for (auto& [bucket, positions] : shared) std::swap((*bucket)[positions.first], (*bucket)[positions.second]);
}

void TFieldValueIndex::Changed(pugi::xml_node record) {
    const auto it = m_entries.find(Identity(record));
    if (it == m_entries.end()) return;
    TEntry& entry = it->second;
    std::vector<TKey> keys = ReadKeys(record);
    for (size_t f = 0; f < m_fields.size(); ++f) {
        if (keys[f].present == entry.keys[f].present && keys[f].folded == entry.keys[f].folded) continue;
        Leave(entry, f);
        entry.keys[f] = std::move(keys[f]);
        Enter(entry, f);
    }
}

pugi::xml_node TFieldValueIndex::Find(size_t field, std::string_view folded) const {
    if (field >= m_buckets.size()) return {};
    const auto it = m_buckets[field].find(folded);
    if (it == m_buckets[field].end() || it->second.empty()) return {};
    return it->second.front()->record;
}

} // namespace data
