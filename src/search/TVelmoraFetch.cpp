#include "search/TVelmora.h"

namespace search {

bool TVelmora::FetchPhase() { return false; }
std::string TVelmora::SearchURL(int) { return {}; }

} // namespace search
