#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "foundation/RadioGroup.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Uebersetzen.h"
#include "testsupport/TempOrdner.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

template <typename T, typename... A>
T* Neu(QWidget* Eltern, const char* Name, A&&... Args) {
  auto* k = new T(std::forward<A>(Args)..., Eltern);
  k->setObjectName(QString::fromLatin1(Name));
  if constexpr (std::is_base_of_v<QWidget, T>) Eltern->layout()->addWidget(k);
  return k;
}

// A small window with one component of each translated kind and a few that are not.
struct Testfenster {
  Testfenster() {
    Fenster.setObjectName(QStringLiteral("FormTest"));
    Fenster.setWindowTitle(QStringLiteral("Testfenster"));
    Fenster.setProperty("Tag", 1);  // the window's own caption is translated regardless
    new QVBoxLayout(&Fenster);
    Label = Neu<QLabel>(&Fenster, "LabelName", QStringLiteral("Name:"));
    Ok = Neu<QPushButton>(&Fenster, "ButtonOK", QStringLiteral("OK"));
    Ok->setProperty("Tag", 1);
    Check = Neu<QCheckBox>(&Fenster, "CheckBoxA", QStringLiteral("Auswahl"));
    Radio = Neu<QRadioButton>(&Fenster, "RadioButtonX", QStringLiteral("Knopf"));
    Gruppe = Neu<QGroupBox>(&Fenster, "GroupBoxG", QStringLiteral("Gruppe"));
    Modus = Neu<TRadioGroup>(&Fenster, "RadioGroupModus", QStringLiteral("Modus"));
    Modus->SetItems({QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("drei")});
    Voll = Neu<TRadioGroup>(&Fenster, "RadioGroupVoll", QStringLiteral("Voll"));
    Voll->SetItems({QStringLiteral("a"), QStringLiteral("b")});
    Voll->SetItemIndex(1);
    Checkliste = Neu<QListWidget>(&Fenster, "CheckListBoxL");
    for (const char* s : {"x", "y"}) {
      auto* e = new QListWidgetItem(QString::fromLatin1(s), Checkliste);
      e->setFlags(e->flags() | Qt::ItemIsUserCheckable);
      e->setCheckState(Qt::Checked);
    }
    Liste = Neu<QListWidget>(&Fenster, "ListBoxPlain");
    Liste->addItems({QStringLiteral("p"), QStringLiteral("q")});
    Edit = Neu<QLineEdit>(&Fenster, "EditPlain");
    Edit->setText(QStringLiteral("Eingabe"));
    Beschriftet = Neu<QLineEdit>(&Fenster, "LabeledEditAutor");
    EditLabel = new QLabel(QStringLiteral("Autor"), &Fenster);  // unnamed: only reached through the edit
    Beschriftet->setProperty("EditLabel", QVariant::fromValue<QObject*>(EditLabel));
    Tabs = Neu<QTabWidget>(&Fenster, "PageControl1");
    auto* seite = new QWidget;
    seite->setObjectName(QStringLiteral("TabSheetEins"));
    Tabs->addTab(seite, QStringLiteral("Erste"));
    Werkzeuge = Neu<QToolBar>(&Fenster, "ToolBarHaupt");
    Werkzeuge->setWindowTitle(QStringLiteral("Werkzeuge"));
    Menue = new QMenu(QStringLiteral("Datei"), &Fenster);
    Menue->setObjectName(QStringLiteral("MenuDatei"));
    Oeffnen = Neu<QAction>(&Fenster, "ActionOeffnen", QStringLiteral("&\u00D6ffnen..."));
    Schliessen = Neu<QAction>(&Fenster, "ActionSchliessen", QStringLiteral("Speichern && &Schlie\u00DFen"));
    Hilfe = Neu<QAction>(&Fenster, "ActionHilfe", QStringLiteral("&Hilfe"));
    Hilfe->setToolTip(QStringLiteral("Zeigt die Hilfe"));
    Uebersetzt = Neu<QAction>(&Fenster, "ActionUebersetzt", QStringLiteral("&Neu"));
    Menue->addAction(Oeffnen);
    Werkzeuge->addAction(Oeffnen);
  }

