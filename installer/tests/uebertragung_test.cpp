#include "support/Fensterumgebung.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>

#include <QMouseEvent>
#include <QPlainTextEdit>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <chrono>
#include <climits>
#include <mutex>
#include <thread>

using namespace kiro;
using kiro::test::Fensterumgebung;
using kiro::test::TFehlerbild;

namespace {

class Uebertragung : public Fensterumgebung {
 protected:
  QString HostZeile() const { return QStringLiteral("Host:127.0.0.1  Port:%1").arg(Server.Port()); }
};

TEST_F(Uebertragung, ServertestMitDenKopfzeilenDesClients) {
  auto f = Fenster();
  // A proxy from the environment is never used: this one does not exist.
  qputenv("http_proxy", "http://127.0.0.1:9");
  qputenv("HTTP_PROXY", "http://127.0.0.1:9");
  const bool ok = f->ServerErreichbar();
  qunsetenv("http_proxy");
  qunsetenv("HTTP_PROXY");
  EXPECT_TRUE(ok);
  EXPECT_TRUE(f->LogZeilen().isEmpty());
  const auto log = Server.Protokoll();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Methode, "GET");
  EXPECT_EQ(log[0].Pfad, "/db/servertest.txt");
  EXPECT_EQ(log[0].Kopf("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
  EXPECT_EQ(log[0].Kopf("Accept"), "text/html, */*");
  EXPECT_EQ(log[0].Kopf("Content-Type"), "text/html");
  EXPECT_EQ(log[0].Kopf("Host"), QStringLiteral("127.0.0.1:%1").arg(Server.Port()).toStdString());
  EXPECT_EQ(log[0].Kopf("Range"), "");
  EXPECT_EQ(log[0].Kopf("Authorization"), "");
}

TEST_F(Uebertragung, Servertest404GibtKreuzHostzeileUndKeinInstall) {
  Server.Fehler("/db/servertest.txt", TFehlerbild{.Status = 404});
  auto f = Fenster(TEdition{true, false, false, false});
  f->show();
  EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_RotesKreuz");
  EXPECT_FALSE(f->ActionInstallieren->isEnabled());
  f->OberflaecheAktualisieren();
  // One host-and-port line per refresh, in both languages the same, each with its reason.
  f->ActionEnglish->trigger();
  f->OberflaecheAktualisieren();
  EXPECT_EQ(f->LogZeilen(), (QStringList{HostZeile(), "Grund: HTTP-Status 404", HostZeile(), "Grund: HTTP-Status 404",
                                         HostZeile(), "Reason: HTTP status 404"}));
}

TEST_F(Uebertragung, AndereStatuswerteZaehlenNichtAlsErfolg) {
  for (int status : {204, 206}) {
    Server.Fehler("/db/servertest.txt", TFehlerbild{.Status = status});
    EXPECT_TRUE(Fenster()->ServerErreichbar()) << status;
  }
  for (int status : {301, 302, 403, 500, 503}) {
    Server.Fehler("/db/servertest.txt", TFehlerbild{.Status = status});
    EXPECT_FALSE(Fenster()->ServerErreichbar()) << status;
  }
}

TEST_F(Uebertragung, VerbindungAbgelehnt) {
  const int port = Server.Port();
  Server.Beenden();
  auto f = Fenster(TEdition{false, false, false, true});
  QElapsedTimer uhr;
  uhr.start();
  f->show();
  EXPECT_LT(uhr.elapsed(), 4000);
  EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_RotesKreuz");
  EXPECT_FALSE(f->ActionInstallieren->isEnabled());
  EXPECT_EQ(f->LogZeilen(), (QStringList{QStringLiteral("Host:127.0.0.1  Port:%1").arg(port),
                                         "Grund: keine Verbindung zum Server möglich"}));
}

// What went wrong is said on the line after the Part's line, in the window's language: for the
// server test, an edition archive and a stick-build file alike.
TEST_F(Uebertragung, GrundDesFehlschlagsInDerSpracheDesFensters) {
  struct Fall {
    const char* Name;
    TFehlerbild Fehler;
    const char* Deutsch;
    const char* Englisch;
  };
  const QString keinServerDe =
      QStringLiteral("Kiro-Server konnte nicht erreicht werden. Evtl. besteht keine Internetverbindung.");
  const QString keinServerEn = QStringLiteral("No connection to the Kiro server. Maybe there is noc internet connection");
  Server.Setzen("/db/lehr.7z", QByteArray(1000, 'l'));
  Server.Setzen("/stick3/teil.001", QByteArray(1000, 't'));
  for (const Fall& c : {Fall{"404", {.Status = 404}, "HTTP-Status 404", "HTTP status 404"},
                        Fall{"stau", {.StauVorKopfMs = 9000}, "keine Daten seit 5000 ms", "no data for 5000 ms"}}) {
    for (const bool englisch : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (englisch ? " English" : " Deutsch"));
      const QString grund = englisch ? QStringLiteral("Reason: %1").arg(c.Englisch) : QStringLiteral("Grund: %1").arg(c.Deutsch);
      for (const char* pfad : {"/db/servertest.txt", "/db/lehr.7z", "/stick3/teil.001"}) Server.Fehler(pfad, c.Fehler);
      auto f = Fenster(TEdition{false, false, false, true});
      if (englisch) f->ActionEnglish->trigger();
      EXPECT_FALSE(f->ServerErreichbar());
      EXPECT_EQ(f->LogZeilen(), (QStringList{HostZeile(), grund}));

      f->RichEditLog->clear();
      QString archiv;
      EXPECT_FALSE(f->EditionsarchivLaden(1, archiv));
      EXPECT_EQ(f->LogZeilen().value(1), (englisch ? QStringLiteral("Download failed: %1").arg(c.Englisch)
                                                   : QStringLiteral("Download fehlgeschlagen: %1").arg(c.Deutsch)));

      f->RichEditLog->clear();
      f->FVerzRechnerInst = Heim / "Ziel/";
      EXPECT_FALSE(f->StickDateiLaden("teil.001"));
      // One file of many: the reason names it.
      const QString grundDatei = englisch ? QStringLiteral("Reason: teil.001: %1").arg(c.Englisch)
                                          : QStringLiteral("Grund: teil.001: %1").arg(c.Deutsch);
      EXPECT_EQ(f->LogZeilen(), (QStringList{englisch ? keinServerEn : keinServerDe, grundDatei}));
    }
  }
}

// A refused connection and a base URL without its scheme give their reason too, the German
// line in German.
TEST_F(Uebertragung, AbgelehnteVerbindungUndUrlOhneSchema) {
  const int port = Server.Port();
  Server.Beenden();
  {
    auto f = Fenster();
    EXPECT_FALSE(f->ServerErreichbar());
    EXPECT_EQ(f->LogZeilen().value(1), "Grund: keine Verbindung zum Server möglich");
    f->ActionEnglish->trigger();
    EXPECT_FALSE(f->ServerErreichbar());
    const QString en = f->LogZeilen().value(3);
    EXPECT_TRUE(en.startsWith("Reason: ") && en.contains(QStringLiteral("port %1").arg(port))) << en.toStdString();
  }
  TWebInstallUmgebung u = Umgebung();
  u.UpdateServer = QStringLiteral("127.0.0.1:%1").arg(port);
  TFormWebInstall f(u);
  EXPECT_FALSE(f.ServerErreichbar());
  EXPECT_EQ(f.LogZeilen().value(1),
            QStringLiteral("Grund: KIRO_UPDATE_SERVER \"127.0.0.1:%1\" beginnt nicht mit \"http://\" oder \"https://\"").arg(port));
  f.ActionEnglish->trigger();
  EXPECT_FALSE(f.ServerErreichbar());
  EXPECT_EQ(f.LogZeilen().value(3),
            QStringLiteral("Reason: KIRO_UPDATE_SERVER \"127.0.0.1:%1\" does not begin with \"http://\" or \"https://\"").arg(port));
}

TEST_F(Uebertragung, StandardportIst80) {
  TWebInstallUmgebung u = Umgebung();
  u.UpdateServer = "http://update.kiro.example";
  TFormWebInstall f(u);
  EXPECT_EQ(f.ServerHost(), "update.kiro.example");
  EXPECT_EQ(f.ServerPort(), 80);
  EXPECT_EQ(f.LabelKiroErreichbar->text(), "Verbindung zu update.kiro.example");
}

// The read time-out holds from the first request on: the server test, before any download.
TEST_F(Uebertragung, StauVorDenKopfzeilenEndetNachDemLeseZeitlimit) {
  Server.Fehler("/db/servertest.txt", TFehlerbild{.StauVorKopfMs = 9000});
  auto f = Fenster();
  QElapsedTimer uhr;
  uhr.start();
  EXPECT_FALSE(f->ServerErreichbar());
  // Ended by its own time-out, well before the server's stall would end it; a loaded machine
  // may add a little to the 5 s.
  EXPECT_GE(uhr.elapsed(), 4500);
  EXPECT_LT(uhr.elapsed(), 8000);
  EXPECT_EQ(f->LogZeilen(), (QStringList{HostZeile(), "Grund: keine Daten seit 5000 ms"}));
}

TEST_F(Uebertragung, StauMittenImArchivEndetNachDemLeseZeitlimit) {
  Server.Setzen("/db/lehr.7z", QByteArray(4000, 'a'));
  Server.Fehler("/db/lehr.7z", TFehlerbild{.StauNachKopfMs = 9000});
  auto f = Fenster();
  QString pfad;
  QElapsedTimer uhr;
  uhr.start();
  EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
  EXPECT_GE(uhr.elapsed(), 4500);
  EXPECT_LE(uhr.elapsed(), 5500);
  EXPECT_FALSE(QFileInfo::exists(pfad));
}

TEST_F(Uebertragung, EditionsarchiveLandenUnterStick7z) {
  const QByteArray lehr(200000, 'L'), cbt(1000, 'C');
  Server.Setzen("/db/lehr.7z", lehr);
  Server.Setzen("/kirocbt/stick.7z", cbt);
  auto f = Fenster();
  QString pfad;
  ASSERT_TRUE(f->EditionsarchivLaden(1, pfad));
  EXPECT_EQ(pfad, Temp / "stick.7z");
  EXPECT_EQ(test::Lesen(pfad), lehr);
  EXPECT_FALSE(QFileInfo::exists(pfad + ".part"));
  EXPECT_EQ(f->LogZeilen(), QStringList{"Download abgeschlossen"});

  f->ActionEnglish->trigger();
  ASSERT_TRUE(f->EditionsarchivLaden(2, pfad));
  EXPECT_EQ(test::Lesen(pfad), cbt) << "the other edition's archive replaces the first";
  EXPECT_EQ(f->LogZeilen(), (QStringList{"Download abgeschlossen", "Download complete"}));
  EXPECT_EQ(Server.Anfragen("/db/lehr.7z"), 1);
  EXPECT_EQ(Server.Anfragen("/kirocbt/stick.7z"), 1);
}

TEST_F(Uebertragung, GrossesArchivAusEinerDateiDesServers) {
  QByteArray inhalt(3 * 1024 * 1024 + 17, '\0');
  for (qsizetype i = 0; i < inhalt.size(); ++i) inhalt[i] = char((i * 7919) >> 3);
  Server.SetzenDatei("/kirocbt/stick.7z", Heim.Schreiben("server/stick.7z", inhalt));
  auto f = Fenster();
  QString pfad;
  ASSERT_TRUE(f->EditionsarchivLaden(2, pfad));
  EXPECT_TRUE(test::Lesen(pfad) == inhalt);
}

struct ArchivFehler {
  const char* Name;
  TFehlerbild Fehler;
  bool Vorhanden;
};

class Archivfehler : public Uebertragung, public ::testing::WithParamInterface<ArchivFehler> {};

// A failed archive never leaves a "stick.7z" behind to be unpacked: not this one, not an old one.
TEST_P(Archivfehler, NurVollstaendigWirdUmbenannt) {
  Temp.Schreiben("stick.7z", "altes Archiv");
  if (GetParam().Vorhanden) Server.Setzen("/db/lehr.7z", QByteArray(100000, 'n'));
  Server.Fehler("/db/lehr.7z", GetParam().Fehler);
  auto f = Fenster();
  QString pfad;
  EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
  EXPECT_EQ(pfad, Temp / "stick.7z") << "the path is given in every case";
  EXPECT_FALSE(QFileInfo::exists(pfad));
  const QStringList log = f->LogZeilen();
  ASSERT_EQ(log.size(), 2);
  EXPECT_EQ(log[0], "Download " + pfad);
  EXPECT_TRUE(log[1].startsWith("Download fehlgeschlagen: ")) << log[1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Faelle, Archivfehler,
                         ::testing::Values(ArchivFehler{"fehlt", {}, false},
                                           ArchivFehler{"status404", {.Status = 404}, true},
                                           ArchivFehler{"status500", {.Status = 500}, true},
                                           ArchivFehler{"abgeschnitten", {.Abgeschnitten = true}, true}),
                         [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Uebertragung, AbgeschnittenesArchivBleibtAlsPartMitDemAngekommenen) {
  Server.Setzen("/db/lehr.7z", QByteArray(100000, 'n'));
  Server.Fehler("/db/lehr.7z", TFehlerbild{.Abgeschnitten = true});
  auto f = Fenster();
  QString pfad;
  EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
  EXPECT_EQ(test::Lesen(pfad + ".part"), QByteArray(50000, 'n'));
  f->ActionEnglish->trigger();
  EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
  EXPECT_TRUE(f->LogZeilen().last().startsWith("Download failed: "));
}

TEST_F(Uebertragung, FortschrittBeginnArbeitEndeInDieserFolge) {
  const QByteArray inhalt(64 * 1024, 'p');
  Server.Setzen("/db/lehr.7z", inhalt);
  Server.Fehler("/db/lehr.7z", TFehlerbild{.BytesProSchritt = 8 * 1024, .PauseProSchrittMs = 40});
  auto f = Fenster();
  f->show();
  struct Ereignis {
    char Art;
    qint64 Wert;
    int Balkenmax, Balkenwert;
  };
  std::vector<Ereignis> folge;
  auto* c = f->IdHTTPDateien.get();
  auto begin = c->WorkBegin;
  auto work = c->Work;
  auto end = c->WorkEnd;
  c->WorkBegin = [&, begin](qint64 m) {
    begin(m);
    folge.push_back({'B', m, f->ProgressBarInstaller->maximum(), f->ProgressBarInstaller->value()});
  };
  c->Work = [&, work](qint64 n) {
    work(n);
    folge.push_back({'W', n, f->ProgressBarInstaller->maximum(), f->ProgressBarInstaller->value()});
  };
  c->WorkEnd = [&, end] {
    end();
    folge.push_back({'E', 0, f->ProgressBarInstaller->maximum(), f->ProgressBarInstaller->value()});
  };
  // Events posted before the transfer are handled while it runs: the window repaints.
  bool zwischendurch = false;
  std::size_t gesehenBei = 0;
  QTimer::singleShot(0, f.get(), [&] {
    zwischendurch = true;
    gesehenBei = folge.size();
  });
  QString pfad;
  ASSERT_TRUE(f->EditionsarchivLaden(1, pfad));
  ASSERT_GE(folge.size(), 4u);
  EXPECT_EQ(folge.front().Art, 'B');
  EXPECT_EQ(folge.front().Wert, inhalt.size());
  EXPECT_EQ(folge.front().Balkenmax, inhalt.size());
  EXPECT_EQ(folge.back().Art, 'E');
  EXPECT_EQ(folge.back().Balkenwert, 0);
  qint64 vorher = 0;
  for (std::size_t i = 1; i + 1 < folge.size(); ++i) {
    EXPECT_EQ(folge[i].Art, 'W');
    EXPECT_GT(folge[i].Wert, vorher);
    EXPECT_EQ(folge[i].Balkenwert, folge[i].Wert) << "the bar moves with the bytes";
    vorher = folge[i].Wert;
  }
  EXPECT_EQ(vorher, inhalt.size());
  EXPECT_TRUE(zwischendurch);
  EXPECT_LT(gesehenBei, folge.size() - 1) << "handled before the transfer ended";
}

TEST_F(Uebertragung, BalkenZeigtGrosseZaehlerRichtig) {
  auto f = Fenster();
  struct Fall {
    qint64 Max, Anzahl;
  };
  const qint64 GiB = qint64(1) << 30;
  for (const Fall& c : {Fall{1000, 250}, Fall{INT_MAX, INT_MAX / 2}, Fall{2 * GiB, GiB}, Fall{5 * GiB, 4 * GiB},
                        Fall{qint64(1) << 62, qint64(1) << 61}, Fall{3 * GiB, 3 * GiB}}) {
    f->IdHTTPDateienWorkBegin(c.Max);
    f->IdHTTPDateienWork(c.Anzahl);
    const QProgressBar* b = f->ProgressBarInstaller;
    EXPECT_GT(b->maximum(), 0);
    EXPECT_EQ(b->minimum(), 0);
    EXPECT_NEAR(double(b->value()) / b->maximum(), double(c.Anzahl) / double(c.Max), 1e-6) << c.Max;
    f->IdHTTPDateienWorkEnd();
    EXPECT_EQ(b->value(), 0);
  }
  // Without a length the bar shows it is busy and comes back to rest at the end.
  f->IdHTTPDateienWorkBegin(0);
  f->IdHTTPDateienWork(12345);
  EXPECT_EQ(f->ProgressBarInstaller->maximum(), 0);
  f->IdHTTPDateienWorkEnd();
  EXPECT_GT(f->ProgressBarInstaller->maximum(), 0);
}

TEST_F(Uebertragung, StickdateiImArbeitsordner) {
  Server.Setzen("/stick3/StickDateien.script.xml", "<Kiro/>");
  auto f = Fenster(TEdition{false, false, false, true});
  f->FVerzRechnerInst = Heim / "Ziel/";
  EXPECT_TRUE(f->StickDateiLaden("StickDateien.script.xml"));
  EXPECT_EQ(test::Lesen(Heim / "Ziel/KiroStick35/StickDateien.script.xml"), "<Kiro/>");
  EXPECT_FALSE(f->Abbrechen);
  EXPECT_TRUE(f->LogZeilen().isEmpty());
}

// Where the server failed, the line says so; where this computer failed (a refused name, a
// folder that cannot hold the file, a full disk), the line names the file and the reason.
TEST_F(Uebertragung, StickdateiFehlerGibtEineZeileUndAbbrechen) {
  struct Fall {
    const char* Name;
    const char* Datei;
    TFehlerbild Fehler;
    const char* Sprache;
    const char* Zeile;  // nullptr: the server line and its reason; else the local line's start after "Download ..."
    const char* Grund;
  };
  Server.Setzen("/stick3/teil.001", QByteArray(3000, 't'));
  Server.Setzen("/stick3/unter/teil.002", "x");
  const QString arbeit = Heim / "Ziel/KiroStick35/";
  for (const Fall& c :
       {Fall{"404", "fehlt.002", {}, "Deutsch", nullptr, "Grund: fehlt.002: HTTP-Status 404"},
        Fall{"404_en", "fehlt.002", {}, "English", nullptr, "Reason: fehlt.002: HTTP status 404"},
        Fall{"abgeschnitten", "teil.001", {.Abgeschnitten = true}, "Deutsch", nullptr,
             "Grund: teil.001: Antwort unvollständig"},
        Fall{"unterordner_fehlt", "unter/teil.002", {}, "Deutsch", "unter/teil.002", "No such file or directory"},
        Fall{"unterordner_fehlt_en", "unter/teil.002", {}, "English", "unter/teil.002", "No such file or directory"},
        Fall{"ausserhalb", "../../boese.txt", {}, "Deutsch", "", "../../boese.txt: file name refused"}}) {
    SCOPED_TRACE(c.Name);
    Server.Fehler("/stick3/teil.001", c.Fehler);
    auto f = Fenster(TEdition{false, false, false, true});
    const bool englisch = QString(c.Sprache) == "English";
    if (englisch) f->ActionEnglish->trigger();
    f->FVerzRechnerInst = Heim / "Ziel/";
    EXPECT_FALSE(f->StickDateiLaden(c.Datei));
    EXPECT_TRUE(f->Abbrechen);
    QStringList zeilen;
    if (!c.Zeile)
      zeilen << (englisch ? "No connection to the Kiro server. Maybe there is noc internet connection"
                          : "Kiro-Server konnte nicht erreicht werden. Evtl. besteht keine Internetverbindung.")
             << QString::fromUtf8(c.Grund);
    else
      zeilen << QString(englisch ? "Download failed: " : "Download fehlgeschlagen: ") +
                    (*c.Zeile ? arbeit + c.Zeile + ": " : QString()) + c.Grund;
    EXPECT_EQ(f->LogZeilen(), zeilen) << zeilen.join('|').toStdString() << " / " << f->LogZeilen().join('|').toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(Heim / "boese.txt"));
  EXPECT_FALSE(QFileInfo::exists(Heim.Pfad() + "../boese.txt"));
  EXPECT_EQ(test::Lesen(Heim / "Ziel/KiroStick35/fehlt.002"), "") << "an error page is never stored";
}

// A write that fails during the download (here: the process's file-size limit, as a full disk
// would) and a work folder that cannot be made are this computer's failures, not the server's.
TEST_F(Uebertragung, StickdateiLokalerSchreibfehlerNenntDateiUndGrund) {
  Server.Setzen("/stick3/teil.001", QByteArray(256 * 1024, 't'));
  {
    auto f = Fenster(TEdition{false, false, false, true});
    f->FVerzRechnerInst = Heim / "Ziel/";
    rlimit alt{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &alt), 0);
    const auto vorher = std::signal(SIGXFSZ, SIG_IGN);
    rlimit eng = alt;
    eng.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &eng), 0);
    const bool ok = f->StickDateiLaden("teil.001");
    ::setrlimit(RLIMIT_FSIZE, &alt);
    std::signal(SIGXFSZ, vorher);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(f->Abbrechen);
    EXPECT_EQ(f->LogZeilen(), QStringList{"Download fehlgeschlagen: " + Heim / "Ziel/KiroStick35/teil.001" + ": " +
                                          QString::fromLocal8Bit(std::strerror(EFBIG))});
  }
  {
    Heim.Schreiben("Ziel2/KiroStick35", "eine Datei, kein Ordner");
    auto f = Fenster(TEdition{false, false, false, true});
    f->ActionEnglish->trigger();
    f->FVerzRechnerInst = Heim / "Ziel2/";
    EXPECT_FALSE(f->StickDateiLaden("teil.001"));
    EXPECT_EQ(f->LogZeilen(), QStringList{"Download failed: " + Heim / "Ziel2/KiroStick35/teil.001" + ": " +
                                          QString::fromLocal8Bit(std::strerror(ENOTDIR))});
  }
  EXPECT_EQ(Server.Anfragen("/stick3/teil.001"), 1) << "no request when the file cannot even be opened";
}

