#include "search/TVelmora.h"

namespace search {

bool TVelmora::CheckPhase() { return true; }

} // namespace search
