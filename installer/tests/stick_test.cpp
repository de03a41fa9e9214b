// The stick build end to end: a generated "/stick3/" on a loopback server (a master archive in
// three parts, both scripts written by the project's script writer), the real window on the
// offscreen platform, the real 7-Zip library, and a shell that records what would be opened.
#include "support/Fensterumgebung.h"

#include "foundation/CRC32.h"
#include "foundation/Meldung.h"
#include "installer/Stoppsignale.h"
#include "platform/Shell.h"
#include "support/AufzeichnendeShell.h"
#include "testsupport/Aktualisierungsserver.h"
#include "testsupport/Archive.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include <ostream>

// Readable failures: lines as text, not as arrays of 16-bit units.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace kiro;
using kiro::test::TAufzeichnendeShell;
using kiro::test::TFehlerbild;
using kiro::test::TStickEintrag;

namespace {


const char* const kSkript1 = "StickDateien.script.xml";
const char* const kSkript2 = "masterdateien35.script.xml";

class Stickbau : public test::Fensterumgebung {
 protected:
  Stickbau() : Aktualisierung(Server) {
    Bereit = Aktualisierung.Editionen(&Fehler) && Aktualisierung.Stick(&Fehler);
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen << b.Text;
      return int(mrOk);
    });
  }
  ~Stickbau() override { MeldungZeigenHookSetzen({}); }
  void SetUp() override { ASSERT_TRUE(Bereit) << Fehler.toStdString(); }

  std::unique_ptr<TFormWebInstall> Fenster(bool Englisch = false) {
    TWebInstallUmgebung u = Umgebung(TEdition{.HeimStick = true});
    u.Shell = Shell;
    auto f = std::make_unique<TFormWebInstall>(u);
    // The proposal skips a folder that exists already: the work folder of an earlier run would
    // move the target.
    f->FVerzRechnerInst = Ziel();
    f->show();
    if (Englisch) f->ActionEnglish->trigger();
    return f;
  }

  void Ausfuehren(TFormWebInstall& f) {
    ASSERT_TRUE(f.ActionInstallieren->isEnabled());
    Server.ProtokollLeeren();
    f.ActionInstallieren->trigger();
    QCoreApplication::processEvents();
    // Whatever the outcome, Cancel is hidden again and the controls are back.
    EXPECT_FALSE(f.ActionAbbrechen->isVisible());
    EXPECT_TRUE(f.ActionInstallieren->isEnabled());
  }

  // Runs the build like Ausfuehren; Aktion runs once, from the window's event loop, as soon as
  // the server has seen a request for Pfad. Whether it ran.
  bool AusfuehrenUndBeiAnfrage(TFormWebInstall& f, const std::string& Pfad, const std::function<void()>& Aktion) {
    bool gelaufen = false;
    QTimer uhr;
    uhr.setInterval(5);
    QObject::connect(&uhr, &QTimer::timeout, &f, [&] {
      if (gelaufen || Server.Anfragen(Pfad) == 0) return;
      gelaufen = true;
      Aktion();
    });
    uhr.start();
    Ausfuehren(f);
    return gelaufen;
  }

  const test::TStick& St() const { return Aktualisierung.StickDaten(); }
  std::string TeilPfad(int i) const { return "/stick3/" + St().Teile[i].Name.toStdString(); }
  int Anfragen(const char* Name) const { return Server.Anfragen(std::string("/stick3/") + Name); }
  QString Ziel() const { return Heim / "Kiro3_0001/"; }
  QString Arbeit() const { return Ziel() + "KiroStick35/"; }
  QString Master() const { return Arbeit() + "stick35.7z"; }
  QStringList ZielEintraege() const {
    return QDir(Ziel()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  }

  // The German lines of a complete build.
  QStringList Erfolg() const {
    const int n = St().Teile.size(), m = St().Masterdateien.size();
    return {QStringLiteral("Download %1/%1").arg(n),
            "Download vollständig",
            QStringLiteral("Masterdatei erstellen %1/%1").arg(n),
            "Masterdatei erstellt",
            "Masterdatei entpacken",
            QStringLiteral("Dateien für neuen Stick prüfen %1/%1").arg(m),
            "Neue Daten liegen im Verzeichnis " + Ziel()};
  }

  test::TAktualisierungsserver Aktualisierung;
  bool Bereit = false;
  QString Fehler;
  std::shared_ptr<TAufzeichnendeShell> Shell = std::make_shared<TAufzeichnendeShell>();
  QStringList Boxen;
};

const QString kKeinServer =
    QStringLiteral("Kiro-Server konnte nicht erreicht werden. Evtl. besteht keine Internetverbindung.");

// English pressed while the second script downloads (a click, handled while the transfer
// runs): the lines written after it are English, those before stay German, and the build
// completes.
TEST_F(Stickbau, EnglischWaehrendDesBausGiltFuerDieFolgendenZeilen) {
  // The second script's body comes 300 ms after its headers: time for a click.
  Server.Fehler(std::string("/stick3/") + kSkript2, TFehlerbild{.StauNachKopfMs = 300});
  auto f = Fenster();
  bool gedrueckt = false;
  QStringList logBeimDruck;
  auto begin = f->IdHTTPDateien->WorkBegin;
  f->IdHTTPDateien->WorkBegin = [&, begin](qint64 n) {
    begin(n);
    if (gedrueckt || Anfragen(kSkript2) == 0) return;
    gedrueckt = true;
    // Posted as the window system would deliver it; the transfer's event loop takes it.
    QTimer::singleShot(0, f.get(), [&] {
      logBeimDruck = f->LogZeilen();
      f->SpeedButtonEnglish->click();
    });
  };
  Ausfuehren(*f);
  ASSERT_TRUE(gedrueckt);
  EXPECT_EQ(f->Sprache, "English");
  const QStringList deutsch = Erfolg();
  const int m = St().Masterdateien.size();
  EXPECT_EQ(logBeimDruck, deutsch.mid(0, 5)) << "pressed before the check began";
  const QStringList englisch{QStringLiteral("Checking files for new stick %1/%1").arg(m),
                             "You find the new data in directory " + Ziel()};
  EXPECT_EQ(f->LogZeilen(), deutsch.mid(0, 5) + englisch);
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  EXPECT_EQ(Shell->Geoeffnet, std::vector<QString>{Ziel()});
}

// ---------------------------------------------------------------------------------------------
// Complete builds

TEST_F(Stickbau, ErfolgreicherBau) {
  auto f = Fenster();
  ASSERT_EQ(St().Teile.size(), 3);
  ASSERT_EQ(St().Teile[0].Groesse, 1 << 20);
  Ausfuehren(*f);

  EXPECT_EQ(f->LogZeilen(), Erfolg());
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  EXPECT_FALSE(QFileInfo::exists(Arbeit()));
  // Nothing but the stick's content is left in the target.
  QStringList oben;
  for (const TStickEintrag& e : St().Masterdateien) oben << e.Name.section(u'\\', 0, 0);
  oben.removeDuplicates();
  oben.sort();
  QStringList da = ZielEintraege();
  da.sort();
  EXPECT_EQ(da, oben);
  EXPECT_EQ(Shell->Geoeffnet, std::vector<QString>{Ziel()});
  EXPECT_TRUE(Shell->Gestartet.empty());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Server.Anfragen(TeilPfad(i)), 1) << i;
  EXPECT_EQ(Anfragen(kSkript1), 1);
  EXPECT_EQ(Anfragen(kSkript2), 1);
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join(" | ").toStdString();
  EXPECT_TRUE(f->isVisible());
}

