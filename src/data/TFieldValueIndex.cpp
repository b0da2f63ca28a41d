#include "data/TFieldValueIndex.h"

#include "data/TXMLTable.h"
#include "platform/Text.h"

#include <algorithm>
#include <functional>

namespace data {
namespace {

const void* Identity(pugi::xml_node record) { return record.internal_object(); }

// A value with A-Z folded, on the stack when it is short, so that a lookup
// allocates nothing.
class TFolded {
public:
    explicit TFolded(std::string_view value) {
        char* out = m_inline;
        if (value.size() > sizeof m_inline) {
            m_heap.resize(value.size());
            out = m_heap.data();
        }
        for (size_t i = 0; i < value.size(); ++i) out[i] = text::AsciiLower(value[i]);
        m_view = std::string_view(out, value.size());
    }
    TFolded(const TFolded&) = delete;
    TFolded& operator=(const TFolded&) = delete;
    std::string_view view() const { return m_view; }

private:
    char m_inline[256];
    std::string m_heap;
    std::string_view m_view;
};

constexpr uint64_t kGroupMask = 0xFFFFFFFFu;

uint64_t Slot(uint32_t hash, uint32_t group) { return uint64_t{hash} << 32 | (uint64_t{group} + 1); }
uint32_t SlotHash(uint64_t slot) { return static_cast<uint32_t>(slot >> 32); }
uint32_t SlotGroup(uint64_t slot) { return static_cast<uint32_t>((slot & kGroupMask) - 1); }

} // namespace

void TFieldValueIndex::TGroup::SetKey(std::string_view key) {
    static_assert(sizeof(TGroup) == 128, "a group is two cache lines");
    keySize = static_cast<uint32_t>(key.size());
    char* out = shortKey;
    if (key.size() > kShortKey) {
        longKey = std::make_unique<char[]>(key.size());
        out = longKey.get();
    } else {
        longKey.reset();
    }
    std::copy(key.begin(), key.end(), out);
}

TFieldValueIndex::TFieldValueIndex(std::vector<std::string> fields) : m_fields(std::move(fields)) {
    if (m_fields.size() > kMaxFields) m_fields.resize(kMaxFields);
    m_tables.resize(m_fields.size());
}

TFieldValueIndex::~TFieldValueIndex() = default;

uint32_t TFieldValueIndex::HashBits(std::string_view folded) {
    return static_cast<uint32_t>(std::hash<std::string_view>{}(folded) >> 32);
}

uint32_t TFieldValueIndex::FindGroup(const TFieldTable& table, std::string_view folded, uint32_t hash) const {
    if (table.hashSlots.empty()) return kNoGroup;
    const size_t mask = table.hashSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint64_t slot = table.hashSlots[i];
        if (slot == 0) return kNoGroup;
        if (SlotHash(slot) == hash) {
            const uint32_t group = SlotGroup(slot);
            if (table.groups[group].Key() == folded) return group;
        }
    }
}

void TFieldValueIndex::Grow(TFieldTable& table) {
    const size_t size = std::max<size_t>(16, table.hashSlots.size() * 2);
    std::vector<uint64_t> hashSlots(size, 0);
    const size_t mask = size - 1;
    for (const uint64_t slot : table.hashSlots) {
        if (slot == 0) continue;
        size_t i = SlotHash(slot) & mask;
        while (hashSlots[i] != 0) i = (i + 1) & mask;
        hashSlots[i] = slot;
    }
    table.hashSlots = std::move(hashSlots);
}

void TFieldValueIndex::RemoveSlot(TFieldTable& table, uint32_t group, uint32_t hash) {
    const size_t mask = table.hashSlots.size() - 1;
    const uint64_t wanted = Slot(hash, group);
    size_t hole = hash & mask;
    while (table.hashSlots[hole] != wanted) {
        if (table.hashSlots[hole] == 0) return;  // not entered: nothing to remove
        hole = (hole + 1) & mask;
    }
    // Backward shift: every later slot of the run that may stand in the hole
    // (it is at least as far from its home as from the hole) moves into it.
    table.hashSlots[hole] = 0;
    for (size_t j = (hole + 1) & mask; table.hashSlots[j] != 0; j = (j + 1) & mask) {
        const size_t home = SlotHash(table.hashSlots[j]) & mask;
        if (((j - home) & mask) >= ((j - hole) & mask)) {
            table.hashSlots[hole] = table.hashSlots[j];
            table.hashSlots[j] = 0;
            hole = j;
        }
    }
    --table.used;
}

TFieldValueIndex::TMember* TFieldValueIndex::Locate(TGroup& group, uint64_t order) {
    const auto it = std::lower_bound(group.members.begin(), group.members.end(), order,
                                     [](const TMember& m, uint64_t o) { return m.order < o; });
    return it != group.members.end() && it->order == order ? &*it : nullptr;
}