TEST_F(Uebertragung, ErsteAntwortVerdorbenDannGut) {
  Server.Setzen("/stick3/teil.001", "ABCDEF");
  Server.Fehler("/stick3/teil.001", TFehlerbild{.VerdorbeneAntworten = 1});
  auto f = Fenster(TEdition{false, false, false, true});
  f->FVerzRechnerInst = Heim / "Ziel/";
  ASSERT_TRUE(f->StickDateiLaden("teil.001"));
  EXPECT_NE(test::Lesen(Heim / "Ziel/KiroStick35/teil.001"), "ABCDEF");
  ASSERT_TRUE(f->StickDateiLaden("teil.001"));
  EXPECT_EQ(test::Lesen(Heim / "Ziel/KiroStick35/teil.001"), "ABCDEF");
  EXPECT_EQ(Server.Anfragen("/stick3/teil.001"), 2);
}

// A refresh or a device change that arrives during a transfer waits for its end: the client
// never runs two requests at once.
TEST_F(Uebertragung, WaehrendDerUebertragungStartetKeineZweiteAnfrage) {
  Server.Setzen("/db/lehr.7z", QByteArray(32 * 1024, 'z'));
  Server.Fehler("/db/lehr.7z", TFehlerbild{.BytesProSchritt = 4096, .PauseProSchrittMs = 30});
  auto f = Fenster(TEdition{true, false, false, false});
  std::vector<std::string> folge;
  bool einmal = false;
  auto work = f->IdHTTPDateien->Work;
  f->IdHTTPDateien->Work = [&, work](qint64 n) {
    work(n);
    if (einmal) return;
    einmal = true;
    f->OberflaecheAktualisieren();
    f->NachUebertragung([&] { folge.push_back("geraet"); });
    folge.push_back("waehrend:" + std::to_string(Server.Anfragen("/db/servertest.txt")));
  };
  QString pfad;
  {
    TFormWebInstall::TLaufSperre sperre(*f);
    ASSERT_TRUE(f->EditionsarchivLaden(1, pfad));
    folge.push_back("danach:" + std::to_string(Server.Anfragen("/db/servertest.txt")));
    EXPECT_FALSE(f->ActionInstallieren->isEnabled()) << "the deferred refresh keeps the run's lock";
  }
  EXPECT_EQ(folge, (std::vector<std::string>{"waehrend:0", "geraet", "danach:1"}));
  EXPECT_TRUE(f->ActionInstallieren->isEnabled());
}

