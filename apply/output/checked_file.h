// Files written whole or not at all: every write and the close checked, the
// bytes put under a temporary name beside the target and renamed into place
// only once they are all on the file system. A full disk or a read-only
// folder then leaves no file under the final name and no temporary behind.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace qxv::apply {

// A disk that fails on purpose, for tests where no small file system can
// be mounted: writes fail with `error` (an errno value) once `budget` bytes
// have gone out in all, or at the open when the budget is 0 and the error is
// EROFS or EACCES. The writes of one run use it, on one thread.
struct WriteFault {
  int error = 0;
  std::size_t budget = 0;
};

// Empty when the file is in place; otherwise the reason, as the system
// gives it ("No space left on device"), with nothing left behind. Writes
// through `fault` when it is not null.
std::string WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes,
                           WriteFault* fault = nullptr);

}  // namespace qxv::apply
