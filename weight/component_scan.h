// Finding the Weight among the components attached to a node.
#pragma once
#include "host/scene.h"
#include "weight/weight.h"

namespace qxv {

// The component and the Weight a scan holds at a time, in its caller's
// state record so that a failure path can release them.
struct ComponentSlots {
  Unknown* component;
  Weight* weight;
};

// Scans the components from the highest index down and copies the data of
// the first that answers the Weight class identifier. Releases everything it
// took before returning; a failure raised inside leaves the slots set.
bool ScanForWeight(SceneNode* node, ComponentSlots* slots, WeightData* found);

void ReleaseComponentSlots(ComponentSlots* slots);

}  // namespace qxv
