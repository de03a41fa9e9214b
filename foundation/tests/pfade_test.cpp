#include "foundation/Pfade.h"
#include "testsupport/TempOrdner.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kiro;

TEST(Pfade, RefusesEveryNameThatLeavesItsFolder) {
  const char* schlecht[] = {"", "/abs", "\\abs", "C:\\x", "c:x", "..", "a/../b", "a\\..\\..\\b", "./a",
                            "a//b", "a\\\\b", "a/./b", "//server/share", "a\tb", "a\nb", "a\x7f"};
  for (const char* n : schlecht) EXPECT_FALSE(SicherVerbinden("/base/", QString::fromUtf8(n))) << n;
  EXPECT_FALSE(SicherVerbinden("/base/", QString(QChar(0)) + "x"));
}

TEST(Pfade, JoinsAcceptedNamesInNativeForm) {
  struct {
    const char* basis;
    const char* name;
    const char* erwartet;
  } faelle[] = {
      {"/base/", "data\\x\\y.ls3", "/base/data/x/y.ls3"},
      {"/base", "a/b", "/base/a/b"},
      {"", "a\\b\\", "a/b"},
      {"/base/", "..a/b..", "/base/..a/b.."},
      {"/base/", "\u00c4rger.txt", "/base/\u00c4rger.txt"},
  };
  for (const auto& f : faelle)
    EXPECT_EQ(SicherVerbinden(QString::fromUtf8(f.basis), QString::fromUtf8(f.name)).value_or("<refused>"),
              QString::fromUtf8(f.erwartet));
}

TEST(Pfade, ResolvesExistingComponentsIgnoringCase) {
  test::TempOrdner t;
  t.Schreiben("Daten/Unter/Datei.TXT", "x");
  EXPECT_EQ(*SicherVerbindenOhneGrossKlein(t.Pfad(), "daten\\UNTER\\datei.txt"), t / "Daten/Unter/Datei.TXT");
  EXPECT_EQ(*SicherVerbindenOhneGrossKlein(t.Pfad(), "DATEN\\neu\\x.txt"), t / "Daten/neu/x.txt");
  EXPECT_FALSE(SicherVerbindenOhneGrossKlein(t.Pfad(), "daten\\..\\x"));
}
