// The install action end to end: a generated update server on 127.0.0.1, the real window on
// the offscreen platform, the real 7-Zip library, temporary folders as computer target, drive
// and desktop, and a shell that records what would be started.
#include "support/Fensterumgebung.h"

#include "foundation/Meldung.h"
#include "platform/Shell.h"
#include "support/AufzeichnendeShell.h"
#include "testsupport/Aktualisierungsserver.h"
#include "testsupport/Archive.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QTimer>

#include <QScopeGuard>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <functional>
#include <memory>
#include <vector>

using namespace kiro;
using kiro::test::TAufzeichnendeShell;
using kiro::test::Fensterumgebung;
using kiro::test::TFehlerbild;
using kiro::test::Modus;

namespace {


QByteArray DesktopEintrag(const QString& Name, const QString& Beschreibung, const QString& Ordner) {
  return QStringLiteral(
             "[Desktop Entry]\nType=Application\nVersion=1.0\nName=%1\nComment=%2\n"
             "Exec=xdg-open \"%3KiroSim.exe\"\nPath=%3\nTerminal=false\n")
      .arg(Name, Beschreibung, Ordner)
      .toUtf8();
}

class Installieren : public Fensterumgebung {
 protected:
  Installieren() : Aktualisierung(Server) {
    Bereit = Aktualisierung.Editionen(&Fehler);
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen << b.Text;
      return int(mrOk);
    });
    Sticks = {StickEintrag()};
  }
  ~Installieren() override { MeldungZeigenHookSetzen({}); }
  void SetUp() override { ASSERT_TRUE(Bereit) << Fehler.toStdString(); }

  platform::TWechsellaufwerk StickEintrag() const {
    return {Stick.Pfad(), QStringLiteral("/dev/sdz1"), QStringLiteral("8:17"), true};
  }

  // A shown window of the edition, its drive picker on the first drive and the mode set.
  std::unique_ptr<TFormWebInstall> Fenster(TEdition Edition, int Modus = 2) {
    TWebInstallUmgebung u = Umgebung(Edition);
    u.Shell = Shell;
    u.Desktopverzeichnis = Desktop.Pfad().chopped(1);
    u.Laufwerke = [this] {
      ++Abfragen;
      if (NachAbfragen && Abfragen > NachAbfragen->first) return NachAbfragen->second;
      return Sticks;
    };
    auto f = std::make_unique<TFormWebInstall>(u);
    f->show();
    DriveWaehlen(*f, Sticks.isEmpty() ? -1 : 0);
    f->InstallationsmodusSetzen(Modus);
    f->OberflaecheAktualisieren();
    Shell->BeimStart = [this, w = f.get()] {
      SteuerungBeimStart = {w->ActionInstallieren->isEnabled(), w->ActionZielVerzeichniswahl->isEnabled(),
                            w->ComboBoxQVUSBLaufwerk->isEnabled(), w->RadioGroupInstallationsmodus->isEnabled()};
    };
    return f;
  }

  // Presses Install and lets a close that the run asked for happen.
  static void Ausfuehren(TFormWebInstall& f) {
    ASSERT_TRUE(f.ActionInstallieren->isEnabled());
    f.ActionInstallieren->trigger();
    QCoreApplication::processEvents();
  }

  QString Ziel() const { return Heim / "Kiro3_0001/"; }
  QString DesktopDatei(const char* Name) const { return Desktop / QString::fromUtf8(Name); }
  std::vector<QString> Gestartet() const { return Shell->Gestartet; }

  test::TAktualisierungsserver Aktualisierung;
  bool Bereit = false;
  QString Fehler;
  test::TempOrdner Stick, Desktop;
  QList<platform::TWechsellaufwerk> Sticks;
  int Abfragen = 0;
  // From the call after the first number on, the drive seam answers with the second.
  std::optional<std::pair<int, QList<platform::TWechsellaufwerk>>> NachAbfragen;
  std::shared_ptr<TAufzeichnendeShell> Shell = std::make_shared<TAufzeichnendeShell>();
  QStringList Boxen;
  std::vector<bool> SteuerungBeimStart;
};

// ---------------------------------------------------------------------------------------------
// The drive edition in its three modes.

struct ModusFall {
  const char* Name;
  int Modus;
  bool Englisch;
  bool AufRechner, AufStick;
  bool StartRechner;  // else the drive's copy
};

