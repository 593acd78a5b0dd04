// Per-object settings where the renders come without a scene: for each of
// the renderer's object indexes, whether it is blurred, whether it gets the
// reverse streak, and the occlusion group it belongs to. They become the
// Weights of a scene built for the module (object_scene.h).
#pragma once
#include <map>
#include <optional>
#include <string>

namespace qxv::apply {

struct ObjectSettings {
  std::optional<bool> blur;  // unset: as the mode decides for objects without a Weight
  bool reverse = false;      // the short reverse streak ahead of the object
  std::string group;         // objects sharing a non-empty name are one occlusion group
};

// Keyed by the renderer's object index, as the index pass stores it.
using ObjectTable = std::map<long long, ObjectSettings>;

// Reads a JSON object keyed by object index, each value an object with
// any of "blur" (true, false or null), "reverse" (true or false) and
// "group" (a string or null):
//   {"3": {"blur": false}, "4": {"group": "car", "reverse": true}}
// Throws an input error naming `source` and the fault.
ObjectTable ParseObjectTable(const std::string& text, const std::string& source);
ObjectTable ReadObjectTable(const std::string& path);

}  // namespace qxv::apply
