// The demo: a local update server on 127.0.0.1 with generated content for every path of the
// real one, and Paketstarter started against it. The server stops when the window has closed.
#include "testsupport/Aktualisierungsserver.h"
#include "testsupport/HttpServer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
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
  // The adopted Paketlader: wait for every child, so the server lives as long as the window.
  while (true) {
    const pid_t pid = ::waitpid(-1, nullptr, 0);
    if (pid < 0 && errno == EINTR) continue;
    if (pid < 0) break;
  }
  server.Beenden();
  std::printf("demo: window closed, update server stopped\n");
  return code;
}