TEST_F(Uebertragung, SchliessenWaehrendDerUebertragungWartetAufIhrEnde) {
  Server.Setzen("/db/lehr.7z", QByteArray(16 * 1024, 'z'));
  Server.Fehler("/db/lehr.7z", TFehlerbild{.BytesProSchritt = 4096, .PauseProSchrittMs = 30});
  auto f = Fenster(TEdition{true, false, false, false});
  f->show();
  bool offenWaehrend = false;
  auto work = f->IdHTTPDateien->Work;
  f->IdHTTPDateien->Work = [&, work](qint64 n) {
    work(n);
    f->close();
    offenWaehrend = f->isVisible();
  };
  QString pfad;
  EXPECT_TRUE(f->EditionsarchivLaden(1, pfad));
  EXPECT_TRUE(offenWaehrend);
  EXPECT_EQ(test::Lesen(pfad).size(), 16 * 1024);
  QApplication::processEvents();
  EXPECT_FALSE(f->isVisible());
}

// Close pressed during a transfer says when the window closes and offers Cancel; Cancel ends
// the transfer at once, its partial file goes, and the window closes.
TEST_F(Uebertragung, SchliessenWaehrendDerUebertragungSagtEsUndBietetAbbrechen) {
  for (const bool englisch : {false, true}) {
    SCOPED_TRACE(englisch);
    Server.Setzen("/db/lehr.7z", QByteArray(1 << 20, 'z'));
    Server.Fehler("/db/lehr.7z", TFehlerbild{.BytesProSchritt = 4096, .PauseProSchrittMs = 30});
    auto f = Fenster(TEdition{true, false, false, false});
    f->show();
    if (englisch) f->ActionEnglish->trigger();
    f->RichEditLog->clear();
    int schritte = 0;
    bool abbrechenAngeboten = false;
    QString zeile;
    auto work = f->IdHTTPDateien->Work;
    f->IdHTTPDateien->Work = [&, work](qint64 n) {
      work(n);
      if (++schritte == 2) {
        f->ActionSchliessen->trigger();
        zeile = f->LogZeilen().value(f->LogZeilen().size() - 1);
        abbrechenAngeboten = f->ActionAbbrechen->isVisible();
      } else if (schritte == 4) {
        f->ActionAbbrechen->trigger();
      }
    };
    QString pfad;
    QElapsedTimer uhr;
    uhr.start();
    EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
    EXPECT_LT(uhr.elapsed(), 3000) << "Cancel ended the transfer";
    EXPECT_EQ(zeile, englisch ? "The window closes when the transfer has ended. Cancel ends it now."
                              : "Das Fenster schließt, sobald die Übertragung beendet ist. Abbrechen beendet sie sofort.");
    EXPECT_TRUE(abbrechenAngeboten);
    EXPECT_FALSE(QFileInfo::exists(pfad + ".part"));
    EXPECT_FALSE(QFileInfo::exists(pfad));
    QApplication::processEvents();
    EXPECT_FALSE(f->isVisible());
    Server.Fehler("/db/lehr.7z", TFehlerbild{});
  }
}

