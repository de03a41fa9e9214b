#pragma once
// The file index of an install script: every text-XML data file below the official data folder
// with the file names it references, so that moving a file does not mean reading every data
// file again for every move.
#include "components/Anzeigen.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>

namespace kiro {

class TKiroXMLKnoten;

// The referenced names of one file: sorted, each name once, letter case ignored.
class TVerknuepfte {
 public:
  // Adds Name unless it is there already; false when it was.
  bool Hinzufuegen(const QString& Name);
  // Index of Name (bisection), or -1.
  qsizetype Suchen(const QString& Name) const;
  void Loeschen(qsizetype Index) { FNamen.removeAt(Index); }
  qsizetype size() const { return FNamen.size(); }
  const QStringList& Namen() const { return FNamen; }

 private:
  QStringList FNamen;
};

// One indexed file.
struct TDateilisteEintrag {
  QString DateinameAbsolut;  // path as the walk built it (folder, "/", name)
  TVerknuepfte Verknuepfte;  // every "Dateiname" value of the file, upper-cased (a-z)
  bool Ungewiss = false;     // not read, or read with loss: what it names is not known
};

class TIndexListe {
 public:
  // Builds the index anew over DatenverzeichnisOffiziell. StBar (may be nullptr) shows the
  // file being indexed; pending events are handled once per file. An empty or root folder is
  // not walked, links to folders are not followed; the host's abort request skips every
  // further file.
  void Aufbauen(IStatusAnzeige* StBar);

  // For the move of VerknDateiname to NeueDatei (both relative to Datenverzeichnis, Windows
  // form): appends to Ergebnis every indexed file below the folder of Datenverzeichnis +
  // Basispfad that references the old file, by its relative name or (when the file lies in
  // the old or the new file's folder) by its bare name, and brings the index up to the move.
  // A file that references both ways is listed twice.
  void VerknuepfteSuchen(const QString& VerknDateiname, const QString& NeueDatei, const QString& Basispfad,
                         QStringList& Ergebnis);

  // Read by the script and its commands.
  QList<TDateilisteEintrag> Dateien;  // in the order of the walk
  bool Erstellt = false;              // Aufbauen has run; only then is the index consulted

 private:
  void VerzeichnisIndizieren(int OrdnerFd, const QString& Ordner, IStatusAnzeige* StBar);
  bool Enthalten(int DateiFd, bool IstLink) const;

  // The walk's start: its real path (bytes) and its mount, which no indexed file may leave.
  QByteArray FWurzel;
  std::optional<std::uint64_t> FMount;
  // Indexes the entry Name of the open folder; Datei is its path as the index shows it.
  void DateiIndizieren(int OrdnerFd, const std::string& Name, const QString& Datei, bool IstLink,
                       IStatusAnzeige* StBar);
  static void VerknuepfungenSammeln(const TKiroXMLKnoten& Knoten, TDateilisteEintrag& Eintrag);
};

}  // namespace kiro
