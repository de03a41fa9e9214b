#include "components/DateiDialogQV.h"
#include "components/KategoriewahlForm.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "support/Tastenfolge.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

// Qt's file dialog keeps its history in the user's configuration; this run keeps it aside.
const QTemporaryDir Konfiguration;
const bool KonfigurationUmgeleitet = qputenv("XDG_CONFIG_HOME", QFile::encodeName(Konfiguration.path()));

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray kBeispiel = QByteArrayLiteral("Strecken\r\n\tNord\r\n\t\tHafen\r\n\tSued\r\n");

// The tree as indented lines ("." per level), to compare whole trees at once.
void Zeilen(const QTreeWidgetItem* k, int ebene, QStringList& z) {
  z << QString(ebene, u'.') + k->text(0);
  for (int i = 0; i < k->childCount(); ++i) Zeilen(k->child(i), ebene + 1, z);
}
QStringList Baum(const TFormKategoriewahl& d) {
  QStringList z;
  for (int i = 0; i < d.TreeViewFarben->topLevelItemCount(); ++i) Zeilen(d.TreeViewFarben->topLevelItem(i), 0, z);
  return z;
}

class Kategoriewahl : public ::testing::Test {
 protected:
  void SetUp() override {
    FVorher = {Datenverzeichnis, DatenverzeichnisOffiziell};
    Datenverzeichnis = Temp / "daten/";
    DatenverzeichnisOffiziell = Temp / "offiziell/";
    QDir().mkpath(Datenverzeichnis);
    QDir().mkpath(DatenverzeichnisOffiziell);
  }
  void TearDown() override {
    Datenverzeichnis = FVorher[0];
    DatenverzeichnisOffiziell = FVorher[1];
  }
  test::TempOrdner Temp;

 private:
  QStringList FVorher;
};

}  // namespace

TEST_F(Kategoriewahl, TheUsersCopyComesBeforeTheOfficialFile) {
  Temp.Schreiben("offiziell/_Setup/categories.txt", "Offiziell\r\n");
  Temp.Schreiben("offiziell/_Setup/colouring.txt", "Farben\r\n");
  {
    TFormKategoriewahl d;
    ASSERT_TRUE(d.Init(2));
    EXPECT_EQ(Baum(d), QStringList{"Offiziell"});
    // Both file dialogs offer the tree's own file, starting in the official "_Setup".
    EXPECT_EQ(d.OpenDialogQVKategorie->FileName, "categories.txt");
    EXPECT_EQ(d.SaveDialogQVKategorie->FileName, "categories.txt");
    EXPECT_EQ(d.OpenDialogQVKategorie->DefaultFolder, DatenverzeichnisOffiziell + "_Setup");
    EXPECT_EQ(d.OpenDialogQVKategorie->KiroFilter, 0x3000000000);
    EXPECT_EQ(d.OpenDialogQVKategorie->KiroFilterStart, 37);
  }
  {
    TFormKategoriewahl d;
    ASSERT_TRUE(d.Init(1));
    EXPECT_EQ(Baum(d), QStringList{"Farben"});
  }
  Temp.Schreiben("daten/_Setup/categories.txt", "Eigene\r\n");
  TFormKategoriewahl d;
  ASSERT_TRUE(d.Init(2));
  EXPECT_EQ(Baum(d), QStringList{"Eigene"});
}

TEST_F(Kategoriewahl, WithoutATreeFileThereIsNothingToShow) {
  TFormKategoriewahl d;
  QString fehler;
  EXPECT_FALSE(d.Init(2, &fehler));
  EXPECT_TRUE(fehler.contains("categories.txt")) << fehler.toStdString();
  EXPECT_FALSE(d.Init(3, &fehler));
  // An empty data folder is the current folder, not the root of the drive.
  const QString alt = Datenverzeichnis;
  Datenverzeichnis.clear();
  DatenverzeichnisOffiziell.clear();
  EXPECT_FALSE(d.Init(2, &fehler));
  EXPECT_FALSE(fehler.contains("\"/_Setup")) << fehler.toStdString();
  Datenverzeichnis = alt;
}

