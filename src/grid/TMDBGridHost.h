#pragma once
// What the grid's companions (columns, titles, footers, checkboxes, the
// selected-row list) need of the grid that owns them. The data grid
// implements it; tests implement it with a recording stand-in. Columns of a
// collection without a host fall back on fixed defaults.

#include "grid/GridTypes.h"

#include <QColor>
#include <QFont>

namespace db {
class TDataSet;
class TField;
} // namespace db

namespace grid {

class TMDBGridHost {
public:
    virtual ~TMDBGridHost() = default;

    // Appearance the columns follow until their own values are assigned.
    virtual QColor Color() const = 0;
    virtual QColor FixedColor() const = 0;
    virtual QFont Font() const = 0;
    virtual QFont TitleFont() const = 0;
    virtual bool ReadOnly() const = 0;
    virtual int DefaultColWidth() const = 0;
    virtual TDBGridOptions Options() const = 0;
    // The grid's stored properties are being read; setters then keep what
    // they are given and raise no layout.
    virtual bool IsLoading() const = 0;

    // The data link: its dataset (nullptr without one), whether it is active,
    // whether it is reporting a layout change of the dataset right now, and
    // the field of entry `index` of its field map (nullptr outside the map).
    virtual db::TDataSet* DataSet() const = 0;
    virtual bool LinkActive() const = 0;
    // The data link may not change the dataset.
    virtual bool LinkReadOnly() const { return false; }
    virtual bool LayoutFromDataset() const = 0;
    virtual db::TField* MappedField(int index) const = 0;
    // Raw column = data column + IndicatorOffset.
    virtual int IndicatorOffset() const = 0;

    // Layout and repainting.
    virtual void BeginLayout() = 0;
    virtual void EndLayout() = 0;
    virtual void LayoutChanged() = 0;
    virtual void SetColWidth(int rawCol, int width) = 0;
    virtual void InvalidateCol(int rawCol) = 0;
    // Repaints the row of the dataset's current record.
    virtual void InvalidateCurrentRow() = 0;
    virtual void Invalidate() = 0;
};

} // namespace grid
