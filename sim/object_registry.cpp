#include "sim/object_registry.h"

#include <algorithm>
#include <unordered_map>

#include "sim/memory_ledger.h"
#include "sim/objects.h"
#include "sim/own_host.h"
#include "sim/tile_store.h"

namespace qxv::sim {
namespace {

struct Registry {
  std::unordered_map<const void*, ObjectHeader*> live;
  std::int64_t badAccesses = 0;
};

Registry& TheRegistry() {
  static Registry shared;
  if (!OnOwnHost()) return shared;
  // Made only on a thread with a host of its own: a thread-local object
  // with a destructor, made on every thread that calls the host, broke the
  // failure chain seen by a protected block in the 32-bit Windows build.
  thread_local Registry own;
  return own;
}

}  // namespace

void RegisterObject(const void* face, ObjectHeader* header) { TheRegistry().live[face] = header; }

void UnregisterObject(const void* face) {
  TheRegistry().live.erase(face);
  ForgetModuleObject(face);
}

void ForEachObject(void (*visit)(const void* face, const ObjectHeader& header, void* context),
                   void* context) {
  for (const auto& entry : TheRegistry().live) visit(entry.first, *entry.second, context);
}

ObjectHeader* FindObject(const void* face) {
  Registry& r = TheRegistry();
  auto it = r.live.find(face);
  return it == r.live.end() ? nullptr : it->second;
}

std::uint32_t Retain(ObjectHeader* header) { return ++header->refs; }

std::uint32_t Drop(void* face, ObjectHeader* header) {
  if (header->refs <= header->keep) {
    NoteBadAccess();
    return header->refs;
  }
  const std::uint32_t left = --header->refs;
  if (left == 0) header->destroy(face);
  return left;
}

void RetainAny(Unknown* object) {
  if (ObjectHeader* header = FindObject(object)) {
    Retain(header);
  } else {
    object->ops->AddRef(object);
  }
}

void ReleaseAny(Unknown* object) {
  if (ObjectHeader* header = FindObject(object)) {
    Drop(object, header);
  } else {
    object->ops->Release(object);
  }
}

std::uint32_t CountOf(Unknown* object) {
  if (ObjectHeader* header = FindObject(object)) return header->refs;
  const std::uint32_t afterAdd = object->ops->AddRef(object);
  const std::uint32_t afterRelease = object->ops->Release(object);
  return std::min(afterAdd, afterRelease);
}

void NoteBadAccess() { ++TheRegistry().badAccesses; }

std::int32_t LiveHostObjects() { return static_cast<std::int32_t>(TheRegistry().live.size()); }

std::int32_t LockedTiles() {
  std::int32_t locked = 0;
  for (const auto& entry : TheRegistry().live) {
    if (entry.second->tiles) locked += entry.second->tiles->LockedTileCount();
  }
  return locked;
}

std::int64_t BadAccesses() { return TheRegistry().badAccesses; }

void ResetBadAccesses() { TheRegistry().badAccesses = 0; }

std::uint32_t RefCount(Unknown* object) {
  ObjectHeader* header = FindObject(object);
  return header ? header->refs : 0;
}

}  // namespace qxv::sim
