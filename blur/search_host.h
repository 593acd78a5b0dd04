// The host services the match search borrows during a pass: the shell that
// DllInitRDCom handed over, called directly.
#pragma once
#include "kernel/match_search.h"

namespace qxv {

const SearchHost& InitShellSearchHost();

}  // namespace qxv
