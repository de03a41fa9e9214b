// The README's demo on a real display, as `xvfb-run -a bash scripts/demo.sh` runs it: with no
// session bus, Qt has libdbus start one (dbus-launch and its dbus-daemon), which the demo, as a
// subreaper, adopts. The demo must still end once Paketlader has, and end what the run started.
#include "support/Demo.h"

#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>
#include <vector>

namespace {

// Every process below Wurzel, found through the parents /proc names.
std::set<pid_t> Nachkommen(pid_t Wurzel) {
  std::multimap<pid_t, pid_t> kinder;
  for (const QString& eintrag : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool zahl = false;
    const pid_t pid = eintrag.toInt(&zahl);
    QFile f("/proc/" + eintrag + "/status");
    if (!zahl || !f.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& zeile : f.readAll().split('\n'))
      if (zeile.startsWith("PPid:")) kinder.emplace(pid_t(zeile.mid(5).trimmed().toInt()), pid);
  }
  std::set<pid_t> alle;
  std::vector<pid_t> offen{Wurzel};
  while (!offen.empty()) {
    const pid_t p = offen.back();
    offen.pop_back();
    for (auto [it, ende] = kinder.equal_range(p); it != ende; ++it)
      if (alle.insert(it->second).second) offen.push_back(it->second);
  }
  return alle;
}

// The process's name as the kernel keeps it.
QString ProzessName(pid_t Pid) {
  return QString::fromUtf8(kiro::test::Lesen(QStringLiteral("/proc/%1/comm").arg(Pid)).trimmed());
}

// Whether the process still runs (a zombie that waits for its reaper counts as ended).
bool Laeuft(pid_t Pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(Pid));
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray stat = f.readAll();
  const qsizetype klammer = stat.lastIndexOf(')');
  return klammer > 0 && stat.size() > klammer + 2 && stat[klammer + 2] != 'Z';
}

TEST(DemoAufDemBildschirm, EndetMitDemFensterAuchWennQtEinenSitzungsbusStartete) {
  if (!QFileInfo::exists("/usr/bin/dbus-launch")) GTEST_SKIP() << "dbus-launch is not installed";
  kiro::test::TempOrdner t;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // As under a bare xvfb-run: a display, but no session bus.
  env.remove("DBUS_SESSION_BUS_ADDRESS");
  // libdbus keeps what its autolaunch allocated until the process ends; the sanitizer build
  // would count that as a failed Paketlader.
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  QProcess demo;
  kiro::test::DemoStarten(demo, t, {}, env);
  ASSERT_TRUE(demo.waitForStarted(10000));
  const pid_t paketlader = kiro::test::DemoPaketlader(t);
  ASSERT_NE(paketlader, 0) << demo.readAllStandardOutput().toStdString() << demo.readAllStandardError().toStdString();
  // The window is up once Qt has its bus; give it the time a first start takes.
  QThread::sleep(3);
  const std::set<pid_t> gestartet = Nachkommen(pid_t(demo.processId()));
  QStringList namen;
  for (const pid_t pid : gestartet) namen << ProzessName(pid);
  ASSERT_TRUE(namen.contains("dbus-launch")) << "Qt started no session bus: " << namen.join(' ').toStdString();

  ::kill(paketlader, SIGTERM);
  ASSERT_TRUE(demo.waitForFinished(20000)) << "the demo still waits after Paketlader has ended";
  EXPECT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();
  EXPECT_TRUE(QString::fromUtf8(demo.readAllStandardOutput()).endsWith("demo: window closed, update server stopped\n"));
  for (const pid_t pid : gestartet) {
    for (int i = 0; i < 50 && Laeuft(pid); ++i) QThread::msleep(100);
    EXPECT_FALSE(Laeuft(pid)) << "left running: " << pid << " " << ProzessName(pid).toStdString();
  }
}

}  // namespace
