#pragma once
// The metro stations of one city, from the area catalogue.

#include "data/TArea.h"

namespace data {

class TStation : public TArea {
public:
    // Starts with the row ("0_0_0_0", "Выберите станцию...").
    TStation() : TArea("Stations", "Station", "Station") {
        AddArea("0_0_0_0", "Выберите станцию...");
    }
};

} // namespace data
