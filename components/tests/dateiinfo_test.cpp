#include "bilder/Bildersammlung.h"
#include "components/AutorabfrageForm.h"
#include "components/ComboBoxQV.h"
#include "components/DateiDialogQV.h"
#include "components/DateiInfoForm.h"
#include "components/DialogAnzeigen.h"
#include "components/KategoriewahlForm.h"
#include "components/LabeledEditQV.h"
#include "components/StringGridQV.h"
#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "foundation/Sprachtabelle.h"
#include "testsupport/Gebietsschema.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"
#include "support/Tastenfolge.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMap>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace kiro;
using kiro::test::TGebietsschema;

namespace {

const QTemporaryDir Konfiguration;
const bool KonfigurationUmgeleitet = qputenv("XDG_CONFIG_HOME", QFile::encodeName(Konfiguration.path()));

TAutor Autor(std::int32_t id, float stunden, TLizenz lizenz, const char* name, const char* mail, const char* bem) {
  TAutor a;
  a.AutorID = id;
  a.AufwandStunden = stunden;
  a.Lizenz = lizenz;
  a.Name = QString::fromUtf8(name);
  a.eMail = QString::fromUtf8(mail);
  a.Bemerkung = QString::fromUtf8(bem);
  a.AufwandAlt = 40;
  a.AufwandPunkte = 7;
  return a;
}

QStringList Listenzeilen(const TFormDateiInfo& d) {
  QStringList z;
  for (int i = 0; i < d.ListBoxAutoren->count(); ++i) z << d.ListBoxAutoren->item(i)->text();
  return z;
}

// Global folders, settings and the message box of one test, restored afterwards; the dialogs
// that the handlers open are answered by Antwort.
class DateiInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    FVorher = {Datenverzeichnis, DatenverzeichnisOffiziell};
    FVorherEinstellungen = Einstellungen;
    Einstellungen = nullptr;
    Datenverzeichnis = Temp / "daten/";
    DatenverzeichnisOffiziell = Temp / "offiziell/";
    QDir().mkpath(Datenverzeichnis);
    QDir().mkpath(DatenverzeichnisOffiziell);
    FAlteBox = MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Meldungen << b.Text;
      return int(mrOk);
    });
    FAltesAnzeigen = DialogAnzeigenSetzen([this](QDialog& d) {
      Gezeigt << d.objectName();
      return Antwort ? Antwort(d) : int(mrCancel);
    });
  }
  void TearDown() override {
    Datenverzeichnis = FVorher[0];
    DatenverzeichnisOffiziell = FVorher[1];
    Einstellungen = FVorherEinstellungen;
    MeldungZeigenHookSetzen(FAlteBox);
    DialogAnzeigenSetzen(FAltesAnzeigen);
  }

  test::TempOrdner Temp;
  test::TProtokollFaenger Protokoll;
  QStringList Meldungen;
  QStringList Gezeigt;
  std::function<int(QDialog&)> Antwort;

 private:
  QStringList FVorher;
  TEinstellungen* FVorherEinstellungen = nullptr;
  TMeldungZeigenHook FAlteBox;
  TDialogAnzeigen FAltesAnzeigen;
};

// An English language file below a program folder of the test's own, read by a catalogue that
// is the global one while this lives.
class TEnglisch {
 public:
  TEnglisch(const test::TempOrdner& Temp, const char* Texte)
      : FAltProgramm(Programmverzeichnis), FAlteTabelle(Sprachtabelle) {
    Programmverzeichnis = Temp / "programm/";
    Temp.Schreiben("programm/_InstSetup/language/English/text.txt", Texte);
    Tabelle.Sprachordner = "English";
    Sprachtabelle = &Tabelle;
  }
  ~TEnglisch() {
    Sprachtabelle = FAlteTabelle;
    Programmverzeichnis = FAltProgramm;
  }
  TSprachtabelle Tabelle;

 private:
  QString FAltProgramm;
  TSprachtabelle* FAlteTabelle;
};

// The same, but every dialog is really shown through exec() and answered by keys.
class DateiInfoGezeigt : public DateiInfo {
 protected:
  void SetUp() override {
    DateiInfo::SetUp();
    DialogAnzeigenSetzen({});
  }
};

}  // namespace

