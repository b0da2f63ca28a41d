#pragma once
// Shared vocabulary of the dataset layer: states, alignment, bookmarks and
// the layer's one exception class.
//
// The layer is random access: every dataset can tell its record count and
// read any record's field by index, so a cursor is just a record number and a
// bookmark is the record's index.

#include <compare>
#include <cstdint>
#include <stdexcept>

namespace db {

// Dataset failures: operations refused in the current state, unknown fields,
// positions out of range. The texts are the framework's fixed English ones.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A data field holds what the dataset stores; a lookup field shows a value
// of another dataset, found through key fields, and stores nothing.
enum class TFieldKind { fkData, fkLookup };

// The place of one record: its 0-based index when the bookmark was taken.
// Like the original's, a bookmark is not adjusted when records are removed
// before it. A default bookmark is empty and goes nowhere.
struct TBookmark {
    int32_t index = -1;

    bool IsNull() const { return index < 0; }
    auto operator<=>(const TBookmark&) const = default;
};

} // namespace db
