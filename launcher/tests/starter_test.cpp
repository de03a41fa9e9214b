#include "launcher/Starter.h"
#include "testsupport/TempOrdner.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

using namespace kiro::launcher;

namespace {

struct Lauf {
  int code = -1;
  QStringList zeilen;
};

Lauf Starter(const QString& tmpdir, const QString& marker, int schlafMs = 0) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", tmpdir);
  env.insert("KIRO_TEST_MARKER", marker);
  if (schlafMs) env.insert("KIRO_TEST_SLEEP", QString::number(schlafMs));
  p.setProcessEnvironment(env);
  p.start(KIRO_TESTSTARTER, {});
  p.waitForFinished(30000);
  Lauf l;
  l.code = p.exitCode();
  l.zeilen = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  return l;
}

bool Warten(const QString& pfad, int ms) {
  for (int i = 0; i < ms / 20; ++i) {
    if (QFileInfo::exists(pfad)) return true;
    QThread::msleep(20);
  }
  return QFileInfo::exists(pfad);
}

QString Eigen(const QString& tmp) { return tmp + "kiro-" + QString::number(::getuid()) + "/"; }

TEST(Paketstarter, WritesBothFilesAndStartsTheInstaller) {
  kiro::test::TempOrdner t;
  const QString marker = t / "gestartet";
  const Lauf l = Starter(t.Pfad(), marker);
  EXPECT_EQ(l.code, 0);
  const QString ziel = Eigen(t.Pfad());
  // The start line names the log that holds what the started program writes.
  EXPECT_EQ(l.zeilen, (QStringList{"Extracting _InstSetup/lib/sevenzip/7z.so", "Extracting Paketlader",
                                   "Starting Paketlader (log: " + ziel + "Paketlader.log)"}));
  EXPECT_EQ(kiro::test::Lesen(ziel + "Paketlader"), kiro::test::Lesen(KIRO_TESTPAYLOAD));
  EXPECT_EQ(kiro::test::Lesen(ziel + "_InstSetup/lib/sevenzip/7z.so"), kiro::test::Lesen(KIRO_SEVENZIP));
  EXPECT_TRUE(QFileInfo(ziel + "Paketlader").isExecutable());
  EXPECT_FALSE(QFileInfo::exists(ziel + "_InstSetup/lib/sevenzip/7z.so.new"));
  ASSERT_TRUE(Warten(marker, 10000));
  EXPECT_EQ(kiro::test::Lesen(marker).trimmed(), (ziel + "Paketlader").toUtf8());
}

// A reader of the launcher's output through a pipe ends with the launcher, not with the
// program it started: that one reads the null device and writes to its log file.
TEST(Paketstarter, APipeReaderEndsWithTheLauncher) {
  kiro::test::TempOrdner t;
  const QString marker = t / "gestartet";
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", t.Pfad());
  env.insert("KIRO_TEST_MARKER", marker);
  env.insert("KIRO_TEST_SLEEP", "6000");
  p.setProcessEnvironment(env);
  QElapsedTimer uhr;
  uhr.start();
  p.start("/bin/sh", {"-c", QString("\"%1\" | cat").arg(KIRO_TESTSTARTER)});
  ASSERT_TRUE(p.waitForFinished(30000));
  const qint64 dauer = uhr.elapsed();
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            (QStringList{"Extracting _InstSetup/lib/sevenzip/7z.so", "Extracting Paketlader",
                         "Starting Paketlader (log: " + Eigen(t.Pfad()) + "Paketlader.log)"}));
  EXPECT_LT(dauer, 4000) << "the pipe stayed open while the program ran";
  ASSERT_TRUE(Warten(marker, 10000));
  const QString log = Eigen(t.Pfad()) + "Paketlader.log";
  for (int i = 0; i < 100 && !kiro::test::Lesen(log).contains("payload stderr"); ++i) QThread::msleep(20);
  EXPECT_EQ(kiro::test::Lesen(log), "payload stdout\npayload stderr\n");
}

TEST(Paketstarter, UnusableTempFolderGivesOneLineAndStartsNothing) {
  kiro::test::TempOrdner t;
  t.Schreiben("kiro-" + QString::number(::getuid()), "a file where the folder must be");
  const Lauf l = Starter(t.Pfad(), t / "gestartet");
  EXPECT_NE(l.code, 0);
  ASSERT_EQ(l.zeilen.size(), 1);
  EXPECT_TRUE(l.zeilen[0].startsWith("ETempFolderError: ")) << l.zeilen[0].toStdString();
  QThread::msleep(300);
  EXPECT_FALSE(QFileInfo::exists(t / "gestartet"));
}