TEST_F(Stickbau, EnglischerLauf) {
  auto f = Fenster(true);
  Ausfuehren(*f);
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download 3/3", "download complete", "Producing master file 3/3",
                                         "Master file complete", "Unzipping master file",
                                         QStringLiteral("Checking files for new stick %1/%1")
                                             .arg(St().Masterdateien.size()),
                                         "You find the new data in directory " + Ziel()}));
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  EXPECT_EQ(Shell->Geoeffnet.size(), 1u);
}

// Parts that already match are not fetched again: an interrupted build resumes.
TEST_F(Stickbau, VorhandeneTeileWerdenNichtGeholt) {
  struct Fall {
    const char* Name;
    QList<int> Vorhanden;
  };
  for (const Fall& c : {Fall{"ZweiterDa", {1}}, Fall{"AlleDa", {0, 1, 2}}}) {
    SCOPED_TRACE(c.Name);
    QDir(Ziel()).removeRecursively();
    Shell->Geoeffnet.clear();
    QDir().mkpath(Arbeit());
    for (int i : c.Vorhanden) ASSERT_TRUE(QFile::copy(St().TeilDateien[i], Arbeit() + St().Teile[i].Name));
    auto f = Fenster();
    Ausfuehren(*f);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Server.Anfragen(TeilPfad(i)), c.Vorhanden.contains(i) ? 0 : 1) << i;
    QStringList log = Erfolg();
    // With nothing to fetch the progress line stays at 0.
    if (c.Vorhanden.size() == 3) log[0] = "Download 0/3";
    EXPECT_EQ(f->LogZeilen(), log);
    EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
    EXPECT_FALSE(QFileInfo::exists(Arbeit()));
  }
}

// A part whose answer was corrupt once is fetched again and the build goes on.
TEST_F(Stickbau, EinmalVerdorbenerTeilWirdNochmalGeholt) {
  Server.Fehler(TeilPfad(1), TFehlerbild{.VerdorbeneAntworten = 1});
  auto f = Fenster();
  Ausfuehren(*f);
  EXPECT_EQ(Server.Anfragen(TeilPfad(0)), 1);
  EXPECT_EQ(Server.Anfragen(TeilPfad(1)), 2);
  EXPECT_EQ(Server.Anfragen(TeilPfad(2)), 1);
  EXPECT_EQ(f->LogZeilen(), Erfolg());
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
}


// An answer that carries more bytes than its announced length, whether the surplus comes with
// the body or a little after it: the surplus is never read as the next request's answer, each
// file is fetched once and the build completes.
TEST_F(Stickbau, UeberschussHinterEinerAntwortStoertDieNaechsteNicht) {
  struct Fall {
    const char* Name;
    std::string Pfad;
    int NachMs;
  };
  for (const Fall& c : {Fall{"part, at once", TeilPfad(0), 0}, Fall{"part, later", TeilPfad(0), 200},
                        Fall{"first script, later", std::string("/stick3/") + kSkript1, 200},
                        Fall{"server test, later", "/db/servertest.txt", 200}}) {
    SCOPED_TRACE(c.Name);
    QDir(Ziel()).removeRecursively();
    Shell->Geoeffnet.clear();
    Server.Fehler(c.Pfad, TFehlerbild{.Ueberschuss = 100, .UeberschussNachMs = c.NachMs});
    auto f = Fenster();
    Ausfuehren(*f);
    EXPECT_EQ(f->LogZeilen(), Erfolg());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Server.Anfragen(TeilPfad(i)), 1) << i;
    EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
    EXPECT_EQ(Shell->Geoeffnet, std::vector<QString>{Ziel()});
    Server.Fehler(c.Pfad, TFehlerbild{});
  }
}
// An entry whose Hashwert is 0 is the CRC-32 of an empty file: a missing file does not count
// as present, it is fetched.
TEST_F(Stickbau, FehlendeDateiMitHashwertNullWirdGeholt) {
  QList<TStickEintrag> teile = St().Teile;
  teile.insert(1, TStickEintrag{"leer.001", 0, 0});
  Aktualisierung.StickScriptSetzen(kSkript1, teile);
  Server.Setzen("/stick3/leer.001", QByteArray());
  auto f = Fenster();
  Ausfuehren(*f);
  EXPECT_EQ(Anfragen("leer.001"), 1);
  EXPECT_EQ(f->LogZeilen().value(0), "Download 4/4");
  EXPECT_EQ(f->LogZeilen().value(2), "Masterdatei erstellen 4/4");
  EXPECT_EQ(f->LogZeilen().last(), "Neue Daten liegen im Verzeichnis " + Ziel());
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
}

// ---------------------------------------------------------------------------------------------
// The download does not complete: no master file, nothing unpacked, the parts that arrived stay.

// A part that never matches is fetched three times, then named with the reason.
TEST_F(Stickbau, ImmerVerdorbenerTeilHoechstensDreimal) {
  for (const bool englisch : {false, true}) {
    SCOPED_TRACE(englisch);
    Server.Fehler(TeilPfad(1), TFehlerbild{.VerdorbeneAntworten = 1000});
    auto f = Fenster(englisch);
    Ausfuehren(*f);
    EXPECT_EQ(Server.Anfragen(TeilPfad(0)), englisch ? 0 : 1);
    EXPECT_EQ(Server.Anfragen(TeilPfad(1)), 3);
    EXPECT_EQ(Server.Anfragen(TeilPfad(2)), 0);
    const QString name = St().Teile[1].Name;
    EXPECT_EQ(f->LogZeilen(),
              (QStringList{"Download 2/3",
                           englisch ? "Part " + name + ": checksum (CRC-32) still does not match after 3 downloads"
                                    : "Teil " + name + ": Prüfsumme (CRC-32) stimmt auch nach 3 Downloads nicht",
                           englisch ? "Download not complete" : "Download noch nicht komplett"}));
    EXPECT_FALSE(QFileInfo::exists(Master()));
    EXPECT_TRUE(QFileInfo::exists(Arbeit() + St().Teile[0].Name));
    EXPECT_EQ(ZielEintraege(), QStringList{"KiroStick35"});
    EXPECT_TRUE(Shell->Geoeffnet.empty());
  }
}

