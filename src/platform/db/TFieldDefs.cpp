#include "platform/db/TFieldDefs.h"

#include "platform/Text.h"
#include "platform/db/DbTypes.h"

namespace db {

void TFieldDefs::Add(std::string name, int size, bool required) {
    m_items.push_back(TFieldDef{std::move(name), size, required});
    ++m_version;
}

void TFieldDefs::Clear() {
    m_items.clear();
    ++m_version;
}

const TFieldDef& TFieldDefs::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EDatabaseError("List index out of bounds (" + std::to_string(index) + ")");
    return m_items[static_cast<size_t>(index)];
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (text::SameTextAscii(m_items[i].Name, name)) return static_cast<int>(i);
    return -1;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : &m_items[static_cast<size_t>(i)];
}

} // namespace db
