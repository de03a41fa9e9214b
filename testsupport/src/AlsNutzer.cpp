#include "testsupport/AlsNutzer.h"

#include "testsupport/TempOrdner.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace kiro::test {

bool AlsNutzerWiederholt() {
  if (::geteuid() != 0) return false;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString filter = QString::fromUtf8(test->test_suite_name()) + u'.' + QString::fromUtf8(test->name());

  // The build folder may be closed to that user: the child runs from a copy in its own folder.
  TempOrdner t;
  const QByteArray ordner = QFile::encodeName(t.Pfad());
  EXPECT_EQ(::chown(ordner.constData(), kNutzerKennung, kNutzerKennung), 0);
  EXPECT_EQ(::chmod(ordner.constData(), 0755), 0);
  const QString kopie = t / QStringLiteral("kind");
  EXPECT_TRUE(QFile::copy(QStringLiteral("/proc/self/exe"), kopie));
  EXPECT_EQ(::chmod(QFile::encodeName(kopie).constData(), 0755), 0);

  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), t.Pfad());
  env.insert(QStringLiteral("TMPDIR"), t.Pfad());
  for (const char* v : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
    env.remove(QString::fromLatin1(v));
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(t.Pfad());
  p.setProcessChannelMode(QProcess::MergedChannels);
  const QString nutzer = QString::number(kNutzerKennung);
  p.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=") + nutzer, QStringLiteral("--regid=") + nutzer,
                                      QStringLiteral("--clear-groups"), kopie, QStringLiteral("--gtest_filter=") + filter});
  EXPECT_TRUE(p.waitForFinished(300000));
  const QString ausgabe = QString::fromLocal8Bit(p.readAll());
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << ausgabe.toStdString();
  // A skip in the child would hide the case again.
  EXPECT_TRUE(ausgabe.contains(QStringLiteral("[  PASSED  ] 1 test.")) && !ausgabe.contains(QStringLiteral("SKIPPED")))
      << ausgabe.toStdString();
  return true;
}

}  // namespace kiro::test
