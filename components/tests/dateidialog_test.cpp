#include "components/DateiDialogQV.h"
#include "foundation/Dateitypen.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileSystemModel>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kiro;

namespace {

// Qt's file dialog keeps its history in the user's configuration; this run keeps it in a folder
// of its own. Set before main, ahead of the first settings access that fixes the path.
const QTemporaryDir Konfiguration;
const bool KonfigurationUmgeleitet = qputenv("XDG_CONFIG_HOME", QFile::encodeName(Konfiguration.path()));

TDateiTypEintrag Eintrag(int Zeile) {
  const TDateiTypensDef& z = DateiTypenTabelle[std::size_t(Zeile)];
  return {z.Klartext, z.Dialogtext};
}

const TDateiTypEintrag AlleDateien{"Alle Dateien", "*.*"};

TEST(DateiDialogQV, FilterListFollowsTheMaskOverTheTable) {
  ASSERT_TRUE(KonfigurationUmgeleitet);
  {
    TOpenDialogQV d;
    d.KiroFilter = 0x3000000000;
    d.KiroFilterStart = Datei_txt;
    d.Filtersetzen();
    EXPECT_EQ(d.FileTypes, QList<TDateiTypEintrag>({Eintrag(36), Eintrag(37), AlleDateien}));
    EXPECT_EQ(d.FileTypes[0].Maske, "*.link.txt");
    EXPECT_EQ(d.FileTypes[1].Maske, "*.txt");
    EXPECT_EQ(d.FileTypeIndex, 2);
    EXPECT_EQ(d.DefaultExtension, "txt");
  }
  {
    // Bits 0 to 59: rows 64 and 65 come along with rows 0 and 1, row 43 is in the list.
    TOpenDialogQV d;
    d.KiroFilter = 0x0FFFFFFFFFFFFFFF;
    d.KiroFilterStart = Datei_alle;
    d.Filtersetzen();
    ASSERT_EQ(d.FileTypes.size(), 63);
    EXPECT_EQ(d.FileTypes[59], Eintrag(59));
    EXPECT_EQ(d.FileTypes[60], Eintrag(64));
    EXPECT_EQ(d.FileTypes[61], Eintrag(65));
    EXPECT_EQ(d.FileTypes[62], AlleDateien);
    EXPECT_EQ(d.FileTypeIndex, 44);
    EXPECT_EQ(d.FileTypes[43], AlleDateien);
    EXPECT_EQ(d.DefaultExtension, "*");
  }
  {
    TOpenDialogQV d;
    d.Filtersetzen();
    EXPECT_EQ(d.FileTypes, QList<TDateiTypEintrag>({AlleDateien}));
    EXPECT_EQ(d.FileTypeIndex, 1);
  }
  {
    TOpenDialogQV d;
    d.AlleFiltern = true;
    d.KiroFilter = 0b1100;
    d.Filtersetzen();
    const TDateiTypEintrag alle{Eintrag(2).Name, Eintrag(2).Maske + "; " + Eintrag(3).Maske};
    EXPECT_EQ(d.FileTypes, QList<TDateiTypEintrag>({alle, Eintrag(2), Eintrag(3), AlleDateien}));
    EXPECT_EQ(d.FileTypeIndex, 0);
    d.KiroFilter = 1 | (std::int64_t(1) << 43);
    d.Filtersetzen();
    const TDateiTypEintrag alle0{Eintrag(0).Name, Eintrag(0).Maske + "; " + Eintrag(64).Maske};
    EXPECT_EQ(d.FileTypes, QList<TDateiTypEintrag>({alle0, Eintrag(0), Eintrag(43), Eintrag(64), AlleDateien}));
  }
  {
    TSaveDialogQV d;
    d.FileTypeIndex = 7;
    d.KiroFilter = 0b110;
    d.KiroFilterStart = Datei_st3;
    d.Filtersetzen();
    EXPECT_EQ(d.FileTypeIndex, 1);
    d.KiroFilterStart = Datei_txt;  // not offered: the index stays
    d.Filtersetzen();
    EXPECT_EQ(d.FileTypeIndex, 1);
    EXPECT_EQ(d.DefaultExtension, "st3");
  }
}

TEST(DateiDialogQV, MasksBecomeQtFilters) {
  EXPECT_EQ(QtMaske("*.rv.fzg; *.link.txt"), "*.rv.fzg *.link.txt");
  EXPECT_EQ(QtMaske("*.*"), "*");
  EXPECT_EQ(QtMaske(""), "*");
  for (const char* link : {"Route.LINK.txt", "a/b/route.link.txt", "x.link.TXT"}) EXPECT_TRUE(IstOrdnerLink(link)) << link;
  for (const char* kein : {"route.link.txt.bak", "notes.txt", "link.txt", "a.link.txt/b.ls3"})
    EXPECT_FALSE(IstOrdnerLink(kein)) << kein;
}

// Global folders of one test, restored afterwards.
class Ordner : public ::testing::Test {
 protected:
  void SetUp() override {
    FVorher = {Datenverzeichnis, DatenverzeichnisOffiziell};
    Datenverzeichnis = Temp / "daten/";
    DatenverzeichnisOffiziell = Temp / "offiziell/";
    QDir().mkpath(Datenverzeichnis);
    QDir().mkpath(DatenverzeichnisOffiziell);
    FAlterHook = MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Meldungen << b.Text;
      return int(mrOk);
    });
  }
  void TearDown() override {
    Datenverzeichnis = FVorher[0];
    DatenverzeichnisOffiziell = FVorher[1];
    MeldungZeigenHookSetzen(FAlterHook);
  }

  test::TempOrdner Temp;
  QStringList Meldungen;

 private:
  QStringList FVorher;
  TMeldungZeigenHook FAlterHook;
};

