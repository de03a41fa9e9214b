// The reference update of "Verschieben" and "NeuerLink": every data file that names the old file
// by its relative name (or by its bare name) gets the new relative name. The files come from the
// script's index when it was built, else from a walk below the own data folder's BasisPfad.
#include "datafiles/Script.h"
#include "KiroXMLObjektIntern.h"

#include "datafiles/Abbruch.h"
#include "datafiles/KiroXMLDatei.h"

#include "foundation/Ansi.h"
#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Kern.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace {

// The folder part of a name, up to and including its last separator ("" when there is none).
QString Ordnerteil(const QString& Name) {
  return Name.left(std::max(Name.lastIndexOf(u'\\'), Name.lastIndexOf(u'/')) + 1);
}

QString OhneTrenner(QString Pfad) {
  while (Pfad.size() > 1 && Pfad.endsWith(u'/')) Pfad.chop(1);
  return Pfad;
}

// The old file's bare name as the raw bytes of a data file may show it: in UTF-8, and in
// Windows-1252 (the product's older files, read without a byte-order mark), a to z in lower case
// as the quick look folds them; the letters beyond z keep their case, as the comparison of
// names does. Empty when the quick look could miss a match: when the name holds one of the
// characters an entity may stand for, or the decoder's replacement character.
QList<QByteArray> Suchmuster(const QString& Name) {
  const QString bar = Name.mid(std::max(Name.lastIndexOf(u'\\'), Name.lastIndexOf(u'/')) + 1);
  for (QChar c : bar)
    if (c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\'' || c == QChar(0xFFFD)) return {};
  const auto klein = [](QByteArray b) {
    for (char& c : b)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return b;
  };
  QList<QByteArray> muster{klein(bar.toUtf8())};
  // Only where the code page holds every character, and where its bytes differ.
  const QByteArray ansi = NachAnsi(bar);
  if (AusAnsi(ansi) == bar && klein(ansi) != muster.front()) muster.append(klein(ansi));
  return muster;
}

enum class TBlick { Laden, Ueberspringen, KeineDatei, ZuGross, Unlesbar };

// The largest file the whole-file tree is given: the tree holds several bytes of memory for each
// byte of the file, so a larger one (a sparse file of many GiB, say) could exhaust the memory.
std::int64_t GroessterBaum() {
  constexpr std::int64_t kObergrenze = std::int64_t(1) << 30;
  const long seiten = ::sysconf(_SC_PHYS_PAGES), seite = ::sysconf(_SC_PAGESIZE);
  if (seiten <= 0 || seite <= 0) return kObergrenze;
  return std::min(kObergrenze, std::int64_t(seiten) * seite / 8);
}

