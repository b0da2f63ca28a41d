#pragma once
// A column the grid generates for a dataset field when the grid's user
// made no columns of their own. While the grid's data link is active, its
// alignment, read-only flag, width and title caption are written through to
// the field, so they live with the dataset and not in the column.

#include "grid/TDBGColumn.h"

namespace grid {

class TPassthroughColumn : public TDBGColumn {
public:
    explicit TPassthroughColumn(TDBGGridColumns& collection);

    // With an active link the field moves to the field-map position first.
    void SetIndex(int value) override;
    void SetAlignment(db::TAlignment value) override;
    // Clearing the field empties the field name; either way the column
    // returns to its defaults.
    void SetField(db::TField* value) override;
    void SetReadOnly(bool value) override;
    // Sets the field's display width in digits of the column font.
    void SetWidth(int value) override;

protected:
    std::string_view ClassName() const override { return "TPassthroughColumn"; }
};

} // namespace grid
