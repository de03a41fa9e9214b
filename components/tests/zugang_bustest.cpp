// The dialogs as a screen reader hears them: read over the accessibility bus, not through Qt's
// interfaces inside the process.
#include "components/AutorabfrageForm.h"
#include "components/ComboBoxQV.h"
#include "foundation/Ordner.h"
#include "foundation/Sprachtabelle.h"
#include "testsupport/Bildschirmleser.h"
#include "testsupport/TempOrdner.h"
#include "support/Tastenfolge.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace kiro;
using kiro::test::TBildschirmleser;

namespace {

constexpr unsigned kRolleComboBox = 11;  // ATSPI_ROLE_COMBO_BOX

// What a reader learns of the combo in one state: its name and the chosen item it can reach.
struct TGehoert {
  QString Name;
  QString Text;
};

TGehoert Hoeren(const TBildschirmleser& Leser, const TBildschirmleser::TKnoten& Combo) {
  return {Leser.Name(Combo), Leser.Text(Combo).value_or(QStringLiteral("<no text>"))};
}

}  // namespace

// The licence combo keeps its caption as its name; the chosen item is its text, and Down is
// heard as the new item, in German and in English.
TEST(Bildschirmleser, TheLicenceComboSaysItsChosenItem) {
  TBildschirmleser leser;
  if (!leser.Hindernis().isEmpty()) GTEST_SKIP() << leser.Hindernis().toStdString();
  leser.Zuhoeren();
  test::TempOrdner temp;
  temp.Schreiben("programm/_InstSetup/language/English/text.txt", "FormAutorabfrage.LabelLizenz.Caption = Licence\n");
  const QString altProgramm = Programmverzeichnis;
  TSprachtabelle* const altTabelle = Sprachtabelle;
  Programmverzeichnis = temp / "programm/";
  TSprachtabelle englisch;
  englisch.Sprachordner = "English";
  const QStringList lizenzen = TFormAutorabfrage::Lizenztexte();

  for (TSprachtabelle* tabelle : {static_cast<TSprachtabelle*>(nullptr), &englisch}) {
    Sprachtabelle = tabelle;
    const QString name = tabelle ? "Licence" : "Lizenz";
    SCOPED_TRACE(name.toStdString());
    TFormAutorabfrage a;
    TAutor autor;
    autor.Lizenz = Liz_StandardGeldinPool;
    a.SetAutor(autor);
    TGehoert vorher, nachher;
    QList<TBildschirmleser::TEreignis> gesagt;
    test::TTastenfolge benutzer;
    benutzer
        .Dann("FormAutorabfrage",
              [&](QDialog&) {
                a.ComboBoxQVLizenz->setFocus(Qt::TabFocusReason);
                const auto combo = leser.Suchen(name, kRolleComboBox);
                if (!combo) return;
                vorher = Hoeren(leser, *combo);
                leser.EreignisseLeeren();
                QTest::keyClick(a.ComboBoxQVLizenz, Qt::Key_Down);
                TBildschirmleser::Warten([&] {
                  for (const auto& e : leser.Ereignisse())
                    if (e.Pfad == combo->Pfad && e.Wert == lizenzen[2]) return true;
                  return false;
                });
                gesagt = leser.Ereignisse();
                nachher = Hoeren(leser, *combo);
              })
        .Tasten("FormAutorabfrage", {Qt::Key_Escape});
    benutzer.Starten();
    a.exec();
    ASSERT_TRUE(benutzer.Fertig()) << benutzer.Verpasst().toStdString();
    EXPECT_EQ(vorher.Name.toStdString(), name.toStdString());
    EXPECT_EQ(vorher.Text.toStdString(), lizenzen[1].toStdString());
    EXPECT_EQ(nachher.Name.toStdString(), name.toStdString());
    EXPECT_EQ(nachher.Text.toStdString(), lizenzen[2].toStdString());
    QStringList gehoert;
    for (const auto& e : gesagt) gehoert << e.Art + u' ' + e.Detail + QStringLiteral(": ") + e.Wert;
    EXPECT_TRUE(gehoert.contains(QStringLiteral("TextChanged insert: ") + lizenzen[2])) << gehoert.join("\n").toStdString();
  }
  Sprachtabelle = altTabelle;
  Programmverzeichnis = altProgramm;
}
