#pragma once
// The data grid as forms use it: everything of TCustomMDBGrid, nothing more.

#include "grid/TCustomMDBGrid.h"

namespace grid {

class TMDBGrid : public TCustomMDBGrid {
    Q_OBJECT

public:
    using TCustomMDBGrid::TCustomMDBGrid;
};

} // namespace grid
