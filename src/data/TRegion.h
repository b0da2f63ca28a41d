#pragma once
// The regions of one country, from the area catalogue.

#include "data/TArea.h"

namespace data {

class TRegion : public TArea {
public:
    // Starts with the row ("0_0", "Выберите регион...").
    TRegion() : TArea("Regions", "Region", "Region") {
        AddArea("0_0", "Выберите регион...");
    }
};

} // namespace data
