#include "foundation/Programmlauf.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>

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

}  // namespace