TEST(Paketstarter, ASecondStartWhileTheInstallerRunsFailsOnItsBusyFile) {
  kiro::test::TempOrdner t;
  const Lauf erster = Starter(t.Pfad(), t / "erster", 4000);
  ASSERT_EQ(erster.code, 0);
  ASSERT_TRUE(Warten(t / "erster", 10000));

  const Lauf zweiter = Starter(t.Pfad(), t / "zweiter");
  EXPECT_NE(zweiter.code, 0);
  ASSERT_EQ(zweiter.zeilen.size(), 3);
  EXPECT_EQ(zweiter.zeilen[0], "Extracting _InstSetup/lib/sevenzip/7z.so");
  EXPECT_EQ(zweiter.zeilen[1], "Extracting Paketlader");
  EXPECT_EQ(zweiter.zeilen[2], "EFCreateError: Cannot create file \"" + Eigen(t.Pfad()) +
                                   "Paketlader\". Text file busy");
  QThread::msleep(500);
  EXPECT_FALSE(QFileInfo::exists(t / "zweiter"));
  EXPECT_EQ(kiro::test::Lesen(Eigen(t.Pfad()) + "Paketlader"), kiro::test::Lesen(KIRO_TESTPAYLOAD))
      << "the running copy stays intact";
}

// A temp folder that fills up while the library is written (here: the process's file-size
// limit, as a full disk would) leaves no half-written new library behind.
TEST(Paketstarter, AFullTempFolderLeavesNoPartialLibrary) {
  kiro::test::TempOrdner t;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMPDIR", t.Pfad());
  env.insert("KIRO_TEST_MARKER", t / "gestartet");
  p.setProcessEnvironment(env);
  // 128 blocks of 512 bytes: far less than the library; the write fails instead of killing.
  p.start("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 128; exec \"$0\"", KIRO_TESTSTARTER});
  ASSERT_TRUE(p.waitForFinished(30000));
  const QStringList zeilen = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  EXPECT_NE(p.exitCode(), 0);
  ASSERT_EQ(zeilen.size(), 2) << zeilen.join('|').toStdString();
  EXPECT_TRUE(zeilen[1].startsWith("EWriteError: ")) << zeilen[1].toStdString();
  const QString ordner = Eigen(t.Pfad()) + "_InstSetup/lib/sevenzip/";
  EXPECT_FALSE(QFileInfo::exists(ordner + "7z.so.new"));
  EXPECT_FALSE(QFileInfo::exists(ordner + "7z.so"));
}

TEST(Paketstarter, MissingResourcesSkipTheirStepsAndResourceNamesIgnoreCase) {
  static const unsigned char daten[] = {'x'};
  const TRessource res[] = {{"PAKETLADER", daten, 1}};
  EXPECT_EQ(RessourceFinden(res, "Paketlader"), &res[0]);
  EXPECT_EQ(RessourceFinden(res, "7za"), nullptr);

  kiro::test::TempOrdner t;
  qputenv("TMPDIR", t.Pfad().toUtf8());
  std::ostringstream aus;
  std::string gestartet;
  EXPECT_EQ(Ausfuehren({}, aus, [&](const std::string& p) { gestartet = p; }), 0);
  EXPECT_EQ(aus.str(), "Starting Paketlader (log: " + Eigen(t.Pfad()).toStdString() + "Paketlader.log)\n");
  EXPECT_EQ(QString::fromStdString(gestartet), Eigen(t.Pfad()) + "Paketlader");

  std::ostringstream aus2;
  EXPECT_EQ(Ausfuehren(res, aus2, [](const std::string& p) { throw EStartError("Cannot start \"" + p + "\". x"); }), 1);
  EXPECT_EQ(aus2.str(), "Extracting Paketlader\nStarting Paketlader (log: " + Eigen(t.Pfad()).toStdString() +
                            "Paketlader.log)\nEStartError: Cannot start \"" + Eigen(t.Pfad()).toStdString() +
                            "Paketlader\". x\n");
  qunsetenv("TMPDIR");
}

}  // namespace
