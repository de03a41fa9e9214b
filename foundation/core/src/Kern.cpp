#include "foundation/Kern.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace {
bool IstOrdner(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

int VerzeichnisAnlegen(const std::string& Pfad, bool BesitzVomOberen) {
  if (Pfad.empty() || IstOrdner(Pfad)) return 0;
  std::string p = Pfad;
  if (p.back() != '/') p += '/';
  int fehler = 0;
  // Each prefix that ends just before a separator is one level; "/" itself always exists.
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (p[i] != '/' || p[i - 1] == '/') continue;
    const std::string prefix = p.substr(0, i);
    if (IstOrdner(prefix)) continue;
    if (::mkdir(prefix.c_str(), 0777) != 0) {
      // The first refusal is the reason; every level below it then only misses its parent.
      if (errno != EEXIST && fehler == 0) fehler = errno;
      continue;
    }
    if (!BesitzVomOberen) continue;
    const std::size_t trenner = prefix.find_last_of('/');
    const std::string oben = trenner == 0 ? std::string("/") : prefix.substr(0, trenner);
    struct stat st {};
    if (::stat(oben.c_str(), &st) == 0 && ::lchown(prefix.c_str(), st.st_uid, st.st_gid) != 0) {
      // An ordinary user may not give a folder away; the folder is then its own.
    }
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

namespace {
constexpr char kTempAnfang[] = ".~kiro";
std::atomic<std::uint64_t> gTempZaehler{0};
}  // namespace

std::string TempdateiName() {
  return kTempAnfang + std::to_string(::getpid()) + '.' + std::to_string(gTempZaehler.fetch_add(1));
}

bool VerwaisteTempdatei(const char* Name) {
  const std::size_t anfang = sizeof kTempAnfang - 1;
  if (std::strncmp(Name, kTempAnfang, anfang) != 0) return false;
  // "<digits>.<digits>" and nothing else.
  const char* p = Name + anfang;
  long long pid = 0;
  const char* z = p;
  for (; *z >= '0' && *z <= '9'; ++z) {
    if (pid > INT_MAX) return false;
    pid = pid * 10 + (*z - '0');
  }
  if (z == p || *z != '.' || z[1] == 0) return false;
  for (const char* n = z + 1; *n; ++n)
    if (*n < '0' || *n > '9') return false;
  if (pid <= 0 || pid > INT_MAX || pid == ::getpid()) return false;
  return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

void VerwaisteTempdateienEntfernen(const std::string& Ordner) {
  const int fd = ::open(Ordner.empty() ? "." : Ordner.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* d = ::fdopendir(fd);
  if (!d) {
    ::close(fd);
    return;
  }
  while (const dirent* e = ::readdir(d)) {
    struct stat datei {};
    if (VerwaisteTempdatei(e->d_name) && ::fstatat(fd, e->d_name, &datei, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(datei.st_mode))
      ::unlinkat(fd, e->d_name, 0);
  }
  ::closedir(d);
}

int TempdateiAnlegen(int OrdnerFd, const std::string& Vorne, mode_t Modus, std::string& Name) {
  constexpr int kMaxVersuche = 100;
  for (int i = 0; i < kMaxVersuche; ++i) {
    Name = Vorne + TempdateiName();
    const int fd = ::openat(OrdnerFd, Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, Modus);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool BesitzUebernehmen(int Fd, const struct stat& Alt) {
  // Owner first: a change of owner clears the setuid and setgid bits that the mode then sets.
  if (::fchown(Fd, Alt.st_uid, Alt.st_gid) != 0 && errno != EPERM) return false;
  return ::fchmod(Fd, Alt.st_mode & 07777) == 0;
}

int FrischeTempdatei(const std::string& Ziel, mode_t Modus, std::string& Temp) {
  const std::size_t trenner = Ziel.find_last_of('/');
  const std::string ordner = trenner == std::string::npos ? std::string() : Ziel.substr(0, trenner + 1);
  VerwaisteTempdateienEntfernen(ordner);
  return TempdateiAnlegen(AT_FDCWD, ordner, Modus, Temp);
}

}  // namespace kiro
