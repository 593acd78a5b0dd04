// Module-wide counters that decide whether the module may be unloaded.
// Plain integers: the host calls the module from one thread at a time.
#pragma once
#include <cstdint>

namespace qxv {

extern std::int32_t liveObjects;  // Pblur and Weight objects alive
extern std::int32_t serverLocks;  // LockServer balance; no floor

}  // namespace qxv
