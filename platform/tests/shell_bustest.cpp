#include "platform/Shell.h"

#include "testsupport/TempOrdner.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace kiro::platform {
namespace {

using test::Lesen;

void Ausfuehrbar(const QString& Pfad) {
  QFile::setPermissions(Pfad, QFile::permissions(Pfad) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

// An installed program is started directly only when the system can execute it; a Windows
// program or a document with an execute bit (a FAT stick gives every file one) goes to the
// desktop's opener, here a recording one first in PATH.
TEST(DesktopShell, StartsOnlyWhatTheSystemCanExecuteAndOpensTheRest) {
  test::TempOrdner o;
  const QString spur = o / "geoeffnet.txt";
  const QString gestartet = o / "gestartet.txt";
  o.Schreiben("bin/xdg-open", "#!/bin/sh\necho \"$@\" >> '" + QFile::encodeName(spur) + "'\n");
  Ausfuehrbar(o / "bin/xdg-open");
  const QByteArray altPfad = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(o / "bin") + ':' + altPfad);
  Ausfuehrbar(o.Schreiben("KiroSim.exe", QByteArray("MZ\x90\0\x03\0\0\0", 8)));
  Ausfuehrbar(o.Schreiben("liesmich.txt", "Lies mich"));
  Ausfuehrbar(o.Schreiben("start.sh", "#!/bin/sh\necho los > '" + QFile::encodeName(gestartet) + "'\n"));
  const struct {
    const char* Name;
    QByteArray Geoeffnet;  // what the opener got
    QByteArray Gestartet;  // what the started script wrote
  } faelle[] = {
      {"KiroSim.exe", "file://" + QFile::encodeName(o / "KiroSim.exe") + '\n', ""},
      {"liesmich.txt", "file://" + QFile::encodeName(o / "liesmich.txt") + '\n', ""},
      {"start.sh", "", "los\n"},
  };
  TDesktopShell shell;
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Name);
    QFile::remove(spur);
    QFile::remove(gestartet);
    shell.ProgrammStarten(o / f.Name);
    // Both are started, not waited for.
    QDeadlineTimer frist(30000);
    while ((Lesen(spur) != f.Geoeffnet || Lesen(gestartet) != f.Gestartet) && !frist.hasExpired())
      QThread::msleep(20);
    EXPECT_EQ(Lesen(spur), f.Geoeffnet);
    EXPECT_EQ(Lesen(gestartet), f.Gestartet);
  }
  qputenv("PATH", altPfad);
}

}  // namespace
}  // namespace kiro::platform
