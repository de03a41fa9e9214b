#include "testsupport/Aktualisierungsserver.h"

#include "testsupport/Archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <random>

namespace kiro::test {

bool TDateibaum::Schreiben(const QString& Ordner) const {
  const QString basis = Ordner.endsWith(u'/') ? Ordner : Ordner + u'/';
  bool ok = QDir().mkpath(basis);
  for (const QString& leer : LeereOrdner) ok = QDir().mkpath(basis + leer) && ok;
  for (const auto& [name, inhalt] : Dateien) {
    const QString pfad = basis + name;
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QFile f(pfad);
    ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(inhalt) == inhalt.size() && ok;
  }
  return ok;
}

std::string TDateibaum::Unterschiede(const QString& Ordner) const {
  const QString basis = Ordner.endsWith(u'/') ? Ordner : Ordner + u'/';
  QStringList fehlt;
  for (const auto& [name, inhalt] : Dateien) {
    const QFileInfo info(basis + name);
    if (!info.isFile() || info.isSymLink()) fehlt << QStringLiteral("missing ") + name;
    else if (Lesen(basis + name) != inhalt) fehlt << QStringLiteral("different ") + name;
  }
  return fehlt.join(QStringLiteral("; ")).toStdString();
}

TDateibaum Editionsbaum(const QString& Edition) {
  TDateibaum b;
  const QByteArray e = Edition.toUtf8();
  b.Dateien[QStringLiteral("KiroSim.exe")] = "MZ KiroSim " + e + " edition\n";
  b.Dateien[QStringLiteral("setup.exe")] = "MZ setup " + e + "\n";
  b.Dateien[QStringLiteral("_Docu/liesmich.txt")] = "Kiro " + e + "\nZweite Zeile\n";
  QByteArray binaer(70000, '\0');
  std::mt19937 zufall(e.size() * 7919u + 1u);
  for (char& c : binaer) c = char(zufall());
  b.Dateien[QStringLiteral("Daten/Strecken/Strecke 1/strecke.bin")] = binaer;
  b.Dateien[QStringLiteral("Daten/Strecken/Strecke 1/Ä ö.txt")] = "Umlaut " + e + "\n";
  b.Dateien[QStringLiteral("Daten/leer.txt")] = QByteArray();
  b.LeereOrdner << QStringLiteral("Daten/Fahrzeuge") << QStringLiteral("Ausgabe");
  return b;
}

TAktualisierungsserver::TAktualisierungsserver(HttpServer& Server) : FServer(Server) {}

void TAktualisierungsserver::Servertest() { FServer.Setzen("/db/servertest.txt", "Kiro update server\n"); }

bool TAktualisierungsserver::Archiv(const std::string& Pfad, const TDateibaum& Baum, QString* Fehler) {
  const int n = ++FNummer;
  const QString quelle = FArbeit / QStringLiteral("baum%1").arg(n);
  const QString archiv = FArbeit / QStringLiteral("archiv%1.7z").arg(n);
  if (!Baum.Schreiben(quelle)) {
    if (Fehler) *Fehler = QStringLiteral("cannot write ") + quelle;
    return false;
  }
  if (!SiebenZipPacken(quelle, archiv, {}, Fehler)) return false;
  FServer.SetzenDatei(Pfad, archiv);
  FBaeume[Pfad] = Baum;
  FArchive[Pfad] = archiv;
  return true;
}

bool TAktualisierungsserver::Editionen(QString* Fehler) {
  Servertest();
  return Archiv("/db/lehr.7z", Editionsbaum(QStringLiteral("Lehr")), Fehler) &&
         Archiv("/kirocbt/stick.7z", Editionsbaum(QStringLiteral("CBT")), Fehler);
}

bool TAktualisierungsserver::Alles(QString* Fehler) { return Editionen(Fehler); }

}  // namespace kiro::test