class LehrStickModi : public Installieren, public ::testing::WithParamInterface<ModusFall> {};

TEST_P(LehrStickModi, EntpackenVerknuepfungUndStart) {
  const ModusFall& c = GetParam();
  // A shortcut of an earlier install is replaced, or left alone when the computer is not installed.
  const QString eintrag = DesktopDatei("Kiro Lehr.desktop");
  Desktop.Schreiben("Kiro Lehr.desktop", "[Desktop Entry]\nName=alt\n");
  QFile::setPermissions(eintrag, QFile::ReadOwner | QFile::WriteOwner);

  auto f = Fenster(TEdition{.LehrStick = true}, c.Modus);
  if (c.Englisch) f->ActionEnglish->trigger();
  ASSERT_EQ(f->FVerzRechnerInst, Ziel());
  Ausfuehren(*f);

  const test::TDateibaum& baum = Aktualisierung.Baum("/db/lehr.7z");
  EXPECT_EQ(Server.Anfragen("/db/lehr.7z"), 1);
  if (c.AufRechner) EXPECT_EQ(baum.Unterschiede(Ziel()), "");
  else EXPECT_FALSE(QFileInfo::exists(Ziel()));
  // Folders come with their files; an empty folder of the archive is not made.
  EXPECT_FALSE(QFileInfo::exists((c.AufRechner ? Ziel() : Stick.Pfad()) + "Ausgabe"));
  if (c.AufStick) EXPECT_EQ(baum.Unterschiede(Stick.Pfad()), "");
  else EXPECT_TRUE(QDir(Stick.Pfad()).isEmpty());

  if (c.AufRechner) {
    EXPECT_EQ(test::Lesen(eintrag), DesktopEintrag("Kiro Lehr", "Kiro Lehr-Version", Ziel()));
    EXPECT_EQ(Modus(eintrag), 0755);
  } else {
    EXPECT_EQ(test::Lesen(eintrag), "[Desktop Entry]\nName=alt\n");
  }
  EXPECT_EQ(QDir(Desktop.Pfad()).entryList(QDir::Files | QDir::Hidden), QStringList{"Kiro Lehr.desktop"});

  EXPECT_EQ(Gestartet(), std::vector<QString>{(c.StartRechner ? Ziel() : Stick.Pfad()) + "KiroSim.exe"});
  // The run had the controls locked; the refresh at its end gave them back; then it closed.
  EXPECT_EQ(SteuerungBeimStart, (std::vector<bool>{false, false, false, false}));
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(Boxen.isEmpty());

  QStringList log{c.Englisch ? "Download complete" : "Download abgeschlossen"};
  if (c.AufRechner) log << (c.Englisch ? "Installing to " : "Installieren in ") + Ziel();
  if (c.AufStick) log << (c.Englisch ? "Installing on stick " : "Installieren auf Stick ") + Stick.Pfad();
  EXPECT_EQ(f->LogZeilen(), log);
}

INSTANTIATE_TEST_SUITE_P(Modi, LehrStickModi,
                         ::testing::Values(ModusFall{"StickUndRechner", 0, false, true, true, true},
                                           ModusFall{"NurStick", 1, false, false, true, false},
                                           ModusFall{"NurRechner", 2, false, true, false, true},
                                           ModusFall{"StickUndRechnerEnglisch", 0, true, true, true, true}),
                         [](const auto& i) { return std::string(i.param.Name); });