// A look at the file before it is parsed: no regular file (a link above all: the save would put a
// file in its place, and the file it names may lie anywhere) is left alone; with patterns, a file
// whose bytes can hold no value that names the old file is skipped. Every match ends with the
// old bare name; the reader drops line breaks, so they are dropped here too, and a to z compare
// in either case. The bytes are read piece by piece (holes of a sparse file, zeros that no name
// holds, are passed over), never by the file's length; a file too large for the tree, or one
// that cannot be read, is said by the caller. A UTF-16 file is loaded.
TBlick Ansehen(const QByteArray& Pfad, const QList<QByteArray>& Muster, int& Fehler) {
  const int fd = ::open(Pfad.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    Fehler = errno;
    return errno == ELOOP ? TBlick::KeineDatei : TBlick::Unlesbar;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return TBlick::KeineDatei;
  }
  const TBlick laden = st.st_size > GroessterBaum() ? TBlick::ZuGross : TBlick::Laden;
  qsizetype laengstes = 0;
  for (const QByteArray& m : Muster) laengstes = std::max(laengstes, m.size());
  if (Muster.isEmpty() || laengstes == 0) {
    ::close(fd);
    return laden;
  }
  constexpr std::size_t kStueck = 1 << 16;
  // The end of the last piece, as far as a match could reach back from the next one.
  QByteArray puffer(qsizetype(kStueck) + laengstes, Qt::Uninitialized);
  qsizetype uebertrag = 0;
  char roh[kStueck];
  const auto fertig = [&](TBlick Blick, int Nummer = 0) {
    Fehler = Nummer;
    ::close(fd);
    return Blick;
  };
  off_t pos = 0;
  bool anfang = true;
  for (;;) {
    // A hole reads as zeros: no name lies in it, and none runs across it.
    const off_t daten = ::lseek(fd, pos, SEEK_DATA);
    if (daten < 0 && errno == ENXIO) break;
    if (daten > pos) uebertrag = 0;
    if (daten >= 0) pos = daten;
    const ssize_t r = ::pread(fd, roh, kStueck, pos);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return fertig(TBlick::Unlesbar, errno);
    if (r == 0) break;
    pos += r;
    if (anfang && r >= 2 && (std::memcmp(roh, "\xFF\xFE", 2) == 0 || std::memcmp(roh, "\xFE\xFF", 2) == 0))
      return fertig(laden);
    anfang = false;
    char* aus = puffer.data() + uebertrag;
    for (ssize_t i = 0; i < r; ++i) {
      const char c = roh[i];
      if (c == '\r' || c == '\n') continue;
      *aus++ = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    const qsizetype laenge = aus - puffer.constData();
    for (const QByteArray& m : Muster)
      if (!m.isEmpty() && ::memmem(puffer.constData(), std::size_t(laenge), m.constData(), std::size_t(m.size())))
        return fertig(laden);
    uebertrag = std::min(laenge, laengstes - 1);
    std::memmove(puffer.data(), puffer.constData() + laenge - uebertrag, std::size_t(uebertrag));
  }
  return fertig(TBlick::Ueberspringen);
}

// Whether a file named by the bare Name lies in Ordner (any letter case, as Windows finds it).
bool LiegtDaneben(const QString& Ordner, const QString& Name) {
  const std::optional<QString> pfad = SicherVerbindenOhneGrossKlein(Ordner, Name);
  return pfad && QFileInfo(*pfad).isFile();
}

// The one line in the script's view for a file that may still name the old file, in the user's
// language with the reason: the tree's own line reaches only the program's log.
void NichtUmgeschriebenMelden(IProtokollAnsicht* UpdInfo, const QString& Pfad, const QString& Grund,
                              const QString& Reason) {
  if (!UpdInfo) return;
  const bool englisch = GrossAZ(intern::Sprachordner()) == u"ENGLISH";
  UpdInfo->Eintrag(Formatieren(englisch ? QStringLiteral("%s: references not rewritten (%s)")
                                        : QStringLiteral("%s: Verweise nicht umgeschrieben (%s)"),
                               {Pfad, englisch ? Reason : Grund}),
                   TZeilenFarbe::Fehler);
}

void NichtUmgeschriebenMelden(IProtokollAnsicht* UpdInfo, const QString& Pfad, const TKiroXMLDatei& Baum) {
  const auto& oben = Baum.Basisknoten()->Unterknoten;
  if (Baum.Verlustbehaftet() || Baum.Abgeschnitten() || Baum.TextVerworfen())
    NichtUmgeschriebenMelden(UpdInfo, Pfad, QStringLiteral("nicht verlustfrei gelesen"),
                             QStringLiteral("not read without loss"));
  else if (oben.size() != 1 || oben.front()->Name != u"Kiro")
    NichtUmgeschriebenMelden(UpdInfo, Pfad, QStringLiteral("keine Datei des Produkts"),
                             QStringLiteral("no data file of the product"));
  else
    NichtUmgeschriebenMelden(UpdInfo, Pfad, QStringLiteral("Schreiben fehlgeschlagen"),
                             QStringLiteral("could not be written"));
}

void NichtLesbarMelden(IProtokollAnsicht* UpdInfo, const QString& Pfad) {
  NichtUmgeschriebenMelden(UpdInfo, Pfad, QStringLiteral("nicht lesbar"), QStringLiteral("could not be read"));
}

// A file the quick look could not examine: too large for the tree, or a read that failed.
void NichtAngesehenMelden(IProtokollAnsicht* UpdInfo, const QString& Pfad, TBlick Blick, int Fehler) {
  if (Blick == TBlick::ZuGross)
    NichtUmgeschriebenMelden(UpdInfo, Pfad, QStringLiteral("zu gro\u00df zum Lesen"), QStringLiteral("too large to read"));
  else
    NichtUmgeschriebenMelden(UpdInfo, Pfad, QStringLiteral("nicht lesbar: ") + SystemFehlertext(Fehler),
                             QStringLiteral("could not be read: ") + SystemFehlertext(Fehler));
}

// The folder Ordner, open as Fd, as a path the text routines can take, with a final "/": its own
// path where its bytes survive as text without a backslash (which they would take for a
// separator), else through the folder's handle, which holds whatever bytes its path has.
QString OrdnerAlsText(int Fd, const QByteArray& Ordner) {
  const QString ordner = QFile::decodeName(Ordner);
  if (QFile::encodeName(ordner) == Ordner && !ordner.contains(u'\\')) return ordner + u'/';
  return QStringLiteral("/proc/self/fd/") + QString::number(Fd) + u'/';
}

// A path the text routines can take for the entry Name of the open folder Fd whose path is
// Ordner: that path where its bytes survive as text, else through the folder's handle, which
// holds whatever bytes the folder's path has. Empty when the name's bytes do not survive as
// text, or hold a backslash, which the tree's writer takes for a separator.
QString AlsText(int Fd, const QByteArray& Ordner, const QByteArray& Name) {
  const QString name = QFile::decodeName(Name);
  if (QFile::encodeName(name) != Name || name.contains(u'\\')) return {};
  return OrdnerAlsText(Fd, Ordner) + name;
}

// Saves the tree over the entry Name of the folder Fd. A name that no text holds is written
// through a second name of the same file (a hard link), which then takes the entry's place.
bool BaumSpeichern(TKiroXMLDatei& Baum, int Fd, const QByteArray& Ordner, const QByteArray& Name) {
  const QString pfad = AlsText(Fd, Ordner, Name);
  if (!pfad.isEmpty()) return Baum.SpeichernDatei(QString(), pfad);
  // A temporary name of ours, so that what a killed run leaves is removed by a later one.
  const QByteArray zweit = QByteArray::fromStdString(TempdateiName());
  if (::linkat(Fd, Name.constData(), Fd, zweit.constData(), 0) != 0) return false;
  bool ok = Baum.SpeichernDatei(QString(), AlsText(Fd, Ordner, zweit));
  // Written anew, the second name holds the new file; written in place, both names hold it and
  // the rename does nothing.
  if (ok && ::renameat(Fd, zweit.constData(), Fd, Name.constData()) != 0) ok = false;
  ::unlinkat(Fd, zweit.constData(), 0);
  return ok;
}

}  // namespace

