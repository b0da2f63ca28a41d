#pragma once
// The field definitions of a dataset: what its records hold, in order. A
// dataset makes its fields from these when it opens.

#include <string>
#include <string_view>
#include <vector>

namespace db {

struct TFieldDef {
    std::string Name;
    int Size = 0;          // maximum length in characters
    bool Required = false;
};

class TFieldDefs {
public:
    // Adds a string field definition at the end.
    void Add(std::string name, int size, bool required);
    // Removes every definition.
    void Clear();

    int Count() const { return static_cast<int>(m_items.size()); }
    // The definition at `index`; throws EDatabaseError outside 0..Count-1.
    const TFieldDef& Items(int index) const;
    // Position of the definition named `name` (ASCII letters folded), or -1.
    int IndexOf(std::string_view name) const;
    // The definition named `name`, or nullptr.
    const TFieldDef* Find(std::string_view name) const;

    // Bumped by every change, so that a dataset knows when its fields are stale.
    unsigned Version() const { return m_version; }

private:
    std::vector<TFieldDef> m_items;
    unsigned m_version = 0;
};

} // namespace db