// A server test whose body never ends is stopped: the light shows the cross with the reason,
// and no second test starts.
TEST_F(Uebertragung, EndloserServertestEndetMitGrund) {
  Server.Fehler("/db/servertest.txt", TFehlerbild{.Endlos = true});
  auto f = Fenster(TEdition{true, false, false, false});
  // Saves the test from a refresh that would never end.
  QTimer retter;
  retter.setSingleShot(true);
  QObject::connect(&retter, &QTimer::timeout, f.get(), [&] { f->IdHTTPDateien->Abbrechen(); });
  retter.start(20000);
  QElapsedTimer uhr;
  uhr.start();
  f->show();
  EXPECT_LT(uhr.elapsed(), 5000);
  EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_RotesKreuz");
  EXPECT_FALSE(f->ActionInstallieren->isEnabled());
  EXPECT_EQ(f->LogZeilen(), (QStringList{HostZeile(), "Grund: mehr Daten als erlaubt"}));
  EXPECT_EQ(Server.Anfragen("/db/servertest.txt"), 1);
}

// A server that sends a little and then nothing: the time-out counts from the last byte, not
// from an average over the transfer.
TEST_F(Uebertragung, StauNachErstenBytesEndetFuenfSekundenNachDemLetzten) {
  Server.Setzen("/db/lehr.7z", QByteArray(4096, 'a'));
  Server.Fehler("/db/lehr.7z", TFehlerbild{.StauNachKopfMs = 0, .BytesProSchritt = 1024, .PauseProSchrittMs = 9000});
  auto f = Fenster();
  qint64 letztesByte = -1;
  QElapsedTimer uhr;
  auto work = f->IdHTTPDateien->Work;
  f->IdHTTPDateien->Work = [&, work](qint64 n) {
    work(n);
    letztesByte = uhr.elapsed();
  };
  QString pfad;
  uhr.start();
  EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
  ASSERT_GE(letztesByte, 0);
  EXPECT_GE(uhr.elapsed() - letztesByte, 4500);
  EXPECT_LE(uhr.elapsed() - letztesByte, 5500);
}

