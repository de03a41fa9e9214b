// A whole stick build of about 1 GB (a 7z master archive in parts, served by the loopback
// server) through the real window, against the same work done by the tools in the same run:
// "curl" for each part, "cat" to join them and "7z x" to unpack. Rounds alternate which side
// goes first; the best and the median time of each side and their ratios are printed, and the
// same for the unpack inside the build against "7z x". During each build a timer ticks every
// 10 ms in the window's thread: the worst gap and the 99th percentile between its ticks show
// how long the window could not answer (Cancel could not be pressed); the peak resident memory
// of the build (the process's, with the loopback server's buffers) is printed beside them.
//   stick_bench [work folder] [MB] [parts] [rounds]
#include "Maschinenlast.h"
#include "foundation/Meldung.h"
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"
#include "testsupport/Aktualisierungsserver.h"
#include "testsupport/Archive.h"
#include "testsupport/HttpServer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Runs a program, its output to Ausgabe (or nowhere); true on exit code 0.
bool Lauf(const QString& Programm, const QStringList& Argumente, const QString& Ausgabe = {}) {
  QProcess p;
  p.setStandardOutputFile(Ausgabe.isEmpty() ? QProcess::nullDevice() : Ausgabe);
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(Programm, Argumente);
  return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void Sync() { Lauf(QStringLiteral("sync"), {}); }

// The peak resident memory counts again from now ("5" resets VmHWM).
void SpitzeZuruecksetzen() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// The peak resident memory since the last reset, in MB; -1 when unknown.
double SpitzeMB() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& zeile : f.readAll().split('\n'))
    if (zeile.startsWith("VmHWM:")) return zeile.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
  return -1;
}

// Gaps between the ticks of a 10 ms timer in the window's thread, in milliseconds.
class TTaktmesser {
 public:
  TTaktmesser() {
    FTakt.setTimerType(Qt::PreciseTimer);
    FTakt.setInterval(10);
    QObject::connect(&FTakt, &QTimer::timeout, [this] {
      const qint64 jetzt = FUhr.nsecsElapsed();
      FLuecken.push_back(double(jetzt - FLetzter) / 1e6);
      FLetzter = jetzt;
    });
  }
  void Starten() {
    FLuecken.clear();
    FUhr.start();
    FLetzter = 0;
    FTakt.start();
  }
  // Ends the measurement; the time since the last tick counts as a gap too.
  void Beenden() {
    FTakt.stop();
    FLuecken.push_back(double(FUhr.nsecsElapsed() - FLetzter) / 1e6);
    std::sort(FLuecken.begin(), FLuecken.end());
  }
  double Schlimmste() const { return FLuecken.empty() ? 0 : FLuecken.back(); }
  double Perzentil99() const {
    if (FLuecken.empty()) return 0;
    return FLuecken[std::min(FLuecken.size() - 1, std::size_t(std::ceil(0.99 * double(FLuecken.size()))) - 1)];
  }
  std::size_t Ticks() const { return FLuecken.size(); }

 private:
  QTimer FTakt;
  QElapsedTimer FUhr;
  qint64 FLetzter = 0;
  std::vector<double> FLuecken;
};

}  // namespace

