#include "module/counters.h"

namespace qxv {

std::int32_t liveObjects = 0;
std::int32_t serverLocks = 0;

}  // namespace qxv