// While a transfer stalls, the window takes a click as it comes: clicks are posted from another
// thread, as the window system would deliver them, and their handling is timed.
TEST_F(Uebertragung, FensterAntwortetWaehrendEinerGestautenUebertragung) {
  Server.Setzen("/db/lehr.7z", QByteArray(4000, 'a'));
  Server.Fehler("/db/lehr.7z", TFehlerbild{.StauNachKopfMs = 9000});
  auto f = Fenster(TEdition{true, false, false, false});
  f->show();
  QToolButton* knopf = f->SpeedButtonEnglish;
  using Uhr = std::chrono::steady_clock;
  std::mutex sperre;
  std::vector<Uhr::time_point> gesendet;
  std::vector<qint64> verzoegerungMs;
  QObject::connect(knopf, &QAbstractButton::clicked, f.get(), [&] {
    std::lock_guard l(sperre);
    if (verzoegerungMs.size() < gesendet.size())
      verzoegerungMs.push_back(
          std::chrono::duration_cast<std::chrono::milliseconds>(Uhr::now() - gesendet[verzoegerungMs.size()]).count());
  });
  std::atomic<bool> ende = false;
  const QPoint mitte = knopf->rect().center();
  auto behandelt = [&] {
    std::lock_guard l(sperre);
    return verzoegerungMs.size() == gesendet.size();
  };
  // One click at a time: each delay is measured alone.
  std::thread klicker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    while (!ende) {
      {
        std::lock_guard l(sperre);
        gesendet.push_back(Uhr::now());
      }
      for (QEvent::Type art : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const auto knoepfe = art == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QCoreApplication::postEvent(knopf, new QMouseEvent(art, QPointF(mitte), knopf->mapToGlobal(QPointF(mitte)),
                                                           Qt::LeftButton, knoepfe, Qt::NoModifier));
      }
      while (!ende && !behandelt()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  });
  QString pfad;
  QElapsedTimer uhr;
  uhr.start();
  EXPECT_FALSE(f->EditionsarchivLaden(1, pfad));
  const qint64 dauer = uhr.elapsed();
  ende = true;
  klicker.join();
  QApplication::processEvents();
  EXPECT_GE(dauer, 4500);
  EXPECT_LE(dauer, 5500);
  std::lock_guard l(sperre);
  ASSERT_GE(verzoegerungMs.size(), 5u);
  // Waiting on the transfer would hold a click for up to a second (libcurl's idle callback);
  // a loaded machine may delay a single one by its scheduling, so the typical click is held to
  // 100 ms and none may wait half a second.
  std::vector<qint64> sortiert = verzoegerungMs;
  std::sort(sortiert.begin(), sortiert.end());
  EXPECT_LT(sortiert[sortiert.size() / 2], 100) << "the typical click waited for the transfer";
  EXPECT_LT(sortiert.back(), 500) << "a click waited for the transfer";
  EXPECT_EQ(f->Sprache, "English");
}

