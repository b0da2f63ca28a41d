#pragma once
// The sort orders of the favourites grid: for each sortable column, the
// record indices of the favourites table in ascending order of that column.
// The favourites window builds them once after each refresh and then sorts
// by a title click without reading the table again.
//
// Orders are stable: records whose texts compare equal keep their order in
// the table, so sorting twice by one column gives the same rows. Names,
// areas and logins compare as text in Russian alphabetical order (letter
// case ignored, "ё" with "е"); every other
// column compares as numbers, an empty text before every number and a text
// that is no number after them all.

#include <array>
#include <string_view>
#include <vector>

namespace data {
class TXMLTable;
}

namespace app {

class TFavouritesIndex {
public:
    // The columns that have an order of their own ("VipUser" has none).
    static constexpr std::array<std::string_view, 8> SortFields = {
        "Name", "Age", "Area", "Login", "RealUser", "PhotoCount", "VideoCount", "Intim"};

    // Below, equal to or above zero as `a` sorts before, with or after `b`.
    // Empty first (two empty texts are equal), then integers by value, then
    // texts that are no integer, by their bytes.
    static int CompareAsNumbers(std::string_view a, std::string_view b);
    // The same for texts, in Russian alphabetical order with letter case
    // ignored.
    static int CompareAsText(std::string_view a, std::string_view b);

    // Builds every order from `table`'s records in file order (a record
    // without a field counts as empty there).
    void Build(const data::TXMLTable& table);
    // Forgets the orders: Ready() answers false until the next Build.
    void Clear();
    bool Ready() const { return m_ready; }

    // The ascending order of `field`: record indices of the table the orders
    // were built from. nullptr for a field without an order, or before Build.
    const std::vector<int>* Order(std::string_view field) const;

private:
    std::array<std::vector<int>, SortFields.size()> m_orders;
    bool m_ready = false;
};

} // namespace app