// An edition archive whose body never ends, into a temp folder of 64 MiB: Cancel is offered as
// for the stick build, stops the transfer, and its partial file goes, so the room is free again.
TEST_F(Installieren, AbbrechenBeendetEndlosesArchivUndEntferntDenTeil) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";
  const QByteArray temp = QFile::encodeName(Temp.Pfad());
  if (::mount("tmpfs", temp.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64m") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
  struct TAushaengen {
    QByteArray Pfad;
    ~TAushaengen() { ::umount2(Pfad.constData(), MNT_DETACH); }
  } aushaengen{temp};
  Server.Fehler("/db/lehr.7z", TFehlerbild{.Endlos = true});
  auto f = Fenster(TEdition{.Lehr = true});
  bool gedrueckt = false, angeboten = false;
  auto work = f->IdHTTPDateien->Work;
  f->IdHTTPDateien->Work = [&, work](qint64 n) {
    work(n);
    if (gedrueckt || n < (8 << 20)) return;
    gedrueckt = true;
    angeboten = f->ActionAbbrechen->isVisible();
    f->ActionAbbrechen->trigger();
  };
  Ausfuehren(*f);
  EXPECT_TRUE(gedrueckt);
  EXPECT_TRUE(angeboten) << "Cancel is shown during the download";
  EXPECT_FALSE(f->ActionAbbrechen->isVisible());
  EXPECT_FALSE(QFileInfo::exists(Temp / "stick.7z.part"));
  EXPECT_FALSE(QFileInfo::exists(Temp / "stick.7z"));
  struct statvfs sv {};
  ASSERT_EQ(::statvfs(temp.constData(), &sv), 0);
  EXPECT_GT(qint64(sv.f_bavail) * qint64(sv.f_frsize), qint64(63) << 20);
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download " + Temp / "stick.7z", "Download fehlgeschlagen: abgebrochen"}));
  EXPECT_FALSE(QFileInfo::exists(Ziel()));
  EXPECT_TRUE(Gestartet().empty());
  EXPECT_TRUE(f->isVisible());
}

// A device change during the download refills the picker, and the target may change: the run
// goes on with what it took at its start.
TEST_F(Installieren, LaufNimmtZielModusUndLaufwerkAmAnfang) {
  Server.Fehler("/db/lehr.7z", TFehlerbild{.BytesProSchritt = 8192, .PauseProSchrittMs = 25});
  auto f = Fenster(TEdition{.LehrStick = true}, 0);
  bool geaendert = false;
  QTimer::singleShot(60, f.get(), [&] {
    f->FVerzRechnerInst = Heim / "anderswo/";
    f->InstallationsmodusSetzen(2);
    DriveWaehlen(*f, -1);
    geaendert = true;
  });
  Ausfuehren(*f);
  ASSERT_TRUE(geaendert);
  const test::TDateibaum& baum = Aktualisierung.Baum("/db/lehr.7z");
  EXPECT_EQ(baum.Unterschiede(Ziel()), "");
  EXPECT_EQ(baum.Unterschiede(Stick.Pfad()), "");
  EXPECT_FALSE(QFileInfo::exists(Heim / "anderswo"));
  EXPECT_EQ(Gestartet(), std::vector<QString>{Ziel() + "KiroSim.exe"});
}

// ---------------------------------------------------------------------------------------------
// The computer editions.

TEST_F(Installieren, LehrOhneZielLaedtNurHerunter) {
  Sticks.clear();
  auto f = Fenster(TEdition{.Lehr = true});
  f->FVerzRechnerInst.clear();
  f->OberflaecheAktualisieren();
  Ausfuehren(*f);
  EXPECT_EQ(Server.Anfragen("/db/lehr.7z"), 1);
  EXPECT_EQ(f->LogZeilen(), QStringList{"Download abgeschlossen"});
  EXPECT_TRUE(QFileInfo::exists(Temp / "stick.7z"));
  EXPECT_TRUE(QDir(Heim.Pfad()).isEmpty());
  EXPECT_TRUE(QDir(Desktop.Pfad()).isEmpty());
  EXPECT_TRUE(Gestartet().empty());
  EXPECT_TRUE(f->isVisible());
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
}

TEST_F(Installieren, CBTAufDenRechner) {
  Sticks.clear();
  auto f = Fenster(TEdition{.CBT = true});
  Ausfuehren(*f);
  EXPECT_EQ(Server.Anfragen("/kirocbt/stick.7z"), 1);
  EXPECT_EQ(Server.Anfragen("/db/lehr.7z"), 0);
  EXPECT_EQ(Aktualisierung.Baum("/kirocbt/stick.7z").Unterschiede(Ziel()), "");
  EXPECT_EQ(test::Lesen(Ziel() + "KiroSim.exe"), "MZ KiroSim CBT edition\n");
  const QString eintrag = DesktopDatei("Kiro CBT.desktop");
  EXPECT_EQ(test::Lesen(eintrag), DesktopEintrag("Kiro CBT", "Kiro CBT-Version", Ziel()));
  EXPECT_EQ(Modus(eintrag), 0755);
  EXPECT_EQ(Gestartet(), std::vector<QString>{Ziel() + "KiroSim.exe"});
  EXPECT_FALSE(f->isVisible());
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download abgeschlossen", "Installieren in " + Ziel()}));
}

// ---------------------------------------------------------------------------------------------
// Failures: nothing of a failed download is unpacked, and only this run's copy is started.

TEST_F(Installieren, Archiv404MitAltemProgrammStartetNichts) {
  Server.Fehler("/db/lehr.7z", TFehlerbild{.Status = 404});
  // Left from an earlier install: programs in both targets and an archive in the temp folder.
  Heim.Schreiben("Kiro3_0001/KiroSim.exe", "alt");
  Stick.Schreiben("KiroSim.exe", "alt");
  test::TempOrdner alt;
  alt.Schreiben("alt.txt", "aus einem alten Archiv");
  ASSERT_TRUE(test::SiebenZipPacken(alt.Pfad(), Temp / "stick.7z"));

  auto f = Fenster(TEdition{.LehrStick = true}, 0);
  f->FVerzRechnerInst = Ziel();
  f->OberflaecheAktualisieren();
  Ausfuehren(*f);

  EXPECT_TRUE(Gestartet().empty());
  EXPECT_TRUE(f->isVisible());
  EXPECT_TRUE(QDir(Desktop.Pfad()).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Ziel() + "alt.txt"));
  EXPECT_FALSE(QFileInfo::exists(Stick / "alt.txt"));
  EXPECT_EQ(test::Lesen(Stick / "KiroSim.exe"), "alt");
  const QStringList log = f->LogZeilen();
  ASSERT_EQ(log.size(), 2);
  EXPECT_EQ(log[0], "Download " + Temp / "stick.7z");
  EXPECT_TRUE(log[1].startsWith("Download fehlgeschlagen: ")) << log[1].toStdString();
  EXPECT_TRUE(Boxen.isEmpty());
}

