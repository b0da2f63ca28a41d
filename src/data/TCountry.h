#pragma once
// The countries of the area catalogue.

#include "data/TArea.h"

namespace data {

class TCountry : public TArea {
public:
    // Starts with the rows ("0", "Выберите страну...") and ("3159", "Россия").
    TCountry() : TArea("Countries", "Country", "Country") {
        AddArea("0", "Выберите страну...");
        // The one country offered before the catalogue is loaded, under its bare id.
        AddArea("3159", "Россия");
    }
};

} // namespace data