TEST_F(DateiInfo, AuthorLinesInTheLocalesDecimalForm) {
  TFormDateiInfo d;
  d.Autoren = {Autor(7, 2.5f, Liz_Standard, "Anna Weber", "anna@example.org", "Gleisplan"),
               Autor(12, 1234.567f, Liz_Privat, "Ömer", "", "")};
  {
    TGebietsschema c(QLocale::c());
    d.AutorenAnzeigen();
    EXPECT_EQ(Listenzeilen(d), (QStringList{"ID: 7; Stunden: 2.50; Lizenz:0; Anna Weber (anna@example.org) Gleisplan",
                                            QString::fromUtf8("ID: 12; Stunden: 1234.57; Lizenz:5; Ömer () ")}));
  }
  TGebietsschema de(QLocale(QLocale::German, QLocale::Germany));
  d.AutorenAnzeigen();
  EXPECT_EQ(Listenzeilen(d), (QStringList{"ID: 7; Stunden: 2,50; Lizenz:0; Anna Weber (anna@example.org) Gleisplan",
                                          QString::fromUtf8("ID: 12; Stunden: 1234,57; Lizenz:5; Ömer () ")}));
}

TEST_F(DateiInfo, ComponentsActionsAndMenus) {
  TFormDateiInfo d;
  EXPECT_EQ(d.windowTitle(), "Datei-Information");
  EXPECT_TRUE(d.LabeledEditQVDateiname->isReadOnly());
  EXPECT_TRUE(d.LabeledEditQVVersion->isReadOnly());
  EXPECT_EQ(d.LabeledEditQVVersion->EditLabel()->text(), "Dateiformat-Version");
  EXPECT_EQ(d.LabelDateien->text(), QString::fromUtf8("Dateien, die von dieser Datei benötigt werden"));
  EXPECT_EQ(d.StringGridQVDateien->ColCount(), 1);
  EXPECT_EQ(d.StringGridQVDateien->FixedCols(), 0);
  EXPECT_EQ(d.StringGridQVDateien->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(d.OpenDialogQVDatei->KiroFilter, 0x0FFFFFFFFFFFFFFF);
  EXPECT_EQ(d.OpenDialogQVDatei->KiroFilterStart, 43);
  EXPECT_EQ(d.SpTBXPopupMenuAutor->actions(), (QList<QAction*>{d.ActionAutorAnfuegen, d.ActionEmailAutoren}));
  EXPECT_FALSE(d.ActionEmailAutoren->isEnabled());
  const QList<QAction*> dateien = d.SpTBXPopupMenuDateien->actions();
  ASSERT_EQ(dateien.size(), 4);
  EXPECT_EQ(dateien[0], d.ActionDateiWahl);
  EXPECT_EQ(dateien[1], d.ActionZeileNeu);
  EXPECT_TRUE(dateien[2]->isSeparator());
  EXPECT_EQ(dateien[3], d.ActionZeileLoeschen);
  EXPECT_EQ(d.ActionZeileLoeschen->text(), QString::fromUtf8("Zeile löschen"));
  EXPECT_EQ(d.ActionFarbe->property("Tag").toInt(), 1);
}

TEST_F(DateiInfo, KeineAngabeSwitchesThePeriodOff) {
  TFormDateiInfo d;
  TDateiInfoFelder f;
  f.EinsatzAb = TDateTime::AusDatum(QDate(2024, 5, 1));
  f.EinsatzBis = TDateTime();
  d.Fuellen(f);
  d.show();
  EXPECT_FALSE(d.CheckBoxEinsatzAbKeineAngabe->isChecked());
  EXPECT_TRUE(d.CheckBoxEinsatzbisKeineAngabe->isChecked());
  EXPECT_TRUE(d.DateTimePickerEinsatzAb->isEnabled());
  EXPECT_FALSE(d.DateTimePickerEinsatzBis->isEnabled());
  EXPECT_FALSE(d.LabelEinsatzBis->isEnabled());

  d.CheckBoxEinsatzAbKeineAngabe->click();
  EXPECT_FALSE(d.DateTimePickerEinsatzAb->isEnabled());
  EXPECT_FALSE(d.LabelEinsatzAb->isEnabled());
  TDateiInfoFelder raus;
  d.Auslesen(raus);
  EXPECT_EQ(raus.EinsatzAb, TDateTime());
  d.CheckBoxEinsatzAbKeineAngabe->click();
  EXPECT_TRUE(d.DateTimePickerEinsatzAb->isEnabled());
  EXPECT_TRUE(d.LabelEinsatzAb->isEnabled());
  d.Auslesen(raus);
  EXPECT_EQ(raus.EinsatzAb, TDateTime());  // until the user picks a date
  EXPECT_EQ(raus.EinsatzBis, TDateTime());
}

TEST_F(DateiInfo, HeaderValuesGoInAndComeBack) {
  TFormDateiInfo d;
  TDateiInfoFelder f;
  f.Dateiname = "Strecke.st3";
  f.Version = "A.3";
  f.ObjektID = 815;
  f.Beschreibung = QStringList{"Erster Teil", "Zweiter Teil"};
  f.Autoren = {Autor(7, 2.5f, Liz_Standard, "A", "", "")};
  f.EinsatzAb = TDateTime(45000.5);  // a time of day survives the date-only picker
  f.EinsatzBis = TDateTime::AusDatum(QDate(2030, 12, 31));
  f.Kategorie = "\\Strecken\\Nord";
  f.Dateien = QStringList{"a\\b.ls3", "c.bmp"};
  d.Fuellen(f);
  d.show();
  EXPECT_EQ(d.LabeledEditQVDateiname->text(), "Strecke.st3");
  EXPECT_EQ(d.MemoBeschreibung->toPlainText(), "Erster Teil\nZweiter Teil");
  EXPECT_EQ(d.StringGridQVDateien->RowCount(), 3);
  EXPECT_EQ(Listenzeilen(d).size(), 1);
  TDateiInfoFelder raus;
  d.Auslesen(raus);
  EXPECT_EQ(raus.ObjektID, 815);
  EXPECT_EQ(raus.Beschreibung, f.Beschreibung);
  EXPECT_EQ(raus.EinsatzAb, f.EinsatzAb);
  EXPECT_EQ(raus.EinsatzBis, f.EinsatzBis);
  EXPECT_EQ(raus.Kategorie, f.Kategorie);
  EXPECT_EQ(raus.Dateien, f.Dateien);
  EXPECT_EQ(raus.Autoren.size(), 1);

  // No needed files still gives one empty data row.
  TFormDateiInfo leer;
  leer.Fuellen(TDateiInfoFelder{});
  EXPECT_EQ(leer.StringGridQVDateien->RowCount(), 2);
}

TEST_F(DateiInfo, AuthorsAreAddedAndEditedThroughTheAuthorDialog) {
  TGebietsschema de(QLocale(QLocale::German, QLocale::Germany));
  TFormDateiInfo d;
  d.Autoren = {Autor(7, 2.5f, Liz_Standard, "Anna", "a@x", "")};
  d.show();

  // Cancel changes nothing.
  d.ActionAutorAnfuegen->trigger();
  EXPECT_EQ(Gezeigt, QStringList{"FormAutorabfrage"});
  EXPECT_EQ(d.Autoren.size(), 1);

  Antwort = [](QDialog& dialog) {
    auto& a = dynamic_cast<TFormAutorabfrage&>(dialog);
    a.LabeledEditQVAutorID->setText("9");
    a.LabeledEditQVAutor->setText("Bernd");
    a.LabeledEditQVAufwandspunkteStunden->setText("1,5");
    a.ComboBoxQVLizenz->setCurrentIndex(3);
    return int(mrOk);
  };
  d.ActionAutorAnfuegen->trigger();
  ASSERT_EQ(d.Autoren.size(), 2);
  EXPECT_EQ(d.Autoren[1].AutorID, 9);
  EXPECT_EQ(Listenzeilen(d).value(1), "ID: 9; Stunden: 1,50; Lizenz:3; Bernd () ");

  // A double click without a selected line only beeps.
  Gezeigt.clear();
  d.ListBoxAutoren->clearSelection();
  d.ListBoxAutorenDblClick();
  EXPECT_TRUE(Gezeigt.isEmpty());

  // Editing shows the entry and replaces it; the rated values stay.
  QString gezeigterName;
  Antwort = [&](QDialog& dialog) {
    auto& a = dynamic_cast<TFormAutorabfrage&>(dialog);
    gezeigterName = a.LabeledEditQVAutor->text();
    a.LabeledEditQVemail->setText("anna@example.org");
    return int(mrOk);
  };
  d.ListBoxAutoren->setCurrentRow(0);
  d.ListBoxAutorenDblClick();
  EXPECT_EQ(gezeigterName, "Anna");
  EXPECT_EQ(d.Autoren[0].eMail, "anna@example.org");
  EXPECT_FLOAT_EQ(d.Autoren[0].AufwandAlt, 40);
  EXPECT_FLOAT_EQ(d.Autoren[0].AufwandPunkte, 7);
  EXPECT_EQ(Listenzeilen(d).value(0), "ID: 7; Stunden: 2,50; Lizenz:0; Anna (anna@example.org) ");

  Antwort = [](QDialog& dialog) {
    dynamic_cast<TFormAutorabfrage&>(dialog).LabeledEditQVAutor->setText("Verworfen");
    return int(mrCancel);
  };
  d.ListBoxAutoren->setCurrentRow(1);
  d.ListBoxAutorenDblClick();
  EXPECT_EQ(d.Autoren[1].Name, "Bernd");
}

TEST_F(DateiInfo, TheCategoryComesFromTheCategoryTree) {
  TFormDateiInfo d;
  d.LabeledEditQVKategorie->setText("\\Alt");
  // No tree file: one box, no dialog, the text stays.
  d.ActionFarbe->trigger();
  EXPECT_TRUE(Gezeigt.isEmpty());
  ASSERT_EQ(Meldungen.size(), 1);
  EXPECT_TRUE(Meldungen[0].contains("categories.txt"));
  EXPECT_EQ(Protokoll.Zeilen(), QStringList{"2 " + Meldungen[0]});
  EXPECT_EQ(d.LabeledEditQVKategorie->text(), "\\Alt");

  Temp.Schreiben("offiziell/_Setup/categories.txt", "Strecken\r\n\tNord\r\n\t\tHafen\r\n\tSued\r\n");
  // Confirmed without a selection: unchanged.
  Antwort = [](QDialog&) { return int(mrOk); };
  d.ActionFarbe->trigger();
  EXPECT_EQ(Gezeigt, QStringList{"FormKategoriewahl"});
  EXPECT_EQ(d.LabeledEditQVKategorie->text(), "\\Alt");

  Antwort = [](QDialog& dialog) {
    auto& k = dynamic_cast<TFormKategoriewahl&>(dialog);
    k.TreeViewFarben->setCurrentItem(k.TreeViewFarben->topLevelItem(0)->child(0));
    return int(mrOk);
  };
  d.ActionFarbe->trigger();
  EXPECT_EQ(d.LabeledEditQVKategorie->text(), "\\Strecken\\Nord");

  Antwort = [](QDialog& dialog) {
    auto& k = dynamic_cast<TFormKategoriewahl&>(dialog);
    k.TreeViewFarben->setCurrentItem(k.TreeViewFarben->topLevelItem(0));
    return int(mrCancel);
  };
  d.ActionFarbe->trigger();
  EXPECT_EQ(d.LabeledEditQVKategorie->text(), "\\Strecken\\Nord");
}

TEST_F(DateiInfo, NeededFilesAreInsertedAtTheCurrentRow) {
  TFormDateiInfo d;
  TDateiInfoFelder f;
  f.Dateien = QStringList{"eins.ls3", "zwei.ls3"};
  d.Fuellen(f);
  d.show();
  const QString gewaehlt = Temp.Schreiben("offiziell/Strecken/Nord/Gleis.ls3", "x");
  d.OpenDialogQVDatei->AnzeigenSetzen([&](QFileDialog& dialog) {
    dialog.selectFile(gewaehlt);
    return int(QDialog::Accepted);
  });
  d.StringGridQVDateien->RowSetzen(2);
  d.ActionDateiWahl->trigger();
  ASSERT_EQ(d.StringGridQVDateien->RowCount(), 4);
  EXPECT_EQ(d.StringGridQVDateien->Cells(0, 1), "eins.ls3");
  EXPECT_EQ(d.StringGridQVDateien->Cells(0, 2), "Strecken\\Nord\\Gleis.ls3");
  EXPECT_EQ(d.StringGridQVDateien->Cells(0, 3), "zwei.ls3");

  // Cancelled: nothing inserted.
  d.OpenDialogQVDatei->AnzeigenSetzen([](QFileDialog&) { return int(QDialog::Rejected); });
  d.ActionDateiWahl->trigger();
  EXPECT_EQ(d.StringGridQVDateien->RowCount(), 4);

  d.StringGridQVDateien->RowSetzen(1);
  d.ActionZeileNeu->trigger();
  EXPECT_EQ(d.StringGridQVDateien->Cells(0, 1), "");
  EXPECT_EQ(d.StringGridQVDateien->Cells(0, 2), "eins.ls3");
  d.StringGridQVDateien->RowSetzen(1);
  d.ActionZeileLoeschen->trigger();
  EXPECT_EQ(d.StringGridQVDateien->Cells(0, 1), "eins.ls3");
  EXPECT_EQ(d.StringGridQVDateien->RowCount(), 4);
}

TEST_F(DateiInfo, EachDialogIsTranslatedWhenCreated) {
  const TEnglisch englisch(Temp,
                           "FormDateiInfo.Caption = File information\n"
                           "FormDateiInfo.LabeledEditQVKategorie.EditLabel.Caption = Category\n"
                           "FormDateiInfo.ActionZeileNeu.Caption = New row\n"
                           "FormDateiInfo.ActionFarbe.Caption = never\n"
                           "FormAutorabfrage.Caption = Author\n"
                           "FormAutorabfrage.LabelLizenz.Caption = Licence\n"
                           "FormKategoriewahl.ButtonHinzufuegen.Caption = Add field\n"
                           "FormKategoriewahl.SpeedButtonLaden.Caption = never\n");
  {
    TFormDateiInfo d;
    EXPECT_EQ(d.windowTitle(), "File information");
    EXPECT_EQ(d.LabeledEditQVKategorie->EditLabel()->text(), "Category");
    EXPECT_EQ(d.ActionZeileNeu->text(), "New row");
    EXPECT_EQ(d.ActionFarbe->text(), "...");
    TFormAutorabfrage a;
    EXPECT_EQ(a.windowTitle(), "Author");
    EXPECT_EQ(a.LabelLizenz->text(), "Licence");
    TFormKategoriewahl k;
    EXPECT_EQ(k.ButtonHinzufuegen->text(), "Add field");
    EXPECT_EQ(k.SpeedButtonLaden->text(), "");
  }
}

TEST_F(DateiInfo, IconsComeFromTheApplicationsCollectionByName) {
  TImageCollection bilder;
  KiroGesamtBilderEintragen(bilder);
  ImageCollectionKiroGesamtSetzen(&bilder);
  {
    TFormDateiInfo d;
    for (QAction* a : {d.ActionAutorAnfuegen, d.ActionZeileNeu, d.ActionZeileLoeschen, d.ActionDateiWahl})
      EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
    EXPECT_EQ(d.ActionDateiWahl->icon().cacheKey(), bilder.Icon("icon_oeffnen").cacheKey());
    TFormKategoriewahl k;
    for (QToolButton* b : {k.BitBtnBaumAufklappen, k.BitBtnBaumEinklappen, k.SpeedButtonLaden, k.SpeedButtonSpeichern})
      EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
    EXPECT_EQ(k.SpeedButtonSpeichern->icon().cacheKey(), bilder.Icon("icon_speichern").cacheKey());
  }
  ImageCollectionKiroGesamtSetzen(nullptr);
  // Without a collection the dialogs still open, without pictures.
  TFormKategoriewahl ohne;
  EXPECT_TRUE(ohne.SpeedButtonLaden->icon().isNull());
}

// "..." pressed by keys opens the real category dialog, whose tree takes the focus (Qt then makes
// its first node the current one without selecting it); OK by Return takes only a picked node.
TEST_F(DateiInfoGezeigt, TheCategoryDialogAnsweredByKeys) {
  Temp.Schreiben("offiziell/_Setup/categories.txt", "Strecken\r\n\tNord\r\nFahrzeuge\r\n");
  struct TFall {
    const char* name;
    QList<QKeyCombination> tasten;  // in the category dialog
    QString kategorie;
  };
  const TFall faelle[] = {
      {"OK without a picked node", {Qt::Key_Return}, "\\Alt"},
      {"a node picked with the arrow keys", {Qt::Key_Right, Qt::Key_Down, Qt::Key_Return}, "\\Strecken\\Nord"},
      {"a node picked, then cancelled", {Qt::Key_Down, Qt::Key_Escape}, "\\Alt"},
  };
  for (const TFall& f : faelle) {
    SCOPED_TRACE(f.name);
    TFormDateiInfo d;
    TDateiInfoFelder felder;
    felder.Kategorie = "\\Alt";
    d.Fuellen(felder);
    QString fokus, danach;
    test::TTastenfolge benutzer;
    benutzer
        .Dann("FormDateiInfo",
              [&](QDialog&) {
                d.BitBtnFarbe->setFocus(Qt::TabFocusReason);
                QTest::keyClick(d.BitBtnFarbe, Qt::Key_Space);
              })
        .Dann("FormKategoriewahl", [&](QDialog&) { fokus = QApplication::focusWidget()->objectName(); })
        .Tasten("FormKategoriewahl", f.tasten)
        .Dann("FormDateiInfo", [&](QDialog&) { danach = d.LabeledEditQVKategorie->text(); })
        .Tasten("FormDateiInfo", {Qt::Key_Escape});
    benutzer.Starten();
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
    EXPECT_EQ(fokus, "TreeViewFarben");
    EXPECT_EQ(danach, f.kategorie);
  }
  EXPECT_TRUE(Meldungen.isEmpty());
}

namespace {
// The control a focused widget belongs to (a date picker's inner edit counts as the picker).
QString Steuerelement(const QWidget* w) {
  while (w && (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))) w = w->parentWidget();
  return w ? w->objectName() : QString();
}
}  // namespace