  QWidget Fenster;
  QLabel* Label;
  QPushButton* Ok;
  QCheckBox* Check;
  QRadioButton* Radio;
  QGroupBox* Gruppe;
  TRadioGroup* Modus;
  TRadioGroup* Voll;
  QListWidget* Checkliste;
  QListWidget* Liste;
  QLineEdit* Edit;
  QLineEdit* Beschriftet;
  QLabel* EditLabel;
  QTabWidget* Tabs;
  QToolBar* Werkzeuge;
  QMenu* Menue;
  QAction* Oeffnen;
  QAction* Schliessen;
  QAction* Hilfe;
  QAction* Uebersetzt;
};

// The catalogue's English texts for the window, in a language file of a temporary program folder.
constexpr char kEnglisch[] =
    "FormTest.Caption = Test window\n"
    "FormTest.LabelName.Caption = Name (en):\n"
    "FormTest.ButtonOK.Caption = never\n"
    "FormTest.ButtonOK.Hint = never\n"
    "FormTest.CheckBoxA.Caption = Choice\n"
    "FormTest.CheckBoxA.Hint = Choice hint\n"
    "FormTest.RadioButtonX.Caption = Button\n"
    "FormTest.RadioButtonX.Hint = radio buttons have no hint key\n"
    "FormTest.GroupBoxG.Caption = ''\n"  // an empty text changes nothing
    "FormTest.RadioGroupModus.Caption = Mode\n"
    "FormTest.RadioGroupModus.Hint = Mode hint\n"
    "FormTest.RadioGroupModus.Eintrag0 = one\n"
    "FormTest.RadioGroupModus.Eintrag2 = three\n"
    "FormTest.RadioGroupVoll.Eintrag0 = A\n"
    "FormTest.RadioGroupVoll.Eintrag1 = B\n"
    "FormTest.RadioGroupVoll.Eintrag2 = C\n"
    "FormTest.CheckListBoxL.Eintrag0 = X\n"
    "FormTest.CheckListBoxL.Eintrag1 = Y\n"
    "FormTest.ListBoxPlain.Eintrag0 = P\n"
    "FormTest.ListBoxPlain.Eintrag1 = Q\n"
    "FormTest.EditPlain.Caption = never\n"
    "FormTest.EditPlain.Hint = never\n"
    "FormTest.LabeledEditAutor.EditLabel.Caption = Author\n"
    "FormTest.LabeledEditAutor.Hint = Author hint\n"
    "FormTest.TabSheetEins.Caption = First\n"
    "FormTest.ToolBarHaupt.Caption = Tools\n"
    "FormTest.MenuDatei.Caption = File\n"
    "FormTest.ActionUebersetzt.Caption = &New\n"
    "FormTest.ActionUebersetzt.Hint = Creates a new file\n";

class UebersetzenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Programmverzeichnis = Ordner.Pfad();
    Ordner.Schreiben(QStringLiteral("_InstSetup/language/English/text.txt"), kEnglisch);
    Tabelle.Sprachordner = QStringLiteral("English");
  }
  void TearDown() override {
    Programmverzeichnis.clear();
    Sprachtabelle = nullptr;
    Einstellungen = nullptr;
  }
  test::TempOrdner Ordner;
  TSprachtabelle Tabelle;
};

