#include "foundation/Dateifunktionen.h"

#include "foundation/Ereignisse.h"
#include "foundation/Kern.h"
#include "platform/DesktopOrdner.h"
#include "platform/Wechsellaufwerke.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kiro {

namespace {

bool IstLeerzeichen(QChar c, bool auchTabs) { return c == u' ' || (auchTabs && c == u'\t'); }

// Deletes a folder's content through open folder handles, so that no symbolic link met on the
// way is ever followed: a link is removed as an entry, and a folder swapped for a link while we
// work fails to open instead of leading elsewhere.
class TOrdnerLoescher {
 public:
  explicit TOrdnerLoescher(bool Papierkorb) : FPapierkorb(Papierkorb) {}
  bool Fehler = false;

  // Mount is the mount of the folder the delete started at.
  // Ordner is the folder's absolute path with a final "/", in bytes: the trash records it.
  void InhaltLoeschen(int ordnerFd, const QByteArray& ordner, std::uint64_t mount) {
    for (const std::string& name : Eintraege(ordnerFd)) {
      struct stat st {};
      if (::fstatat(ordnerFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) Fehler = true;
        continue;
      }
      if (S_ISDIR(st.st_mode)) {
        // A file system mounted here (a stick, a bind mount) is not part of this folder, and its
        // mount point could not be removed anyway.
        if (MountKennung(ordnerFd, name.c_str()) != mount) {
          Fehler = true;
          continue;
        }
        const int unterFd = ::openat(ordnerFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (unterFd < 0) {
          Fehler = true;
          continue;
        }
        InhaltLoeschen(unterFd, ordner + QByteArray::fromStdString(name) + '/', mount);
        ::close(unterFd);
        if (::unlinkat(ordnerFd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) Fehler = true;
      } else {
        EreignisseVerarbeiten();
        DateiLoeschen(ordnerFd, name, ordner, S_ISLNK(st.st_mode));
        EreignisseVerarbeiten();
      }
    }
  }

 private:
  // The names are read in full first: removing entries while reading a folder may skip some.
  std::vector<std::string> Eintraege(int ordnerFd) {
    std::vector<std::string> namen;
    const int kopie = ::dup(ordnerFd);
    DIR* d = kopie >= 0 ? ::fdopendir(kopie) : nullptr;
    if (!d) {
      if (kopie >= 0) ::close(kopie);
      Fehler = true;
      return namen;
    }
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") namen.push_back(name);
    }
    ::closedir(d);
    return namen;
  }

  void DateiLoeschen(int ordnerFd, const std::string& name, const QByteArray& ordner, bool istLink) {
    // A link holds nothing worth keeping. The trash takes the entry by the bytes of its name:
    // a decoded copy could name another entry, or none.
    if (FPapierkorb && !istLink) {
      if (!InDenPapierkorb(ordnerFd, QByteArray::fromStdString(name), ordner)) Fehler = true;
    } else if (::unlinkat(ordnerFd, name.c_str(), 0) != 0 && errno != ENOENT) {
      Fehler = true;
    }
  }

  bool FPapierkorb;
};

// Parses a whole 32-bit number in decimal with an optional sign; nothing else may follow.
bool GanzeZahl(const QString& text, std::int32_t& wert) {
  if (text.isEmpty()) return false;
  qsizetype i = 0;
  const bool negativ = text[0] == u'-';
  if (text[0] == u'-' || text[0] == u'+') ++i;
  if (i == text.size()) return false;
  std::int64_t betrag = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return false;
    betrag = betrag * 10 + (c - u'0');
    if (betrag > std::int64_t(INT32_MAX) + 1) return false;
  }
  const std::int64_t w = negativ ? -betrag : betrag;
  if (w > INT32_MAX) return false;
  wert = std::int32_t(w);
  return true;
}

}  // namespace

QString Trimmen(const QString& Text, bool AuchTabs) {
  qsizetype anfang = 0;
  qsizetype ende = Text.size();
  while (anfang < ende && IstLeerzeichen(Text[anfang], AuchTabs)) ++anfang;
  while (ende > anfang && IstLeerzeichen(Text[ende - 1], AuchTabs)) --ende;
  return Text.mid(anfang, ende - anfang);
}

