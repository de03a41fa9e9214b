#include "foundation/Dateitypen.h"

#include <QRegularExpression>
#include <QSet>

#include <map>

#include <ostream>

#include <gtest/gtest.h>

using namespace kiro;

// Readable QStrings in failure messages.
inline std::ostream& operator<<(std::ostream& o, const QString& s) { return o << '"' << s.toStdString() << '"'; }

TEST(DateiTypenTabelle, PreSuffixIsTheSuffixWithoutItsLastPart) {
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    const auto& r = DateiTypenTabelle[i];
    const qsizetype punkt = r.Suffix.lastIndexOf(u'.');
    EXPECT_EQ(r.PreSuffix, punkt < 0 ? QString() : r.Suffix.left(punkt)) << i;
  }
  EXPECT_EQ(DateiTypenTabelle[Datei_lod_ls3].PreSuffix, "lod");
  EXPECT_EQ(DateiTypenTabelle[Datei_turnout_xml].PreSuffix, "turnout");
  EXPECT_EQ(DateiTypenTabelle[Datei_st3].PreSuffix, "");
}

TEST(DateiTypenTabelle, DialogMaskFollowsTheSuffixBarFiveRows) {
  const std::map<int, QString> ausnahmen = {
      {9, "*.rv.fzg; *.link.txt"},
      {10, "*.fzg; *.link.txt"},
      {39, "*.ls; *.x; *.b3d"},
      {41, "*.tga; *.bmp; *.png; *.dib; *.jpg; *.dds"},
      {57, "*.bmp; *.tif; *.png; *.jpg"},
  };
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    const auto& r = DateiTypenTabelle[i];
    const auto a = ausnahmen.find(i);
    EXPECT_EQ(r.Dialogtext, a == ausnahmen.end() ? "*." + r.Suffix : a->second) << i;
    // Every mask, the odd ones too, offers the type's own suffix.
    EXPECT_TRUE(r.Dialogtext.split("; ").contains("*." + r.Suffix)) << i;
  }
  EXPECT_EQ(DateiTypenTabelle[Datei_alle].Dialogtext, "*.*");
}

TEST(DateiTypenTabelle, SuffixesAreDistinctAndWellFormed) {
  QSet<QString> gesehen;
  const QRegularExpression form("^([a-z0-9]+|[a-z0-9]+\\.[a-z0-9]+|\\*)$", QRegularExpression::CaseInsensitiveOption);
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    const QString s = DateiTypenTabelle[i].Suffix;
    EXPECT_TRUE(form.match(s).hasMatch()) << i << " " << s;
    EXPECT_FALSE(gesehen.contains(s.toUpper())) << i << " " << s;
    gesehen.insert(s.toUpper());
    EXPECT_FALSE(DateiTypenTabelle[i].Klartext.isEmpty()) << i;
    EXPECT_FALSE(DateiTypenTabelle[i].TypKuerzel.isEmpty()) << i;
  }
}

TEST(DateiTypenTabelle, VersionsAreTextsOfOneForm) {
  const QRegularExpression version("^A\\.[0-9]+$");
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    const auto& r = DateiTypenTabelle[i];
    for (const QString& v : {r.DateiVersion, r.MinDateiVersion, r.ExeDateiVersion})
      EXPECT_TRUE(v.isEmpty() || version.match(v).hasMatch()) << i << " " << v;
    // A type has both versions or neither; readers compare them as texts.
    EXPECT_EQ(r.DateiVersion.isEmpty(), r.MinDateiVersion.isEmpty()) << i;
    EXPECT_LE(r.MinDateiVersion, r.DateiVersion) << i;
    // Every text XML type has a format version; only 13 and 59 have one without being XML.
    const bool mitVersion = !r.DateiVersion.isEmpty();
    EXPECT_EQ(mitVersion, r.ASCII_xml || i == Datei_zup || i == Datei_za7) << i;
    // Only the three rows 42 to 44 lack a program version.
    EXPECT_EQ(r.ExeDateiVersion.isEmpty(), i >= Datei_htm && i <= Datei_7z) << i;
  }
  EXPECT_FALSE(DateiTypenTabelle[Datei_zup].ASCII_xml);
  EXPECT_FALSE(DateiTypenTabelle[Datei_za7].ASCII_xml);
}

TEST(DateiTypenTabelle, KindWordOfFilesOutsideTheXmlDialectIsTheSuffix) {
  // Bar three rows that borrow another type's kind word.
  const std::map<int, QString> geliehen = {{Datei_txt, "link.txt"}, {Datei_DDrawKompatibel, "dds"},
                                           {Datei_BuchfahrplanBitmaps, "dds"}};
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    const auto& r = DateiTypenTabelle[i];
    if (r.ASCII_xml) continue;
    const auto g = geliehen.find(i);
    EXPECT_EQ(r.TypKuerzel, g == geliehen.end() ? r.Suffix : g->second) << i;
  }
  EXPECT_EQ(DateiTypenTabelle[Datei_link_txt].TypKuerzel, "link.txt");
  EXPECT_EQ(DateiTypenTabelle[Datei_dds].TypKuerzel, "dds");
}

TEST(DateiTypenTabelle, RowsNamedByOtherModules) {
  const auto& xml = DateiTypenTabelle[Datei_xml];
  EXPECT_EQ(xml.Suffix, "xml");
  EXPECT_EQ(xml.TypKuerzel, "xml");
  EXPECT_EQ(xml.DateiVersion, "A.0");
  EXPECT_TRUE(xml.ASCII_xml);

  const auto& script = DateiTypenTabelle[Datei_script_xml];
  EXPECT_EQ(script.Suffix, "script.xml");
  EXPECT_EQ(script.DateiVersion, "A.2");
  EXPECT_EQ(script.MinDateiVersion, "A.0");
  EXPECT_EQ(script.TypKuerzel, "VerwaltungsScript");
  EXPECT_TRUE(script.ASCII_xml);

  EXPECT_EQ(DateiTypenTabelle[Datei_7z].Suffix, "7z");
  EXPECT_EQ(DateiTypenTabelle[Datei_link_txt].Suffix, "link.txt");
  EXPECT_EQ(DateiTypenTabelle[Datei_txt].Suffix, "txt");
  EXPECT_EQ(DateiTypenTabelle[Datei_alle].Suffix, "*");
  EXPECT_EQ(DateiTypenTabelle[Datei_expense_xml].Suffix, "expense.xml");
  EXPECT_EQ(DateiTypenTabelle[Datei_expense_xml].TypKuerzel, "expense");
  EXPECT_EQ(DateiTypenTabelle[Datei_cab_xml].Suffix, "cab.xml");
  EXPECT_EQ(DateiTypAnzahl, Datei_cab_xml + 1);
}