// The first refresh's server test waits for a slow server: until its answer, nothing can start
// (a click then would have met the running request), and the light follows the answer.
TEST_F(Uebertragung, LangsamerServertestSperrtBisZurAntwort) {
  struct Fall {
    const char* Name;
    TEdition Edition;
  };
  for (const Fall& c : {Fall{"Lehr", {true, false, false, false}}, Fall{"LehrStick", {false, false, true, false}},
                        Fall{"HeimStick", {false, false, false, true}}}) {
    SCOPED_TRACE(c.Name);
    Server.ProtokollLeeren();
    Server.Fehler("/db/servertest.txt", TFehlerbild{.StauVorKopfMs = 1500});
    Laufwerke = QStringList{Heim / "stick/"};
    bool gefragt = false;
    OrdnerWaehlen = [&](const QString&) {
      gefragt = true;
      return QString();
    };
    auto f = Fenster(c.Edition);
    f->InstallationsmodusSetzen(2);
    DriveWaehlen(*f, 0);
    struct Stand {
      bool Installieren, Formatieren, Ziel;
      QString Licht;
    };
    std::vector<Stand> waehrend;
    for (int ms : {200, 700, 1200}) {
      QTimer::singleShot(ms, f.get(), [&] {
        waehrend.push_back({f->ActionInstallieren->isEnabled(), f->ActionFormatieren->isEnabled(),
                            f->ActionZielVerzeichniswahl->isEnabled(), f->VirtualImageKiroErreichbar->ImageName()});
        f->BitBtnInstallieren->click();
        f->ActionInstallierenExecute();
        f->BitBtnZielVerzeichniswahl->click();
        f->ActionZielVerzeichniswahlExecute();
      });
    }
    f->show();
    ASSERT_EQ(waehrend.size(), 3u) << "the window handled events while it waited";
    for (const Stand& s : waehrend) {
      EXPECT_FALSE(s.Installieren);
      EXPECT_FALSE(s.Formatieren);
      EXPECT_FALSE(s.Ziel);
      EXPECT_EQ(s.Licht, "icon_RotesKreuz");
    }
    EXPECT_FALSE(gefragt);
    EXPECT_TRUE(f->LogZeilen().isEmpty()) << f->LogZeilen().join('|').toStdString();
    const auto log = Server.Protokoll();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].Pfad, "/db/servertest.txt");
    EXPECT_EQ(f->VirtualImageKiroErreichbar->ImageName(), "icon_hakengruen1");
    EXPECT_TRUE(f->ActionInstallieren->isEnabled());
    EXPECT_TRUE(f->ActionZielVerzeichniswahl->isEnabled());
  }
}

