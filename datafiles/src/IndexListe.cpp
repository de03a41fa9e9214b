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

// Windows names ignore the case of a to z only; that is the form kept in the index.
QString Gross(const QString& Text) {
  QString s = Text;
  for (QChar& c : s)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
  return s;
}

bool KleinerOhneGrossKlein(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; }

qsizetype LetzterTrenner(const QString& Name) { return std::max(Name.lastIndexOf(u'\\'), Name.lastIndexOf(u'/')); }

// The folder part of a name, up to and including its last separator ("" when there is none).
QString Ordnerteil(const QString& Name) { return Name.left(LetzterTrenner(Name) + 1); }
QString Namensteil(const QString& Name) { return Name.mid(LetzterTrenner(Name) + 1); }

// An absolute, cleaned form for comparing paths; "" stands for the current folder.
QString Absolut(const QString& Pfad) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(Pfad.isEmpty() ? QStringLiteral(".") : Pfad));
}

// The folder of Datenverzeichnis + Name (absolute), or nullopt when the name would leave the
// data folder. The case of existing folders is taken from the disk.
std::optional<QString> OrdnerImDatenverzeichnis(const QString& Name) {
  const QString ordner = Ordnerteil(Name);
  if (ordner.isEmpty()) return Absolut(Datenverzeichnis);
  const std::optional<QString> pfad = SicherVerbindenOhneGrossKlein(Datenverzeichnis, ordner);
  if (!pfad) return std::nullopt;
  return Absolut(*pfad);
}

}  // namespace

bool TVerknuepfte::Hinzufuegen(const QString& Name) {
  const auto stelle = std::lower_bound(FNamen.begin(), FNamen.end(), Name, KleinerOhneGrossKlein);
  if (stelle != FNamen.end() && stelle->compare(Name, Qt::CaseInsensitive) == 0) return false;
  FNamen.insert(stelle, Name);
  return true;
}

qsizetype TVerknuepfte::Suchen(const QString& Name) const {
  const auto stelle = std::lower_bound(FNamen.cbegin(), FNamen.cend(), Name, KleinerOhneGrossKlein);
  if (stelle == FNamen.cend() || stelle->compare(Name, Qt::CaseInsensitive) != 0) return -1;
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
    if (a.Kennung == u"Dateiname") Eintrag.Verknuepfte.Hinzufuegen(Gross(a.Wert));
  for (const auto& kind : Knoten.Unterknoten) VerknuepfungenSammeln(*kind, Eintrag);
}

void TIndexListe::VerknuepfteSuchen(const QString& VerknDateiname, const QString& NeueDatei, const QString& Basispfad,
                                    QStringList& Ergebnis) {
  const std::optional<QString> bereich = OrdnerImDatenverzeichnis(Basispfad);
  if (!bereich) {
    Protokollieren(QString(), Formatieren(QStringLiteral("Pfad \"%s\" liegt nicht im Datenverzeichnis"), {Basispfad}),
                   2);
    return;
  }
  const QDir bereichsOrdner(*bereich);
  const QString altPfad = Gross(VerknDateiname);
  const QString neuPfad = Gross(NeueDatei);
  const QString altName = Gross(Namensteil(VerknDateiname));
  const QString neuName = Gross(Namensteil(NeueDatei));
  const std::optional<QString> altOrdner = OrdnerImDatenverzeichnis(VerknDateiname);
  const std::optional<QString> neuOrdner = OrdnerImDatenverzeichnis(NeueDatei);
  const std::optional<QString> altDatei = SicherVerbinden(Datenverzeichnis, VerknDateiname);
  const QString altDateiVergleich = altDatei ? Gross(Absolut(*altDatei)) : QString();
  const std::optional<QString> neueDateiPfad = SicherVerbindenOhneGrossKlein(Datenverzeichnis, NeueDatei);

  const qsizetype anzahl = Dateien.size();
  for (qsizetype i = 0; i < anzahl; ++i) {
    TDateilisteEintrag& e = Dateien[i];
    const QString absolut = Absolut(e.DateinameAbsolut);
    // Out of scope is what lies outside the folder; a name that merely holds ".." is inside.
    if (bereichsOrdner.relativeFilePath(absolut).split(u'/').contains(QStringLiteral(".."))) continue;

    qsizetype stelle = e.Verknuepfte.Suchen(altPfad);
    if (stelle >= 0) {
      e.Verknuepfte.Loeschen(stelle);
      e.Verknuepfte.Hinzufuegen(neuPfad);
      Ergebnis << e.DateinameAbsolut;
    }
    stelle = e.Verknuepfte.Suchen(altName);
    if (stelle >= 0) {
      const QString ordner = Gross(QFileInfo(absolut).path());
      if ((neuOrdner && Gross(*neuOrdner) == ordner) || (altOrdner && Gross(*altOrdner) == ordner)) {
        e.Verknuepfte.Loeschen(stelle);
        e.Verknuepfte.Hinzufuegen(neuName);
        Ergebnis << e.DateinameAbsolut;
      }
    }
    if (altDatei && neueDateiPfad && Gross(absolut) == altDateiVergleich) e.DateinameAbsolut = *neueDateiPfad;
  }
}

}  // namespace kiro
