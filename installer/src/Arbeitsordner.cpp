#include "Arbeitsordner.h"

#include "foundation/Pfade.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <optional>

namespace kiro {

TArbeitsordner::TArbeitsordner(const QString& Ziel, const QString& Name)
    : FZielPfad(Ziel), FPfad(Ziel + Name + u'/'), FName(Name) {
  // The reason a folder could not be created is the one to tell; the open after it would only
  // say that the folder is missing.
  QString ziel = Ziel;
  while (ziel.size() > 1 && ziel.endsWith(u'/')) ziel.chop(1);
  std::error_code anlegen;
  std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(ziel).toStdString()), anlegen);
  FZiel = ::open(QFile::encodeName(Ziel).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (FZiel < 0) {
    FFehler = errno == ENOENT && anlegen ? anlegen.value() : errno;
    return;
  }
  const QByteArray name = QFile::encodeName(Name);
  const int angelegt = ::mkdirat(FZiel, name.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
  FOrdner = ::openat(FZiel, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (FOrdner >= 0) {
    // Released with the descriptor, also when the program ends in any other way.
    if (::flock(FOrdner, LOCK_EX | LOCK_NB) == 0) return;
    FFehler = errno;
    FBelegt = errno == EWOULDBLOCK;
    ::close(FOrdner);
    FOrdner = -1;
    return;
  }
  FFehler = errno == ENOENT && angelegt ? angelegt : errno;
  struct stat st {};
  FVerweis = ::fstatat(FZiel, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

TArbeitsordner::~TArbeitsordner() {
  if (FOrdner >= 0) ::close(FOrdner);
  if (FZiel >= 0) ::close(FZiel);
}

bool TArbeitsordner::ZielUnveraendert() const {
  struct stat offen {}, jetzt {};
  return FZiel >= 0 && ::fstat(FZiel, &offen) == 0 && ::stat(QFile::encodeName(FZielPfad).constData(), &jetzt) == 0 &&
         offen.st_dev == jetzt.st_dev && offen.st_ino == jetzt.st_ino;
}

QString TArbeitsordner::Zugang() const { return QStringLiteral("/proc/self/fd/%1/").arg(FOrdner); }

int TArbeitsordner::DateiOeffnen(const QString& Name, int Flags, mode_t Modus) const {
  const std::optional<QStringList> teile = SichereKomponenten(Name);
  if (!teile || Name.endsWith(u'/') || Name.endsWith(u'\\')) {
    errno = EINVAL;
    return -1;
  }
  if (FOrdner < 0) {
    errno = FFehler ? FFehler : EBADF;
    return -1;
  }
  const int eltern = ElternOeffnen(FOrdner, *teile);
  if (eltern < 0) return -1;
  // O_NONBLOCK: a fifo in the way must not hold the build; it is refused below.
  int fd = ::openat(eltern, QFile::encodeName(teile->last()).constData(),
                    Flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, Modus);
  int fehler = errno;
  if (eltern != FOrdner) ::close(eltern);
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    fd = -1;
    fehler = S_ISDIR(st.st_mode) ? EISDIR : EEXIST;
  }
  if (fd >= 0) {
    // Reads and writes of the build wait for the disk as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  errno = fehler;
  return -1;
}

bool TArbeitsordner::DateiEntfernen(const QString& Name) const {
  const std::optional<QStringList> teile = SichereKomponenten(Name);
  if (!teile || FOrdner < 0) return false;
  const int eltern = ElternOeffnen(FOrdner, *teile);
  if (eltern < 0) return false;
  // unlinkat removes a link itself, never what it points to.
  const bool ok = ::unlinkat(eltern, QFile::encodeName(teile->last()).constData(), 0) == 0;
  if (eltern != FOrdner) ::close(eltern);
  return ok;
}

bool TArbeitsordner::OrdnerEntfernen() const {
  if (FOrdner < 0) return false;
  struct stat offen {}, jetzt {};
  const QByteArray name = QFile::encodeName(FName);
  if (::fstat(FOrdner, &offen) != 0 || ::fstatat(FZiel, name.constData(), &jetzt, AT_SYMLINK_NOFOLLOW) != 0 ||
      offen.st_dev != jetzt.st_dev || offen.st_ino != jetzt.st_ino)
    return false;
  return ::unlinkat(FZiel, name.constData(), AT_REMOVEDIR) == 0;
}

}  // namespace kiro
