#include "testsupport/Aktualisierungsserver.h"

#include "testsupport/Archive.h"

#include "datafiles/Script.h"
#include "foundation/CRC32.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <random>
#include <vector>

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

TDateibaum Stickbaum() {
  TDateibaum b;
  b.Dateien[QStringLiteral("KiroSim.exe")] = "MZ KiroSim HeimStick edition\n";
  b.Dateien[QStringLiteral("autorun.inf")] = "[autorun]\r\nopen=KiroSim.exe\r\n";
  b.Dateien[QStringLiteral("Daten/leer.txt")] = QByteArray();
  b.Dateien[QStringLiteral("Daten/Strecken/Strecke 1/Ä ö.txt")] = "Umlaut HeimStick\n";
  std::mt19937 zufall(4105u);
  auto binaer = [&zufall](int n) {
    QByteArray d(n, '\0');
    for (char& c : d) c = char(zufall());
    return d;
  };
  b.Dateien[QStringLiteral("Daten/Strecken/Strecke 1/strecke.bin")] = binaer(1500000);
  b.Dateien[QStringLiteral("Daten/Fahrzeuge/Lok/lok.bin")] = binaer(1000000);
  QByteArray text;
  for (int i = 0; i < 2000; ++i) text += "Zeile " + QByteArray::number(i) + " des Fahrplans\n";
  b.Dateien[QStringLiteral("Daten/Fahrplan/plan.txt")] = text;
  b.LeereOrdner << QStringLiteral("Ausgabe");
  return b;
}

QByteArray StickScript(const QList<TStickEintrag>& Eintraege) {
  TScript script;
  for (const TStickEintrag& e : Eintraege) {
    auto eintrag = std::make_unique<TScriptDateiInfo>();
    eintrag->Datei.Dateiname = e.Name;
    eintrag->Hashwert = e.Hashwert;
    eintrag->Groesse = e.Groesse;
    script.Kommandos.push_back(std::move(eintrag));
  }
  TempOrdner ordner;
  if (script.SpeichernDatei(ordner.Pfad(), QStringLiteral("s.script.xml"), nullptr) != S_OK) return {};
  return Lesen(ordner / QStringLiteral("s.script.xml"));
}

void TAktualisierungsserver::StickScriptSetzen(const QString& Name, const QList<TStickEintrag>& Eintraege) {
  FServer.Setzen("/stick3/" + Name.toStdString(), StickScript(Eintraege));
}

bool TAktualisierungsserver::StickAusOrdner(const QString& Quelle, const QList<std::int64_t>& Teilgroessen,
                                            const QStringList& Schalter, QString* Fehler) {
  TStick st;
  st.Quelle = Quelle.endsWith(u'/') ? Quelle : Quelle + u'/';
  st.Masterarchiv = FArbeit / QStringLiteral("stick%1.7z").arg(++FNummer);
  if (!SiebenZipPacken(st.Quelle, st.Masterarchiv, Schalter, Fehler)) return false;
  return StickBereitstellen(st, Teilgroessen, Fehler);
}

bool TAktualisierungsserver::StickAusOrdner(const QString& Quelle, int Teilanzahl, const QStringList& Schalter,
                                            QString* Fehler) {
  TStick st;
  st.Quelle = Quelle.endsWith(u'/') ? Quelle : Quelle + u'/';
  st.Masterarchiv = FArbeit / QStringLiteral("stick%1.7z").arg(++FNummer);
  if (!SiebenZipPacken(st.Quelle, st.Masterarchiv, Schalter, Fehler)) return false;
  const std::int64_t groesse = QFileInfo(st.Masterarchiv).size();
  QList<std::int64_t> teile;
  for (int i = 1; i < Teilanzahl; ++i) teile << groesse / qMax(1, Teilanzahl);
  return StickBereitstellen(st, teile, Fehler);
}

bool TAktualisierungsserver::StickBereitstellen(TStick& st, const QList<std::int64_t>& Teilgroessen, QString* Fehler) {
  auto fehler = [Fehler](const QString& Text) {
    if (Fehler) *Fehler = Text;
    return false;
  };
  // The parts: cut from the archive piece by piece, so a large one is never held in memory.
  QFile archiv(st.Masterarchiv);
  if (!archiv.open(QIODevice::ReadOnly)) return fehler(st.Masterarchiv + QStringLiteral(": ") + archiv.errorString());
  std::vector<char> puffer(1 << 20);
  for (int t = 0; t <= Teilgroessen.size(); ++t) {
    const QString name = QStringLiteral("stick35.7z.%1").arg(t + 1, 3, 10, QLatin1Char('0'));
    const QString datei = FArbeit / QStringLiteral("teile%1/").arg(FNummer) + name;
    QDir().mkpath(QFileInfo(datei).absolutePath());
    QFile teil(datei);
    if (!teil.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fehler(datei);
    std::int64_t rest = t < Teilgroessen.size() ? Teilgroessen[t] : archiv.size() - archiv.pos();
    while (rest > 0) {
      const qint64 n = archiv.read(puffer.data(), qMin<std::int64_t>(rest, std::int64_t(puffer.size())));
      if (n <= 0) return fehler(st.Masterarchiv + QStringLiteral(" is shorter than its parts"));
      if (teil.write(puffer.data(), n) != n) return fehler(datei);
      rest -= n;
    }
    teil.close();
    const std::optional<TDateiPruefsumme> s = DateiCRC32Lesen(datei);
    if (!s) return fehler(datei);
    st.Teile << TStickEintrag{name, s->Crc, std::int32_t(s->Groesse)};
    st.TeilDateien << datei;
    FServer.SetzenDatei("/stick3/" + name.toStdString(), datei);
  }

  // Every file of the tree, named the Windows way relative to the target.
  QStringList namen;
  QDirIterator it(st.Quelle, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) namen << it.next().mid(st.Quelle.size());
  namen.sort();
  for (const QString& n : namen) {
    const std::optional<TDateiPruefsumme> s = DateiCRC32Lesen(st.Quelle + n);
    if (!s) return fehler(st.Quelle + n);
    st.Masterdateien << TStickEintrag{QString(n).replace(u'/', u'\\'), s->Crc, std::int32_t(s->Groesse)};
  }
  StickScriptSetzen(QStringLiteral("StickDateien.script.xml"), st.Teile);
  StickScriptSetzen(QStringLiteral("masterdateien35.script.xml"), st.Masterdateien);
  FStick = st;
  return true;
}

bool TAktualisierungsserver::Stick(QString* Fehler) { return Stick(Stickbaum(), Fehler); }

bool TAktualisierungsserver::Stick(const TDateibaum& Baum, QString* Fehler) {
  const QString quelle = FArbeit / QStringLiteral("stickbaum%1/").arg(++FNummer);
  if (!Baum.Schreiben(quelle)) {
    if (Fehler) *Fehler = QStringLiteral("cannot write ") + quelle;
    return false;
  }
  // Stored, not compressed: the archive's size is known, so the cuts are, too.
  std::int64_t groesse = 0;
  for (const auto& [name, inhalt] : Baum.Dateien) groesse += inhalt.size();
  if (groesse < (3 << 20) / 2) {
    if (Fehler) *Fehler = QStringLiteral("stick tree too small for three parts");
    return false;
  }
  FBaeume["/stick3/"] = Baum;
  return StickAusOrdner(quelle, {1 << 20, (groesse - (1 << 20)) / 2}, {QStringLiteral("-mx0")}, Fehler);
}

bool TAktualisierungsserver::Alles(QString* Fehler) { return Editionen(Fehler) && Stick(Fehler); }

}  // namespace kiro::test
