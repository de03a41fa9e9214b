#include "foundation/Dateifunktionen.h"

#include "foundation/Ereignisse.h"
#include "platform/DesktopOrdner.h"
#include "platform/Wechsellaufwerke.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include <cerrno>
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
  void InhaltLoeschen(int ordnerFd, const QString& ordner, std::uint64_t mount) {
    for (const std::string& name : Eintraege(ordnerFd)) {
      struct stat st {};
      if (::fstatat(ordnerFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) Fehler = true;
        continue;
      }
      const QString pfad = ordner + QFile::decodeName(QByteArray::fromStdString(name));
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
        InhaltLoeschen(unterFd, pfad + u'/', mount);
        ::close(unterFd);
        if (::unlinkat(ordnerFd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) Fehler = true;
      } else {
        EreignisseVerarbeiten();
        DateiLoeschen(ordnerFd, name, pfad, S_ISLNK(st.st_mode));
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

  void DateiLoeschen(int ordnerFd, const std::string& name, const QString& pfad, bool istLink) {
    // A link holds nothing worth keeping, and the trash works by path, which would follow it.
    if (FPapierkorb && !istLink) {
      if (!InDenPapierkorb(pfad)) Fehler = true;
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

bool InDenPapierkorb(const QString& Pfad) {
  // Qt creates only the last level of the trash folder; without "~/.local/share" it puts the
  // file into "files" of the current folder instead and reports success.
  const QString daten = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (daten.isEmpty()) return false;
  const QString muell = daten + QStringLiteral("/Trash");
  if (!QFileInfo(muell).isDir()) {
    QDir().mkpath(daten);
    // The trash holds what the user threw away: for the user alone.
    if (::mkdir(QFile::encodeName(muell).constData(), 0700) != 0 && errno != EEXIST) return false;
    if (!QFileInfo(muell).isDir()) return false;
  }
  return QFile::moveToTrash(Pfad);
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
  loescher.InhaltLoeschen(fd, pfad + u'/', *mount);
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