std::optional<std::uint64_t> MountKennung(int OrdnerFd, const char* Name) {
  struct statx sx {};
  const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*Name ? 0 : AT_EMPTY_PATH);
  if (::statx(OrdnerFd, Name, flags, STATX_MNT_ID, &sx) != 0 || !(sx.stx_mask & STATX_MNT_ID)) return std::nullopt;
  return sx.stx_mnt_id;
}

std::optional<std::uint64_t> MountKennung(const QString& Pfad) {
  return MountKennung(AT_FDCWD, QFile::encodeName(Pfad).constData());
}

QStringList WechsellaufwerkeListe() {
  QStringList namen;
  try {
    for (const platform::TWechsellaufwerk& w : platform::StandardWechsellaufwerke().Liste()) namen.append(w.Name);
  } catch (...) {
    return {};
  }
  return namen;
}

namespace {

// A folder of the trash: made for the user alone where it is missing; a link in its place, or
// a folder of someone else, is no trash of ours. The open folder, or -1.
int TrashOrdner(int In, const char* Name) {
  if (::mkdirat(In, Name, 0700) != 0 && errno != EEXIST) return -1;
  const int fd = ::openat(In, Name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The trash of the user's home: "Trash" below XDG_DATA_HOME, which counts only as an absolute
// path, else below ~/.local/share. Its path, or empty.
QByteArray HeimMuell() {
  QByteArray daten = qgetenv("XDG_DATA_HOME");
  if (!daten.startsWith('/')) {
    const QByteArray heim = QFile::encodeName(QDir::homePath());
    if (!heim.startsWith('/')) return {};
    daten = heim + "/.local/share";
  }
  while (daten.size() > 1 && daten.endsWith('/')) daten.chop(1);
  return daten + "/Trash";
}

// Renames without replacing; a file system that cannot promise that is asked first.
bool Umbenennen(int Von, const QByteArray& Alt, int Nach, const QByteArray& Neu) {
  if (::renameat2(Von, Alt.constData(), Nach, Neu.constData(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL) return false;
  struct stat st {};
  if (::fstatat(Nach, Neu.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::renameat(Von, Alt.constData(), Nach, Neu.constData()) == 0;
}

// The top folder of the mount the folder Ordner (absolute) lies on.
QByteArray MountWurzel(QByteArray Ordner, dev_t Geraet) {
  while (Ordner.size() > 1) {
    const qsizetype schnitt = Ordner.lastIndexOf('/');
    const QByteArray oben = schnitt <= 0 ? QByteArray("/") : Ordner.left(schnitt);
    struct stat st {};
    if (::stat(oben.constData(), &st) != 0 || st.st_dev != Geraet) break;
    Ordner = oben;
  }
  return Ordner;
}

}  // namespace

bool InDenPapierkorb(const QString& Pfad) {
  const QFileInfo info(Pfad);
  const QByteArray ordner = QFile::encodeName(info.absolutePath());
  const int fd = ::open(ordner.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = InDenPapierkorb(fd, QFile::encodeName(info.fileName()), ordner);
  ::close(fd);
  return ok;
}

bool InDenPapierkorb(int OrdnerFd, const QByteArray& Name, const QByteArray& Ordner) {
  if (Name.isEmpty() || Name.contains('/') || Name == "." || Name == ".." || !Ordner.startsWith('/')) return false;
  struct stat datei {};
  if (::fstatat(OrdnerFd, Name.constData(), &datei, AT_SYMLINK_NOFOLLOW) != 0) return false;

  // The home trash where the file lies on the home's file system (or where no other can be
  // found); else the trash at the top of the file's own file system, as the trash's rules say.
  const QByteArray heim = HeimMuell();
  if (heim.isEmpty()) return false;
  const qsizetype schnitt = heim.lastIndexOf('/');
  const QByteArray heimOben = heim.left(std::max<qsizetype>(schnitt, 1));
  QDir().mkpath(QFile::decodeName(heimOben));
  struct stat obenSt {};
  int muell = -1;
  if (::stat(heimOben.constData(), &obenSt) == 0 && obenSt.st_dev == datei.st_dev) {
    const int oben = ::open(heimOben.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (oben < 0) return false;
    muell = TrashOrdner(oben, heim.mid(schnitt + 1).constData());
    ::close(oben);
  } else {
    const QByteArray wurzel = MountWurzel(Ordner, datei.st_dev);
    const int w = ::open(wurzel.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (w < 0) return false;
    const QByteArray uid = QByteArray::number(uint(::geteuid()));
    // A shared ".Trash" counts only as a sticky real folder; the user's own folder in it.
    struct stat geteilt {};
    if (::fstatat(w, ".Trash", &geteilt, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(geteilt.st_mode) &&
        (geteilt.st_mode & S_ISVTX)) {
      const int g = ::openat(w, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (g >= 0) {
        muell = TrashOrdner(g, uid.constData());
        ::close(g);
      }
    }
    if (muell < 0) muell = TrashOrdner(w, (".Trash-" + uid).constData());
    ::close(w);
  }
  if (muell < 0) return false;
  const int dateien = TrashOrdner(muell, "files");
  const int infos = TrashOrdner(muell, "info");
  ::close(muell);
  bool ok = false;
  if (dateien >= 0 && infos >= 0) {
    const QByteArray info = "[Trash Info]\nPath=" + (Ordner.endsWith('/') ? Ordner : Ordner + '/').toPercentEncoding("/") +
                            Name.toPercentEncoding() + "\nDeletionDate=" +
                            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
                            '\n';
    // The record is made first and exclusively: its name reserves the name in "files".
    for (int nummer = 1; nummer < 10000 && !ok; ++nummer) {
      const QByteArray name = nummer == 1 ? Name : Name + '.' + QByteArray::number(nummer);
      const QByteArray infoName = name + ".trashinfo";
      const int fd = ::openat(infos, infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        break;
      }
      const bool geschrieben = AllesSchreiben(fd, info.constData(), std::size_t(info.size()));
      ::close(fd);
      if (geschrieben && Umbenennen(OrdnerFd, Name, dateien, name)) {
        ok = true;
        break;
      }
      const int fehler = errno;
      ::unlinkat(infos, infoName.constData(), 0);
      if (!geschrieben || fehler != EEXIST) break;
    }
  }
  if (dateien >= 0) ::close(dateien);
  if (infos >= 0) ::close(infos);
  return ok;
}

bool VerzeichnisLoeschen(const QString& Pfad, bool Papierkorb) {
  QString pfad = Pfad;
  while (pfad.size() > 1 && pfad.endsWith(u'/')) pfad.chop(1);
  if (pfad.isEmpty() || pfad == u'/') return false;
  // "x/." and "x/.." name the folder they lead to; it cannot be removed under that name.
  const QString letzter = pfad.section(u'/', -1);
  if (letzter == u"." || letzter == u"..") {
    pfad = QFileInfo(pfad).canonicalFilePath();
    if (pfad.isEmpty()) return true;
  }
  const QByteArray nativ = QFile::encodeName(pfad);
  struct stat st {};
  if (::lstat(nativ.constData(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
  // A link to a folder goes as the link; its target is not ours to empty.
  if (S_ISLNK(st.st_mode)) return ::unlink(nativ.constData()) == 0 || errno == ENOENT;
  // Something else in the folder's place is not deleted, and the folder is not gone.
  if (!S_ISDIR(st.st_mode)) return false;
  // Reached through links, the folder might still be the root.
  if (QFileInfo(pfad).canonicalFilePath() == u'/') return false;

  const int fd = ::open(nativ.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const std::optional<std::uint64_t> mount = MountKennung(fd, "");
  if (!mount) {
    ::close(fd);
    return false;
  }
  TOrdnerLoescher loescher(Papierkorb);
  loescher.InhaltLoeschen(fd, QFile::encodeName(QFileInfo(pfad).absoluteFilePath()) + '/', *mount);
  ::close(fd);
  if (::rmdir(nativ.constData()) != 0 && errno != ENOENT) loescher.Fehler = true;
  return !loescher.Fehler;
}

QString MitNullenAuffuellen(std::int32_t Zahl, int Stellen) {
  QString text = QString::number(Zahl);
  if (text.size() < Stellen) text.prepend(QString(Stellen - text.size(), u'0'));
  return text;
}

QString FreiesNummernverzeichnis(const QString& Basis, const QString& Praefix) {
  for (std::int64_t nummer = 1;; ++nummer) {
    const QString kandidat = Basis + Praefix + MitNullenAuffuellen(std::int32_t(nummer), 4);
    struct stat st {};
    // Any entry counts as taken, a dangling link too; a name we cannot even look at does not,
    // or a folder we may not read would make this loop forever.
    if (::lstat(QFile::encodeName(kandidat).constData(), &st) == 0) continue;
    VerzeichnisAnlegen(kandidat);
    return kandidat + u'/';
  }
}

void VersionZerlegen(const QString& Text, std::uint16_t& V1, std::uint16_t& V2, std::uint16_t& V3,
                     std::uint16_t& V4) {
  V1 = V2 = V3 = V4 = 0;
  auto naechsterPunkt = [&](qsizetype ab) {
    const qsizetype p = Text.indexOf(u'.', ab);
    return p < 0 ? Text.size() : p;
  };
  const qsizetype p1 = naechsterPunkt(0);
  const qsizetype p2 = p1 < Text.size() ? naechsterPunkt(p1 + 1) : Text.size();
  const qsizetype p3 = p2 < Text.size() ? naechsterPunkt(p2 + 1) : Text.size();
  auto teil = [&](qsizetype von, qsizetype bis) { return von >= bis ? QString() : Text.mid(von, bis - von); };
  const QString teile[4] = {teil(0, p1), teil(p1 + 1, p2), teil(p2 + 1, p3), teil(p3 + 1, Text.size())};
  std::uint16_t* ziele[4] = {&V1, &V2, &V3, &V4};
  for (int i = 0; i < 4; ++i) {
    std::int32_t wert = 0;
    if (GanzeZahl(teile[i], wert)) *ziele[i] = std::uint16_t(std::uint32_t(wert) & 0xFFFF);
  }
}

bool VersionMindestens(const QString& A, const QString& B) {
  std::uint16_t a[4], b[4];
  VersionZerlegen(A, a[0], a[1], a[2], a[3]);
  VersionZerlegen(B, b[0], b[1], b[2], b[3]);
  for (int i = 0; i < 4; ++i)
    if (a[i] != b[i]) return a[i] > b[i];
  return true;
}

QString GroesseAlsText(std::uint32_t Bytes) {
  constexpr std::uint64_t KB = 1024, MB = 1024000, GB = 1024000000;
  const char* einheit = "bytes";
  std::uint64_t teiler = 1;
  if (Bytes > GB) {
    einheit = "GB";
    teiler = GB;
  } else if (Bytes > MB) {
    einheit = "MB";
    teiler = MB;
  } else if (Bytes > KB) {
    einheit = "KB";
    teiler = KB;
  }
  // "#.##": two decimals rounded half up in whole numbers, trailing zeros and a lone zero dropped.
  const std::uint64_t hundertstel = (std::uint64_t(Bytes) * 200 + teiler) / (2 * teiler);
  const std::uint64_t ganz = hundertstel / 100;
  const std::uint64_t rest = hundertstel % 100;
  QString text = ganz > 0 ? QString::number(ganz) : QString();
  if (rest > 0) {
    QString nachkomma = QStringLiteral("%1").arg(rest, 2, 10, QChar(u'0'));
    if (nachkomma.endsWith(u'0')) nachkomma.chop(1);
    text += QLocale().decimalPoint() + nachkomma;
  }
  return text + u' ' + QLatin1String(einheit);
}

QString DesktopVerzeichnis() { return platform::DesktopOrdner(); }

}  // namespace kiro