// Return and F2 on a focused author open the author dialog for that author; OK there stores the
// edit, and the file-information dialog stays open until its own OK.
TEST_F(DateiInfoGezeigt, ReturnOrF2OnAnAuthorEditsIt) {
  for (const Qt::Key taste : {Qt::Key_Return, Qt::Key_F2}) {
    SCOPED_TRACE(taste);
    TFormDateiInfo d;
    TDateiInfoFelder felder;
    felder.Autoren = {Autor(7, 2.5f, Liz_Standard, "Anna", "a@x", ""), Autor(9, 1, Liz_Privat, "Bert", "b@x", "")};
    d.Fuellen(felder);
    QString gezeigterName;
    test::TTastenfolge benutzer;
    benutzer
        .Dann("FormDateiInfo",
              [&](QDialog&) {
                d.ListBoxAutoren->setFocus(Qt::TabFocusReason);
                QTest::keyClick(d.ListBoxAutoren, Qt::Key_Down);
                QTest::keyClick(d.ListBoxAutoren, Qt::Key_Down);
                QTest::keyClick(d.ListBoxAutoren, taste);
              })
        .Dann("FormAutorabfrage",
              [&](QDialog& a) {
                auto& abfrage = dynamic_cast<TFormAutorabfrage&>(a);
                gezeigterName = abfrage.LabeledEditQVAutor->text();
                abfrage.LabeledEditQVAutor->setText("Berta");
                QTest::keyClick(abfrage.LabeledEditQVAutor, Qt::Key_Return);
              })
        .Tasten("FormDateiInfo", {Qt::Key_Escape});
    benutzer.Starten();
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
    EXPECT_EQ(gezeigterName, "Bert");
    ASSERT_EQ(d.Autoren.size(), 2);
    EXPECT_EQ(d.Autoren[1].Name, "Berta");
  }
}

