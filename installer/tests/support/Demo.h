#pragma once
// The README's demo as a test starts it: temp folder and home inside the test's folder.
#include "testsupport/TempOrdner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <sys/types.h>
#include <unistd.h>

namespace kiro::test {

// The process whose executable is Pfad, or 0.
inline pid_t ProzessMit(const QString& Pfad) {
  for (const QString& eintrag : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool zahl = false;
    const pid_t pid = eintrag.toInt(&zahl);
    if (zahl && QFileInfo("/proc/" + eintrag + "/exe").symLinkTarget() == Pfad) return pid;
  }
  return 0;
}

// The Paketlader the demo's Paketstarter wrote to the test's temp folder, once it runs (up to
// 30 s); 0 when it never came up.
inline pid_t DemoPaketlader(const TempOrdner& T) {
  const QString paketlader = T.Pfad() + "kiro-" + QString::number(::getuid()) + "/Paketlader";
  for (int i = 0; i < 600; ++i) {
    if (const pid_t pid = ProzessMit(paketlader)) return pid;
    QThread::msleep(50);
  }
  return 0;
}

// Starts the demo with Env's variables on top of this process's, its temp folder and home in T.
inline void DemoStarten(QProcess& Demo, const TempOrdner& T, const QStringList& Argumente,
                        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment()) {
  Env.insert("TMPDIR", T.Pfad());
  Env.insert("HOME", T / "home");
  Demo.setProcessEnvironment(Env);
  Demo.start(QCoreApplication::applicationDirPath() + "/demo", Argumente);
}

}  // namespace kiro::test
