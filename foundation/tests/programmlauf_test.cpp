#include "foundation/Programmlauf.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <signal.h>
#include <sys/resource.h>

using namespace kiro;

namespace {

class ProgrammlaufTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The runner must leave nothing in the temp folder: give it one of its own to look at.
    FAlterTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", Tmp.Pfad().toLocal8Bit());
  }
  void TearDown() override {
    EXPECT_TRUE(QDir(Tmp.Pfad()).isEmpty()) << "left in the temp folder";
    qputenv("TMPDIR", FAlterTmp);
  }

  // An executable shell script in the test's folder.
  QString Skript(const QString& Name, const QByteArray& Rumpf) {
    const QString pfad = Ordner.Schreiben(Name, "#!/bin/sh\n" + Rumpf);
    QFile::setPermissions(pfad, QFile::permissions(pfad) | QFile::ExeOwner);
    return pfad;
  }

  test::TempOrdner Ordner;
  test::TempOrdner Tmp;
  test::TProtokollFaenger Log;
  QByteArray FAlterTmp;
};

TEST_F(ProgrammlaufTest, OutputLinesEndInCrLfAndStderrOnlyInTheFailureLine) {
  const QString p = Skript("zwei.sh", "printf 'eins\\nzwei'\necho kaputt >&2\nexit 3\n");
  const TProgrammErgebnis erg = ProgrammAusfuehren(Ordner.Pfad(), p, {});
  EXPECT_TRUE(erg.Gestartet);
  EXPECT_FALSE(erg.Erfolg);
  EXPECT_EQ(erg.Exitstatus, 3);
  EXPECT_EQ(erg.Ausgabe, "eins\r\nzwei\r\n");
  const QStringList zeilen = Log.Zeilen();
  ASSERT_EQ(zeilen.size(), 1);
  EXPECT_TRUE(zeilen[0].startsWith("2 " + p)) << zeilen[0].toStdString();
  EXPECT_TRUE(zeilen[0].endsWith("endete mit Status 3 (kaputt)")) << zeilen[0].toStdString();
}

TEST_F(ProgrammlaufTest, SuccessWithoutOutputIsEmptyAndSilent) {
  const QString p = Skript("still.sh", "echo nur-fehlerkanal >&2\n");
  const TProgrammErgebnis erg = ProgrammAusfuehren(Ordner.Pfad(), p, {});
  EXPECT_TRUE(erg.Erfolg);
  EXPECT_EQ(erg.Ausgabe, "");
  EXPECT_EQ(erg.Fehlerausgabe, "nur-fehlerkanal");
  EXPECT_TRUE(Log.Zeilen().isEmpty());
}

