#pragma once
// The update server's content for tests and the demo, generated at run time into a loopback
// HttpServer: the server test, the edition archives (real 7z archives made by the 7z command)
// and the stick build's folder "/stick3/".
#include "testsupport/HttpServer.h"
#include "testsupport/TempOrdner.h"

#include <QByteArray>
#include <QString>
#include <QList>
#include <QStringList>

#include <cstdint>
#include <map>
#include <string>

namespace kiro::test {

// A folder tree: files by path below the tree's root ("a/b/c.txt"), and folders that stay empty.
struct TDateibaum {
  std::map<QString, QByteArray> Dateien;
  QStringList LeereOrdner;

  // Writes the tree below Ordner (created when missing). False when a file could not be written.
  bool Schreiben(const QString& Ordner) const;
  // The files that Ordner lacks or holds with other content, joined by "; "; "" when Ordner
  // holds every file byte for byte. Extra entries and the empty folders are not compared (an
  // unpack creates a folder only as the parent of a file).
  std::string Unterschiede(const QString& Ordner) const;
};

// The tree of an edition archive: "KiroSim.exe" at the top (its content names the edition),
// nested folders with text and binary files, and an empty folder.
TDateibaum Editionsbaum(const QString& Edition);

// The tree of the stick build: nested folders, text and binary files, an empty file and
// names with blanks and umlauts; about 2.5 MB that do not compress, so the master archive
// splits into three parts.
TDateibaum Stickbaum();

// One file entry of a stick-build script.
struct TStickEintrag {
  QString Name;  // as the script names it (Windows form, "\\" separates)
  std::uint32_t Hashwert = 0;
  std::int32_t Groesse = 0;
};

// An install script with one "DateiInfo" per entry, written by the project's own script
// writer; its bytes. Empty when the writer failed.
QByteArray StickScript(const QList<TStickEintrag>& Eintraege);

// What TAktualisierungsserver::Stick serves below "/stick3/".
struct TStick {
  QString Quelle;                       // the packed folder
  QString Masterarchiv;                 // the 7z archive the parts are cut from
  QList<TStickEintrag> Teile;           // "StickDateien.script.xml", in join order
  QStringList TeilDateien;              // the parts on disk, in the same order
  QList<TStickEintrag> Masterdateien;   // "masterdateien35.script.xml"
};

class TAktualisierungsserver {
 public:
  // Fills Server; archives are built in a temporary folder of its own.
  explicit TAktualisierungsserver(HttpServer& Server);

  // "/db/servertest.txt".
  void Servertest();
  // Packs Baum into a 7z archive and serves it at Pfad. False with *Fehler set when 7z failed.
  bool Archiv(const std::string& Pfad, const TDateibaum& Baum, QString* Fehler = nullptr);
  // The server test and both edition archives: "/db/lehr.7z" (Editionsbaum("Lehr")) and
  // "/kirocbt/stick.7z" (Editionsbaum("CBT")).
  bool Editionen(QString* Fehler = nullptr);
  // The stick build's folder "/stick3/" for the tree in the folder Quelle: packed with 7z
  // (Schalter passed on), the archive cut into parts of the sizes in Teilgroessen plus one
  // part with the rest, and both scripts. Parts are served from disk.
  bool StickAusOrdner(const QString& Quelle, const QList<std::int64_t>& Teilgroessen, const QStringList& Schalter,
                      QString* Fehler = nullptr);
  // The same with the archive cut into Teilanzahl parts of (nearly) equal size.
  bool StickAusOrdner(const QString& Quelle, int Teilanzahl, const QStringList& Schalter, QString* Fehler = nullptr);
  // The same for Stickbaum() (or Baum): three parts, the first exactly 1 MiB.
  bool Stick(QString* Fehler = nullptr);
  bool Stick(const TDateibaum& Baum, QString* Fehler = nullptr);
  const TStick& StickDaten() const { return FStick; }
  // Serves a script for Name below "/stick3/".
  void StickScriptSetzen(const QString& Name, const QList<TStickEintrag>& Eintraege);

  // Everything the real server holds, for the demo.
  bool Alles(QString* Fehler = nullptr);

  // The tree served at Pfad by Archiv, and its archive on disk.
  const TDateibaum& Baum(const std::string& Pfad) const { return FBaeume.at(Pfad); }
  QString ArchivDatei(const std::string& Pfad) const { return FArchive.at(Pfad); }

  HttpServer& Server() { return FServer; }
  // The folder where archives are built; other content may be prepared there too.
  const TempOrdner& Arbeitsordner() const { return FArbeit; }

 private:
  HttpServer& FServer;
  TempOrdner FArbeit;
  int FNummer = 0;
  std::map<std::string, TDateibaum> FBaeume;
  std::map<std::string, QString> FArchive;
  TStick FStick;
  // Cuts the packed archive of St into parts (Teilgroessen, the rest into one more) and serves
  // the parts and both scripts.
  bool StickBereitstellen(TStick& St, const QList<std::int64_t>& Teilgroessen, QString* Fehler);
};

}  // namespace kiro::test
