// Marks the module's three exports; everything else stays hidden.
#pragma once
#include "host/callconv.h"

#if defined(_WIN32)
#define QXV_EXPORT  // exported by name through the module-definition file
#else
#define QXV_EXPORT __attribute__((visibility("default")))
#endif
