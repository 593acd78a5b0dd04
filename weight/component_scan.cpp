#include "weight/component_scan.h"

#include "host/identifiers.h"
#include "module/held.h"

namespace qxv {

void ReleaseComponentSlots(ComponentSlots* slots) {
  ReleaseField(&slots->weight);
  ReleaseField(&slots->component);
}

bool ScanForWeight(SceneNode* node, ComponentSlots* slots, WeightData* found) {
  for (std::int32_t i = node->ops->GetComponentCount(node); i >= 1; --i) {
    slots->component = node->ops->GetComponentAt(node, i);
    if (!slots->component) continue;
    void* answer = nullptr;
    const Result result = slots->component->ops->QueryInterface(slots->component,
                                                                 &kCLSID_Weight, &answer);
    // Only a component that answers S_OK hands over a Weight. What a failed
    // call left in its out pointer is not a reference of ours: it is neither
    // read nor released.
    if (result == S_OK) slots->weight = static_cast<Weight*>(answer);
    if (slots->weight) {
      *found = slots->weight->data;
      ReleaseComponentSlots(slots);
      return true;
    }
    ReleaseComponentSlots(slots);
  }
  return false;
}

}  // namespace qxv
