// I3DExGenericData: the table Weight serves, the ten extension operations
// and nothing more. GetData hands out the object's WeightData.
#pragma once
#include "host/extension.h"

namespace qxv {

struct GenericData;

struct GenericDataOps {
  QXV_EXTENSION_OPERATIONS(GenericData);
};
QXV_EXTENSION_SLOTS(GenericDataOps);

struct GenericData {
  const GenericDataOps* ops;
};

}  // namespace qxv