TEST_F(Installieren, ArchivOhneProgrammStartetDasAlteNicht) {
  test::TDateibaum baum = test::Editionsbaum("Lehr");
  baum.Dateien.erase("KiroSim.exe");
  ASSERT_TRUE(Aktualisierung.Archiv("/db/lehr.7z", baum, &Fehler)) << Fehler.toStdString();
  Heim.Schreiben("Kiro3_0001/KiroSim.exe", "alt");

  auto f = Fenster(TEdition{.Lehr = true});
  f->FVerzRechnerInst = Ziel();
  Ausfuehren(*f);
  EXPECT_EQ(baum.Unterschiede(Ziel()), "");
  EXPECT_TRUE(Gestartet().empty());
  EXPECT_TRUE(QDir(Desktop.Pfad()).isEmpty());
  EXPECT_TRUE(f->isVisible());
}

// Windows names ignore case: the program is started and linked under the name it has on disk,
// whether the archive spells it in capitals or an older copy in the target does.
TEST_F(Installieren, ProgrammInAndererSchreibweiseWirdGestartet) {
  struct Fall {
    const char* Name;
    const char* ImArchiv;
    const char* SchonDa;  // in the target before the run, or nullptr
    const char* AufDisk;
  };
  for (const Fall& c : {Fall{"archiv_gross", "KIROSIM.EXE", nullptr, "KIROSIM.EXE"},
                        Fall{"altes_klein", "KiroSim.exe", "kirosim.exe", "kirosim.exe"}}) {
    SCOPED_TRACE(c.Name);
    test::TDateibaum baum = test::Editionsbaum("CBT");
    baum.Dateien.erase("KiroSim.exe");
    baum.Dateien[QString::fromLatin1(c.ImArchiv)] = "MZ neu\n";
    ASSERT_TRUE(Aktualisierung.Archiv("/kirocbt/stick.7z", baum, &Fehler)) << Fehler.toStdString();
    QDir(Ziel()).removeRecursively();
    QDir(Desktop.Pfad()).removeRecursively();
    QDir().mkpath(Desktop.Pfad());
    if (c.SchonDa) Heim.Schreiben(QStringLiteral("Kiro3_0001/") + c.SchonDa, "alt");
    Shell->Gestartet.clear();
    Sticks.clear();
    auto f = Fenster(TEdition{.CBT = true});
    f->FVerzRechnerInst = Ziel();
    f->OberflaecheAktualisieren();
    Ausfuehren(*f);
    const QString programm = Ziel() + QString::fromLatin1(c.AufDisk);
    EXPECT_EQ(test::Lesen(programm), "MZ neu\n");
    EXPECT_EQ(Gestartet(), std::vector<QString>{programm});
    const QByteArray eintrag = test::Lesen(DesktopDatei("Kiro CBT.desktop"));
    EXPECT_TRUE(eintrag.contains(("Exec=xdg-open \"" + programm + "\"\n").toUtf8())) << eintrag.toStdString();
  }
}