struct TAnsicht {
  QString ordner;
  QStringList filter;
  QString gewaehlterFilter;
  QString endung;
};

TAnsicht Ansicht(QFileDialog& d) {
  return {d.directory().absolutePath() + u'/', d.nameFilters(), d.selectedNameFilter(), d.defaultSuffix()};
}

TEST_F(Ordner, ShowsTheFiltersAndOpensWhereTheFileLies) {
  QDir().mkpath(Datenverzeichnis + "Routen/Sued");
  TOpenDialogQV d;
  d.KiroFilter = 0x3000000000;
  d.KiroFilterStart = Datei_txt;
  d.Startpfad = "Routen\\";
  QList<TAnsicht> gesehen;
  d.AnzeigenSetzen([&](QFileDialog& f) {
    gesehen << Ansicht(f);
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(d.Execute());
  ASSERT_EQ(gesehen.size(), 1);
  EXPECT_EQ(gesehen[0].ordner, Datenverzeichnis + "Routen/");
  EXPECT_EQ(gesehen[0].filter, QStringList({Eintrag(36).Name + " (*.link.txt)", Eintrag(37).Name + " (*.txt)",
                                            "Alle Dateien (*)"}));
  EXPECT_EQ(gesehen[0].gewaehlterFilter, Eintrag(37).Name + " (*.txt)");
  EXPECT_EQ(gesehen[0].endung, "txt");

  // A file inside the data folder opens its folder, one elsewhere the start folder.
  d.FileName = Datenverzeichnis + "Routen/Sued/a.txt";
  d.KiroFilterStart = Datei_alle;
  d.KiroFilter |= std::int64_t(1) << 43;
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(gesehen[1].ordner, Datenverzeichnis + "Routen/Sued/");
  EXPECT_EQ(gesehen[1].endung, "") << "the all-files row gives no extension to typed names";
  d.FileName = Temp / "anderswo/b.txt";
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(gesehen[2].ordner, Datenverzeichnis + "Routen/");

  TSaveDialogQV s;
  ASSERT_TRUE(s.PfadundNameSetzen(Datenverzeichnis + "Routen/Sued/neu.st3"));
  EXPECT_EQ(s.DefaultFolder, Datenverzeichnis + "Routen/Sued/");
  TOpenDialogQV o;
  ASSERT_TRUE(o.PfadundNameSetzen(Datenverzeichnis + "Routen/Sued/neu.st3"));
  EXPECT_EQ(o.Startpfad, "Routen/Sued/");
}

// The file names the dialog lists in its folder under its current filter.
QSet<QString> Gelistet(QFileDialog& d, int Anzahl) {
  auto* modell = d.findChild<QFileSystemModel*>();
  EXPECT_NE(modell, nullptr);
  if (!modell) return {};
  QSet<QString> namen;
  // The model reads the folder on a thread of its own.
  const QDeadlineTimer frist(20000);
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    namen.clear();
    const QModelIndex wurzel = modell->index(d.directory().absolutePath());
    for (int i = 0; i < modell->rowCount(wurzel); ++i) {
      const QModelIndex k = modell->index(i, 0, wurzel);
      if (!modell->isDir(k)) namen.insert(modell->fileName(k));
    }
  } while (namen.size() != Anzahl && !frist.hasExpired());
  return namen;
}

TEST_F(Ordner, ARealFolderListsWhatEachFilterOffers) {
  for (const char* n : {"a.txt", "b.link.txt", "c.st3", "ohne"}) Temp.Schreiben(QString("daten/") + n, "x");
  TOpenDialogQV d;
  d.KiroFilter = 0x3000000002;  // rows 1, 36, 37, and row 65 with bit 1
  d.AlleFiltern = true;
  QList<QSet<QString>> listen;
  d.AnzeigenSetzen([&](QFileDialog& f) {
    const QStringList filter = f.nameFilters();
    const int erwartet[] = {3, 1, 1, 2, 0, 4};
    if (filter.size() != 6) return int(QDialog::Rejected);
    for (int i = 0; i < filter.size(); ++i) {
      f.selectNameFilter(filter[i]);
      listen << Gelistet(f, erwartet[i]);
    }
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(d.Execute());
  ASSERT_EQ(listen.size(), 6);
  EXPECT_EQ(listen[0], QSet<QString>({"a.txt", "b.link.txt", "c.st3"}));
  EXPECT_EQ(listen[1], QSet<QString>({"c.st3"}));
  EXPECT_EQ(listen[2], QSet<QString>({"b.link.txt"}));
  EXPECT_EQ(listen[3], QSet<QString>({"a.txt", "b.link.txt"}));
  EXPECT_EQ(listen[4], QSet<QString>());
  EXPECT_EQ(listen[5], QSet<QString>({"a.txt", "b.link.txt", "c.st3", "ohne"}));
}

TEST_F(Ordner, FolderLinksReopenTheDialogInTheirFolder) {
  QDir().mkpath(DatenverzeichnisOffiziell + "Routen/Nord");
  QDir().mkpath(Datenverzeichnis + "Routen/Nord");
  const QString link = Temp.Schreiben("daten/Route.link.txt", "Routen\\Nord\r\nzweite Zeile\r\n");
  const QString ziel = Temp.Schreiben("daten/Routen/Nord/strecke.st3", "x");
  for (const bool speichern : {false, true}) {
    SCOPED_TRACE(speichern);
    std::unique_ptr<TKiroDateiDialog> d;
    if (speichern)
      d = std::make_unique<TSaveDialogQV>();
    else
      d = std::make_unique<TOpenDialogQV>();
    d->KiroFilter = 0b10 | (std::int64_t(1) << 36);
    d->KiroFilterStart = Datei_st3;
    QList<TAnsicht> gesehen;
    int aufruf = 0;
    d->AnzeigenSetzen([&](QFileDialog& f) {
      gesehen << Ansicht(f);
      f.selectFile(++aufruf == 1 ? link : ziel);
      return int(QDialog::Accepted);
    });
    ASSERT_TRUE(d->Execute());
    ASSERT_EQ(gesehen.size(), 2);
    EXPECT_EQ(gesehen[1].ordner, (speichern ? Datenverzeichnis : DatenverzeichnisOffiziell) + "Routen/Nord/");
    EXPECT_EQ(gesehen[1].gewaehlterFilter, gesehen[1].filter.value(0));
    EXPECT_EQ(d->FileName, ziel);
  }
  EXPECT_EQ(Meldungen, QStringList());
}

TEST_F(Ordner, ABadFolderLinkIsShownAndTheDialogOpensAsBefore) {
  QDir().mkpath(Datenverzeichnis + "Start");
  const QString boese = Temp.Schreiben("daten/Boese.link.txt", "..\\..\\etc\r\n");
  const QString absolut = Temp.Schreiben("daten/Absolut.link.txt", "/etc");
  const QString fifo = Temp / "daten/Fifo.link.txt";
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  test::TProtokollFaenger protokoll;
  TOpenDialogQV d;
  d.Startpfad = "Start";
  QStringList reihe{boese, absolut, fifo};
  QStringList ordner;
  d.AnzeigenSetzen([&](QFileDialog& f) {
    ordner << f.directory().absolutePath();
    if (reihe.isEmpty()) return int(QDialog::Rejected);
    f.selectFile(reihe.takeFirst());
    return int(QDialog::Accepted);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(ordner, QStringList(4, Datenverzeichnis + "Start"));
  ASSERT_EQ(Meldungen.size(), 3);
  EXPECT_TRUE(Meldungen[0].contains("Boese.link.txt")) << Meldungen[0].toStdString();
  EXPECT_TRUE(Meldungen[2].contains("Fifo.link.txt")) << Meldungen[2].toStdString();
  EXPECT_EQ(protokoll.Zeilen().size(), 3);
}

}  // namespace
