#include "app/forms/TFavouritesIndex.h"

#include "data/TXMLTable.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <numeric>
#include <string>

namespace app {
namespace {

// The text columns; every other sortable column holds numbers.
bool isTextField(std::string_view field) { return field == "Name" || field == "Area" || field == "Login"; }

// A numeric column's key. Ranks keep the three kinds apart, so that the
// order is a strict weak one even when numbers and other texts are mixed.
struct NumberKey {
    int rank = 0;  // 0 empty, 1 integer, 2 any other text
    int64_t value = 0;
    std::string text;
};

NumberKey numberKey(std::string_view s) {
    NumberKey key;
    if (s.empty()) return key;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), key.value);
    if (error == std::errc() && end == s.data() + s.size()) {
        key.rank = 1;
    } else {
        key.rank = 2;
        key.value = 0;
        key.text = s;
    }
    return key;
}

int compareKeys(const NumberKey& a, const NumberKey& b) {
    if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
    if (a.rank == 1) return a.value < b.value ? -1 : a.value > b.value ? 1 : 0;
    return a.text.compare(b.text);
}

// Russian alphabetical order with letter case ignored: "ё" sorts with "е",
// not after "я" as its code would put it.
const QCollator& russianCollator() {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

QCollatorSortKey textKey(std::string_view s) {
    return russianCollator().sortKey(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
}

// The record indices 0..count-1 stably sorted by `keys`.
template <class Key, class Compare>
std::vector<int> sortedOrder(const std::vector<Key>& keys, Compare compare) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compare(keys[size_t(a)], keys[size_t(b)]) < 0; });
    return order;
}

} // namespace

int TFavouritesIndex::CompareAsNumbers(std::string_view a, std::string_view b) {
    return compareKeys(numberKey(a), numberKey(b));
}

int TFavouritesIndex::CompareAsText(std::string_view a, std::string_view b) {
    return textKey(a).compare(textKey(b));
}

void TFavouritesIndex::Clear() {
    for (auto& order : m_orders) order.clear();
    m_ready = false;
}

void TFavouritesIndex::Build(const data::TXMLTable& table) {
    Clear();
    const int count = table.RecordCount();
    for (size_t column = 0; column < SortFields.size(); ++column) {
        const std::string_view field = SortFields[column];
        if (isTextField(field)) {
            std::vector<QCollatorSortKey> keys;
            keys.reserve(size_t(count));
            for (int i = 0; i < count; ++i) keys.push_back(textKey(data::TXMLTable::NodeText(table.RecordNode(i), field)));
            m_orders[column] = sortedOrder(keys, [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
        } else {
            std::vector<NumberKey> keys;
            keys.reserve(size_t(count));
            for (int i = 0; i < count; ++i) keys.push_back(numberKey(data::TXMLTable::NodeText(table.RecordNode(i), field)));
            m_orders[column] = sortedOrder(keys, compareKeys);
        }
    }
    m_ready = true;
}

const std::vector<int>* TFavouritesIndex::Order(std::string_view field) const {
    if (!m_ready) return nullptr;
    const auto found = std::find(SortFields.begin(), SortFields.end(), field);
    return found == SortFields.end() ? nullptr : &m_orders[size_t(found - SortFields.begin())];
}

} // namespace app
