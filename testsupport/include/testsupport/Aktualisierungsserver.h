#pragma once
// The update server's content for tests and the demo, generated at run time into a loopback
// HttpServer: the server test, the edition archives (real 7z archives made by the 7z command)
// and, as it is added, the stick build's folder.
#include "testsupport/HttpServer.h"
#include "testsupport/TempOrdner.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

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
};

}  // namespace kiro::test
