#include "bilder/Bildersammlung.h"
#include "components/Aktivfarbe.h"
#include "components/StringGridQV.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <sys/stat.h>


using namespace kiro;

namespace {

// Pointers that only need to be told apart.
int Daten[10];
void* P(int i) { return &Daten[i]; }

// A grid of one fixed column and two data columns, row r holding "r" and "r.b" with pointer r.
std::unique_ptr<TStringGridQV> Grid(int Zeilen) {
  auto g = std::make_unique<TStringGridQV>();
  g->ColCountSetzen(3);
  g->RowCountSetzen(Zeilen);
  g->CellsSetzen(1, 0, "Name");
  for (int r = 1; r < Zeilen; ++r) {
    g->CellsSetzen(0, r, QStringLiteral("fix%1").arg(r));
    g->CellsSetzen(1, r, QString::number(r));
    g->CellsSetzen(2, r, QStringLiteral("%1.b").arg(r));
    g->DatenPointer[r] = P(r);
  }
  return g;
}

// Column 1 and the pointer of every data row, as "1@1" for text "1" with pointer 1.
QStringList Zeilen(const TStringGridQV& g) {
  QStringList z;
  for (int r = 1; r < g.RowCount(); ++r) {
    const int p = g.DatenPointer[r] ? int(static_cast<int*>(g.DatenPointer[r]) - Daten) : -1;
    z << g.Cells(1, r) + u'@' + (p < 0 ? QStringLiteral("-") : QString::number(p));
  }
  return z;
}

TEST(StringGridQV, RowOperationsMoveTheirPointers) {
  {
    auto g = Grid(2);
    EXPECT_EQ(g->ZeileEinfuegen(-2), 2);
    EXPECT_EQ(g->RowCount(), 3);
    EXPECT_EQ(Zeilen(*g), QStringList({"1@1", "@-"}));
    EXPECT_EQ(g->DatenPointer.size(), 3);
  }
  {
    auto g = Grid(4);
    g->RowSetzen(2);
    EXPECT_EQ(g->ZeileEinfuegen(-1), 2);
    EXPECT_EQ(Zeilen(*g), QStringList({"1@1", "@-", "2@2", "3@3"}));
    // Fixed cells stay where they were; the new row's fixed cell is the old one of row 4's place.
    EXPECT_EQ(g->Cells(0, 2), "fix2");
    EXPECT_EQ(g->Cells(2, 3), "2.b");
  }
  {
    auto g = Grid(2);
    g->RowSetzen(1);
    EXPECT_FALSE(g->ZeileLoeschen(-1));
    EXPECT_EQ(g->RowCount(), 2);
    EXPECT_EQ(Zeilen(*g), QStringList({"@-"}));
    EXPECT_EQ(g->Cells(1, 0), "Name");
  }
  {
    auto g = Grid(4);
    EXPECT_TRUE(g->ZeileLoeschen(1));
    EXPECT_EQ(Zeilen(*g), QStringList({"2@2", "3@3"}));
    EXPECT_EQ(g->DatenPointer.size(), 3);
  }
  {
    auto g = Grid(4);
    g->RowSetzen(2);
    g->NachOben(1);
    g->NachUnten(3);
    EXPECT_EQ(Zeilen(*g), QStringList({"1@1", "2@2", "3@3"}));
    g->NachOben(-1);
    EXPECT_EQ(Zeilen(*g), QStringList({"2@2", "1@1", "3@3"}));
    EXPECT_EQ(g->Cells(0, 1), "fix2");  // moving takes the fixed cells along
    EXPECT_EQ(g->Row(), 1);
    g->NachUnten(-1);
    EXPECT_EQ(Zeilen(*g), QStringList({"1@1", "2@2", "3@3"}));
    EXPECT_EQ(g->Row(), 2);
  }
  {
    // Rows that do not exist, and the header row, are left alone.
    auto g = Grid(3);
    EXPECT_EQ(g->ZeileEinfuegen(0), -1);
    EXPECT_EQ(g->ZeileEinfuegen(7), -1);
    EXPECT_EQ(g->ZeileEinfuegen(-5), -1);
    EXPECT_FALSE(g->ZeileLoeschen(0));
    EXPECT_FALSE(g->ZeileLoeschen(3));
    g->ZeileLeeren(0);
    g->ZeileLeeren(99);
    g->NachOben(5);
    g->NachUnten(-7);
    g->NachUnten(0);
    EXPECT_EQ(Zeilen(*g), QStringList({"1@1", "2@2"}));
    EXPECT_EQ(g->Cells(1, 0), "Name");
    EXPECT_EQ(g->RowCount(), 3);
  }
  {
    auto g = Grid(3);
    g->RowCountSetzen(6);
    EXPECT_EQ(g->DatenPointer.size(), 6);
    EXPECT_EQ(g->DatenPointer[5], nullptr);
    g->RowCountSetzen(2);
    EXPECT_EQ(Zeilen(*g), QStringList({"1@1"}));
  }
}

TEST(StringGridQV, SortsByTextOrByNumber) {
  const struct {
    const char* name;
    bool wert;
    QStringList vorher, nachher;
  } faelle[] = {
      {"text", false, {"b", "", "a"}, {"a", "", "b"}},
      {"text by code unit", false, {"a", "B"}, {"B", "a"}},
      {"numbers", true, {"10", "9", "-1"}, {"-1", "9", "10"}},
      {"empty stays, counts as 0 at its place", true, {"5", "", "-2"}, {"-2", "", "5"}},
      {"point and comma", true, {"1,5", "1.25", "1e1", " 2 "}, {"1.25", "1,5", " 2 ", "1e1"}},
      {"no numbers after numbers", true, {"7", "x", "3", "abc", "-4"}, {"-4", "3", "7", "abc", "x"}},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.name);
    TStringGridQV g;
    g.ColCountSetzen(3);
    g.RowCountSetzen(int(f.vorher.size()) + 1);
    for (int i = 0; i < f.vorher.size(); ++i) {
      g.CellsSetzen(2, i + 1, f.vorher[i]);
      g.CellsSetzen(0, i + 1, f.vorher[i] + u'!');  // fixed cells travel with their row
      g.DatenPointer[i + 1] = P(i);
    }
    g.Sortieren(2, f.wert);
    for (int i = 0; i < f.nachher.size(); ++i) {
      EXPECT_EQ(g.Cells(2, i + 1), f.nachher[i]) << i;
      EXPECT_EQ(g.Cells(0, i + 1), f.nachher[i] + u'!') << i;
      EXPECT_EQ(g.DatenPointer[i + 1], P(int(f.vorher.indexOf(f.nachher[i])))) << i;
    }
  }
}