struct SchadenFall {
  const char* Name;
  std::function<bool(const QString& Archiv)> Beschaedigen;
};

class BeschaedigtesArchiv : public Installieren, public ::testing::WithParamInterface<SchadenFall> {};

TEST_P(BeschaedigtesArchiv, KeineVerknuepfungKeinStartFensterBleibt) {
  // Served from a copy, so each case damages its own.
  const QString kopie = Aktualisierung.Arbeitsordner() / "beschaedigt.7z";
  ASSERT_TRUE(QFile::copy(Aktualisierung.ArchivDatei("/db/lehr.7z"), kopie));
  ASSERT_TRUE(GetParam().Beschaedigen(kopie));
  Server.SetzenDatei("/db/lehr.7z", kopie);

  auto f = Fenster(TEdition{.LehrStick = true}, 0);
  Ausfuehren(*f);
  EXPECT_EQ(Boxen.size(), 2) << Boxen.join(" | ").toStdString();
  EXPECT_TRUE(Gestartet().empty());
  EXPECT_TRUE(QDir(Desktop.Pfad()).isEmpty());
  EXPECT_TRUE(f->isVisible());
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download abgeschlossen", "Installieren in " + Ziel(),
                                         "Installieren auf Stick " + Stick.Pfad()}));
}

INSTANTIATE_TEST_SUITE_P(
    Schaeden, BeschaedigtesArchiv,
    ::testing::Values(SchadenFall{"ByteGekippt", [](const QString& a) { return test::ByteKippen(a, 40); }},
                      SchadenFall{"Abgeschnitten",
                                  [](const QString& a) { return test::Kuerzen(a, QFileInfo(a).size() / 2); }},
                      SchadenFall{"HtmlSeite",
                                  [](const QString& a) {
                                    QFile f(a);
                                    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                                           f.write("<html><body>Not here</body></html>") > 0;
                                  }}),
    [](const auto& i) { return std::string(i.param.Name); });

// A read-only target: the box gives the reason the folder could not be made and names that
// folder, whether the target itself is missing or only a folder below it.
// A small file system of its own at Ordner, removed lazily when the scope ends.
#define EIGENE_TMPFS(Ordner, Schalter, Optionen)                                                               \
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";                                 \
  QDir().mkpath(Ordner);                                                                                      \
  if (::mount("tmpfs", QFile::encodeName(Ordner).constData(), "tmpfs", MS_NOSUID | MS_NODEV | (Schalter),     \
              Optionen) != 0)                                                                                 \
    GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);                                         \
  const auto aushaengen = qScopeGuard([o = QString(Ordner)] { ::umount2(QFile::encodeName(o).constData(), MNT_DETACH); })

TEST_F(Installieren, SchreibgeschuetztesZielNenntDenGrund) {
  const QString platte = Heim / "nur-lesen/";
  EIGENE_TMPFS(platte, MS_RDONLY, "size=1m");
  const QString grund = QString::fromLocal8Bit(std::strerror(EROFS));
  const struct {
    QString Ziel, Ordner;
  } faelle[] = {{platte + "Kiro3_0001/", platte + "Kiro3_0001/"}, {platte, platte + "Daten"}};
  for (const auto& fall : faelle) {
    SCOPED_TRACE(fall.Ziel.toStdString());
    Boxen.clear();
    Sticks.clear();
    auto f = Fenster(TEdition{.CBT = true});
    f->FVerzRechnerInst = fall.Ziel;
    f->OberflaecheAktualisieren();
    Ausfuehren(*f);
    EXPECT_TRUE(Boxen.join('\n').contains("Cannot create folder \"" + fall.Ordner + "\". " + grund))
        << Boxen.join(" | ").toStdString();
    EXPECT_FALSE(Boxen.join('\n').contains(QString::fromLocal8Bit(std::strerror(ENOENT))));
    EXPECT_TRUE(Gestartet().empty());
  }
}

