// Bookkeeping shared by every simulated host object: reference counts, the
// set of live objects (for the leak and lock checks of tests) and the misuse
// counter.
#pragma once
#include <cstdint>

#include "host/unknown.h"

namespace qxv::sim {

class TileStore;

// Sits right after the interface pointer of every simulated object, so the
// operations reach it without a lookup.
struct ObjectHeader {
  std::uint32_t refs;
  // References an owner keeps for itself (scene nodes): a Release that would
  // take the count below this is misuse, not destruction.
  std::uint32_t keep;
  void (*destroy)(void* face);
  TileStore* tiles;  // null for objects without tile storage
};

void RegisterObject(const void* face, ObjectHeader* header);
void UnregisterObject(const void* face);
// Visits every live simulated object, in no particular order.
void ForEachObject(void (*visit)(const void* face, const ObjectHeader& header, void* context),
                   void* context);
// Null when `face` is not a live simulated object.
ObjectHeader* FindObject(const void* face);

std::uint32_t Retain(ObjectHeader* header);
// Destroys the object when the last reference goes; returns the new count.
std::uint32_t Drop(void* face, ObjectHeader* header);

// References the simulator itself takes on objects that may be foreign (the
// module's own components): its own objects are counted directly, anything
// else through its operation table.
void RetainAny(Unknown* object);
void ReleaseAny(Unknown* object);
// The current count of any object. Foreign objects are probed with an
// AddRef/Release pair; the smaller of the two answers is the count whether
// they report it before or after the change.
std::uint32_t CountOf(Unknown* object);

void NoteBadAccess();

}  // namespace qxv::sim