TEST(StringGridQV, TabExportJoinsEveryColumn) {
  auto g = Grid(3);
  QStringList ss{"vorher"};
  g->TabelleTab(ss);
  EXPECT_EQ(ss, QStringList({"vorher", "\tName\t", "fix1\t1\t1.b", "fix2\t2\t2.b"}));
  EXPECT_EQ(g->ZeileTab(3), "");
  // The header row shows its own texts, never Qt's column numbers.
  EXPECT_EQ(g->model()->headerData(0, Qt::Horizontal).toString(), "");
  EXPECT_EQ(g->model()->headerData(1, Qt::Horizontal).toString(), "Name");
}

TEST(StringGridQV, FilesRoundTripByteForByte) {
  test::TempOrdner ordner;
  const QString datei = ordner / "tabelle.txt";
  {
    TStringGridQV g;
    g.ColCountSetzen(3);
    g.RowCountSetzen(3);
    g.CellsSetzen(1, 0, "Kopf");
    g.CellsSetzen(0, 1, "fest");
    g.CellsSetzen(1, 1, "a");
    g.CellsSetzen(2, 1, "b");
    g.CellsSetzen(1, 2, QStringLiteral("Gr\u00e4ben"));
    g.CellsSetzen(2, 2, "mit\tTab\r\nund Zeile");
    ASSERT_TRUE(g.SaveToFile(datei));
    EXPECT_EQ(test::Lesen(datei), QByteArray("a\tb\r\nGr\xE4" "ben\tmit Tab  und Zeile\r\n"));
    EXPECT_TRUE(kiro::test::Temporaere(datei).isEmpty());
    ASSERT_TRUE(g.SaveToFileMitFixed(datei));
    EXPECT_EQ(test::Lesen(datei), QByteArray("\tKopf\t\r\nfest\ta\tb\r\n\tGr\xE4" "ben\tmit Tab  und Zeile\r\n"));
  }
  {
    // Loading keeps the header and the fixed column, grows the columns, and writes back the same.
    const QByteArray inhalt("a\tb\r\n\xE4\t\t\tvier\r\n");
    ordner.Schreiben("ein.txt", inhalt);
    TStringGridQV g;
    g.ColCountSetzen(2);
    g.CellsSetzen(1, 0, "Kopf");
    g.CellsSetzen(0, 1, "fest");
    ASSERT_TRUE(g.LoadFromFile(ordner / "ein.txt"));
    EXPECT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.Cells(1, 0), "Kopf");
    EXPECT_EQ(g.Cells(0, 1), "fest");
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("\u00e4"));
    EXPECT_EQ(g.Cells(4, 2), "vier");
    EXPECT_EQ(g.DatenPointer.size(), 3);
    ASSERT_TRUE(g.SaveToFile(ordner / "aus.txt"));
    EXPECT_EQ(test::Lesen(ordner / "aus.txt"), QByteArray("a\tb\t\t\r\n\xE4\t\t\tvier\r\n"));
  }
  {
    // What 1252 cannot hold goes out as UTF-8 with its mark and comes back the same.
    TStringGridQV g;
    g.ColCountSetzen(2);
    g.RowCountSetzen(2);
    g.CellsSetzen(1, 1, QStringLiteral("\u0141\u00f3d\u017a"));
    ASSERT_TRUE(g.SaveToFile(datei));
    EXPECT_EQ(test::Lesen(datei), QByteArray("\xEF\xBB\xBF\xC5\x81\xC3\xB3\x64\xC5\xBA\r\n"));
    TStringGridQV h;
    ASSERT_TRUE(h.LoadFromFile(datei));
    EXPECT_EQ(h.Cells(1, 1), QStringLiteral("\u0141\u00f3d\u017a"));
  }
  {
    // With the fixed part, the first line is the header and the first cells the fixed column.
    ordner.Schreiben("fest.txt", "K1\tK2\r\nf\ta\r\n");
    TStringGridQV g;
    g.ColCountSetzen(1);
    ASSERT_TRUE(g.LoadFromFileMitFixed(ordner / "fest.txt"));
    EXPECT_EQ(g.ZeileTab(0), "K1\tK2");
    EXPECT_EQ(g.ZeileTab(1), "f\ta");
    EXPECT_EQ(g.RowCount(), 2);
  }
  {
    TStringGridQV g;
    ordner.Schreiben("leer.txt", "");
    g.CellsSetzen(1, 0, "Kopf");
    g.CellsSetzen(1, 3, "alt");
    ASSERT_TRUE(g.LoadFromFile(ordner / "leer.txt"));
    EXPECT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cells(1, 0), "Kopf");
    EXPECT_EQ(g.Cells(1, 1), "");
  }
}