// A full temp folder: the line names the file and the system's reason.
TEST_F(Installieren, VollerTempOrdnerNenntDateiUndGrund) {
  EIGENE_TMPFS(Temp.Pfad(), 0, "size=16k");
  Sticks.clear();
  auto f = Fenster(TEdition{.CBT = true});
  Ausfuehren(*f);
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download " + Temp / "stick.7z",
                                         "Download fehlgeschlagen: " + Temp / "stick.7z.part: " +
                                             QString::fromLocal8Bit(std::strerror(ENOSPC))}))
      << f->LogZeilen().join(" | ").toStdString();
  EXPECT_TRUE(Gestartet().empty());
}

TEST_F(Installieren, FehlgeschlagenerStartWirdProtokolliertFensterBleibt) {
  Shell->Ergebnis = false;
  for (const char* sprache : {"Deutsch", "English"}) {
    SCOPED_TRACE(sprache);
    Shell->Gestartet.clear();
    auto f = Fenster(TEdition{.Lehr = true});
    f->FVerzRechnerInst = Ziel();
    if (QString(sprache) == "English") f->ActionEnglish->trigger();
    Ausfuehren(*f);
    const QString programm = Ziel() + "KiroSim.exe";
    EXPECT_EQ(Gestartet(), std::vector<QString>{programm});
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(QFileInfo::exists(DesktopDatei("Kiro Lehr.desktop")));
    EXPECT_EQ(f->LogZeilen().value(2), QString(sprache) == "English" ? "Could not start " + programm
                                                                     : programm + " konnte nicht gestartet werden");
  }
}

// ---------------------------------------------------------------------------------------------
// The drive is written only while it is the mounted device the run began with.

TEST_F(Installieren, NichtEingehaengtesLaufwerkWirdAbgelehnt) {
  Sticks = {platform::TWechsellaufwerk{"/dev/sdz1", "/dev/sdz1", "8:17", false}};
  for (const char* sprache : {"Deutsch", "English"}) {
    SCOPED_TRACE(sprache);
    auto f = Fenster(TEdition{.LehrStick = true}, 1);
    const bool englisch = QString(sprache) == "English";
    if (englisch) f->ActionEnglish->trigger();
    Ausfuehren(*f);
    EXPECT_EQ(f->LogZeilen(),
              (QStringList{englisch ? "Download complete" : "Download abgeschlossen",
                           englisch ? "Drive /dev/sdz1 is not mounted; installing needs a mounted drive"
                                    : "Laufwerk /dev/sdz1 ist nicht eingehängt; zum Installieren muss es eingehängt "
                                      "sein"}));
    EXPECT_TRUE(Gestartet().empty());
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(Boxen.isEmpty());
  }
}

class LaufwerkGewechselt : public Installieren, public ::testing::WithParamInterface<int> {};

TEST_P(LaufwerkGewechselt, VorDemSchreibenGeprueft) {
  platform::TWechsellaufwerk anderes = StickEintrag();
  anderes.Geraet = "/dev/sdy1";
  anderes.MajorMinor = "8:33";
  platform::TWechsellaufwerk ausgehaengt = StickEintrag();
  ausgehaengt.Eingehaengt = false;
  const QList<QList<platform::TWechsellaufwerk>> danach{{anderes}, {}, {ausgehaengt}};
  auto f = Fenster(TEdition{.LehrStick = true}, 0);
  // The run takes the drive from the picker and asks for the drives again just before it writes.
  NachAbfragen = std::make_pair(Abfragen, danach[GetParam()]);
  Ausfuehren(*f);
  EXPECT_TRUE(QDir(Stick.Pfad()).isEmpty());
  EXPECT_EQ(Aktualisierung.Baum("/db/lehr.7z").Unterschiede(Ziel()), "");
  EXPECT_EQ(Gestartet(), std::vector<QString>{Ziel() + "KiroSim.exe"});
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download abgeschlossen", "Installieren in " + Ziel(),
                                         "Laufwerk " + Stick.Pfad() +
                                             " ist nicht mehr dasselbe eingehängte Gerät; nichts wurde darauf "
                                             "geschrieben"}));
}

INSTANTIATE_TEST_SUITE_P(Wechsel, LaufwerkGewechselt, ::testing::Values(0, 1, 2), [](const auto& i) {
  return std::string(i.param == 0 ? "AnderesGeraet" : i.param == 1 ? "Entfernt" : "Ausgehaengt");
});

}  // namespace
