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

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <optional>

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
  if (ordner.isEmpty() || ordner == u'/' || QFileInfo(ordner).canonicalFilePath() == u'/')
    Protokollieren(QString(), Formatieren(QStringLiteral("Ordner \"%s\" wird nicht indiziert"), {ordner}), 2);
  else {
    FWurzel = QFileInfo(ordner).canonicalFilePath();
    FMount = MountKennung(ordner);
    if (!FWurzel.isEmpty() && FMount) VerzeichnisIndizieren(ordner, StBar);
  }
  Erstellt = true;
}

void TIndexListe::VerzeichnisIndizieren(const QString& Ordner, IStatusAnzeige* StBar) {
  QDirIterator eintraege(Ordner, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  while (eintraege.hasNext()) {
    eintraege.next();
    const QFileInfo info = eintraege.fileInfo();
    const QString pfad = Ordner + u'/' + info.fileName();
    if (info.isDir()) {
      // A link to a folder may lead out of the data tree or round in a circle.
      if (!info.isSymLink() && Enthalten(pfad, false)) VerzeichnisIndizieren(pfad, StBar);
    } else if (info.isFile() && Enthalten(pfad, info.isSymLink())) {  // devices and pipes are no data files
      DateiIndizieren(pfad, StBar);
    }
  }
}

// Whether the entry belongs to the data tree: on the start folder's mount (a bind mount keeps
// the device number, so the mount id decides), and a link only when its target lies below the
// start folder.
bool TIndexListe::Enthalten(const QString& Pfad, bool IstLink) const {
  if (!IstLink) return MountKennung(Pfad) == FMount;
  const QString echt = QFileInfo(Pfad).canonicalFilePath();
  return echt.startsWith(FWurzel == u'/' ? FWurzel : FWurzel + u'/') && MountKennung(echt) == FMount;
}

void TIndexListe::DateiIndizieren(const QString& Datei, IStatusAnzeige* StBar) {
  if (!BekannterDateityp(Datei, true)) return;
  if (AbbruchVerlangt()) return;
  TDateilisteEintrag eintrag;
  eintrag.DateinameAbsolut = Datei;
  if (StBar) StBar->SimpleTextSetzen(Datei);
  EreignisseVerarbeiten();
  {
    TKiroXMLDatei baum;
    baum.LadenDatei(QString(), Absolut(Datei));
    VerknuepfungenSammeln(*baum.Basisknoten(), eintrag);
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
    if (e.Verknuepfte.Suchen(altPfad) < 0 && (altName == altPfad || e.Verknuepfte.Suchen(altName) < 0)) continue;
    // Out of scope is what lies outside the folder; a name that merely holds ".." is inside.
    if (bereichsOrdner.relativeFilePath(Absolut(e.DateinameAbsolut)).split(u'/').contains(QStringLiteral(".."))) continue;
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
