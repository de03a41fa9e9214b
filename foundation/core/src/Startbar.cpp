#include "foundation/Startbar.h"

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

bool SystemStartbar(const std::string& Pfad) {
  if (::access(Pfad.c_str(), X_OK) != 0) return false;
  const int fd = ::open(Pfad.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  char kopf[4] = {};
  const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::read(fd, kopf, sizeof kopf) >= 2 &&
                  (std::memcmp(kopf, "#!", 2) == 0 || std::memcmp(kopf, "\x7F" "ELF", 4) == 0);
  ::close(fd);
  return ok;
}

}  // namespace kiro