TEST_F(Stickbau, Teil404) {
  Server.Fehler(TeilPfad(2), TFehlerbild{.Status = 404});
  auto f = Fenster();
  Ausfuehren(*f);
  EXPECT_EQ(Server.Anfragen(TeilPfad(2)), 1);
  EXPECT_EQ(f->LogZeilen(),
            (QStringList{"Download 3/3", kKeinServer, "Grund: " + St().Teile[2].Name + ": HTTP-Status 404",
                         "Download noch nicht komplett"}));
  EXPECT_TRUE(f->Abbrechen);
  EXPECT_FALSE(QFileInfo::exists(Master()));
  EXPECT_EQ(ZielEintraege(), QStringList{"KiroStick35"});
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

// The second script missing: unpacked, but not checked, so the stick counts as incomplete.
TEST_F(Stickbau, ZweitesScript404) {
  Server.Fehler(std::string("/stick3/") + kSkript2, TFehlerbild{.Status = 404});
  auto f = Fenster();
  Ausfuehren(*f);
  QStringList log = Erfolg().mid(0, 5);
  log << kKeinServer << QStringLiteral("Grund: %1: HTTP-Status 404").arg(kSkript2) << "Dateien für neuen Stick prüfen 0/0"
      << "Neuer Stick wurde unvollständig entzippt";
  EXPECT_EQ(f->LogZeilen(), log);
  EXPECT_TRUE(QFileInfo::exists(Master()));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

// The clean-up removes the build's own files only; what else is in the work folder stays,
// and a link there is neither followed nor removed.
TEST_F(Stickbau, FremdesImArbeitsordnerBleibt) {
  test::TempOrdner draussen;
  draussen.Schreiben("wichtig.txt", "bleibt");
  QDir().mkpath(Arbeit());
  ASSERT_TRUE(QFile::link(draussen.Pfad(), Arbeit() + "verweis"));
  Heim.Schreiben("Kiro3_0001/KiroStick35/notiz.txt", "meins");
  auto f = Fenster();
  Ausfuehren(*f);
  EXPECT_EQ(f->LogZeilen(), Erfolg());
  QStringList rest = QDir(Arbeit()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
  rest.sort();
  EXPECT_EQ(rest, (QStringList{"notiz.txt", "verweis"}));
  EXPECT_EQ(test::Lesen(draussen / "wichtig.txt"), "bleibt");
  EXPECT_EQ(Shell->Geoeffnet.size(), 1u);
}

// Cancel during a transfer is seen at the next step of the loop.
TEST_F(Stickbau, AbbrechenWaehrendDesDownloads) {
  Server.Fehler(TeilPfad(0), TFehlerbild{.BytesProSchritt = 32768, .PauseProSchrittMs = 20});
  auto f = Fenster();
  bool sichtbar = false, gedrueckt = false;
  // Pressed once the first part is on its way.
  QTimer uhr;
  uhr.setInterval(5);
  QObject::connect(&uhr, &QTimer::timeout, f.get(), [&] {
    if (gedrueckt || Server.Anfragen(TeilPfad(0)) == 0) return;
    gedrueckt = true;
    sichtbar = f->ActionAbbrechen->isVisible();
    f->ActionAbbrechen->trigger();
  });
  uhr.start();
  Ausfuehren(*f);
  uhr.stop();
  EXPECT_TRUE(gedrueckt);
  EXPECT_TRUE(sichtbar);
  EXPECT_EQ(Server.Anfragen(TeilPfad(0)), 1);
  EXPECT_EQ(Server.Anfragen(TeilPfad(1)), 0);
  EXPECT_EQ(Server.Anfragen(TeilPfad(2)), 0);
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download 1/3", "Download noch nicht komplett"}));
  EXPECT_FALSE(QFileInfo::exists(Master()));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

TEST_F(Stickbau, OhneZielverzeichnisKeinLauf) {
  auto f = Fenster();
  f->FVerzRechnerInst.clear();
  Ausfuehren(*f);
  EXPECT_EQ(f->LogZeilen(), QStringList{"Kein Zielverzeichnis gewählt; der neue Stick wird nicht erstellt"});
  EXPECT_EQ(Anfragen(kSkript1), 0);
  EXPECT_TRUE(QDir(Heim.Pfad()).isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Scripts that cannot be used

struct ScriptFall {
  const char* Name;
  bool Zweites;  // the second script, else the first
  bool Html;     // an HTML page (a portal's error page, say), else a script without file entries
};

class UnbrauchbaresScript : public Stickbau, public ::testing::WithParamInterface<ScriptFall> {};

TEST_P(UnbrauchbaresScript, LaufEndetUnvollstaendig) {
  const ScriptFall& c = GetParam();
  const char* name = c.Zweites ? kSkript2 : kSkript1;
  Server.Setzen(std::string("/stick3/") + name,
                c.Html ? QByteArray("<html><body><h1>Willkommen</h1></body></html>\n") : test::StickScript({}));
  auto f = Fenster();
  Ausfuehren(*f);
  const QString grund = QString::fromUtf8(c.Html ? "Script %1 konnte nicht vollständig gelesen werden"
                                              : "Script %1 enthält keine Dateieinträge")
                            .arg(name);
  if (c.Zweites) {
    QStringList log = Erfolg().mid(0, 5);
    log << "Dateien für neuen Stick prüfen 0/0" << grund << "Neuer Stick wurde unvollständig entzippt";
    EXPECT_EQ(f->LogZeilen(), log);
    EXPECT_TRUE(QFileInfo::exists(Master()));
  } else {
    EXPECT_EQ(f->LogZeilen(), (QStringList{"Download 0/0", grund, "Download noch nicht komplett"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Server.Anfragen(TeilPfad(i)), 0);
  }
  EXPECT_TRUE(QFileInfo::exists(Arbeit() + name));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

INSTANTIATE_TEST_SUITE_P(Scripts, UnbrauchbaresScript,
                         ::testing::Values(ScriptFall{"ErstesHtml", false, true}, ScriptFall{"ZweitesHtml", true, true},
                                           ScriptFall{"ErstesLeer", false, false}, ScriptFall{"ZweitesLeer", true, false}),
                         [](const auto& i) { return std::string(i.param.Name); });

// Two wrong files: each gets its line below the progress line; the work folder stays whole.
TEST_F(Stickbau, FalscheCRCImZweitenScript) {
  QList<TStickEintrag> dateien = St().Masterdateien;
  ASSERT_GE(dateien.size(), 4);
  dateien[1].Hashwert ^= 1;
  dateien[3].Hashwert ^= 0x80000000u;
  // The check finds files in any letter case, as the Windows original did.
  dateien[2].Name = dateien[2].Name.toUpper();
  Aktualisierung.StickScriptSetzen(kSkript2, dateien);
  auto f = Fenster();
  Ausfuehren(*f);
  QStringList log = Erfolg().mid(0, 6);
  log << "Dateienversion falsch " + dateien[1].Name << "Dateienversion falsch " + dateien[3].Name
      << "Neuer Stick wurde unvollständig entzippt";
  EXPECT_EQ(f->LogZeilen(), log);
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  QStringList arbeit = QDir(Arbeit()).entryList(QDir::Files);
  arbeit.sort();
  QStringList erwartet{kSkript2, kSkript1, "stick35.7z"};
  for (const TStickEintrag& t : St().Teile) erwartet << t.Name;
  erwartet.sort();
  EXPECT_EQ(arbeit, erwartet);
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

// ---------------------------------------------------------------------------------------------
// Hostile names: nothing is written or read outside the target.

TEST_F(Stickbau, FeindlicheNamenImErstenScript) {
  for (const char* boese : {"../aussen.001", "..\\aussen.001", "/tmp/aussen.001", "C:\\aussen.001"}) {
    SCOPED_TRACE(boese);
    QDir(Ziel()).removeRecursively();
    QList<TStickEintrag> teile = St().Teile;
    teile[1].Name = QString::fromUtf8(boese);
    Aktualisierung.StickScriptSetzen(kSkript1, teile);
    auto f = Fenster();
    Ausfuehren(*f);
    const QStringList log = f->LogZeilen();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[0], "Download 0/3");
    EXPECT_EQ(log[1], QStringLiteral("Script %1: unzulässiger Dateiname %2").arg(kSkript1, boese));
    EXPECT_EQ(log[2], "Download noch nicht komplett");
    for (const test::TAnfrage& a : Server.Protokoll())
      EXPECT_TRUE(a.Pfad == std::string("/stick3/") + kSkript1 || a.Pfad == "/db/servertest.txt") << a.Pfad;
    EXPECT_EQ(QDir(Heim.Pfad()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Kiro3_0001"});
  }
}

TEST_F(Stickbau, FeindlicheNamenImZweitenScript) {
  // Outside the target, a file the check must not reach.
  Heim.Schreiben("aussen.txt", "fremd");
  QList<TStickEintrag> dateien = St().Masterdateien;
  dateien << TStickEintrag{"..\\aussen.txt", 0, 5};
  Aktualisierung.StickScriptSetzen(kSkript2, dateien);
  auto f = Fenster();
  Ausfuehren(*f);
  QStringList log = Erfolg().mid(0, 5);
  log << QStringLiteral("Dateien für neuen Stick prüfen 0/%1").arg(dateien.size())
      << QStringLiteral("Script %1: unzulässiger Dateiname ..\\aussen.txt").arg(kSkript2)
      << "Neuer Stick wurde unvollständig entzippt";
  EXPECT_EQ(f->LogZeilen(), log);
  EXPECT_TRUE(QFileInfo::exists(Arbeit()));
  EXPECT_EQ(test::Lesen(Heim / "aussen.txt"), "fremd");
}

// An archive whose entries point outside: the unpack fails and says so; the build ends incomplete
// without fetching the second script.
TEST_F(Stickbau, FeindlicheNamenImArchiv) {
  const QString archiv = Aktualisierung.Arbeitsordner() / "boese.7z";
  ASSERT_TRUE(test::ArchivSchreiben(archiv, {{"gut.txt", "gut"}, {"../aussen.txt", "boese"}, {"a/../../b.txt", "x"}},
                                    &Fehler))
      << Fehler.toStdString();
  const std::optional<TDateiPruefsumme> s = DateiCRC32Lesen(archiv);
  ASSERT_TRUE(s);
  Server.SetzenDatei("/stick3/boese.7z.001", archiv);
  Aktualisierung.StickScriptSetzen(kSkript1, {TStickEintrag{"boese.7z.001", s->Crc, std::int32_t(s->Groesse)}});
  auto f = Fenster();
  Ausfuehren(*f);
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download 1/1", "Download vollständig", "Masterdatei erstellen 1/1",
                                         "Masterdatei erstellt", "Masterdatei entpacken",
                                         "Neuer Stick wurde unvollständig entzippt"}));
  EXPECT_EQ(Boxen.size(), 1) << Boxen.join(" | ").toStdString();
  EXPECT_EQ(Anfragen(kSkript2), 0);
  EXPECT_EQ(QDir(Heim.Pfad()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Kiro3_0001"});
  EXPECT_FALSE(QFileInfo::exists(Heim / "b.txt"));
  EXPECT_TRUE(QFileInfo::exists(Master()));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

// Every file below Ordner with its content (links as "-> target"), to compare before and after.
QMap<QString, QByteArray> Stand(const QString& Ordner) {
  QMap<QString, QByteArray> m;
  QDirIterator it(Ordner, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QFileInfo i = it.fileInfo();
    const QString rel = QDir(Ordner).relativeFilePath(it.filePath());
    if (i.isSymLink()) m[rel] = "-> " + i.symLinkTarget().toUtf8();
    else if (i.isFile()) m[rel] = test::Lesen(it.filePath());
    else m[rel + u'/'] = {};
  }
  return m;
}

// A link in place of the work folder is refused with a line: nothing is fetched, written or
// removed through it, so a user's file of the master's name in the other folder stays.
TEST_F(Stickbau, ArbeitsordnerAlsVerweisWirdAbgelehnt) {
  for (const bool englisch : {false, true}) {
    SCOPED_TRACE(englisch);
    test::TempOrdner draussen;
    draussen.Schreiben("stick35.7z", "des Nutzers");
    draussen.Schreiben(kSkript1, "auch des Nutzers");
    const QMap<QString, QByteArray> vorher = Stand(draussen.Pfad());
    QDir(Ziel()).removeRecursively();
    QDir().mkpath(Ziel());
    ASSERT_TRUE(QFile::link(draussen.Pfad(), Ziel() + "KiroStick35"));
    auto f = Fenster(englisch);
    Ausfuehren(*f);
    EXPECT_EQ(f->LogZeilen(),
              QStringList{englisch ? "Work folder " + Arbeit() + " is a symbolic link; the new stick is not built"
                                   : "Arbeitsordner " + Arbeit() +
                                         " ist ein symbolischer Verweis; der neue Stick wird nicht erstellt"});
    EXPECT_EQ(Anfragen(kSkript1), 0);
    EXPECT_EQ(Stand(draussen.Pfad()), vorher);
    EXPECT_TRUE(QFileInfo(Ziel() + "KiroStick35").isSymLink());
    EXPECT_TRUE(Shell->Geoeffnet.empty());
  }
}

// Links planted inside the work folder under the names of the build's own files are neither
// written through nor removed: the download or the join fails naming the reason.
TEST_F(Stickbau, VerweiseImArbeitsordnerWerdenNichtBeschrieben) {
  const QString verweisGrund = QString::fromLocal8Bit(std::strerror(ELOOP));
  struct Fall {
    const char* Name;
    QStringList Log;
  };
  const QList<Fall> faelle{
      {kSkript1,
       {"Download fehlgeschlagen: " + Arbeit() + kSkript1 + ": " + verweisGrund, "Download 0/0",
        "Download noch nicht komplett"}},
      {"stick35.7z",
       {"Download 3/3", "Download vollständig", "Masterdatei erstellen/producing master file 0/3",
        "Masterdatei konnte nicht erstellt werden: " + Master() + ": " + verweisGrund,
        "Neuer Stick wurde unvollständig entzippt"}},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    test::TempOrdner draussen;
    draussen.Schreiben("opfer", "des Nutzers");
    QDir(Ziel()).removeRecursively();
    QDir().mkpath(Arbeit());
    ASSERT_TRUE(QFile::link(draussen / "opfer", Arbeit() + c.Name));
    auto f = Fenster();
    Ausfuehren(*f);
    EXPECT_EQ(f->LogZeilen(), c.Log);
    EXPECT_EQ(test::Lesen(draussen / "opfer"), "des Nutzers");
    EXPECT_TRUE(QFileInfo(Arbeit() + c.Name).isSymLink());
  }
}

// A part named like the master file or a script is refused before anything is fetched: the
// join could otherwise append the master file to itself until the disk is full.
TEST_F(Stickbau, TeilMitDemNamenEinerEigenenDateiWirdAbgelehnt) {
  Server.SetzenDatei("/stick3/stick35.7z", St().TeilDateien[1]);
  for (const char* name : {"stick35.7z", "STICK35.7z", kSkript1, kSkript2}) {
    SCOPED_TRACE(name);
    QDir(Ziel()).removeRecursively();
    QList<TStickEintrag> teile = St().Teile;
    teile[1].Name = QString::fromUtf8(name);
    Aktualisierung.StickScriptSetzen(kSkript1, teile);
    auto f = Fenster();
    Ausfuehren(*f);
    EXPECT_EQ(f->LogZeilen(),
              (QStringList{"Download 0/3", QStringLiteral("Script %1: unzulässiger Dateiname %2").arg(kSkript1, name),
                           "Download noch nicht komplett"}));
    for (const test::TAnfrage& a : Server.Protokoll())
      EXPECT_TRUE(a.Pfad == std::string("/stick3/") + kSkript1 || a.Pfad == "/db/servertest.txt") << a.Pfad;
    EXPECT_EQ(ZielEintraege(), QStringList{"KiroStick35"});
    EXPECT_EQ(QDir(Arbeit()).entryList(QDir::Files), QStringList{kSkript1}) << "nothing grows";
  }
}

// A build that stopped in the download loop (the program was ended while a part arrived, so
// that part is cut short) is resumed at the next start: the same folder is proposed, only the
// parts that do not match are fetched, and the result equals the source.
TEST_F(Stickbau, UnterbrochenerBauWirdBeimNaechstenStartFortgesetzt) {
  Server.Fehler(TeilPfad(2), TFehlerbild{.Status = 404});
  {
    auto f = Fenster();
    Ausfuehren(*f);
    ASSERT_EQ(f->LogZeilen().last(), "Download noch nicht komplett");
  }
  ASSERT_TRUE(test::Kuerzen(Arbeit() + St().Teile[1].Name, St().Teile[1].Groesse / 2));
  Server.Fehler(TeilPfad(2), TFehlerbild{});
  Server.ProtokollLeeren();
  auto f = std::make_unique<TFormWebInstall>([&] {
    TWebInstallUmgebung u = Umgebung(TEdition{.HeimStick = true});
    u.Shell = Shell;
    return u;
  }());
  EXPECT_EQ(f->FVerzRechnerInst, Ziel());
  f->show();
  Ausfuehren(*f);
  EXPECT_EQ(Server.Anfragen(TeilPfad(0)), 0);
  EXPECT_EQ(Server.Anfragen(TeilPfad(1)), 1);
  EXPECT_EQ(Server.Anfragen(TeilPfad(2)), 1);
  EXPECT_EQ(f->LogZeilen(), Erfolg());
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  EXPECT_FALSE(QFileInfo::exists(Arbeit()));
  // With nothing left to resume, the next start proposes a new folder again.
  TFormWebInstall h(Umgebung(TEdition{.HeimStick = true}));
  EXPECT_EQ(h.FVerzRechnerInst, Heim / "Kiro3_0002/");
}

// ---------------------------------------------------------------------------------------------
// The checks take the CRC-32 from the bytes as this process wrote them (download, unpack). A
// file changed after it was written must be read again: a kept sum never passes it.

// Flips one byte in place (same file, same size) once the clock has moved on, as any later
// write by someone else would.
void Veraendern(const QString& Datei) {
  struct stat vorher {};
  ASSERT_EQ(::stat(QFile::encodeName(Datei).constData(), &vorher), 0) << Datei.toStdString();
  // File times advance in ticks of the kernel's clock; a change in the tick of the write
  // itself cannot be told apart by any file status.
  ::usleep(50000);
  ASSERT_TRUE(test::ByteKippen(Datei, vorher.st_size / 2));
  struct stat nachher {};
  ASSERT_EQ(::stat(QFile::encodeName(Datei).constData(), &nachher), 0);
  ASSERT_EQ(nachher.st_size, vorher.st_size);
  ASSERT_NE(std::pair(nachher.st_mtim.tv_sec, nachher.st_mtim.tv_nsec),
            std::pair(vorher.st_mtim.tv_sec, vorher.st_mtim.tv_nsec));
}

// A part changed after its download, before the next run: fetched again, the build succeeds.
TEST_F(Stickbau, VeraenderterTeilWirdNeuGeprueft) {
  Server.Fehler(TeilPfad(2), TFehlerbild{.Status = 404});
  {
    auto f = Fenster();
    Ausfuehren(*f);
    ASSERT_EQ(f->LogZeilen().last(), "Download noch nicht komplett");
  }
  Veraendern(Arbeit() + St().Teile[0].Name);
  Server.Fehler(TeilPfad(2), TFehlerbild{});
  auto f = Fenster();
  Ausfuehren(*f);
  EXPECT_EQ(Server.Anfragen(TeilPfad(0)), 1);
  EXPECT_EQ(Server.Anfragen(TeilPfad(1)), 0);
  EXPECT_EQ(Server.Anfragen(TeilPfad(2)), 1);
  EXPECT_EQ(f->LogZeilen(), Erfolg());
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join(" | ").toStdString();
}

// An unpacked file changed between the unpack and its check (while the second script
// arrives): the check reads it and names it.
TEST_F(Stickbau, NachDemEntpackenVeraenderteDateiIstFalsch) {
  const QList<TStickEintrag>& dateien = St().Masterdateien;
  int k = 0;
  while (k < dateien.size() && dateien[k].Groesse == 0) ++k;
  ASSERT_LT(k, dateien.size());
  const QString datei = Ziel() + QString(dateien[k].Name).replace(u'\\', u'/');
  auto f = Fenster();
  bool veraendert = false;
  auto begin = f->IdHTTPDateien->WorkBegin;
  f->IdHTTPDateien->WorkBegin = [&, begin](qint64 n) {
    begin(n);
    if (veraendert || Anfragen(kSkript2) == 0) return;
    veraendert = true;
    Veraendern(datei);
  };
  Ausfuehren(*f);
  ASSERT_TRUE(veraendert);
  QStringList log = Erfolg().mid(0, 6);
  log << "Dateienversion falsch " + dateien[k].Name << "Neuer Stick wurde unvollständig entzippt";
  EXPECT_EQ(f->LogZeilen(), log);
  EXPECT_TRUE(QFileInfo::exists(Master()));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

// ---------------------------------------------------------------------------------------------
// A full disk: the target folder on a file system of 40 MiB of its own, filled so that the
// download, the join or the unpack runs out of room. Each failure names the system's reason,
// no success is reported, and nothing that was there before is lost or torn.

class VollePlatte : public Stickbau {
 protected:
  void SetUp() override {
    Stickbau::SetUp();
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    QDir().mkpath(Ziel());
    if (::mount("tmpfs", QFile::encodeName(Ziel()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=40m") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    Eingehaengt = true;
  }
  void TearDown() override {
    if (Eingehaengt) ::umount2(QFile::encodeName(Ziel()).constData(), MNT_DETACH);
  }

  // Fills the file system until about Frei bytes are left.
  void Fuellen(qint64 Frei) {
    struct statvfs sv {};
    ASSERT_EQ(::statvfs(QFile::encodeName(Ziel()).constData(), &sv), 0);
    const qint64 frei = qint64(sv.f_bavail) * qint64(sv.f_frsize);
    ASSERT_GT(frei, Frei);
    QFile f(Ziel() + ".fueller");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray block(1 << 16, 'f');
    for (qint64 rest = frei - Frei; rest > 0; rest -= block.size())
      ASSERT_EQ(f.write(block.constData(), qMin<qint64>(rest, block.size())), qMin<qint64>(rest, block.size()));
  }

  qint64 TeileGroesse() const {
    qint64 n = 0;
    for (const TStickEintrag& t : St().Teile) n += t.Groesse;
    return n;
  }
  qint64 DateienGroesse() const {
    qint64 n = 0;
    for (const TStickEintrag& t : St().Masterdateien) n += t.Groesse;
    return n;
  }

  static QString Voll() { return QString::fromLocal8Bit(std::strerror(ENOSPC)); }
  bool Eingehaengt = false;
};

TEST_F(VollePlatte, BeimDownload) {
  Fuellen(TeileGroesse() / 2);
  auto f = Fenster();
  Ausfuehren(*f);
  const QStringList log = f->LogZeilen();
  ASSERT_EQ(log.size(), 3) << log.join(" | ").toStdString();
  EXPECT_TRUE(log[1].startsWith("Download fehlgeschlagen: " + Arbeit())) << log[1].toStdString();
  EXPECT_TRUE(log[1].endsWith(": " + Voll())) << log[1].toStdString();
  EXPECT_EQ(log[2], "Download noch nicht komplett");
  EXPECT_FALSE(QFileInfo::exists(Master()));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

TEST_F(VollePlatte, BeimZusammenfuegen) {
  Fuellen(TeileGroesse() + TeileGroesse() / 2 + (256 << 10));
  auto f = Fenster();
  Ausfuehren(*f);
  const QStringList log = f->LogZeilen();
  ASSERT_EQ(log.size(), 5) << log.join(" | ").toStdString();
  EXPECT_EQ(log.mid(0, 2), Erfolg().mid(0, 2));
  EXPECT_EQ(log[3], "Masterdatei konnte nicht erstellt werden: " + Master() + ": " + Voll());
  EXPECT_EQ(log[4], "Neuer Stick wurde unvollständig entzippt");
  EXPECT_FALSE(QFileInfo::exists(Master())) << "the partial master file is removed";
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(DateiCRC32Lesen(Arbeit() + St().Teile[i].Name).value_or(TDateiPruefsumme{}).Crc, St().Teile[i].Hashwert);
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

TEST_F(VollePlatte, BeimEntpackenBleibtDieAlteInstallationGanz) {
  // An earlier install: every file of the stick in an older, short version.
  QMap<QString, QByteArray> alt;
  for (const TStickEintrag& e : St().Masterdateien) {
    const QString name = QString(e.Name).replace(u'\\', u'/');
    alt[name] = "alte Fassung von " + name.toUtf8();
    QDir().mkpath(QFileInfo(Ziel() + name).absolutePath());
    QFile d(Ziel() + name);
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    d.write(alt[name]);
  }
  Fuellen(2 * TeileGroesse() + DateienGroesse() / 2 + (256 << 10));
  auto f = Fenster();
  Ausfuehren(*f);
  QStringList log = Erfolg().mid(0, 5);
  log << "Neuer Stick wurde unvollständig entzippt";
  EXPECT_EQ(f->LogZeilen(), log);
  ASSERT_EQ(Boxen.size(), 1);
  EXPECT_TRUE(Boxen[0].endsWith(Voll())) << Boxen[0].toStdString();
  // Each file is either its old version or the complete new one; no temporary file is left.
  int neu = 0;
  for (const TStickEintrag& e : St().Masterdateien) {
    const QString name = QString(e.Name).replace(u'\\', u'/');
    const QByteArray jetzt = test::Lesen(Ziel() + name);
    if (jetzt == alt[name]) continue;
    ++neu;
    EXPECT_EQ(DateiCRC32Lesen(Ziel() + name).value_or(TDateiPruefsumme{}).Crc, e.Hashwert) << name.toStdString();
  }
  EXPECT_LT(neu, St().Masterdateien.size());
  for (const QString& n : Stand(Ziel()).keys())
    EXPECT_FALSE(QFileInfo(n).fileName().startsWith(".~kiro")) << n.toStdString();
  EXPECT_TRUE(QFileInfo::exists(Master()));
  EXPECT_TRUE(Shell->Geoeffnet.empty());
}

// Names from a script reach the log with their control characters made visible: a NUL does not
// cut the line, and the log's text (what a screen reader gets) keeps every later line.
TEST_F(Stickbau, SteuerzeichenImNamenSindSichtbar) {
  QList<TStickEintrag> teile = St().Teile;
  teile[1].Name = QString::fromUtf8("teil\x01" "b.001");
  teile[2].Name = QStringLiteral("teil") + QChar(0) + QStringLiteral("c.001");
  Aktualisierung.StickScriptSetzen(kSkript1, teile);
  auto f = Fenster();
  Ausfuehren(*f);
  const QStringList erwartet{"Download 0/3",
                             QStringLiteral("Script %1: unzulässiger Dateiname teil\\x01b.001").arg(kSkript1),
                             QStringLiteral("Script %1: unzulässiger Dateiname teil\\x00c.001").arg(kSkript1),
                             "Download noch nicht komplett"};
  EXPECT_EQ(f->LogZeilen(), erwartet);
  const QString text = f->RichEditLog->toPlainText();
  EXPECT_TRUE(text.endsWith("Download noch nicht komplett")) << text.toStdString();
  for (const QChar c : text) EXPECT_TRUE(c == u'\n' || c.unicode() >= 0x20) << int(c.unicode());
}

// ---------------------------------------------------------------------------------------------
// The world changes under the build: hostile names, a vanishing disk, a stop signal, an endless
// server, a read-only target, a second run, an archive with programs.

// A file system of its own at Ordner (a real tmpfs), removed lazily at the end.
class TEigeneTmpfs {
 public:
  TEigeneTmpfs(const QString& Ordner, const char* Optionen, unsigned long Schalter = 0) : FOrdner(Ordner) {
    QDir().mkpath(Ordner);
    FFehler = ::mount("tmpfs", QFile::encodeName(Ordner).constData(), "tmpfs", MS_NOSUID | MS_NODEV | Schalter,
                      Optionen) == 0
                  ? 0
                  : errno;
  }
  ~TEigeneTmpfs() { Aushaengen(); }
  TEigeneTmpfs(const TEigeneTmpfs&) = delete;
  TEigeneTmpfs& operator=(const TEigeneTmpfs&) = delete;
  // "" when mounted, else why not.
  std::string Fehler() const { return FFehler ? std::strerror(FFehler) : std::string(); }
  // As when a stick is pulled: the path names the folder below at once, open files stay.
  void Aushaengen() {
    if (FFehler == 0 && !FWeg) ::umount2(QFile::encodeName(FOrdner).constData(), MNT_DETACH);
    FWeg = true;
  }
  qint64 Frei() const {
    struct statvfs sv {};
    if (FWeg || ::statvfs(QFile::encodeName(FOrdner).constData(), &sv) != 0) return -1;
    return qint64(sv.f_bavail) * qint64(sv.f_frsize);
  }

 private:
  QString FOrdner;
  int FFehler = 0;
  bool FWeg = false;
};

#define EIGENE_TMPFS(Name, Ordner, Optionen, ...)                                       \
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";            \
  TEigeneTmpfs Name(Ordner, Optionen __VA_OPT__(, ) __VA_ARGS__);                      \
  if (!Name.Fehler().empty()) GTEST_SKIP() << "cannot mount a tmpfs: " << Name.Fehler()

// Names longer than the file system allows are refused with their line, and a name of 2 MiB
// neither freezes the window nor fills its log: the run ends and Close, pressed during it,
// closes the window.
TEST_F(Stickbau, UeberlangeNamenImErstenScript) {
  struct Fall {
    const char* Name;
    QString Dateiname;
  };
  const QList<Fall> faelle{{"Komponente256", QString(252, u'k') + ".001"},
                           {"ZweiMiB", QString(2 << 20, u'n') + ".001"}};
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    QList<TStickEintrag> teile = St().Teile;
    teile[1].Name = c.Dateiname;
    Aktualisierung.StickScriptSetzen(kSkript1, teile);
    auto f = Fenster();
    QTimer::singleShot(0, f.get(), [&] { f->ActionSchliessen->trigger(); });
    QElapsedTimer dauer;
    dauer.start();
    Ausfuehren(*f);
    QCoreApplication::processEvents();
    EXPECT_LT(dauer.elapsed(), 20000);
    EXPECT_FALSE(f->isVisible()) << "Close was pressed during the run";
    QStringList log = f->LogZeilen();
    // Close came during the first script's transfer, and says so first.
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.takeFirst(),
              "Das Fenster schließt, sobald die Übertragung beendet ist. Abbrechen beendet sie sofort.");
    ASSERT_EQ(log.size(), 3);
    const QString zeile = QStringLiteral("Script %1: unzulässiger Dateiname ").arg(kSkript1);
    EXPECT_TRUE(log[1].startsWith(zeile + c.Dateiname.left(200))) << log[1].left(300).toStdString();
    // Foreign text is shortened; the line still shows where the name ends.
    EXPECT_LE(log[1].size(), 1000);
    EXPECT_TRUE(log[1].endsWith(c.Dateiname.right(100))) << log[1].right(300).toStdString();
    EXPECT_EQ(log[2], "Download noch nicht komplett");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Server.Anfragen(TeilPfad(i)), 0);
  }
}

// The target's file system is unmounted lazily (a stick pulled) while a part downloads, or
// after the unpack while the second script arrives: the build stops with a line naming the
// target, and nothing appears on the disk below the mount point.
TEST_F(Stickbau, ZielVerschwindetWaehrendDesLaufs) {
  const struct {
    const char* Fall;
    std::string Pfad;  // the request during which the disk goes
    int BytesProSchritt;  // served slowly enough for the disk to go meanwhile
    QStringList Danach;  // the lines after the first five of a successful run
  } faelle[] = {
      {"while a part downloads", TeilPfad(0), 65536,
       {"Zielverzeichnis " + Ziel() + " ist nicht mehr vorhanden (Laufwerk entfernt?)",
        "Neuer Stick wurde unvollständig entzippt"}},
      {"after the unpack", std::string("/stick3/") + kSkript2, 256,
       {QStringLiteral("Dateien für neuen Stick prüfen 0/%1").arg(St().Masterdateien.size()),
        "Zielverzeichnis " + Ziel() + " ist nicht mehr vorhanden (Laufwerk entfernt?)",
        "Neuer Stick wurde unvollständig entzippt"}},
  };
  for (const auto& c : faelle) {
    SCOPED_TRACE(c.Fall);
    QDir(Ziel()).removeRecursively();
    EIGENE_TMPFS(platte, Ziel(), "size=100m");
    Server.Fehler(c.Pfad, TFehlerbild{.BytesProSchritt = c.BytesProSchritt, .PauseProSchrittMs = 10});
    auto f = Fenster();
    ASSERT_TRUE(AusfuehrenUndBeiAnfrage(*f, c.Pfad, [&] { platte.Aushaengen(); }));
    const QStringList log = f->LogZeilen();
    EXPECT_EQ(log.mid(0, 5), Erfolg().mid(0, 5));
    EXPECT_EQ(log.mid(5), c.Danach);
    EXPECT_EQ(ZielEintraege(), QStringList()) << "below the mount point";
    EXPECT_TRUE(Shell->Geoeffnet.empty());
    Server.Fehler(c.Pfad, TFehlerbild{});
  }
}

// Every name below Ordner that starts with ".~kiro", relative.
QStringList Temporaere(const QString& Ordner) {
  QStringList namen;
  for (const QString& name : test::Baum(Ordner))
    if (QFileInfo(name.endsWith(u'/') ? name.chopped(1) : name).fileName().startsWith(".~kiro")) namen << name;
  return namen;
}

// SIGTERM (a logout, kill) while a large file is unpacked: the program ends the normal way, its
// unpack stops and removes its temporary file, and the window closes. A temporary left by a
// process that is gone (killed outright) is removed by the next unpack into that folder; one
// of a process that still runs is not touched.
TEST_F(Stickbau, StoppsignalWaehrendDesEntpackens) {
  test::TempOrdner quelle;
  QByteArray gross(24 << 20, Qt::Uninitialized);
  QRandomGenerator zufall(31);
  zufall.fillRange(reinterpret_cast<quint32*>(gross.data()), gross.size() / 4);
  quelle.Schreiben("Daten/gross.bin", gross);
  quelle.Schreiben("Daten/klein.txt", "klein");
  // PPMd takes as long to unpack as to pack: time enough for the signal.
  ASSERT_TRUE(Aktualisierung.StickAusOrdner(quelle.Pfad(), 1, {"-m0=PPMd"}, &Fehler)) << Fehler.toStdString();
  auto f = Fenster();
  StoppsignaleUmleiten([&] { f->ProgrammBeenden(); });
  // Sent from another thread once the unpack writes its temporary file, as kill would.
  std::atomic<bool> ende{false}, gesendet{false};
  std::thread wache([&] {
    while (!ende) {
      if (!Temporaere(Ziel()).isEmpty()) {
        gesendet = true;
        ::kill(::getpid(), SIGTERM);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  Ausfuehren(*f);
  ende = true;
  wache.join();
  StoppsignaleZuruecksetzen();
  QCoreApplication::processEvents();
  ASSERT_TRUE(gesendet);
  EXPECT_EQ(Temporaere(Ziel()), QStringList());
  EXPECT_FALSE(QFileInfo::exists(Ziel() + "Daten/gross.bin")) << "the unpack stopped in the middle of the file";
  EXPECT_FALSE(f->LogZeilen().join('\n').contains("Neue Daten")) << f->LogZeilen().join(" | ").toStdString();
  EXPECT_FALSE(f->isVisible()) << "the window closes once the run has ended";
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join(" | ").toStdString();

  // The next run, with what a killed process would have left.
  const QString tot = QString::number(test::BeendeterProzess());
  Heim.Schreiben("Kiro3_0001/Daten/.~kiro" + tot + ".0", QByteArray(1000, 't'));
  Heim.Schreiben("Kiro3_0001/.~kiro" + tot + ".1", "t");
  Heim.Schreiben("Kiro3_0001/.~kiro1.0", "of a process that runs");
  auto g = Fenster();
  Ausfuehren(*g);
  EXPECT_EQ(g->LogZeilen().last(), "Neue Daten liegen im Verzeichnis " + Ziel());
  EXPECT_EQ(Temporaere(Ziel()), QStringList{".~kiro1.0"});
}

// A part body that never ends, or is longer than the script lists, onto a file system of
// 100 MiB: the transfer stops at the listed size, the part is removed, and the room is free
// again.
TEST_F(Stickbau, ZuLangerTeilWirdAbgebrochenUndEntfernt) {
  struct Fall {
    const char* Name;
    TFehlerbild Fehler;
    qint64 Inhalt;  // bytes served (with their length announced) when the body ends
  };
  const QList<Fall> faelle{{"Endlos", TFehlerbild{.Endlos = true}, 0},
                           {"LaengerAlsGelistet", TFehlerbild{}, 8 << 20}};
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    QDir(Ziel()).removeRecursively();
    EIGENE_TMPFS(platte, Ziel(), "size=100m");
    const qint64 frei = platte.Frei();
    if (c.Inhalt > 0) Server.Setzen(TeilPfad(0), QByteArray(c.Inhalt, 'l'));
    Server.Fehler(TeilPfad(0), c.Fehler);
    auto f = Fenster();
    Ausfuehren(*f);
    const QString teil = Arbeit() + St().Teile[0].Name;
    EXPECT_EQ(f->LogZeilen(),
              (QStringList{"Download 1/3",
                           QStringLiteral("Download fehlgeschlagen: %1: mehr als die angegebenen %2 Bytes")
                               .arg(teil)
                               .arg(St().Teile[0].Groesse),
                           "Download noch nicht komplett"}));
    EXPECT_FALSE(QFileInfo::exists(teil));
    // The script and the folder's own blocks are all that is left.
    EXPECT_GT(platte.Frei(), frei - (1 << 20));
    EXPECT_EQ(Server.Anfragen(TeilPfad(1)), 0);
    Server.Fehler(TeilPfad(0), TFehlerbild{});
    Server.SetzenDatei(TeilPfad(0), St().TeilDateien[0]);
  }
}

// A script without end (no length announced, no size listed anywhere) is stopped at a bound of
// its own and removed, so it cannot fill the disk either.
TEST_F(Stickbau, EndlosesScriptWirdAbgebrochenUndEntfernt) {
  for (const char* script : {kSkript1, kSkript2}) {
    SCOPED_TRACE(script);
    QDir(Ziel()).removeRecursively();
    EIGENE_TMPFS(platte, Ziel(), "size=100m");
    Server.Fehler(std::string("/stick3/") + script, TFehlerbild{.Endlos = true});
    auto f = Fenster();
    Ausfuehren(*f);
    const QString datei = Arbeit() + script;
    const QStringList log = f->LogZeilen();
    EXPECT_TRUE(log.contains(
        QStringLiteral("Download fehlgeschlagen: %1: mehr als %2 Bytes, zu groß für ein Script").arg(datei).arg(64 << 20)))
        << log.join('\n').toStdString();
    EXPECT_FALSE(log.join('\n').contains("Neue Daten liegen"));
    EXPECT_FALSE(QFileInfo::exists(datei));
    Server.Fehler(std::string("/stick3/") + script, TFehlerbild{});
  }
}

// A read-only target: the line gives the reason the folder could not be made.
TEST_F(Stickbau, SchreibgeschuetztesZielNenntDenGrund) {
  for (const bool englisch : {false, true}) {
    SCOPED_TRACE(englisch);
    EIGENE_TMPFS(platte, Ziel(), "size=1m", MS_RDONLY);
    auto f = Fenster(englisch);
    Ausfuehren(*f);
    const QString grund = QString::fromLocal8Bit(std::strerror(EROFS));
    EXPECT_EQ(f->LogZeilen(),
              QStringList{englisch ? "Cannot create work folder " + Arbeit() + ": " + grund +
                                         "; the new stick is not built"
                                   : "Arbeitsordner " + Arbeit() + " kann nicht angelegt werden: " + grund +
                                         "; der neue Stick wird nicht erstellt"});
    EXPECT_EQ(Anfragen(kSkript1), 0);
  }
  // A target that does not exist yet, below a read-only folder.
  EIGENE_TMPFS(oben, Heim / "nur-lesen", "size=1m", MS_RDONLY);
  auto f = Fenster();
  f->FVerzRechnerInst = Heim / "nur-lesen/Kiro3_0001/";
  Ausfuehren(*f);
  EXPECT_EQ(f->LogZeilen(), QStringList{"Arbeitsordner " + Heim / "nur-lesen/Kiro3_0001/KiroStick35/" +
                                        " kann nicht angelegt werden: " + QString::fromLocal8Bit(std::strerror(EROFS)) +
                                        "; der neue Stick wird nicht erstellt"});
}

// Two windows on one target: the second run stops at once with its line, the first completes.
TEST_F(Stickbau, ZweiterLaufAufDemselbenArbeitsordner) {
  Server.Fehler(TeilPfad(0), TFehlerbild{.BytesProSchritt = 65536, .PauseProSchrittMs = 10});
  auto erster = Fenster();
  auto zweiter = Fenster(true);
  ASSERT_TRUE(AusfuehrenUndBeiAnfrage(*erster, TeilPfad(0), [&] { zweiter->ActionInstallieren->trigger(); }));
  EXPECT_EQ(zweiter->LogZeilen(),
            QStringList{"Work folder " + Arbeit() + " is in use by another run; the new stick is not built"});
  EXPECT_EQ(erster->LogZeilen(), Erfolg());
  EXPECT_EQ(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "");
  EXPECT_EQ(Server.Anfragen(TeilPfad(0)), 1);
}

// Programs in the archive keep their execute bits; setuid, setgid and sticky never arrive.
TEST_F(Stickbau, ProgrammeImArchivBleibenAusfuehrbar) {
  test::TempOrdner quelle;
  struct Fall {
    const char* Name;
    mode_t Archiv, Ziel;
  };
  const QList<Fall> faelle{{"KiroSim.exe", 0755, 0755},
                           {"bin/start.sh", 0750, 0750},
                           {"bin/setuid", 04755, 0755},
                           {"lies.txt", 0644, 0644}};
  for (const Fall& c : faelle) {
    quelle.Schreiben(c.Name, QByteArray("#!/bin/sh\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(quelle / c.Name).constData(), c.Archiv), 0);
  }
  ASSERT_TRUE(Aktualisierung.StickAusOrdner(quelle.Pfad(), 1, {}, &Fehler)) << Fehler.toStdString();
  const mode_t maske = ::umask(022);
  auto f = Fenster();
  Ausfuehren(*f);
  ::umask(maske);
  EXPECT_EQ(f->LogZeilen().last(), "Neue Daten liegen im Verzeichnis " + Ziel());
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Ziel() + c.Name).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.Ziel);
  }
}

// The content of the file Name ("a/b/c") below Ordner, reached name by name: its whole path may
// be longer than the system takes.
QByteArray NameFuerNameLesen(const QString& Ordner, const QString& Name) {
  int fd = ::open(QFile::encodeName(Ordner).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const QString& teil : Name.split(u'/')) {
    const int naechster = fd < 0 ? -1 : ::openat(fd, QFile::encodeName(teil).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    fd = naechster;
  }
  QFile f;
  if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) return {};
  return f.readAll();
}

// A file whose path in the target passes the longest path the system takes (a deep target
// folder and nested folders in the archive), named by the script in other letters' case: the
// check finds it where the unpack wrote it, and the build completes.
TEST_F(Stickbau, DateiTieferAlsDerLaengstePfad) {
  test::TempOrdner quelle;
  QString tief;  // about 1000 bytes of folders inside the archive
  for (int i = 0; i < 4; ++i) tief += QStringLiteral("ordner%1_").arg(i) + QString(240, u'o') + u'/';
  const QByteArray inhalt("tief unten\n");
  quelle.Schreiben(tief + "datei.txt", inhalt);
  quelle.Schreiben("oben.txt", "oben\n");
  ASSERT_TRUE(Aktualisierung.StickAusOrdner(quelle.Pfad(), 1, {}, &Fehler)) << Fehler.toStdString();
  QList<TStickEintrag> masterdateien = St().Masterdateien;
  ASSERT_EQ(masterdateien.size(), 2);
  for (TStickEintrag& e : masterdateien)
    if (e.Name.startsWith("ordner")) e.Name = e.Name.toUpper();
  Aktualisierung.StickScriptSetzen(kSkript2, masterdateien);

  const QString oben = Heim / QString(250, u'z');
  struct TAufraeumen {
    QString Pfad;
    // The tree is too deep for a removal by paths; rm walks it folder by folder.
    ~TAufraeumen() { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), Pfad}); }
  } aufraeumen{oben};
  QString ziel = oben + u'/';
  while (ziel.size() < 3600) ziel += QString(250, u'z') + u'/';
  ASSERT_TRUE(QDir().mkpath(ziel));
  ASSERT_GT(QFile::encodeName(ziel + tief + "datei.txt").size(), PATH_MAX);

  auto f = Fenster();
  f->FVerzRechnerInst = ziel;
  Ausfuehren(*f);
  const QStringList log = f->LogZeilen();
  EXPECT_EQ(log.mid(0, 6), Erfolg().mid(0, 6));
  // The log shortens the long folder name in the middle.
  ASSERT_EQ(log.size(), 7);
  EXPECT_TRUE(log[6].startsWith("Neue Daten liegen im Verzeichnis " + ziel.left(200))) << log[6].toStdString();
  EXPECT_EQ(NameFuerNameLesen(ziel, tief + "datei.txt"), inhalt);
  EXPECT_EQ(NameFuerNameLesen(ziel, "oben.txt"), "oben\n");
  EXPECT_FALSE(QFileInfo::exists(ziel + "KiroStick35"));
  EXPECT_EQ(Shell->Geoeffnet, std::vector<QString>{ziel});
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join(" | ").toStdString();
}

}  // namespace