TEST_F(Kategoriewahl, TreeFilesComeBackByteForByte) {
  struct TFall {
    const char* name;
    QByteArray datei;
    TFormKategoriewahl::TKodierung kodierung;
  };
  QByteArray utf16;
  utf16.append("\xFF\xFE", 2);
  for (QChar c : QString::fromUtf8(kBeispiel)) utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
  const TFall faelle[] = {
      {"UTF-8 with its mark", kBom + kBeispiel, TFormKategoriewahl::TKodierung::Utf8},
      {"UTF-16 with its mark", utf16, TFormKategoriewahl::TKodierung::Utf16LE},
      {"ANSI", QByteArray("Stra\xDF" "en\r\n\tS\xFC" "d\r\n"), TFormKategoriewahl::TKodierung::Ansi},
  };
  for (const TFall& f : faelle) {
    SCOPED_TRACE(f.name);
    TFormKategoriewahl d;
    ASSERT_TRUE(d.KategorienLaden(Temp.Schreiben("rein.txt", f.datei)));
    EXPECT_EQ(d.Kodierung(), f.kodierung);
    ASSERT_TRUE(d.KategorienSpeichern(Temp / "raus.txt"));
    EXPECT_EQ(test::Lesen(Temp / "raus.txt"), f.datei);
  }
  TFormKategoriewahl d;
  ASSERT_TRUE(d.KategorienLaden(Temp.Schreiben("rein.txt", kBeispiel)));
  EXPECT_EQ(Baum(d), (QStringList{"Strecken", ".Nord", "..Hafen", ".Sued"}));
  // A name the code page lacks is kept: such a tree goes out as UTF-8.
  d.TreeViewFarben->topLevelItem(0)->setText(0, QString::fromUtf8("Łódź"));
  ASSERT_TRUE(d.KategorienSpeichern(Temp / "raus.txt"));
  EXPECT_EQ(test::Lesen(Temp / "raus.txt"), kBom + QString::fromUtf8("Łódź\r\n\tNord\r\n\t\tHafen\r\n\tSued\r\n").toUtf8());
  // An empty tree is an empty file.
  d.TreeViewFarben->clear();
  ASSERT_TRUE(d.KategorienSpeichern(Temp / "raus.txt"));
  EXPECT_EQ(QFileInfo(Temp / "raus.txt").size(), 0);
  EXPECT_FALSE(QFileInfo::exists(Temp / "raus.txt~"));
}

TEST_F(Kategoriewahl, IndentationAndTheLevelError) {
  TFormKategoriewahl d;
  ASSERT_TRUE(d.KategorienLaden(Temp.Schreiben("a.txt", "A\r\n\tB\r\n  C\r\n \tD\r\nE")));
  // Every leading TAB or blank is one level.
  EXPECT_EQ(Baum(d), (QStringList{"A", ".B", "..C", "..D", "E"}));

  QString fehler;
  EXPECT_FALSE(d.KategorienLaden(Temp.Schreiben("b.txt", "Neu\r\n\t\tZu tief\r\n"), &fehler));
  EXPECT_EQ(fehler, QString::fromUtf8("Ungültige Ebene (2) für Eintrag \"Zu tief\""));
  EXPECT_FALSE(d.KategorienLaden(Temp.Schreiben("c.txt", "\tOhne Eltern\r\n"), &fehler));
  EXPECT_EQ(fehler, QString::fromUtf8("Ungültige Ebene (1) für Eintrag \"Ohne Eltern\""));
  EXPECT_FALSE(d.KategorienLaden(Temp / "fehlt.txt", &fehler));
  EXPECT_TRUE(fehler.contains("fehlt.txt"));
  // A load that failed leaves the tree as it was.
  EXPECT_EQ(Baum(d), (QStringList{"A", ".B", "..C", "..D", "E"}));
}