TEST(StringGridQV, FileFailuresLeaveGridAndOldFile) {
  test::TempOrdner ordner;
  test::TProtokollFaenger protokoll;
  auto g = Grid(3);
  // A missing file and a folder do not change the grid.
  EXPECT_FALSE(g->LoadFromFile(ordner / "fehlt.txt"));
  EXPECT_FALSE(g->LoadFromFile(ordner.Pfad()));
  EXPECT_EQ(Zeilen(*g), QStringList({"1@1", "2@2"}));
  EXPECT_EQ(protokoll.Zeilen().size(), 2);

  // A target whose temporary cannot be made (the saving user may not write the folder) keeps
  // the old file.
  const QString datei = ordner.Schreiben("alt.txt", "alt\r\n");
  ASSERT_EQ(::chmod(QFile::encodeName(ordner.Pfad()).constData(), 0555), 0);
  {
    test::TAlsBenutzer benutzer;
    EXPECT_FALSE(g->SaveToFile(datei));
  }
  ASSERT_EQ(::chmod(QFile::encodeName(ordner.Pfad()).constData(), 0755), 0);
  EXPECT_EQ(test::Lesen(datei), QByteArray("alt\r\n"));
  const QStringList zeilen = protokoll.Zeilen();
  ASSERT_EQ(zeilen.size(), 1);
  EXPECT_TRUE(zeilen[0].startsWith("2 ") && zeilen[0].contains("alt.txt")) << zeilen[0].toStdString();
  // A link planted at "name~" is neither written through nor removed.
  const QString opfer = ordner.Schreiben("opfer.txt", "unberuehrt");
  ASSERT_TRUE(QFile::link(opfer, datei + "~"));
  ASSERT_TRUE(g->SaveToFile(datei));
  EXPECT_EQ(test::Lesen(opfer), QByteArray("unberuehrt"));
  EXPECT_TRUE(QFileInfo(datei + "~").isSymLink());
  EXPECT_EQ(test::Lesen(datei), QByteArray("1\t1.b\r\n2\t2.b\r\n"));
}

