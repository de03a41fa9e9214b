#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

bool IstOrdner(const QString& p) { return QFileInfo(p).isDir(); }

// Empties the folder but keeps it, as it is the current folder.
void Leeren(const QString& Ordner) {
  for (const QFileInfo& i : QDir(Ordner).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
    i.isDir() ? void(QDir(i.filePath()).removeRecursively()) : void(QFile::remove(i.filePath()));
}

// Runs in a temporary current folder, so relative folders land there and can be checked.
class EinstellungenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FAlt = QDir::currentPath();
    QDir::setCurrent(Wurzel.Pfad());
  }
  void TearDown() override {
    QDir::setCurrent(FAlt);
    Datenverzeichnis.clear();
  }
  test::TempOrdner Wurzel;
  QString FAlt;
};

TEST_F(EinstellungenTest, NoSettingsObjectByDefault) { EXPECT_EQ(Einstellungen, nullptr); }

TEST_F(EinstellungenTest, TempVerzeichnisTable) {
  const QString w = Wurzel.Pfad();
  struct Fall {
    QString daten;
    bool aktiv;
    QString absolut;
    QString relativ;
    QString ergebnisAbsolut;  // TempVerzeichnis(true)
    QString ergebnisRelativ;  // TempVerzeichnis(false)
    QString angelegt;         // the folder that must exist afterwards
  };
  const Fall faelle[] = {
      {w + "daten/", false, w + "egal/", "temp/", w + "daten/temp/", "temp/", w + "daten/temp/"},
      {w + "daten/", false, "", "a/b/", w + "daten/a/b/", "a/b/", w + "daten/a/b/"},
      {w + "daten/", true, w + "daten/x/tmp/", "temp/", w + "daten/x/tmp/", "x/tmp/", w + "daten/x/tmp/"},
      {w + "daten/kiro/", true, w + "andere/tmp/", "temp/", w + "andere/tmp/", "../../andere/tmp/", w + "andere/tmp/"},
      {w + "daten/", true, w + "daten/", "temp/", w + "daten/", "", w + "daten/"},
      // No common root (relative data folder): the absolute folder comes back as it is and is
      // created there, not below the data folder.
      {"daten/", true, w + "abs/tmp/", "temp/", w + "abs/tmp/", w + "abs/tmp/", w + "abs/tmp/"},
      {"", false, "", "temp/", "temp/", "temp/", w + "temp/"},
  };
  for (const Fall& f : faelle) {
    for (const bool absolut : {true, false}) {
      SCOPED_TRACE(testing::Message() << f.daten.toStdString() << " aktiv " << f.aktiv << " "
                                      << f.absolut.toStdString() << " Absolut " << absolut);
      Leeren(w);
      Datenverzeichnis = f.daten;
      TEinstellungen e;
      e.TempVerzeichnisAbsolutAktiv = f.aktiv;
      e.TempVerzeichnisAbsolut = f.absolut;
      e.TempVerzeichnisRelativ = f.relativ;
      EXPECT_EQ(e.TempVerzeichnis(absolut), absolut ? f.ergebnisAbsolut : f.ergebnisRelativ);
      EXPECT_TRUE(IstOrdner(f.angelegt));
      // Nothing strays below the data folder when the absolute folder lies elsewhere.
      if (!f.daten.isEmpty() && !f.daten.startsWith(u'/')) {
        EXPECT_FALSE(QFileInfo::exists(w + f.daten));
      }
    }
  }
}

TEST_F(EinstellungenTest, TempVerzeichnisCannotBeCreatedIsNotAnError) {
  Wurzel.Schreiben("datei", "x");
  Datenverzeichnis = Wurzel.Pfad();
  TEinstellungen e;
  e.TempVerzeichnisRelativ = "datei/temp/";
  EXPECT_EQ(e.TempVerzeichnis(true), Wurzel / "datei/temp/");
  EXPECT_FALSE(IstOrdner(Wurzel / "datei/temp/"));
}

TEST_F(EinstellungenTest, AutorLesenFillsOnlyIdNameAndMail) {
  TEinstellungen e;
  e.AutorID = 4711;
  e.AutorName = QString::fromUtf8("Jörg Muster");
  e.AutorEMail = "j@example.org";
  TAutor a;
  a.AutorID = 1;
  a.Name = "alt";
  a.eMail = "alt@example.org";
  a.AufwandAlt = 1.5f;
  a.AufwandPunkte = 2.5f;
  a.AufwandStunden = 3.5f;
  a.Bemerkung = "Bemerkung";
  a.Lizenz = Liz_Privat;
  e.AutorLesen(a);
  EXPECT_EQ(a.AutorID, 4711);
  EXPECT_EQ(a.Name, QString::fromUtf8("Jörg Muster"));
  EXPECT_EQ(a.eMail, "j@example.org");
  EXPECT_EQ(a.AufwandAlt, 1.5f);
  EXPECT_EQ(a.AufwandPunkte, 2.5f);
  EXPECT_EQ(a.AufwandStunden, 3.5f);
  EXPECT_EQ(a.Bemerkung, "Bemerkung");
  EXPECT_EQ(a.Lizenz, Liz_Privat);
}

}  // namespace