// An update server over TLS: the certificate and the host name are checked, only the scheme of
// the configured base URL is spoken.
TEST(UebertragungTls, HttpsMitGeprueftemZertifikat) {
  test::TempOrdner gut, fremd;
  QString fehler;
  ASSERT_TRUE(test::TlsZertifikatErzeugen(gut.Pfad(), "IP:127.0.0.1", &fehler)) << fehler.toStdString();
  ASSERT_TRUE(test::TlsZertifikatErzeugen(fremd.Pfad(), "DNS:anders.example", &fehler)) << fehler.toStdString();
  test::HttpServer server(gut / "zertifikat.pem", gut / "schluessel.pem");
  test::HttpServer falscherName(fremd / "zertifikat.pem", fremd / "schluessel.pem");
  server.Setzen("/db/servertest.txt", "ok");
  falscherName.Setzen("/db/servertest.txt", "ok");
  const QString url = server.BasisUrl() + "/db/servertest.txt";
  ASSERT_TRUE(url.startsWith("https://"));
  struct Fall {
    const char* Name;
    QString Url;
    QString Zertifikate;
    bool Erfolg;
  };
  for (const Fall& c : {Fall{"vertraut", url, gut / "zertifikat.pem", true},
                        Fall{"systemspeicher", url, "", false},
                        Fall{"falscher_name", falscherName.BasisUrl() + "/db/servertest.txt", fremd / "zertifikat.pem", false},
                        Fall{"http_auf_tls", QString(url).replace("https://", "http://"), gut / "zertifikat.pem", false},
                        Fall{"anderes_schema", QString(url).replace("https://", "ftp://"), gut / "zertifikat.pem", false}}) {
    SCOPED_TRACE(c.Name);
    THttpClient client;
    client.Zertifikatsdatei = c.Zertifikate;
    QByteArray text;
    THttpFehler grund;
    EXPECT_EQ(client.HolenText(c.Url, &text, &grund), c.Erfolg) << grund.Englisch().toStdString();
    if (c.Erfolg) {
      EXPECT_EQ(text, "ok");
    }
  }

  // The window with an https base URL: the light, the host line and a download.
  TFormInfo info;
  test::TempOrdner heim, temp;
  server.Setzen("/db/lehr.7z", QByteArray(70000, 'L'));
  TWebInstallUmgebung u;
  u.Basisverzeichnis = heim.Pfad();
  u.TempVerzeichnis = temp.Pfad();
  u.UpdateServer = server.BasisUrl();
  u.Edition.Lehr = true;
  u.InternetVerbunden = [] { return true; };
  TFormWebInstall f(u);
  f.IdHTTPDateien->Zertifikatsdatei = gut / "zertifikat.pem";
  f.show();
  EXPECT_EQ(f.VirtualImageKiroErreichbar->ImageName(), "icon_hakengruen1");
  EXPECT_EQ(f.ServerPort(), server.Port());
  QString pfad;
  EXPECT_TRUE(f.EditionsarchivLaden(1, pfad));
  EXPECT_EQ(test::Lesen(pfad), QByteArray(70000, 'L'));
}

}  // namespace