// A collection of ten images, image i a solid colour with red = 20 * i.
TImageCollection ZehnBilder() {
  TImageCollection s;
  for (int i = 0; i < 10; ++i) {
    QPixmap p(32, 32);
    p.fill(QColor(20 * i, 200, 50));
    s.Hinzufuegen(QStringLiteral("bild%1").arg(i), QIcon(p));
  }
  return s;
}

TEST(StringGridQV, ImageColumnDrawsTheImageOfTheCellsIndex) {
  TImageCollection sammlung = ZehnBilder();
  TStringGridQV g;
  g.FixedColsSetzen(0);
  g.ColCountSetzen(2);
  g.RowCountSetzen(5);
  g.setColumnWidth(0, 80);
  g.ImageSpalteSetzen(0);
  g.ImageCollectionSetzen(&sammlung);
  const QStringList texte{"3", "12", "", "x"};
  for (int i = 0; i < texte.size(); ++i) {
    g.CellsSetzen(0, i + 1, texte[i]);
    g.CellsSetzen(1, i + 1, "Text");
  }
  g.resize(300, 300);
  g.show();
  g.setCurrentIndex(QModelIndex());
  g.clearSelection();
  const QImage bild = g.viewport()->grab().toImage();
  const QColor hintergrund = g.viewport()->palette().color(QPalette::Base);
  auto mitte = [&](int zeile, int dx) {
    const QRect r = g.visualRect(g.model()->index(zeile - 1, 0));
    return bild.pixelColor(r.left() + dx, r.center().y());
  };
  const int h = g.visualRect(g.model()->index(0, 0)).height();
  EXPECT_EQ(mitte(1, h / 2), QColor(60, 200, 50));
  EXPECT_EQ(mitte(2, h / 2), QColor(20, 200, 50));  // beyond ten images: its first digit
  EXPECT_EQ(mitte(3, h / 2), hintergrund);
  EXPECT_EQ(mitte(4, h / 2), hintergrund);
  // A square as high as the row: nothing right of it, and no text.
  EXPECT_EQ(mitte(1, h + 4), hintergrund);
  for (int x = 1; x < 76; ++x) ASSERT_EQ(mitte(4, x), hintergrund) << x;

  g.ImageCollectionSetzen(nullptr);
  EXPECT_TRUE(g.ZellenBild("3", 16).isNull());
}

TEST(StringGridQV, EnabledColours) {
  TStringGridQV g;
  g.setEnabled(false);
  EXPECT_EQ(g.palette().color(QPalette::Disabled, QPalette::Base), KnopfFarbe());
  g.setEnabled(true);
  EXPECT_EQ(g.palette().color(QPalette::Active, QPalette::Base), FensterFarbe());
}

}  // namespace
