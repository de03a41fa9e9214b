// The demo: a local update server on 127.0.0.1 with generated content for every path of the
// real one, and Paketstarter started against it. The server stops when the window has closed.
// With "--ohne-anzeige <folder>" (no display) the demo drives the real window itself: it runs
// the stick build, prints each log line as it appears, saves screenshots in both languages and
// ends with the build's status.
#include "installer/InfoForm.h"
#include "installer/WebInstallForm.h"
#include "platform/Shell.h"
#include "platform/TempOrdner.h"
#include "testsupport/Aktualisierungsserver.h"
#include "testsupport/HttpServer.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextDocument>
#include <QTimer>

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Nothing is opened on a machine without a display; the build's end is recorded instead.
class TDemoShell : public kiro::platform::TShell {
 public:
  bool Oeffnen(const QString& Ordner) override {
    Geoeffnet = Ordner;
    return true;
  }
  bool ProgrammStarten(const QString&) override { return false; }
  QString Geoeffnet;
};

int OhneAnzeige(const QString& Ordner) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "demo";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  const QString basis = QDir(Ordner).absolutePath() + u'/';
  const QString ziel = basis + QStringLiteral("Kiro3_0001/");
  const QString bilder = basis + QStringLiteral("screenshots/");
  QDir(ziel).removeRecursively();
  QDir().mkpath(basis + QStringLiteral("tmp"));
  QDir().mkpath(bilder);

  kiro::test::HttpServer server;
  kiro::test::TAktualisierungsserver inhalt(server);
  QString fehler;
  if (!inhalt.Alles(&fehler)) {
    std::fprintf(stderr, "demo: cannot generate the update server's content: %s\n", qPrintable(fehler));
    return 1;
  }
  std::printf("demo: update server on %s; the stick is built in %s\n", qPrintable(server.BasisUrl()), qPrintable(ziel));
  std::fflush(stdout);

  auto shell = std::make_shared<TDemoShell>();
  kiro::TWebInstallUmgebung u;
  u.Basisverzeichnis = basis;
  u.TempVerzeichnis = basis + QStringLiteral("tmp/");
  u.UpdateServer = server.BasisUrl();
  u.Edition.HeimStick = true;
  u.Shell = shell;
  u.InternetVerbunden = [] { return true; };
  kiro::TFormInfo info;
  kiro::TFormWebInstall fenster(u);
  fenster.FVerzRechnerInst = ziel;

  // Each line as it appears, and again when the window rewrites it (a counter that moves on).
  QStringList gedruckt;
  QObject::connect(fenster.RichEditLog->document(), &QTextDocument::contentsChanged, &fenster, [&] {
    const QStringList zeilen = fenster.LogZeilen();
    for (qsizetype i = 0; i < zeilen.size(); ++i) {
      if (i < gedruckt.size() && gedruckt[i] == zeilen[i]) continue;
      std::printf("log: %s\n", qPrintable(zeilen[i]));
      if (i < gedruckt.size()) gedruckt[i] = zeilen[i];
      else gedruckt.append(zeilen[i]);
    }
    std::fflush(stdout);
  });
  auto foto = [&](const char* Name) {
    const QString datei = bilder + QString::fromLatin1(Name);
    if (fenster.grab().save(datei)) std::printf("demo: screenshot %s\n", qPrintable(datei));
    std::fflush(stdout);
  };

  fenster.show();
  foto("paketlader-Deutsch-vorher.png");
  if (!fenster.ActionInstallieren->isEnabled()) {
    std::fprintf(stderr, "demo: Install is not enabled (the local server did not answer)\n");
    return 1;
  }
  fenster.ActionInstallieren->trigger();
  QApplication::processEvents();
  foto("paketlader-Deutsch.png");
  fenster.ActionEnglish->trigger();
  QApplication::processEvents();
  foto("paketlader-English.png");
  const bool ok = shell->Geoeffnet == ziel;
  std::printf("demo: stick build %s\n", ok ? "complete" : "failed");
  return ok ? 0 : 1;
}

