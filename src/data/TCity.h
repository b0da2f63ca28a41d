#pragma once
// The cities of one region, from the area catalogue.

#include "data/TArea.h"

namespace data {

class TCity : public TArea {
public:
    // Starts with the row ("0_0_0", "Выберите город...").
    TCity() : TArea("Cities", "City", "City") {
        AddArea("0_0_0", "Выберите город...");
    }
};

} // namespace data
