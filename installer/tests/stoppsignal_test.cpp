// A stop signal (a logout, kill, Ctrl+C) ends Paketlader wherever it is: in the server test with
// a device change waiting behind it, in a download, while the master file is joined, unpacked or
// checked. The real program is started against a loopback server that misbehaves; the points
// inside a stick build, which only a click on Install reaches, are met by the real window in
// this process with the real signal sent to it.
#include "support/AufzeichnendeShell.h"
#include "support/Fensterumgebung.h"

#include "foundation/Meldung.h"
#include "installer/Stoppsignale.h"
#include "testsupport/Aktualisierungsserver.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace kiro;
using kiro::test::TFehlerbild;

namespace {

constexpr int kSignale[] = {SIGTERM, SIGINT, SIGHUP};
// After the signal the program has this long to be gone.
constexpr int kFristMs = 5000;

// The three ways the server misbehaves at the point where the signal comes. Each holds the
// transfer there for longer than the program has to end: the stall outlasts the deadline, the
// endless body and the cut one trickle in (1 KiB each 50 ms) until their end.
struct TStoerung {
  const char* Name;
  TFehlerbild Fehler;
};
const TStoerung kStoerungen[] = {
    {"stalls", TFehlerbild{.StauNachKopfMs = 8000}},
    {"never ends its body", TFehlerbild{.BytesProSchritt = 1024, .PauseProSchrittMs = 50, .Endlos = true}},
    {"closes mid-answer", TFehlerbild{.Abgeschnitten = true, .BytesProSchritt = 1024, .PauseProSchrittMs = 50}},
};

// A mount that comes and goes: the device change the program sees in its mount table. "" when
// done, else why it could not be made.
std::string EinhaengenUndAushaengen(const QString& Ordner) {
  QDir().mkpath(Ordner);
  const QByteArray pfad = QFile::encodeName(Ordner);
  if (::mount("tmpfs", pfad.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") != 0) return std::strerror(errno);
  QThread::msleep(300);
  ::umount2(pfad.constData(), MNT_DETACH);
  QThread::msleep(300);
  return {};
}

// ---------------------------------------------------------------------------------------------
// The real program: its first refresh's server test hangs, a device change waits behind it.

TEST(StoppsignalProgramm, EndetImServertestAuchMitWartenderGeraeteaenderung) {
  const QString programm = QCoreApplication::applicationDirPath() + "/Paketlader";
  ASSERT_TRUE(QFileInfo(programm).isExecutable()) << programm.toStdString();
  const bool root = ::geteuid() == 0;
  int k = 0;
  for (const bool aenderung : {false, true}) {
    for (const int signal : kSignale) {
      {
        // The faults take turns, so each meets a signal with and without a change.
        const TStoerung& s = kStoerungen[k++ % 3];
        SCOPED_TRACE(std::string(s.Name) + (aenderung ? ", change waiting" : "") + ", " + strsignal(signal));
        if (aenderung && !root) {
          std::cout << "device change skipped: making a mount needs root\n";
          continue;
        }
        test::HttpServer server;
        server.Setzen("/db/servertest.txt", QByteArray(64 << 10, 'o'));
        server.Fehler("/db/servertest.txt", s.Fehler);
        test::TempOrdner t;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", t.Pfad());
        env.insert("HOME", t / "home");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KIRO_UPDATE_SERVER", server.BasisUrl());
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + t / "kein-bus");
        QDir().mkpath(t / "home");
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(programm, {});
        ASSERT_TRUE(p.waitForStarted(10000));
        for (int i = 0; i < 600 && server.Anfragen("/db/servertest.txt") == 0; ++i) QThread::msleep(50);
        ASSERT_EQ(server.Anfragen("/db/servertest.txt"), 1);
        if (aenderung) {
          const std::string fehler = EinhaengenUndAushaengen(t / "einhaengen");
          if (!fehler.empty()) GTEST_SKIP() << "cannot mount a tmpfs: " << fehler;
        }
        QElapsedTimer uhr;
        uhr.start();
        ::kill(pid_t(p.processId()), signal);
        const bool beendet = p.waitForFinished(kFristMs);
        const qint64 dauer = uhr.elapsed();
        if (!beendet) {
          p.kill();
          p.waitForFinished();
        }
        EXPECT_TRUE(beendet) << "still running " << dauer << " ms after the signal";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(server.Anfragen("/db/servertest.txt"), 1) << "no second server test once the program is ending";
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The real window in this process, the real signal to this process.

class Stoppsignal : public test::Fensterumgebung {
 protected:
  Stoppsignal() : Aktualisierung(Server) {
    Bereit = Aktualisierung.Editionen(&Fehler) && Aktualisierung.Stick(&Fehler);
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen << b.Text;
      return int(mrOk);
    });
  }
  ~Stoppsignal() override {
    StoppsignaleZuruecksetzen();
    MeldungZeigenHookSetzen({});
  }
  void SetUp() override { ASSERT_TRUE(Bereit) << Fehler.toStdString(); }

  QString Ziel() const { return Heim / "Kiro3_0001/"; }
  QString Arbeit() const { return Ziel() + "KiroStick35/"; }
  const test::TStick& St() const { return Aktualisierung.StickDaten(); }
  std::string TeilPfad(int i) const { return "/stick3/" + St().Teile[i].Name.toStdString(); }

  std::unique_ptr<TFormWebInstall> Fenster(TEdition Edition) {
    TWebInstallUmgebung u = Umgebung(Edition);
    u.Shell = Shell;
    auto f = std::make_unique<TFormWebInstall>(u);
    // Only the signal may end a stall within the deadline, not the read time-out.
    f->IdHTTPDateien->LeseZeitlimitMs = 60000;
    f->FVerzRechnerInst = Ziel();
    StoppsignaleUmleiten([w = f.get()] { w->ProgrammBeenden(); });
    return f;
  }

  // What this program may leave behind after a stop: whole files only. Every name in the work
  // folder is a script or part as the server has it, or the whole master file; no temporary
  // file of an unpack anywhere in the target; no part of an edition archive in the temp folder.
  std::string HalbeDateien() const {
    std::string halbe;
    const QMap<QString, QByteArray> ganz{
        {"StickDateien.script.xml", test::StickScript(St().Teile)},
        {"masterdateien35.script.xml", test::StickScript(St().Masterdateien)},
        {"stick35.7z", test::Lesen(St().Masterarchiv)},
    };
    for (const QString& name : test::Baum(Ziel())) {
      if (QFileInfo(name).fileName().startsWith(".~kiro")) halbe += name.toStdString() + " ";
      if (!name.startsWith("KiroStick35/") || name.endsWith('/')) continue;
      const QString datei = name.mid(12);
      QByteArray soll = ganz.value(datei);
      for (int i = 0; i < St().Teile.size(); ++i)
        if (St().Teile[i].Name == datei) soll = test::Lesen(St().TeilDateien[i]);
      if (test::Lesen(Arbeit() + datei) != soll) halbe += name.toStdString() + " ";
    }
    for (const QString& name : test::Baum(Temp.Pfad()))
      if (name.endsWith(".part")) halbe += name.toStdString() + " ";
    return halbe;
  }

  test::TAktualisierungsserver Aktualisierung;
  bool Bereit = false;
  QString Fehler;
  std::shared_ptr<test::TAufzeichnendeShell> Shell = std::make_shared<test::TAufzeichnendeShell>();
  QStringList Boxen;
};

// Whether a line of the log starts with Anfang.
bool ImLog(const TFormWebInstall& f, const QString& Anfang) {
  for (const QString& z : f.LogZeilen())
    if (z.startsWith(Anfang)) return true;
  return false;
}

// SIGTERM while the parts are joined: the join stops, nothing is unpacked, the second script is
// not fetched, the half master file is gone, and the window closes at once.
TEST_F(Stoppsignal, WaehrendDesZusammenfuegens) {
  auto f = Fenster(TEdition{.HeimStick = true});
  f->show();
  ASSERT_TRUE(f->ActionInstallieren->isEnabled());
  QElapsedTimer uhr;
  QTimer wache;
  wache.setInterval(0);
  QObject::connect(&wache, &QTimer::timeout, f.get(), [&] {
    if (uhr.isValid() || !ImLog(*f, "Masterdatei erstellen")) return;
    uhr.start();
    ::kill(::getpid(), SIGTERM);
  });
  wache.start();
  f->ActionInstallieren->trigger();
  const qint64 dauer = uhr.isValid() ? uhr.elapsed() : -1;
  wache.stop();
  QCoreApplication::processEvents();
  ASSERT_GE(dauer, 0) << "the join was never reached";
  EXPECT_LT(dauer, kFristMs);
  const QStringList log = f->LogZeilen();
  EXPECT_FALSE(log.contains("Masterdatei erstellt")) << log.join(" | ").toStdString();
  EXPECT_FALSE(log.contains("Masterdatei entpacken")) << log.join(" | ").toStdString();
  EXPECT_EQ(Server.Anfragen("/stick3/masterdateien35.script.xml"), 0);
  EXPECT_FALSE(QFileInfo::exists(Arbeit() + "stick35.7z"));
  EXPECT_NE(Aktualisierung.Baum("/stick3/").Unterschiede(Ziel()), "") << "nothing was unpacked";
  EXPECT_TRUE(Shell->Geoeffnet.empty());
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join(" | ").toStdString();
}

// The property: a stop signal at any point of a run, against a server that misbehaves there,
// with or without a device change waiting, ends the run within 5 s, closes the window and
// leaves no half file of this program's own.
TEST_F(Stoppsignal, AnJederStelleEndetDerLaufOhneHalbeDateien) {
  struct TStelle {
    const char* Name;
    TEdition Edition;
    std::string Pfad;  // the request the signal meets, or "" ...
    QString Zeile;     // ... the log line that marks the point
  };
  const QList<TStelle> stellen{
      {"server test", {.HeimStick = true}, "/db/servertest.txt", {}},
      {"first script", {.HeimStick = true}, "/stick3/StickDateien.script.xml", {}},
      {"part 1", {.HeimStick = true}, TeilPfad(0), {}},
      {"part 2", {.HeimStick = true}, TeilPfad(1), {}},
      {"part 3", {.HeimStick = true}, TeilPfad(2), {}},
      {"join", {.HeimStick = true}, {}, "Masterdatei erstellen"},
      {"unpack", {.HeimStick = true}, {}, "Masterdatei entpacken"},
      {"second script", {.HeimStick = true}, "/stick3/masterdateien35.script.xml", {}},
      {"check", {.HeimStick = true}, {}, "Dateien für neuen Stick prüfen"},
      {"edition archive", {.Lehr = true}, "/db/lehr.7z", {}},
  };
  int k = 0;
  for (const TStelle& stelle : stellen) {
    for (const bool aenderung : {false, true}) {
      for (const int signal : kSignale) {
        const TStoerung& s = kStoerungen[k++ % 3];
        SCOPED_TRACE(std::string(stelle.Name) + ", server " + s.Name + (aenderung ? ", change waiting" : "") + ", " +
                     strsignal(signal));
        QDir(Ziel()).removeRecursively();
        QDir(Temp.Pfad()).removeRecursively();
        QDir().mkpath(Temp.Pfad());
        const bool imTransfer = !stelle.Pfad.empty();
        Server.Setzen("/db/servertest.txt", QByteArray(64 << 10, 'o'));
        if (imTransfer) Server.Fehler(stelle.Pfad, s.Fehler);
        Server.ProtokollLeeren();

        auto f = Fenster(stelle.Edition);
        QElapsedTimer uhr;
        // During a transfer the change waits behind it. Elsewhere it is handled at once, before
        // the signal is taken, and its refresh's server test meets the fault.
        auto senden = [&] {
          if (aenderung && imTransfer) Beobachter->Pruefen();
          uhr.start();
          ::kill(::getpid(), signal);
          if (aenderung && !imTransfer) {
            Server.Fehler("/db/servertest.txt", s.Fehler);
            Beobachter->Pruefen();
          }
        };
        QTimer wache;
        wache.setInterval(0);
        QObject::connect(&wache, &QTimer::timeout, f.get(), [&] {
          if (uhr.isValid()) return;
          if (stelle.Pfad.empty() ? ImLog(*f, stelle.Zeile) : Server.Anfragen(stelle.Pfad) > 0) senden();
        });
        wache.start();
        f->show();
        if (!uhr.isValid() && f->ActionInstallieren->isEnabled()) f->ActionInstallieren->trigger();
        wache.stop();
        // Reached too late (the run ended before): the signal meets the window at rest.
        const bool getroffen = uhr.isValid();
        if (!getroffen) senden();
        for (int i = 0; i < 100 && f->isVisible() && uhr.elapsed() < kFristMs; ++i) {
          QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
          QThread::msleep(1);
        }
        const qint64 dauer = uhr.elapsed();
        EXPECT_TRUE(getroffen) << "the point was passed before the signal";
        EXPECT_LT(dauer, kFristMs);
        EXPECT_FALSE(f->isVisible()) << f->LogZeilen().join(" | ").toStdString();
        EXPECT_EQ(HalbeDateien(), "");
        // A change that met no transfer (the point passed, or none runs there) has had its refresh.
        EXPECT_LE(Server.Anfragen("/db/servertest.txt"), aenderung && (!imTransfer || !getroffen) ? 2 : 1)
            << "no refresh once the program is ending";
        EXPECT_TRUE(Shell->Geoeffnet.empty() || stelle.Name == std::string("check"));
        // A stop is no failure: it shows no box.
        EXPECT_EQ(Boxen, QStringList());
        Boxen.clear();
        if (imTransfer) Server.Fehler(stelle.Pfad, TFehlerbild{});
        Server.Fehler("/db/servertest.txt", TFehlerbild{});
        StoppsignaleZuruecksetzen();
      }
    }
  }
}

}  // namespace