TEST_F(UebersetzenTest, TranslatesEachKindOfComponent) {
  Testfenster f;
  Sprachtabelle = &Tabelle;
  FormularUebersetzen(&f.Fenster);

  EXPECT_EQ(f.Fenster.windowTitle(), QStringLiteral("Test window"));
  EXPECT_EQ(f.Label->text(), QStringLiteral("Name (en):"));
  // Tag 1: nothing of it changes.
  EXPECT_EQ(f.Ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(f.Ok->toolTip(), QString());
  EXPECT_EQ(f.Check->text(), QStringLiteral("Choice"));
  EXPECT_EQ(f.Check->toolTip(), QStringLiteral("Choice hint"));
  EXPECT_EQ(f.Radio->text(), QStringLiteral("Button"));
  EXPECT_EQ(f.Radio->toolTip(), QString());
  EXPECT_EQ(f.Gruppe->title(), QStringLiteral("Gruppe"));
  // Item 1 has no text: the group keeps all three design items, its caption and hint change.
  EXPECT_EQ(f.Modus->title(), QStringLiteral("Mode"));
  EXPECT_EQ(f.Modus->toolTip(), QStringLiteral("Mode hint"));
  EXPECT_EQ(f.Modus->Items(), QStringList({QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("drei")}));
  // All items known: replaced in place (a third text is not added), the selection stays.
  EXPECT_EQ(f.Voll->Items(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
  EXPECT_EQ(f.Voll->ItemIndex(), 1);
  // The check list is refilled and loses its check marks; the plain list stays.
  ASSERT_EQ(f.Checkliste->count(), 2);
  EXPECT_EQ(f.Checkliste->item(0)->text(), QStringLiteral("X"));
  EXPECT_EQ(f.Checkliste->item(1)->text(), QStringLiteral("Y"));
  EXPECT_EQ(f.Checkliste->item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(f.Checkliste->item(1)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(f.Checkliste->item(1)->flags() & Qt::ItemIsUserCheckable);
  EXPECT_EQ(f.Liste->item(0)->text(), QStringLiteral("p"));
  EXPECT_EQ(f.Edit->text(), QStringLiteral("Eingabe"));
  EXPECT_EQ(f.Edit->toolTip(), QString());
  EXPECT_EQ(f.EditLabel->text(), QStringLiteral("Author"));
  EXPECT_EQ(f.Beschriftet->toolTip(), QStringLiteral("Author hint"));
  EXPECT_EQ(f.Tabs->tabText(0), QStringLiteral("First"));
  EXPECT_EQ(f.Werkzeuge->windowTitle(), QStringLiteral("Tools"));
  EXPECT_EQ(f.Menue->title(), QStringLiteral("File"));
  EXPECT_EQ(f.Uebersetzt->text(), QStringLiteral("&New"));
  EXPECT_EQ(f.Uebersetzt->toolTip(), QStringLiteral("Creates a new file"));
}

TEST_F(UebersetzenTest, ActionsWithoutHintGetTheirCaptionAsHint) {
  Testfenster f;
  Sprachtabelle = &Tabelle;
  FormularUebersetzen(&f.Fenster);
  EXPECT_EQ(f.Oeffnen->toolTip(), QStringLiteral("\u00D6ffnen..."));
  EXPECT_EQ(f.Schliessen->toolTip(), QStringLiteral("Speichern & Schlie\u00DFen"));
  EXPECT_EQ(f.Hilfe->toolTip(), QStringLiteral("Zeigt die Hilfe"));
  // The hint is the action's own now: it stays when the caption changes later.
  f.Oeffnen->setText(QStringLiteral("Open"));
  EXPECT_EQ(f.Oeffnen->toolTip(), QStringLiteral("\u00D6ffnen..."));
}

TEST_F(UebersetzenTest, WithoutCatalogueOnlyTheActionHintsChange) {
  Testfenster f;
  FormularUebersetzen(&f.Fenster);
  EXPECT_EQ(f.Fenster.windowTitle(), QStringLiteral("Testfenster"));
  EXPECT_EQ(f.Label->text(), QStringLiteral("Name:"));
  EXPECT_EQ(f.Checkliste->item(0)->checkState(), Qt::Checked);
  EXPECT_EQ(f.Uebersetzt->text(), QStringLiteral("&Neu"));
  EXPECT_EQ(f.Uebersetzt->toolTip(), QStringLiteral("Neu"));
  EXPECT_EQ(f.Schliessen->toolTip(), QStringLiteral("Speichern & Schlie\u00DFen"));
  EXPECT_FALSE(Tabelle.Geladen);
}

TEST_F(UebersetzenTest, FollowsTheSettingsLanguage) {
  Ordner.Schreiben(QStringLiteral("_InstSetup/language/Deutsch/text.txt"), "FormTest.Caption = Deutsches Fenster\n");
  TEinstellungen e;
  e.Sprachordner = QStringLiteral("Deutsch");
  Einstellungen = &e;
  Sprachtabelle = &Tabelle;
  Testfenster f;
  FormularUebersetzen(&f.Fenster);
  EXPECT_EQ(Tabelle.Sprachordner, QStringLiteral("Deutsch"));
  EXPECT_EQ(f.Fenster.windowTitle(), QStringLiteral("Deutsches Fenster"));
}

TEST(OhneKuerzel, RemovesAcceleratorMarks) {
  const std::pair<const char16_t*, const char16_t*> faelle[] = {
      {u"&Datei", u"Datei"}, {u"A && B", u"A & B"}, {u"&&&X", u"&X"}, {u"ohne", u"ohne"},
      {u"&", u""}, {u"&&", u"&"}, {u"a&b&c", u"abc"}, {u"", u""}};
  for (const auto& [ein, aus] : faelle)
    EXPECT_EQ(OhneKuerzel(QString::fromUtf16(ein)), QString::fromUtf16(aus)) << QString::fromUtf16(ein).toStdString();
}

}  // namespace
