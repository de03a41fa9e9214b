// The reference update of "Verschieben" and "NeuerLink": every data file that names the old file
// by its relative name (or by its bare name) gets the new relative name. The files come from the
// script's index when it was built, else from a walk below the own data folder's BasisPfad.
#include "datafiles/Script.h"
#include "KiroXMLObjektIntern.h"

#include "datafiles/Abbruch.h"
#include "datafiles/KiroXMLDatei.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
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

// The old file's bare name as the raw bytes of a UTF-8 data file show it, a to z in lower
// case; empty when the quick look could miss a match: when the name holds one of the
// characters an entity may stand for, or the decoder's replacement character.
QByteArray Suchmuster(const QString& Name) {
  const QString bar = Name.mid(std::max(Name.lastIndexOf(u'\\'), Name.lastIndexOf(u'/')) + 1);
  for (QChar c : bar)
    if (c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\'' || c == QChar(0xFFFD)) return {};
  QByteArray b = bar.toUtf8();
  for (char& c : b)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return b;
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

// The one line in the script's view for a file that still names the old file, in the user's
// language with the reason: the tree's own line reaches only the program's log.
void NichtUmgeschriebenMelden(IProtokollAnsicht* UpdInfo, const QString& Pfad, const TKiroXMLDatei* Baum,
                              TBlick Blick = TBlick::Laden, int Fehler = 0) {
  if (!UpdInfo) return;
  const bool englisch = GrossAZ(intern::Sprachordner()) == u"ENGLISH";
  QString grund;
  if (Blick == TBlick::ZuGross)
    grund = englisch ? QStringLiteral("too large to read") : QStringLiteral("zu gro\u00df zum Lesen");
  else if (Blick == TBlick::Unlesbar)
    grund = (englisch ? QStringLiteral("could not be read: ") : QStringLiteral("nicht lesbar: ")) + SystemFehlertext(Fehler);
  else if (Baum->Verlustbehaftet() || Baum->Abgeschnitten() || Baum->TextVerworfen())
    grund = englisch ? QStringLiteral("not read without loss") : QStringLiteral("nicht verlustfrei gelesen");
  else if (Baum->Basisknoten()->Unterknoten.size() != 1 || Baum->Basisknoten()->Unterknoten.front()->Name != u"Kiro")
    grund = englisch ? QStringLiteral("no data file of the product") : QStringLiteral("keine Datei des Produkts");
  else
    grund = englisch ? QStringLiteral("could not be written") : QStringLiteral("Schreiben fehlgeschlagen");
  UpdInfo->Eintrag(Formatieren(englisch ? QStringLiteral("%s: references not rewritten (%s)")
                                        : QStringLiteral("%s: Verweise nicht umgeschrieben (%s)"),
                               {Pfad, grund}),
                   TZeilenFarbe::Fehler);
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
  if (!EingebundeneDateien) lauf.Muster = {Suchmuster(AlteDatei.Dateiname)};

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
  VerzeichnisAnpassen(lauf, *start, true);
}

void TScriptVerlinkungBasis::VerzeichnisAnpassen(TLauf& Lauf, const QString& Ordner, bool Anfang) {
  // The start may be reached through a link (it was checked to lie in the data folder); below
  // it no link is followed, and a folder on another mount (a bind mount included) is left alone.
  const int fd =
      ::open(QFile::encodeName(Ordner).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (Anfang ? 0 : O_NOFOLLOW));
  if (fd < 0) return;
  // A bind mount keeps the device number, so the mount id decides.
  const std::optional<std::uint64_t> mount = MountKennung(fd, "");
  if (mount && Anfang) Lauf.Mount = *mount;
  if (!mount || *mount != Lauf.Mount) {
    ::close(fd);
    return;
  }
  DIR* verzeichnis = ::fdopendir(fd);
  if (!verzeichnis) {
    ::close(fd);
    return;
  }
  while (const dirent* e = ::readdir(verzeichnis)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    unsigned char typ = e->d_type;
    if (typ == DT_UNKNOWN) {
      struct stat st{};
      if (::fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      typ = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
    }
    const QString pfad = Ordner + u'/' + QFile::decodeName(n);
    // Links are neither followed nor rewritten; devices and pipes are no data files.
    if (typ == DT_DIR)
      VerzeichnisAnpassen(Lauf, pfad, false);
    else if (typ == DT_REG)
      DateiAnpassen(Lauf, pfad);
    if (AbbruchVerlangt()) break;
  }
  ::closedir(verzeichnis);
}

bool TScriptVerlinkungBasis::DateitypPasst(const QString& Pfad) const {
  const QString name = QFileInfo(Pfad).fileName();
  const qsizetype punkt = name.lastIndexOf(u'.');
  const QString endung = GrossAZ(punkt >= 0 ? name.mid(punkt) : QString());
  for (const QString& f : FilterDateitypen)
    if (GrossAZ(f) == endung) return true;
  return false;
}

void TScriptVerlinkungBasis::DateiAnpassen(TLauf& Lauf, const QString& Pfad) {
  if (!BekannterDateityp(Pfad, true)) return;
  if (AbbruchVerlangt()) return;
  if (!FilterDateitypen.isEmpty() && !DateitypPasst(Pfad)) return;
  if (Lauf.StBar) Lauf.StBar->SimpleTextSetzen(Pfad);
  EreignisseVerarbeiten();

  // Loaded and saved by the same absolute path.
  const QString absolut = Pfad.startsWith(u'/') ? Pfad : QFileInfo(Pfad).absoluteFilePath();
  // Most files of a walk name other files: a look at the bytes spares parsing them.
  int fehler = 0;
  const TBlick blick = Ansehen(QFile::encodeName(absolut), Lauf.Muster, fehler);
  if (blick == TBlick::ZuGross || blick == TBlick::Unlesbar) NichtUmgeschriebenMelden(Lauf.UpdInfo, Pfad, nullptr, blick, fehler);
  if (blick != TBlick::Laden) return;

  const QString offiziell = QFileInfo(DatenverzeichnisOffiziell.isEmpty() ? QStringLiteral(".")
                                                                           : DatenverzeichnisOffiziell)
                                .absoluteFilePath();
  QString ordner = QDir(offiziell).relativeFilePath(QFileInfo(absolut).path());
  ordner = ordner == u'.' ? QString() : ordner.replace(u'/', u'\\') + u'\\';
  Lauf.DateiOrdner = ordner;
  Lauf.DateiOrdnerPfad = QFileInfo(absolut).path() + u'/';
  Lauf.Anzahl = 0;

  TKiroXMLDatei baum;
  baum.LadenDatei(QString(), absolut);
  VerweiseErsetzen(Lauf, *baum.Basisknoten());
  // The tree refuses to write what it did not read whole and without loss; then the file keeps
  // its bytes and the tree's line says so.
  if (Lauf.Anzahl == 0) return;
  if (!baum.SpeichernDatei(QString(), absolut))
    NichtUmgeschriebenMelden(Lauf.UpdInfo, Pfad, &baum);
  else if (Lauf.UpdInfo)
    Lauf.UpdInfo->Eintrag(Formatieren(QStringLiteral("%dx: %s"), {Lauf.Anzahl, Pfad}));
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