// What one update carries from file to file.
struct TScriptVerlinkungBasis::TLauf {
  IProtokollAnsicht* UpdInfo = nullptr;
  IStatusAnzeige* StBar = nullptr;
  QString AltGross;        // AlteDatei's name, a-z upper-cased
  QString AltOrdner;       // its folder part, as written
  QString DateiOrdner;     // folder of the examined file relative to the official data folder, "\" form
  QString DateiOrdnerPfad;  // the same folder as a native path, with "/"
  int Anzahl = 0;          // values replaced in the examined file
  std::uint64_t Mount = 0;  // the start folder's mount
  QList<QByteArray> Muster;  // for the quick look at a file's bytes before it is parsed; empty: none
};

void TScriptVerlinkungBasis::VerlinkungenAktualisieren(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar,
                                                       TIndexListe& Indexliste) {
  if (UpdInfo)
    UpdInfo->Eintrag(AlteDatei.Dateiname + QStringLiteral(" -> ") + NeueDatei.Dateiname + QStringLiteral("   (") +
                         BasisPfad.Dateiname + u')',
                     TZeilenFarbe::Grau);
  // An empty old name would match every empty value, an empty new one would blank references;
  // names that could leave the data folder name no data file.
  for (const QString& name : {AlteDatei.Dateiname, NeueDatei.Dateiname}) {
    if (SichereKomponenten(name) && !name.endsWith(u'\\') && !name.endsWith(u'/')) continue;
    if (UpdInfo) UpdInfo->Eintrag(QStringLiteral("name refused ") + name, TZeilenFarbe::Fehler);
    return;
  }
  TLauf lauf;
  lauf.UpdInfo = UpdInfo;
  lauf.StBar = StBar;
  lauf.AltGross = GrossAZ(AlteDatei.Dateiname);
  lauf.AltOrdner = Ordnerteil(AlteDatei.Dateiname);
  // Files of a host's embedded store are not read from the disk: no quick look there.
  if (!EingebundeneDateien) lauf.Muster = Suchmuster(AlteDatei.Dateiname);

  if (Indexliste.Erstellt) {
    QStringList dateien;
    Indexliste.VerknuepfteSuchen(AlteDatei.Dateiname, NeueDatei.Dateiname, BasisPfad.Dateiname, dateien);
    // A file that names the old one both ways is listed twice; one look rewrites every value.
    dateien.removeDuplicates();
    for (const QString& d : dateien) DateiAnpassen(lauf, d);
    return;
  }

  // The walk starts at the checked join: a base that could leave the data folder, or a start
  // at the current folder or the root of everything, is refused.
  std::optional<QString> start = BasisPfad.Dateiname.isEmpty()
                                     ? std::optional<QString>(Datenverzeichnis)
                                     : SicherVerbindenOhneGrossKlein(Datenverzeichnis, BasisPfad.Dateiname);
  if (start) *start = OhneTrenner(*start);
  if (!start || start->isEmpty() || QFileInfo(*start).canonicalFilePath() == u'/' ||
      !intern::LiegtIn(*start, Datenverzeichnis)) {
    if (UpdInfo) UpdInfo->Eintrag(QStringLiteral("name refused ") + BasisPfad.Dateiname, TZeilenFarbe::Fehler);
    return;
  }
  // The start may be reached through a link (it was checked to lie in the data folder); below
  // it the walk goes by open folders and the bytes of names.
  const QByteArray ordner = QFile::encodeName(QFileInfo(*start).absoluteFilePath());
  const int fd = ::open(ordner.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A base folder that is not there holds no file.
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return;
  const std::optional<std::uint64_t> mount = fd >= 0 ? MountKennung(fd, "") : std::nullopt;
  if (!mount) {
    if (fd >= 0) ::close(fd);
    NichtLesbarMelden(UpdInfo, *start);
    return;
  }
  lauf.Mount = *mount;
  VerzeichnisAnpassen(lauf, fd, ordner);
  ::close(fd);
}

void TScriptVerlinkungBasis::VerzeichnisAnpassen(TLauf& Lauf, int OrdnerFd, const QByteArray& Ordner) {
  // The names are read first: a save adds and removes entries of the folder while it is read.
  std::vector<QByteArray> namen;
  const int kopie = ::fcntl(OrdnerFd, F_DUPFD_CLOEXEC, 0);
  DIR* verzeichnis = kopie >= 0 ? ::fdopendir(kopie) : nullptr;
  if (!verzeichnis) {
    if (kopie >= 0) ::close(kopie);
    NichtLesbarMelden(Lauf.UpdInfo, QFile::decodeName(Ordner));
    return;
  }
  while (const dirent* e = ::readdir(verzeichnis)) {
    const char* n = e->d_name;
    if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))) namen.emplace_back(n);
  }
  ::closedir(verzeichnis);
  for (const QByteArray& name : namen) {
    if (AbbruchVerlangt()) break;
    struct stat st{};
    if (::fstatat(OrdnerFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const QByteArray pfad = Ordner + '/' + name;
    // Links are neither followed nor rewritten; devices and pipes are no data files; a folder
    // on another mount (a bind mount included: it keeps the device number) is left alone.
    if (S_ISDIR(st.st_mode)) {
      if (MountKennung(OrdnerFd, name.constData()) != Lauf.Mount) continue;
      const int fd = ::openat(OrdnerFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0) {
        NichtLesbarMelden(Lauf.UpdInfo, QFile::decodeName(pfad));
        continue;
      }
      VerzeichnisAnpassen(Lauf, fd, pfad);
      ::close(fd);
    } else if (S_ISREG(st.st_mode)) {
      DateiAnpassen(Lauf, OrdnerFd, Ordner, name);
    }
  }
}

bool TScriptVerlinkungBasis::DateitypPasst(const QString& Pfad) const {
  const QString name = QFileInfo(Pfad).fileName();
  const qsizetype punkt = name.lastIndexOf(u'.');
  const QString endung = GrossAZ(punkt >= 0 ? name.mid(punkt) : QString());
  for (const QString& f : FilterDateitypen)
    if (GrossAZ(f) == endung) return true;
  return false;
}

// A file the index names, by its path.
void TScriptVerlinkungBasis::DateiAnpassen(TLauf& Lauf, const QString& Pfad) {
  const QFileInfo info(Pfad.startsWith(u'/') ? Pfad : QFileInfo(Pfad).absoluteFilePath());
  const QByteArray ordner = QFile::encodeName(info.path());
  const int fd = ::open(ordner.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    if (BekannterDateityp(Pfad, true) && (FilterDateitypen.isEmpty() || DateitypPasst(Pfad)))
      NichtLesbarMelden(Lauf.UpdInfo, Pfad);
    return;
  }
  DateiAnpassen(Lauf, fd, ordner, QFile::encodeName(info.fileName()));
  ::close(fd);
}

void TScriptVerlinkungBasis::DateiAnpassen(TLauf& Lauf, int OrdnerFd, const QByteArray& Ordner,
                                           const QByteArray& Name) {
  // Ordner is absolute (the walk starts at an absolute data folder or the index's path).
  const QString pfad = QFile::decodeName(Ordner + '/' + Name);
  if (!BekannterDateityp(pfad, true)) return;
  if (AbbruchVerlangt()) return;
  if (!FilterDateitypen.isEmpty() && !DateitypPasst(pfad)) return;
  if (Lauf.StBar) Lauf.StBar->SimpleTextSetzen(pfad);
  EreignisseVerarbeiten();

  // Most files of a walk name other files: a look at the bytes spares parsing them.
  const QByteArray durchOrdner = "/proc/self/fd/" + QByteArray::number(OrdnerFd) + '/' + Name;
  int fehler = 0;
  const TBlick blick = Ansehen(EingebundeneDateien ? QFile::encodeName(pfad) : durchOrdner, Lauf.Muster, fehler);
  if (blick == TBlick::ZuGross || blick == TBlick::Unlesbar) NichtAngesehenMelden(Lauf.UpdInfo, pfad, blick, fehler);
  if (blick != TBlick::Laden) return;

  const QString offiziell = QFileInfo(DatenverzeichnisOffiziell.isEmpty() ? QStringLiteral(".")
                                                                           : DatenverzeichnisOffiziell)
                                .absoluteFilePath();
  QString ordner = QDir(offiziell).relativeFilePath(QFile::decodeName(Ordner));
  ordner = ordner == u'.' ? QString() : ordner.replace(u'/', u'\\') + u'\\';
  Lauf.DateiOrdner = ordner;
  Lauf.DateiOrdnerPfad = OrdnerAlsText(OrdnerFd, Ordner);
  Lauf.Anzahl = 0;

  TKiroXMLDatei baum;
  if (EingebundeneDateien) {
    baum.LadenDatei(QString(), pfad);
  } else {
    const int fd = ::openat(OrdnerFd, Name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      NichtLesbarMelden(Lauf.UpdInfo, pfad);
      return;
    }
    baum.LadenOffen(fd, pfad);
    ::close(fd);
  }
  VerweiseErsetzen(Lauf, *baum.Basisknoten());
  // The tree refuses to write what it did not read whole and without loss; then the file keeps
  // its bytes and the tree's line says so. A file read with loss may name the old file in what
  // was lost (the quick look found its name there): it gets its line too.
  if (Lauf.Anzahl == 0) {
    if (baum.Verlustbehaftet() || baum.Abgeschnitten()) NichtUmgeschriebenMelden(Lauf.UpdInfo, pfad, baum);
    return;
  }
  if (!(EingebundeneDateien ? baum.SpeichernDatei(QString(), pfad) : BaumSpeichern(baum, OrdnerFd, Ordner, Name)))
    NichtUmgeschriebenMelden(Lauf.UpdInfo, pfad, baum);
  else if (Lauf.UpdInfo)
    Lauf.UpdInfo->Eintrag(Formatieren(QStringLiteral("%dx: %s"), {Lauf.Anzahl, pfad}));
}

void TScriptVerlinkungBasis::VerweiseErsetzen(TLauf& Lauf, TKiroXMLKnoten& Knoten) {
  for (TParse& a : Knoten.Attribute) {
    if (a.Kennung != u"Dateiname") continue;
    const QString& v = a.Wert;
    bool trifft;
    if (v.contains(u'\\'))
      trifft = GrossAZ(v) == Lauf.AltGross;
    else  // a bare name: beside the examined file, or beside the old file unless a file of that
          // name lies beside the examined file, which the name then means
      trifft = GrossAZ(Lauf.DateiOrdner + v) == Lauf.AltGross ||
               (GrossAZ(Lauf.AltOrdner + v) == Lauf.AltGross && !LiegtDaneben(Lauf.DateiOrdnerPfad, v));
    if (!trifft) continue;
    a.Wert = NeueDatei.Dateiname;
    ++Lauf.Anzahl;
  }
  for (const auto& kind : Knoten.Unterknoten) VerweiseErsetzen(Lauf, *kind);
}

// --- TScriptVerschieben, TScriptNeuerLink ---

void TScriptVerschieben::Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste,
                                    bool SVNModus, bool, bool) {
  // References are rewritten only to a file that is there: a failed move has said so already.
  if (DateiVerschieben(UpdInfo, StBar, Indexliste, SVNModus)) VerlinkungenAktualisieren(UpdInfo, StBar, Indexliste);
}

void TScriptNeuerLink::Abarbeiten(IProtokollAnsicht* UpdInfo, IStatusAnzeige* StBar, TIndexListe& Indexliste, bool,
                                  bool, bool) {
  VerlinkungenAktualisieren(UpdInfo, StBar, Indexliste);
}

}  // namespace kiro
