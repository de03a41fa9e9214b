#include "foundation/Formatieren.h"

#include <gtest/gtest.h>

using kiro::Formatieren;

TEST(Formatieren, FillsTheDirectivesOfATemplate) {
  struct {
    const char* vorlage;
    QVariantList werte;
    const char* erwartet;
  } faelle[] = {
      {"Download %d/%d", {3, 12}, "Download 3/12"},
      {"%s ist fertig", {"C"}, "C ist fertig"},
      {"100%% von %s", {"x"}, "100% von x"},
      {"%.1f MB/s", {2.25}, "2.2 MB/s"},
      {"%f", {1.0}, "1.00"},
      {"%x / %X / %.8X", {255, 255, 48879}, "FF / FF / 0000BEEF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%.2x", {0x100000000LL}, "00"},
      {"[%5s][%-5s]", {"ab", "cd"}, "[   ab][cd   ]"},
      {"%1:s %0:s", {"a", "b"}, "b a"},
      {"%.3d", {7}, "007"},
      {"Fehler %d", {"keine Zahl"}, "Fehler 0"},
      {"%s", {42}, "42"},
      {"%d", {-5}, "-5"},
  };
  for (const auto& f : faelle) EXPECT_EQ(Formatieren(f.vorlage, f.werte), QString::fromUtf8(f.erwartet)) << f.vorlage;
}

TEST(Formatieren, NeverReadsAMissingArgumentOrBreaksOnBadTemplates) {
  struct {
    const char* vorlage;
    QVariantList werte;
    const char* erwartet;
  } faelle[] = {
      {"%s und %s", {"a"}, "a und %s"},
      {"%d", {}, "%d"},
      {"%5:s", {"a"}, "%5:s"},
      {"50%", {}, "50%"},
      {"%q %s", {"a"}, "%q a"},
      {"%.", {}, "%."},
      {"%999999999999d", {1}, ""},
      {"ohne", {"zuviel", 3}, "ohne"},
  };
  for (const auto& f : faelle) {
    const QString r = Formatieren(f.vorlage, f.werte);
    if (QByteArray(f.erwartet).isEmpty())
      EXPECT_EQ(r.trimmed(), "1") << f.vorlage;
    else
      EXPECT_EQ(r, QString::fromUtf8(f.erwartet)) << f.vorlage;
  }
}