TEST_F(Kategoriewahl, AddingExpandingAndThePath) {
  TFormKategoriewahl d;
  ASSERT_TRUE(d.KategorienLaden(Temp.Schreiben("a.txt", kBeispiel)));
  d.ButtonHinzufuegen->click();
  EXPECT_EQ(Baum(d), (QStringList{"Strecken", ".Nord", "..Hafen", ".Sued", ""}));
  EXPECT_EQ(d.Kategoriepfad(), "");

  QTreeWidgetItem* nord = d.TreeViewFarben->topLevelItem(0)->child(0);
  d.TreeViewFarben->setCurrentItem(nord);
  d.ButtonHinzufuegen->click();
  EXPECT_EQ(Baum(d), (QStringList{"Strecken", ".Nord", "..Hafen", "..", ".Sued", ""}));
  EXPECT_EQ(d.TreeViewFarben->currentItem(), nord);  // the selection stays
  EXPECT_TRUE(nord->child(1)->flags() & Qt::ItemIsEditable);
  EXPECT_EQ(d.Kategoriepfad(), "\\Strecken\\Nord");

  d.BitBtnBaumEinklappenClick();
  EXPECT_FALSE(d.TreeViewFarben->topLevelItem(0)->isExpanded());
  EXPECT_FALSE(nord->isExpanded());
  d.BitBtnBaumAufklappenClick();
  EXPECT_TRUE(d.TreeViewFarben->topLevelItem(0)->isExpanded());
  EXPECT_TRUE(nord->isExpanded());
}

TEST_F(Kategoriewahl, LoadAndSaveThroughTheFileDialogs) {
  test::TProtokollFaenger protokoll;
  QStringList meldungen;
  const TMeldungZeigenHook alt = MeldungZeigenHookSetzen([&](const TMeldungsBox& b) {
    meldungen << b.Text;
    return int(mrOk);
  });
  TFormKategoriewahl d;
  ASSERT_TRUE(d.KategorienLaden(Temp.Schreiben("a.txt", kBom + kBeispiel)));
  const QString schlecht = Temp.Schreiben("schlecht.txt", "A\r\n\t\tB\r\n");
  d.OpenDialogQVKategorie->AnzeigenSetzen([&](QFileDialog& f) {
    f.selectFile(schlecht);
    return int(QDialog::Accepted);
  });
  d.SpeedButtonLaden->click();
  ASSERT_EQ(meldungen.size(), 1);
  EXPECT_TRUE(meldungen[0].startsWith(QString::fromUtf8("Ungültige Ebene (2)")));
  EXPECT_EQ(Baum(d).size(), 4);
  EXPECT_EQ(protokoll.Zeilen(), QStringList{"2 " + meldungen[0]});

  const QString ziel = Temp / "gespeichert.txt";
  d.SaveDialogQVKategorie->AnzeigenSetzen([&](QFileDialog& f) {
    f.selectFile(ziel);
    return int(QDialog::Accepted);
  });
  d.SpeedButtonSpeichern->click();
  EXPECT_EQ(test::Lesen(ziel), kBom + kBeispiel);
  MeldungZeigenHookSetzen(alt);
}

// "Feld hinzufügen" as a keyboard user meets it in the shown dialog: the tree has the focus (and
// Qt has made its first node the current one) but nothing is selected until the user picks.
TEST_F(Kategoriewahl, FeldHinzufuegenByKeysRightAfterOpening) {
  struct TFall {
    const char* name;
    QList<QKeyCombination> tasten;  // pressed in the tree, which has the focus on opening
    QStringList baum;
  };
  const TFall faelle[] = {
      {"nothing selected: a new last top-level node", {Qt::Key_Tab, Qt::Key_Space},
       {"Strecken", ".Nord", "Fahrzeuge", ""}},
      {"the first node picked with Space: a new last child of it", {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Space},
       {"Strecken", ".Nord", ".", "Fahrzeuge"}},
  };
  for (const TFall& f : faelle) {
    SCOPED_TRACE(f.name);
    TFormKategoriewahl d;
    ASSERT_TRUE(d.KategorienLaden(Temp.Schreiben("a.txt", "Strecken\r\n\tNord\r\nFahrzeuge\r\n")));
    QString fokus;
    test::TTastenfolge benutzer;
    benutzer
        .Dann("FormKategoriewahl", [&](QDialog&) { fokus = QApplication::focusWidget()->objectName(); })
        .Tasten("FormKategoriewahl", f.tasten)
        .Tasten("FormKategoriewahl", {Qt::Key_Escape});
    benutzer.Starten();
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
    EXPECT_EQ(fokus, "TreeViewFarben");
    EXPECT_EQ(Baum(d), f.baum);
  }
}
