// The file index: the walk over the official data folder and the lookup for a move.
#include "datafiles/IndexListe.h"

#include "datafiles/Abbruch.h"
#include "datafiles/KiroXMLDatei.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Ereignisse.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Pfade.h"
#include "foundation/Protokoll.h"

#include "foundation/Sprachtabelle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace {

// The index keeps names upper-cased in a to z only; other letters (ä, Ä) stay as they are, as
// the reference update compares them.
bool KleinerOhneGrossKlein(const QString& a, const QString& b) { return GrossAZ(a) < GrossAZ(b); }
bool GleichOhneGrossKlein(const QString& a, const QString& b) { return GrossAZ(a) == GrossAZ(b); }

qsizetype LetzterTrenner(const QString& Name) { return std::max(Name.lastIndexOf(u'\\'), Name.lastIndexOf(u'/')); }

QString Namensteil(const QString& Name) { return Name.mid(LetzterTrenner(Name) + 1); }

// An absolute, cleaned form for comparing paths; "" stands for the current folder.
QString Absolut(const QString& Pfad) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(Pfad.isEmpty() ? QStringLiteral(".") : Pfad));
}

// The folder Datenverzeichnis + Name (absolute; "" is the data folder itself), or nullopt when
// the name would leave the data folder. The case of existing folders is taken from the disk.
// The reference update's walk starts at the same folder, so both find the same files.
std::optional<QString> OrdnerImDatenverzeichnis(const QString& Name) {
  if (Name.isEmpty()) return Absolut(Datenverzeichnis);
  const std::optional<QString> pfad = SicherVerbindenOhneGrossKlein(Datenverzeichnis, Name);
  if (!pfad) return std::nullopt;
  return Absolut(*pfad);
}

}  // namespace

bool TVerknuepfte::Hinzufuegen(const QString& Name) {
  const auto stelle = std::lower_bound(FNamen.begin(), FNamen.end(), Name, KleinerOhneGrossKlein);
  if (stelle != FNamen.end() && GleichOhneGrossKlein(*stelle, Name)) return false;
  FNamen.insert(stelle, Name);
  return true;
}

qsizetype TVerknuepfte::Suchen(const QString& Name) const {
  const auto stelle = std::lower_bound(FNamen.cbegin(), FNamen.cend(), Name, KleinerOhneGrossKlein);
  if (stelle == FNamen.cend() || !GleichOhneGrossKlein(*stelle, Name)) return -1;
  return stelle - FNamen.cbegin();
}

