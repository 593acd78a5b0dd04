// Pins an operation to its position in an operation table.
#pragma once
#include <cstddef>

#define QXV_SLOT(Table, op, position)                              \
  static_assert(offsetof(Table, op) == (position) * sizeof(void*), \
                #Table "::" #op " sits at position " #position)

// Placeholder for positions the module never calls.
using UnusedSlot = void*;