TEST_F(ProgrammlaufTest, ArgumentsArriveWholeNoShellInBetween) {
  const QString p = Skript("args.sh", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
  const QString text = ProgrammAusfuehrenMitAusgabe(Ordner.Pfad(), p,
                                                    {"a b", "\"q\" 'r'", "$(echo no)", "*", "; rm -rf x"});
  EXPECT_EQ(text, "[a b]\r\n[\"q\" 'r']\r\n[$(echo no)]\r\n[*]\r\n[; rm -rf x]\r\n");
}

TEST_F(ProgrammlaufTest, ChildSeesItsWorkingFolderLowestPriorityAndNoInput) {
  QDir(Ordner.Pfad()).mkpath("arbeit");
  const QString p = Skript("umgebung.sh", "pwd\nnice\ncat\necho ende\n");
  const QString text = ProgrammAusfuehrenMitAusgabe(Ordner / "arbeit", p, {});
  EXPECT_EQ(text, QDir(Ordner / "arbeit").canonicalPath() + "\r\n19\r\nende\r\n");
}

TEST_F(ProgrammlaufTest, MissingProgramGivesEmptyTextAndOneLineWithTheReason) {
  const QString p = Ordner / "gibtsnicht";
  EXPECT_EQ(ProgrammAusfuehrenMitAusgabe(Ordner.Pfad(), p, {}), "");
  const QStringList zeilen = Log.Zeilen();
  ASSERT_EQ(zeilen.size(), 1);
  EXPECT_TRUE(zeilen[0].startsWith("2 " + p + " nicht gestartet (")) << zeilen[0].toStdString();
  EXPECT_TRUE(zeilen[0].contains("No such file or directory")) << zeilen[0].toStdString();
}

TEST_F(ProgrammlaufTest, ChildThatNeverEndsIsStoppedByTheTimeOutOrTheCancel) {
  const QString p = Skript("ewig.sh", "echo los\nexec sleep 600\n");
  {
    TProgrammOptionen o;
    o.ZeitlimitMs = 300;
    QElapsedTimer uhr;
    uhr.start();
    const TProgrammErgebnis erg = ProgrammAusfuehren(Ordner.Pfad(), p, {}, o);
    EXPECT_LT(uhr.elapsed(), 60000);
    EXPECT_FALSE(erg.Erfolg);
    EXPECT_EQ(erg.Ausgabe, "los\r\n");
    const QStringList zeilen = Log.Zeilen();
    ASSERT_EQ(zeilen.size(), 1);
    EXPECT_TRUE(zeilen[0].contains("nach 300 ms beendet")) << zeilen[0].toStdString();
  }
  {
    TProgrammOptionen o;
    int gefragt = 0;
    o.Abbrechen = [&] { return ++gefragt >= 3; };
    const TProgrammErgebnis erg = ProgrammAusfuehren(Ordner.Pfad(), p, {}, o);
    EXPECT_FALSE(erg.Erfolg);
    EXPECT_EQ(gefragt, 3);
    const QStringList zeilen = Log.Zeilen();
    ASSERT_EQ(zeilen.size(), 1);
    EXPECT_TRUE(zeilen[0].endsWith("abgebrochen")) << zeilen[0].toStdString();
  }
}

// Whether the process is gone: no longer there, or only a zombie its new parent has not reaped.
bool Beendet(const QByteArray& Pid) {
  QFile stat(QStringLiteral("/proc/") + QString::fromLatin1(Pid.trimmed()) + QStringLiteral("/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray zeile = stat.readAll();
  const qsizetype klammer = zeile.lastIndexOf(')');
  return klammer >= 0 && zeile.mid(klammer + 2, 1) == "Z";
}

// What the program started itself (svn's ssh, a shell's background job) ends with it: the
// time-out and the cancel end the whole process group.
TEST_F(ProgrammlaufTest, TimeOutAndCancelEndTheGrandchildrenToo) {
  const QString p = Skript("enkel.sh", "sleep 30 &\necho $! > enkel.pid\nexec sleep 30\n");
  for (const bool zeitlimit : {true, false}) {
    SCOPED_TRACE(zeitlimit ? "time-out" : "cancel");
    QFile::remove(Ordner / "enkel.pid");
    TProgrammOptionen o;
    int gefragt = 0;
    if (zeitlimit)
      o.ZeitlimitMs = 500;
    else
      o.Abbrechen = [&] { return ++gefragt >= 10; };
    EXPECT_FALSE(ProgrammAusfuehren(Ordner.Pfad(), p, {}, o).Erfolg);
    Log.Zeilen();
    QFile datei(Ordner / "enkel.pid");
    ASSERT_TRUE(datei.open(QIODevice::ReadOnly));
    const QByteArray pid = datei.readAll();
    ASSERT_FALSE(pid.trimmed().isEmpty());
    QElapsedTimer uhr;
    uhr.start();
    while (!Beendet(pid) && uhr.elapsed() < 5000) QThread::msleep(20);
    EXPECT_TRUE(Beendet(pid)) << "grandchild " << pid.trimmed().toStdString() << " still runs";
    if (!Beendet(pid)) ::kill(pid.trimmed().toInt(), SIGKILL);
  }
}

// The peak memory of this process so far, in KiB.
long Spitzenspeicher() {
  rusage r{};
  ::getrusage(RUSAGE_SELF, &r);
  return r.ru_maxrss;
}

TEST_F(ProgrammlaufTest, HugeOutputKeepsABoundedTailAndSaysHowMuchWasDropped) {
  // About 214 MB of numbered lines: every line "k\n" for k from 1 to 25,000,000.
  constexpr qint64 kLetzte = 25000000;
  qint64 gesamt = 0;
  for (qint64 stellen = 1, von = 1; von <= kLetzte; ++stellen, von *= 10)
    gesamt += (std::min(von * 10 - 1, kLetzte) - von + 1) * (stellen + 1);
  const QString p = Skript("viel.sh", "exec seq 1 25000000\n");
  const long vorher = Spitzenspeicher();
  const TProgrammErgebnis erg = ProgrammAusfuehren(Ordner.Pfad(), p, {});
  EXPECT_TRUE(erg.Erfolg);
  // Bounded also while the child was writing: holding it all took more than 2 GB here, and a
  // sanitizer's quarantine of freed pieces is a few hundred MB at most.
  EXPECT_LT(Spitzenspeicher() - vorher, 1024 * 1024);
  EXPECT_LE(erg.Ausgabe.size(), 8 << 20);
  ASSERT_TRUE(erg.Ausgabe.endsWith("\r\n24999999\r\n25000000\r\n"));
  // The tail starts at a whole line.
  const QStringList zeilen = erg.Ausgabe.split("\r\n", Qt::SkipEmptyParts);
  ASSERT_GT(zeilen.size(), 1000);
  EXPECT_EQ(zeilen.first().toLongLong(), kLetzte - zeilen.size() + 1);
  const qint64 behalten = erg.Ausgabe.size() - zeilen.size();  // as written: "\n" for each "\r\n"
  const QStringList log = Log.Zeilen();
  ASSERT_EQ(log.size(), 1);
  EXPECT_EQ(log[0], QStringLiteral("5 %1: die ersten %2 Bytes der Ausgabe verworfen, die letzten %3 behalten")
                        .arg(p)
                        .arg(gesamt - behalten)
                        .arg(behalten));
}

}  // namespace