// The name of a process, also of one that has ended but is not reaped yet.
QByteArray ProzessName(pid_t Pid) {
  QFile f(QStringLiteral("/proc/%1/comm").arg(Pid));
  return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

// Ends every child this run still has (adopted ones included) and reaps them.
void RestBeenden() {
  const QString selbst = QString::number(::getpid());
  for (const QString& eintrag : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool zahl = false;
    const pid_t pid = pid_t(eintrag.toInt(&zahl));
    if (!zahl) continue;
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& zeile : f.readAll().split('\n'))
      if (zeile.startsWith("PPid:") && zeile.mid(5).trimmed() == selbst.toLatin1()) ::kill(pid, SIGTERM);
  }
  while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && QLatin1String(argv[1]) == QLatin1String("--ohne-anzeige")) return OhneAnzeige(QString::fromLocal8Bit(argv[2]));
  QCoreApplication app(argc, argv);
  const QString starter = QCoreApplication::applicationDirPath() + QStringLiteral("/Paketstarter");
  if (!QFileInfo(starter).isExecutable()) {
    std::fprintf(stderr, "demo: %s is missing; build the project first\n", qPrintable(starter));
    return 1;
  }

  kiro::test::HttpServer server;
  kiro::test::TAktualisierungsserver inhalt(server);
  QString fehler;
  if (!inhalt.Alles(&fehler)) {
    std::fprintf(stderr, "demo: cannot generate the update server's content: %s\n", qPrintable(fehler));
    return 1;
  }
  std::printf("demo: update server on %s\n", qPrintable(server.BasisUrl()));
  std::fflush(stdout);

  // Paketstarter starts Paketlader detached and ends at once; as a subreaper the demo becomes
  // Paketlader's parent then, and so knows when its window has closed.
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("KIRO_UPDATE_SERVER"), server.BasisUrl());
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::ForwardedChannels);
  p.start(starter, {});
  if (!p.waitForStarted(10000)) {
    std::fprintf(stderr, "demo: cannot start %s: %s\n", qPrintable(starter), qPrintable(p.errorString()));
    return 1;
  }
  p.waitForFinished(-1);
  const int code = p.exitCode();
  // The adopted Paketlader: wait for it, so the server lives as long as the window. A child
  // that failed (an exit code, or a crash; being ended by a signal to end is no failure) means
  // Paketlader did not come up. Other adopted children (a session bus Qt started, say) live
  // on after the window; they are ended once Paketlader has ended.
  bool gescheitert = code != 0;
  bool paketladerEnde = false;
  while (!paketladerEnde) {
    siginfo_t info {};
    // Peeked first: a reaped child's name can no longer be read.
    if (::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT) != 0) {
      if (errno == EINTR) continue;
      break;
    }
    paketladerEnde = ProzessName(info.si_pid) == "Paketlader";
    int status = 0;
    if (::waitpid(info.si_pid, &status, 0) != info.si_pid) continue;
    const bool beendet = WIFSIGNALED(status) && (WTERMSIG(status) == SIGTERM || WTERMSIG(status) == SIGINT ||
                                                 WTERMSIG(status) == SIGHUP);
    if (!beendet && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) gescheitert = true;
  }
  RestBeenden();
  server.Beenden();
  if (gescheitert) {
    const QString log = kiro::platform::TempVerzeichnis() + QStringLiteral("Paketlader.log");
    std::fprintf(stderr, "demo: Paketlader did not start; the last lines of %s:\n", qPrintable(log));
    QFile f(log);
    QStringList zeilen;
    if (f.open(QIODevice::ReadOnly)) zeilen = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& zeile : zeilen.mid(qMax<qsizetype>(0, zeilen.size() - 15)))
      std::fprintf(stderr, "  %s\n", qPrintable(zeile));
    return 1;
  }
  std::printf("demo: window closed, update server stopped\n");
  return code;
}