int main(int argc, char** argv) {
  kiro::bench::MaschinenlastZeigen("start");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString arbeit = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/kiro-stick-bench";
  const qint64 mb = argc > 2 ? std::atoll(argv[2]) : 1000;
  const int teile = std::max(1, argc > 3 ? std::atoi(argv[3]) : 10);
  const int runden = std::max(1, argc > 4 ? std::atoi(argv[4]) : 3);
  kiro::MeldungZeigenHookSetzen([](const kiro::TMeldungsBox& b) {
    std::fprintf(stderr, "error box: %s\n", qPrintable(b.Text));
    return int(kiro::mrOk);
  });

  QDir(arbeit).removeRecursively();
  const QString quelle = arbeit + "/quelle/";
  const int dateien = kiro::test::GemischteDateienErzeugen(quelle, mb * 1000000, 7);
  if (dateien <= 0) {
    std::fprintf(stderr, "stick_bench: cannot write %s\n", qPrintable(quelle));
    return 1;
  }
  kiro::test::HttpServer server;
  kiro::test::TAktualisierungsserver inhalt(server);
  inhalt.Servertest();
  QString fehler;
  if (!inhalt.StickAusOrdner(quelle, teile, {QStringLiteral("-mx1")}, &fehler)) {
    std::fprintf(stderr, "stick_bench: cannot build the stick folder: %s\n", qPrintable(fehler));
    return 1;
  }
  const kiro::test::TStick& st = inhalt.StickDaten();
  std::printf("stick_bench: %d files, %lld MB in the tree, master archive %lld MB in %lld parts\n", dateien,
              mb, QFileInfo(st.Masterarchiv).size() / 1000000, qlonglong(st.Teile.size()));

  kiro::TFormInfo info;
  std::vector<double> zeitenFenster, zeitenWerkzeuge, entpackenFenster, entpacken7z, schlimmste, perzentile, spitzen;
  TTaktmesser takt;
  for (int r = 0; r < runden; ++r) {
    for (int seite = 0; seite < 2; ++seite) {
      const bool fenster = (seite == 0) == (r % 2 == 0);
      const QString ziel = arbeit + (fenster ? "/fenster/" : "/werkzeuge/");
      // Each side starts from the same state: the other side's output is gone and written out.
      QDir(arbeit + "/fenster/").removeRecursively();
      QDir(arbeit + "/werkzeuge/").removeRecursively();
      QDir().mkpath(ziel);
      Sync();
      QElapsedTimer uhr;
      if (fenster) {
        kiro::TWebInstallUmgebung u;
        u.Basisverzeichnis = arbeit + "/";
        u.TempVerzeichnis = arbeit + "/";
        u.UpdateServer = server.BasisUrl();
        u.Edition.HeimStick = true;
        u.InternetVerbunden = [] { return true; };
        kiro::TFormWebInstall f(u);
        f.FVerzRechnerInst = ziel;
        f.show();
        QApplication::processEvents();
        // The unpack inside the build: from its log line to the request for the second script.
        qint64 entpackenAb = -1, entpackenBis = -1;
        QObject::connect(f.RichEditLog->document(), &QTextDocument::blockCountChanged, [&] {
          if (entpackenAb < 0 && f.LogZeilen().value(f.LogZeilen().size() - 1) == QStringLiteral("Masterdatei entpacken"))
            entpackenAb = uhr.nsecsElapsed();
        });
        auto begin = f.IdHTTPDateien->WorkBegin;
        f.IdHTTPDateien->WorkBegin = [&, begin](qint64 n) {
          if (entpackenAb >= 0 && entpackenBis < 0) entpackenBis = uhr.nsecsElapsed();
          begin(n);
        };
        SpitzeZuruecksetzen();
        takt.Starten();
        uhr.start();
        f.ActionInstallieren->trigger();
        const double s = double(uhr.nsecsElapsed()) / 1e9;
        takt.Beenden();
        const double spitze = SpitzeMB();
        const QString letzte = f.LogZeilen().value(f.LogZeilen().size() - 1);
        if (!letzte.startsWith(QStringLiteral("Neue Daten liegen im Verzeichnis"))) {
          std::fprintf(stderr, "stick_bench: the build failed: %s\n", qPrintable(f.LogZeilen().join(" | ")));
          return 1;
        }
        zeitenFenster.push_back(s);
        const double entpacken = double(entpackenBis - entpackenAb) / 1e9;
        entpackenFenster.push_back(entpacken);
        schlimmste.push_back(takt.Schlimmste());
        perzentile.push_back(takt.Perzentil99());
        spitzen.push_back(spitze);
        std::printf("round %d: Paketlader stick build  %7.3f s (unpack %.3f); 10 ms ticks: %zu, worst gap %.1f ms, "
                    "99th percentile %.1f ms; peak memory %.1f MB\n",
                    r + 1, s, entpacken, takt.Ticks(), takt.Schlimmste(), takt.Perzentil99(), spitze);
      } else {
        const QString w = ziel + "KiroStick35/";
        QDir().mkpath(w);
        uhr.start();
        bool ok = true;
        QStringList teilDateien;
        for (const kiro::test::TStickEintrag& t : st.Teile) {
          teilDateien << w + t.Name;
          ok = ok && Lauf(QStringLiteral("curl"), {QStringLiteral("-sf"), QStringLiteral("-o"), w + t.Name,
                                                   server.BasisUrl() + "/stick3/" + t.Name});
        }
        const double laden = double(uhr.nsecsElapsed()) / 1e9;
        ok = ok && Lauf(QStringLiteral("cat"), teilDateien, w + "stick35.7z");
        const double verbinden = double(uhr.nsecsElapsed()) / 1e9;
        ok = ok && Lauf(QStringLiteral("7z"), {QStringLiteral("x"), QStringLiteral("-y"), "-o" + ziel, w + "stick35.7z"});
        const double s = double(uhr.nsecsElapsed()) / 1e9;
        if (!ok) {
          std::fprintf(stderr, "stick_bench: a tool failed\n");
          return 1;
        }
        zeitenWerkzeuge.push_back(s);
        entpacken7z.push_back(s - verbinden);
        std::printf("round %d: curl + cat + 7z x       %7.3f s (curl %.3f, cat %.3f, 7z %.3f)\n", r + 1, s, laden,
                    verbinden - laden, s - verbinden);
      }
      std::fflush(stdout);
    }
  }
  std::sort(zeitenFenster.begin(), zeitenFenster.end());
  std::sort(zeitenWerkzeuge.begin(), zeitenWerkzeuge.end());
  const double bestF = zeitenFenster.front(), bestW = zeitenWerkzeuge.front();
  const double medianF = zeitenFenster[zeitenFenster.size() / 2], medianW = zeitenWerkzeuge[zeitenWerkzeuge.size() / 2];
  std::printf("best:   Paketlader %.3f s, tools %.3f s, ratio %.3f\n", bestF, bestW, bestF / bestW);
  std::printf("median: Paketlader %.3f s, tools %.3f s, ratio %.3f\n", medianF, medianW, medianF / medianW);
  // The unpack inside the build against "7z x" of the same round.
  std::sort(entpackenFenster.begin(), entpackenFenster.end());
  std::sort(entpacken7z.begin(), entpacken7z.end());
  const double bestE = entpackenFenster.front(), best7 = entpacken7z.front();
  const double medianE = entpackenFenster[entpackenFenster.size() / 2], median7 = entpacken7z[entpacken7z.size() / 2];
  std::printf("unpack best:   in the build %.3f s, 7z x %.3f s, ratio %.3f\n", bestE, best7, bestE / best7);
  std::printf("unpack median: in the build %.3f s, 7z x %.3f s, ratio %.3f\n", medianE, median7, medianE / median7);
  // The window's answer time: the worst round counts.
  std::printf("window: worst gap %.1f ms, 99th percentile %.1f ms (worst of the rounds); peak memory %.1f MB\n",
              *std::max_element(schlimmste.begin(), schlimmste.end()),
              *std::max_element(perzentile.begin(), perzentile.end()),
              *std::max_element(spitzen.begin(), spitzen.end()));
  QDir(arbeit).removeRecursively();
  kiro::bench::MaschinenlastZeigen("end");
  return 0;
}