void TFieldValueIndex::Enter(TEntry& entry, size_t field, pugi::xml_node record) {
    entry.groups[field] = kNoGroup;
    const pugi::xml_node node = TXMLTable::FieldNode(record, m_fields[field]);
    if (!node) return;
    const std::string folded = text::AsciiLower(TXMLTable::NodeText(record, m_fields[field]));
    const uint32_t hash = HashBits(folded);
    TFieldTable& table = m_tables[field];
    uint32_t g = FindGroup(table, folded, hash);
    if (g == kNoGroup) {
        if (!table.freeGroups.empty()) {
            g = table.freeGroups.back();
            table.freeGroups.pop_back();
        } else {
            g = static_cast<uint32_t>(table.groups.size());
            table.groups.emplace_back();
        }
        table.groups[g].SetKey(folded);
        if ((table.used + 1) * 2 > table.hashSlots.size()) Grow(table);
        const size_t mask = table.hashSlots.size() - 1;
        size_t i = hash & mask;
        while (table.hashSlots[i] != 0) i = (i + 1) & mask;
        table.hashSlots[i] = Slot(hash, g);
        ++table.used;
    }
    TGroup& group = table.groups[g];
    const TMember member{entry.order, node};
    // Appended records carry the highest label: nearly always a push.
    if (group.members.empty() || group.members.back().order < entry.order) {
        group.members.push_back(member);
    } else {
        const auto at = std::upper_bound(group.members.begin(), group.members.end(), entry.order,
                                         [](uint64_t o, const TMember& m) { return o < m.order; });
        group.members.insert(at, member);
    }
    group.first = group.members.front().field;
    entry.groups[field] = g;
}

void TFieldValueIndex::Leave(TEntry& entry, size_t field) {
    const uint32_t g = entry.groups[field];
    if (g == kNoGroup) return;
    entry.groups[field] = kNoGroup;
    TFieldTable& table = m_tables[field];
    TGroup& group = table.groups[g];
    if (const TMember* member = Locate(group, entry.order))
        group.members.erase(group.members.begin() + (member - group.members.data()));
    if (!group.members.empty()) {
        group.first = group.members.front().field;
        return;
    }
    RemoveSlot(table, g, HashBits(group.Key()));
    group = TGroup{};
    table.freeGroups.push_back(g);
}

void TFieldValueIndex::Clear() {
    m_entries.clear();
    for (TFieldTable& table : m_tables) table = TFieldTable{};
    m_nextOrder = 0;
}

void TFieldValueIndex::Rebuild(const TXMLTable& table) {
    Clear();
    const auto count = static_cast<size_t>(table.RecordCount());
    m_entries.reserve(count);
    for (TFieldTable& t : m_tables) {
        size_t size = 16;
        while (size < count * 2 + 2) size *= 2;
        t.hashSlots.assign(size, 0);
        t.groups.reserve(count);
    }
    for (size_t i = 0; i < count; ++i) Appended(table.RecordNode(static_cast<int>(i)));
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
    entry.groups.fill(kNoGroup);
    for (size_t f = 0; f < m_fields.size(); ++f) Enter(entry, f, record);
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
    // trading labels keeps every group sorted, except a group that holds
    // both: there the two members trade places as well.
    for (size_t f = 0; f < m_fields.size(); ++f) {
        TFieldTable& table = m_tables[f];
        TMember* mx = x.groups[f] == kNoGroup ? nullptr : Locate(table.groups[x.groups[f]], x.order);
        TMember* my = y.groups[f] == kNoGroup ? nullptr : Locate(table.groups[y.groups[f]], y.order);
        if (mx) mx->order = y.order;
        if (my) my->order = x.order;
        if (mx && my && x.groups[f] == y.groups[f]) {
            std::swap(*mx, *my);
            TGroup& group = table.groups[x.groups[f]];
            group.first = group.members.front().field;
        }
    }
    std::swap(x.order, y.order);
}

void TFieldValueIndex::Changed(pugi::xml_node record) {
    const auto it = m_entries.find(Identity(record));
    if (it == m_entries.end()) return;
    TEntry& entry = it->second;
    for (size_t f = 0; f < m_fields.size(); ++f) {
        const uint32_t g = entry.groups[f];
        const pugi::xml_node node = TXMLTable::FieldNode(record, m_fields[f]);
        if (node && g != kNoGroup) {
            TGroup& group = m_tables[f].groups[g];
            if (group.Key() == text::AsciiLower(TXMLTable::NodeText(record, m_fields[f]))) {
                TMember* member = Locate(group, entry.order);
                if (member && member->field != node) {
                    member->field = node;
                    group.first = group.members.front().field;
                }
                continue;
            }
        }
        if (!node && g == kNoGroup) continue;
        Leave(entry, f);
        Enter(entry, f, record);
    }
}

pugi::xml_node TFieldValueIndex::Find(size_t field, std::string_view value) const {
    if (field >= m_tables.size()) return {};
    const TFolded folded(value);
    const TFieldTable& table = m_tables[field];
    const uint32_t g = FindGroup(table, folded.view(), HashBits(folded.view()));
    return g == kNoGroup ? pugi::xml_node{} : table.groups[g].first;
}

} // namespace data