// Text from the file goes back whole when the dialog is confirmed untouched, however long.
TEST_F(DateiInfoGezeigt, ALongCategoryComesBackWhole) {
  TFormDateiInfo d;
  TDateiInfoFelder felder;
  felder.Kategorie = QString(40000, u'k');
  d.Fuellen(felder);
  test::TTastenfolge benutzer;
  benutzer.Tasten("FormDateiInfo", {Qt::Key_Return});
  benutzer.Starten();
  EXPECT_EQ(d.exec(), QDialog::Accepted);
  ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
  TDateiInfoFelder raus;
  d.Auslesen(raus);
  EXPECT_EQ(raus.Kategorie.size(), 40000);
  EXPECT_TRUE(raus.Kategorie == felder.Kategorie);
}

// A date typed with its separators stays in the picker and is the date stored; only Tab leaves.
TEST_F(DateiInfoGezeigt, ADateTypedWithItsSeparatorsIsTaken) {
  TFormDateiInfo d;
  TDateiInfoFelder felder;
  felder.EinsatzAb = TDateTime::AusDatum(QDate(2024, 3, 15));
  d.Fuellen(felder);
  QStringList fokus;
  test::TTastenfolge benutzer;
  benutzer.Dann("FormDateiInfo", [&](QDialog&) {
    d.DateTimePickerEinsatzAb->setFocus(Qt::TabFocusReason);
    QTest::keyClick(d.DateTimePickerEinsatzAb, Qt::Key_Home);
    for (const QChar c : QStringLiteral("15.04.2025")) {
      QTest::keyClicks(QApplication::focusWidget(), QString(c));
      fokus << Steuerelement(QApplication::focusWidget());
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  });
  benutzer.Starten();
  EXPECT_EQ(d.exec(), QDialog::Accepted);
  ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
  EXPECT_EQ(fokus, QStringList(10, "DateTimePickerEinsatzAb"));
  TDateiInfoFelder raus;
  d.Auslesen(raus);
  EXPECT_EQ(raus.EinsatzAb.AlsQDateTime().date(), QDate(2025, 4, 15));
}

// Tab walks the shown dialog top to bottom, left to right, and leaves the description and the
// file grid instead of typing into them or walking their cells.
TEST_F(DateiInfoGezeigt, TabFollowsTheWindow) {
  const QStringList kette = {"LabeledEditQVDateiname", "LabeledEditQVVersion", "ListBoxAutoren",
                             "LabeledEditQVKategorie", "BitBtnFarbe", "DateTimePickerEinsatzAb",
                             "CheckBoxEinsatzAbKeineAngabe", "DateTimePickerEinsatzBis",
                             "CheckBoxEinsatzbisKeineAngabe", "LabeledEditQVObjektID", "MemoBeschreibung",
                             "StringGridQVDateien", "ButtonAbbrechen", "ButtonOK", "LabeledEditQVDateiname"};
  TFormDateiInfo d;
  TDateiInfoFelder felder;
  felder.Autoren = {Autor(7, 2.5f, Liz_Standard, "Anna", "a@x", "")};
  felder.EinsatzAb = TDateTime::AusDatum(QDate(2024, 5, 1));
  felder.EinsatzBis = TDateTime::AusDatum(QDate(2030, 1, 1));
  felder.Dateien = QStringList{"eins.ls3", "zwei.ls3", "drei.ls3"};
  d.Fuellen(felder);
  QStringList vorwaerts, rueckwaerts;
  QString beschreibung, nachStrgTab;
  test::TTastenfolge benutzer;
  benutzer
      .Dann("FormDateiInfo",
            [&](QDialog&) {
              d.LabeledEditQVDateiname->setFocus(Qt::TabFocusReason);
              for (qsizetype i = 0; i < kette.size(); ++i) {
                vorwaerts << Steuerelement(QApplication::focusWidget());
                if (i + 1 < kette.size()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
              }
              for (qsizetype i = 0; i < kette.size(); ++i) {
                rueckwaerts.prepend(Steuerelement(QApplication::focusWidget()));
                if (i + 1 < kette.size()) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
              }
              // Typing in the description, then Tab: the text stays as typed and the grid has the focus.
              d.MemoBeschreibung->setFocus(Qt::TabFocusReason);
              QTest::keyClicks(d.MemoBeschreibung, "Hafen");
              QTest::keyClick(d.MemoBeschreibung, Qt::Key_Tab);
              beschreibung = d.MemoBeschreibung->toPlainText() + u'|' + Steuerelement(QApplication::focusWidget());
              // Ctrl+Tab is how a TAB still gets into the text.
              d.MemoBeschreibung->setFocus(Qt::TabFocusReason);
              QTest::keyClick(d.MemoBeschreibung, Qt::Key_Tab, Qt::ControlModifier);
              nachStrgTab = d.MemoBeschreibung->toPlainText() + u'|' + Steuerelement(QApplication::focusWidget());
            })
      .Tasten("FormDateiInfo", {Qt::Key_Escape});
  benutzer.Starten();
  EXPECT_EQ(d.exec(), QDialog::Rejected);
  ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
  EXPECT_EQ(vorwaerts.join(", ").toStdString(), kette.join(", ").toStdString());
  EXPECT_EQ(rueckwaerts.join(", ").toStdString(), kette.join(", ").toStdString());
  EXPECT_EQ(beschreibung.toStdString(), "Hafen|StringGridQVDateien");
  EXPECT_EQ(nachStrgTab.toStdString(), "Hafen\t|MemoBeschreibung");
}

namespace {
// What a screen reader announces for each control of a dialog that can take the focus (inner
// parts such as a date picker's edit are announced through their control).
QMap<QString, QString> ZugaenglicheNamen(QDialog& Dialog) {
  QMap<QString, QString> namen;
  for (QWidget* w : Dialog.findChildren<QWidget*>()) {
    if (w->window() != &Dialog || !(w->focusPolicy() & Qt::TabFocus) || w->objectName().startsWith("qt_")) continue;
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    namen[w->objectName()] = i ? i->text(QAccessible::Name) : QString();
  }
  return namen;
}
}  // namespace

// Every control of the three dialogs has a name for screen readers, in the window's language;
// image-only buttons show what they do as a tool tip too.
TEST_F(DateiInfo, EveryControlHasAnAccessibleNameInTheWindowsLanguage) {
  TEnglisch englisch(Temp,
                     "FormDateiInfo.LabelAutoren.Caption = Authors\n"
                     "FormDateiInfo.LabelEinsatzAb.Caption = Usable from\n"
                     "FormDateiInfo.LabelEinsatzBis.Caption = Usable until\n"
                     "FormDateiInfo.LabelBeschreibung.Caption = Short description\n"
                     "FormDateiInfo.LabelDateien.Caption = Files this file needs\n"
                     "FormDateiInfo.BitBtnFarbe.Hint = Choose category...\n"
                     "FormAutorabfrage.LabelLizenz.Caption = Licence\n"
                     "FormKategoriewahl.Caption = Category choice\n"
                     "FormKategoriewahl.BitBtnBaumAufklappen.Hint = Expand all\n"
                     "FormKategoriewahl.BitBtnBaumEinklappen.Hint = Collapse all\n"
                     "FormKategoriewahl.SpeedButtonLaden.Hint = Load tree...\n"
                     "FormKategoriewahl.SpeedButtonSpeichern.Hint = Save tree...\n");
  struct TFall {
    const char* sprache;
    TSprachtabelle* tabelle;  // none: the texts as designed
    QMap<QString, QString> namen;  // the controls the designed window left unnamed
  };
  const TFall faelle[] = {
      {"Deutsch",
       nullptr,
       {{"ListBoxAutoren", "Autoren"},
        {"DateTimePickerEinsatzAb", "Einsetzbar ab"},
        {"DateTimePickerEinsatzBis", "Einsetzbar bis"},
        {"MemoBeschreibung", "Kurze Beschreibung"},
        {"StringGridQVDateien", QString::fromUtf8("Dateien, die von dieser Datei benötigt werden")},
        {"ComboBoxQVLizenz", "Lizenz"},
        {"TreeViewFarben", "Kategoriewahl"},
        {"BitBtnBaumAufklappen", "Alle aufklappen"},
        {"BitBtnBaumEinklappen", "Alle einklappen"},
        {"SpeedButtonLaden", "Baum laden..."},
        {"SpeedButtonSpeichern", "Baum speichern..."},
        {"BitBtnFarbe", QString::fromUtf8("Kategorie wählen...")}}},
      {"English",
       &englisch.Tabelle,
       {{"ListBoxAutoren", "Authors"},
        {"DateTimePickerEinsatzAb", "Usable from"},
        {"DateTimePickerEinsatzBis", "Usable until"},
        {"MemoBeschreibung", "Short description"},
        {"StringGridQVDateien", "Files this file needs"},
        {"ComboBoxQVLizenz", "Licence"},
        {"TreeViewFarben", "Category choice"},
        {"BitBtnBaumAufklappen", "Expand all"},
        {"BitBtnBaumEinklappen", "Collapse all"},
        {"SpeedButtonLaden", "Load tree..."},
        {"SpeedButtonSpeichern", "Save tree..."},
        {"BitBtnFarbe", "Choose category..."}}},
  };
  for (const TFall& f : faelle) {
    SCOPED_TRACE(f.sprache);
    Sprachtabelle = f.tabelle;
    TFormDateiInfo d;
    TFormAutorabfrage a;
    a.ComboBoxQVLizenz->setCurrentIndex(2);  // the name stays the label's, not the chosen item
    TFormKategoriewahl k;
    QMap<QString, QString> namen;
    for (QDialog* dialog : std::initializer_list<QDialog*>{&d, &a, &k}) {
      dialog->show();
      const QMap<QString, QString> n = ZugaenglicheNamen(*dialog);
      for (auto i = n.begin(); i != n.end(); ++i) {
        EXPECT_FALSE(i.value().isEmpty()) << dialog->objectName().toStdString() << "." << i.key().toStdString();
        namen.insert(i.key(), i.value());
      }
    }
    for (auto i = f.namen.begin(); i != f.namen.end(); ++i)
      EXPECT_EQ(namen.value(i.key()).toStdString(), i.value().toStdString()) << i.key().toStdString();
    for (QToolButton* b : {k.BitBtnBaumAufklappen, k.BitBtnBaumEinklappen, k.SpeedButtonLaden, k.SpeedButtonSpeichern})
      EXPECT_EQ(b->toolTip().toStdString(), f.namen.value(b->objectName()).toStdString());
    // The chosen licence is the combo's value.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(a.ComboBoxQVLizenz)->text(QAccessible::Value).toStdString(),
              TFormAutorabfrage::Lizenztexte()[2].toStdString());
    // The dots button shows its dots (tag 1) in every language, but says what it does.
    EXPECT_EQ(d.BitBtnFarbe->text().toStdString(), "...");
    EXPECT_EQ(d.BitBtnFarbe->toolTip().toStdString(), f.namen.value("BitBtnFarbe").toStdString());
  }
}
