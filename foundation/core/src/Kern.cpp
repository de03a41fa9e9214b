#include "foundation/Kern.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace {
bool IstOrdner(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

int VerzeichnisAnlegen(const std::string& Pfad) {
  if (Pfad.empty() || IstOrdner(Pfad)) return 0;
  std::string p = Pfad;
  if (p.back() != '/') p += '/';
  int fehler = 0;
  // Each prefix that ends just before a separator is one level; "/" itself always exists.
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (p[i] != '/' || p[i - 1] == '/') continue;
    const std::string prefix = p.substr(0, i);
    // The first refusal is the reason; every level below it then only misses its parent.
    if (!IstOrdner(prefix) && ::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST && fehler == 0) fehler = errno;
  }
  return IstOrdner(Pfad) ? 0 : fehler ? fehler : ENOTDIR;
}

std::string BenutzerTempVerzeichnis(std::string* Fehler) {
  auto fehler = [&](const std::string& text) {
    if (Fehler) *Fehler = text;
    return std::string();
  };
  std::string basis = "/tmp";
  if (const char* t = std::getenv("TMPDIR"); t && t[0] == '/') basis = t;
  while (basis.size() > 1 && basis.back() == '/') basis.pop_back();
  const std::string ordner = basis + (basis == "/" ? "" : "/") + "kiro-" + std::to_string(::getuid());
  if (::mkdir(ordner.c_str(), 0700) != 0 && errno != EEXIST)
    return fehler("Cannot create " + ordner + ": " + std::strerror(errno));
  struct stat st {};
  if (::lstat(ordner.c_str(), &st) != 0) return fehler("Cannot read " + ordner + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return fehler(ordner + " is not a folder");
  if (st.st_uid != ::getuid()) return fehler(ordner + " belongs to another user");
  if ((st.st_mode & 077) != 0) return fehler(ordner + " is open to other users");
  return ordner + "/";
}

bool AllesSchreiben(int Fd, const char* Daten, std::size_t Laenge) {
  while (Laenge > 0) {
    const ssize_t n = ::write(Fd, Daten, Laenge);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    Daten += n;
    Laenge -= std::size_t(n);
  }
  return true;
}

int FrischeTempdatei(const std::string& Ziel, mode_t Modus, std::string& Temp) {
  // Enough tries for any number of leftovers a person keeps; past that something is wrong.
  constexpr int kMaxVersuche = 1000;
  for (int i = 0; i < kMaxVersuche; ++i) {
    Temp = Ziel + '~' + (i ? std::to_string(i) : std::string());
    const int fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, Modus);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace kiro