void TIndexListe::Aufbauen(IStatusAnzeige* StBar) {
  // A second build (every script run builds again) must not list every file twice.
  Dateien.clear();
  QString ordner = DatenverzeichnisOffiziell;
  while (ordner.size() > 1 && ordner.endsWith(u'/')) ordner.chop(1);
  // Without a folder the walk would start at the current folder or the root of everything.
  if (ordner.isEmpty() || ordner == u'/' || QFileInfo(ordner).canonicalFilePath() == u'/') {
    Protokollieren(QString(), Formatieren(QStringLiteral("Ordner \"%s\" wird nicht indiziert"), {ordner}), 2);
  } else {
    FWurzel = QFile::encodeName(QFileInfo(ordner).canonicalFilePath());
    // The start may be reached through a link; below it the walk goes by open folders.
    const int fd = ::open(QFile::encodeName(ordner).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    FMount = fd >= 0 ? MountKennung(fd, "") : std::nullopt;
    if (!FWurzel.isEmpty() && FMount) VerzeichnisIndizieren(fd, ordner, StBar);
    if (fd >= 0) ::close(fd);
  }
  Erstellt = true;
}

// Every entry is taken by the bytes of its name, which a path text cannot always hold (a name
// that is no UTF-8) or would read differently (a backslash is a separator in data files).
void TIndexListe::VerzeichnisIndizieren(int OrdnerFd, const QString& Ordner, IStatusAnzeige* StBar) {
  std::vector<std::string> namen;
  const int kopie = ::fcntl(OrdnerFd, F_DUPFD_CLOEXEC, 0);
  DIR* d = kopie >= 0 ? ::fdopendir(kopie) : nullptr;
  if (!d) {
    if (kopie >= 0) ::close(kopie);
    return;
  }
  while (const dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (!(n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))) namen.emplace_back(n);
  }
  ::closedir(d);
  for (const std::string& name : namen) {
    struct stat st {};
    if (::fstatat(OrdnerFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const QString pfad = Ordner + u'/' + QFile::decodeName(QByteArray::fromStdString(name));
    if (S_ISDIR(st.st_mode)) {
      // A link to a folder may lead out of the data tree or round in a circle: only real
      // folders on the start's mount are walked.
      if (MountKennung(OrdnerFd, name.c_str()) != FMount) continue;
      const int unterFd = ::openat(OrdnerFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (unterFd < 0) continue;
      VerzeichnisIndizieren(unterFd, pfad, StBar);
      ::close(unterFd);
    } else if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {  // devices and pipes are no data files
      DateiIndizieren(OrdnerFd, name, pfad, S_ISLNK(st.st_mode), StBar);
    }
  }
}

// Whether the opened file belongs to the data tree: on the start folder's mount (a bind mount
// keeps the device number, so the mount id decides), a regular file, and reached through a link
// only when its real path lies below the start folder.
bool TIndexListe::Enthalten(int DateiFd, bool IstLink) const {
  struct stat st {};
  if (::fstat(DateiFd, &st) != 0 || !S_ISREG(st.st_mode) || MountKennung(DateiFd, "") != FMount) return false;
  if (!IstLink) return true;
  char echt[PATH_MAX + 1];
  const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(DateiFd)).c_str(), echt, PATH_MAX);
  if (n <= 0) return false;
  return QByteArray(echt, n).startsWith(FWurzel == "/" ? FWurzel : FWurzel + '/');
}

void TIndexListe::DateiIndizieren(int OrdnerFd, const std::string& Name, const QString& Datei, bool IstLink,
                                  IStatusAnzeige* StBar) {
  if (!BekannterDateityp(Datei, true)) return;
  // A link is followed here; what it leads to is checked on the opened file.
  const int fd = ::openat(OrdnerFd, Name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (IstLink ? 0 : O_NOFOLLOW));
  const int fehler = errno;
  if (fd >= 0 && !Enthalten(fd, IstLink)) {
    ::close(fd);
    return;
  }
  if (fd < 0 && IstLink) return;
  if (AbbruchVerlangt()) {
    if (fd >= 0) ::close(fd);
    return;
  }
  TDateilisteEintrag eintrag;
  eintrag.DateinameAbsolut = Datei;
  if (StBar) StBar->SimpleTextSetzen(Datei);
  EreignisseVerarbeiten();
  if (fd < 0) {
    // Listed all the same, without references, so the walk shows every data file.
    ProtokollierenFehler(fehler, Formatieren(Text(QStringLiteral("KiroXML.DateiLesen")), {Datei}), 2);
    eintrag.Ungewiss = true;
  } else {
    TKiroXMLDatei baum;
    baum.LadenOffen(fd, Datei);
    ::close(fd);
    VerknuepfungenSammeln(*baum.Basisknoten(), eintrag);
    eintrag.Ungewiss = baum.Verlustbehaftet() || baum.Abgeschnitten();
  }
  Dateien.append(std::move(eintrag));
}

void TIndexListe::VerknuepfungenSammeln(const TKiroXMLKnoten& Knoten, TDateilisteEintrag& Eintrag) {
  for (const TParse& a : Knoten.Attribute)
    if (a.Kennung == u"Dateiname") Eintrag.Verknuepfte.Hinzufuegen(GrossAZ(a.Wert));
  for (const auto& kind : Knoten.Unterknoten) VerknuepfungenSammeln(*kind, Eintrag);
}

void TIndexListe::VerknuepfteSuchen(const QString& VerknDateiname, const QString& NeueDatei, const QString& Basispfad,
                                    QStringList& Ergebnis) {
  const std::optional<QString> bereich = OrdnerImDatenverzeichnis(Basispfad);
  if (!bereich)
    Protokollieren(QString(), Formatieren(QStringLiteral("Pfad \"%s\" liegt nicht im Datenverzeichnis"), {Basispfad}),
                   2);
  const QString altPfad = GrossAZ(VerknDateiname);
  const QString neuPfad = GrossAZ(NeueDatei);
  const QString altName = GrossAZ(Namensteil(VerknDateiname));
  const std::optional<QString> altDatei = SicherVerbinden(Datenverzeichnis, VerknDateiname);
  const QString altDateiVergleich = altDatei ? GrossAZ(Absolut(*altDatei)) : QString();
  const std::optional<QString> neueDateiPfad = SicherVerbindenOhneGrossKlein(Datenverzeichnis, NeueDatei);

  const QDir bereichsOrdner(bereich ? *bereich : QString());
  const qsizetype anzahl = Dateien.size();
  for (qsizetype i = 0; i < anzahl; ++i) {
    TDateilisteEintrag& e = Dateien[i];
    // The moved file's own entry follows the move first: a file that names itself is listed by
    // the name it has now, so that its own reference is rewritten too.
    if (altDatei && neueDateiPfad && GrossAZ(Namensteil(e.DateinameAbsolut)) == altName &&
        GrossAZ(Absolut(e.DateinameAbsolut)) == altDateiVergleich)
      e.DateinameAbsolut = *neueDateiPfad;
    if (!bereich) continue;  // a refused base has no scope
    if (!e.Ungewiss && e.Verknuepfte.Suchen(altPfad) < 0 && (altName == altPfad || e.Verknuepfte.Suchen(altName) < 0))
      continue;
    // Out of scope is what lies outside the folder; a name that merely holds ".." is inside.
    if (bereichsOrdner.relativeFilePath(Absolut(e.DateinameAbsolut)).split(u'/').contains(QStringLiteral(".."))) continue;
    // A file whose names are not known may name the old file: the update looks at it itself.
    if (e.Ungewiss) Ergebnis << e.DateinameAbsolut;
    // The update writes the new name as the script has it, also where the old one was bare (and
    // it replaces a bare name wherever the file lies): the index records what is written, so a
    // later move of the same file finds it.
    for (const QString& gesucht : {altPfad, altName}) {
      const qsizetype stelle = e.Verknuepfte.Suchen(gesucht);
      if (stelle < 0) continue;
      e.Verknuepfte.Loeschen(stelle);
      e.Verknuepfte.Hinzufuegen(neuPfad);
      Ergebnis << e.DateinameAbsolut;
    }
  }
}

}  // namespace kiro
