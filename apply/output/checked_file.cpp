#include "apply/output/checked_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qxv::apply {
namespace {

int OpenNew(const std::string& path, const WriteFault* fault) {
  if (fault && fault->budget == 0 && (fault->error == EROFS || fault->error == EACCES)) {
    errno = fault->error;
    return -1;
  }
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

ssize_t WriteSome(int fd, const unsigned char* bytes, std::size_t count, WriteFault* fault) {
  if (fault && fault->error) {
    if (fault->budget == 0) {
      errno = fault->error;
      return -1;
    }
    if (count > fault->budget) count = fault->budget;
    const ssize_t written = ::write(fd, bytes, count);
    if (written > 0) fault->budget -= static_cast<std::size_t>(written);
    return written;
  }
  return ::write(fd, bytes, count);
}

std::string Reason(int error) { return std::strerror(error); }

}  // namespace

std::string WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes,
                           WriteFault* fault) {
  const std::string temporary = path + ".part";
  const int fd = OpenNew(temporary, fault);
  if (fd < 0) return Reason(errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = WriteSome(fd, bytes.data() + done, bytes.size() - done, fault);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A write that takes nothing without an error is a full disk too.
      const int error = written < 0 ? errno : ENOSPC;
      ::close(fd);
      std::remove(temporary.c_str());
      return Reason(error);
    }
    done += static_cast<std::size_t>(written);
  }
  // Some file systems report a lost write only at the close.
  if (::close(fd) != 0) {
    const int error = errno;
    std::remove(temporary.c_str());
    return Reason(error);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    std::remove(temporary.c_str());
    return Reason(error);
  }
  return "";
}

}  // namespace qxv::apply
