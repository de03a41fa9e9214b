#include "foundation/Pfade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kiro {

namespace {

// The entry of the folder open as Ordner that is Name but for letter case; Name itself when it
// exists as given or no entry matches.
QByteArray NameImOrdner(int Ordner, const QString& Name) {
  const QByteArray roh = QFile::encodeName(Name);
  struct stat st {};
  if (::fstatat(Ordner, roh.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return roh;
  // A descriptor of its own: reading the folder must not move the caller's position in it.
  const int eigener = ::openat(Ordner, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* d = eigener >= 0 ? ::fdopendir(eigener) : nullptr;
  if (!d) {
    if (eigener >= 0) ::close(eigener);
    return roh;
  }
  QByteArray gefunden = roh;
  while (const dirent* e = ::readdir(d))
    if (QFile::decodeName(e->d_name).compare(Name, Qt::CaseInsensitive) == 0) {
      gefunden = e->d_name;
      break;
    }
  ::closedir(d);
  return gefunden;
}

}  // namespace

std::optional<QStringList> SichereKomponenten(const QString& Name) {
  if (Name.isEmpty()) return std::nullopt;
  for (QChar c : Name)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u':') return std::nullopt;
  QString n = Name;
  n.replace(u'\\', u'/');
  if (n.startsWith(u'/')) return std::nullopt;
  if (n.endsWith(u'/')) n.chop(1);
  const QStringList teile = n.split(u'/');
  for (const QString& t : teile)
    if (t.isEmpty() || t == u"." || t == u"..") return std::nullopt;
  return teile;
}

std::optional<QString> SicherVerbinden(const QString& Basis, const QString& Name) {
  const auto teile = SichereKomponenten(Name);
  if (!teile) return std::nullopt;
  QString basis = Basis;
  if (!basis.isEmpty() && !basis.endsWith(u'/')) basis += u'/';
  return basis + teile->join(u'/');
}

std::optional<QString> SicherVerbindenOhneGrossKlein(const QString& Basis, const QString& Name) {
  const auto teile = SichereKomponenten(Name);
  if (!teile) return std::nullopt;
  QString pfad = Basis;
  if (!pfad.isEmpty() && !pfad.endsWith(u'/')) pfad += u'/';
  bool vorhanden = true;
  for (qsizetype i = 0; i < teile->size(); ++i) {
    QString teil = teile->at(i);
    if (vorhanden && !QFileInfo::exists(pfad + teil)) {
      const QDir ordner(pfad.isEmpty() ? QStringLiteral(".") : pfad);
      const QStringList eintraege =
          ordner.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
      vorhanden = false;
      for (const QString& e : eintraege)
        if (e.compare(teil, Qt::CaseInsensitive) == 0) {
          teil = e;
          vorhanden = true;
          break;
        }
    }
    pfad += teil;
    if (i + 1 < teile->size()) pfad += u'/';
  }
  return pfad;
}

int ElternOeffnen(int Ordner, const QStringList& Teile, bool OhneGrossKlein) {
  int aktuell = Ordner;
  for (qsizetype i = 0; i + 1 < Teile.size(); ++i) {
    const QByteArray name = OhneGrossKlein ? NameImOrdner(aktuell, Teile[i]) : QFile::encodeName(Teile[i]);
    const int naechster = ::openat(aktuell, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int fehler = errno;
    if (aktuell != Ordner) ::close(aktuell);
    if (naechster < 0) {
      errno = fehler;
      return -1;
    }
    aktuell = naechster;
  }
  return aktuell;
}

int SicherOeffnenOhneGrossKlein(int Ordner, const QString& Name, int Flags) {
  const auto teile = SichereKomponenten(Name);
  if (!teile) {
    errno = EINVAL;
    return -1;
  }
  const int eltern = ElternOeffnen(Ordner, *teile, true);
  if (eltern < 0) return -1;
  const int fd = ::openat(eltern, NameImOrdner(eltern, teile->last()).constData(), Flags | O_NOFOLLOW | O_CLOEXEC);
  const int fehler = errno;
  if (eltern != Ordner) ::close(eltern);
  errno = fehler;
  return fd;
}

}  // namespace kiro
