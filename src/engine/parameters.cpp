#include "engine/parameters.h"

namespace morvelan {

bool isValidSyncBitSize(std::int64_t value) { return value >= 4 && value <= 64 && value % 4 == 0; }

} // namespace morvelan
