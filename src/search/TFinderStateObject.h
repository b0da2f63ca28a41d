#pragma once
// The progress record of a search, handed to the engine's events.

#include <cstdint>

namespace search {

struct TFinderStateObject {
    int32_t Position = 0;
    int32_t Max = 0;
};

} // namespace search
