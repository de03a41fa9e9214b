#include "components/AutorabfrageForm.h"
#include "components/ComboBoxQV.h"
#include "components/LabeledEditQV.h"
#include "foundation/Einstellungen.h"
#include "testsupport/Gebietsschema.h"
#include "testsupport/Protokollfaenger.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace kiro;
using kiro::test::TGebietsschema;

namespace {

class TEinstellungenGesetzt {
 public:
  explicit TEinstellungenGesetzt(TEinstellungen* e) : FVorher(Einstellungen) { Einstellungen = e; }
  ~TEinstellungenGesetzt() { Einstellungen = FVorher; }

 private:
  TEinstellungen* FVorher;
};

TAutor Autor(std::int32_t id, const char* name, float stunden, TLizenz lizenz) {
  TAutor a;
  a.AutorID = id;
  a.Name = QString::fromUtf8(name);
  a.eMail = QStringLiteral("a@b.example");
  a.Bemerkung = QStringLiteral("Strecke; Signale");
  a.AufwandStunden = stunden;
  a.AufwandAlt = 12.5f;
  a.AufwandPunkte = 3.25f;
  a.Lizenz = lizenz;
  return a;
}

}  // namespace

TEST(FormAutorabfrage, WhatIsSetComesBackUnderEitherLocale) {
  struct TFall {
    const char* name;
    TAutor rein;
    float stunden;  // as it comes back
  };
  const TFall faelle[] = {
      {"four decimals", Autor(7, "Müller", 1.23456f, Liz_Standard), 1.2346f},
      {"pool", Autor(-3, "B", 0, Liz_StandardGeldinPool), 0},
      {"to the maker", Autor(2147483647, "C", 100, Liz_StandardGeldanKiro), 100},
      {"public domain", Autor(1, "", 0.5f, Liz_StandardPublicDomain), 0.5f},
      {"code 4", Autor(4, "D", 2.5f, Liz_Kommerziell), 2.5f},
      {"code 5", Autor(5, "E", 12345.6789f, Liz_Privat), 12345.6789f},
  };
  for (const QLocale& l : {QLocale(QLocale::C), QLocale(QLocale::German, QLocale::Germany)}) {
    TGebietsschema schema(l);
    for (const TFall& f : faelle) {
      SCOPED_TRACE(std::string(f.name) + " " + l.name().toStdString());
      TFormAutorabfrage d;
      d.SetAutor(f.rein);
      const TAutor raus = d.GetAutor();
      EXPECT_EQ(raus.AutorID, f.rein.AutorID);
      EXPECT_EQ(raus.Name, f.rein.Name);
      EXPECT_EQ(raus.eMail, f.rein.eMail);
      EXPECT_EQ(raus.Bemerkung, f.rein.Bemerkung);
      EXPECT_EQ(raus.Lizenz, f.rein.Lizenz);
      EXPECT_FLOAT_EQ(raus.AufwandStunden, f.stunden);
      // The rated values are not edited here and must survive an edit.
      EXPECT_FLOAT_EQ(raus.AufwandAlt, 12.5f);
      EXPECT_FLOAT_EQ(raus.AufwandPunkte, 3.25f);
      EXPECT_EQ(d.ComboBoxQVLizenz->currentIndex(), int(f.rein.Lizenz));
      EXPECT_TRUE(d.ButtonOK->isEnabled());
    }
  }
}

TEST(FormAutorabfrage, ComponentsAndTheLicenceItems) {
  TEinstellungenGesetzt keine(nullptr);
  TFormAutorabfrage d;
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Autorenabfrage"));
  EXPECT_EQ(d.LabeledEditQVAufwandspunkteStunden->EditLabel()->text(), QStringLiteral("Eigener Arbeitsaufwand [h]"));
  EXPECT_FALSE(d.LabeledEditQVBewertungspunkte->isEnabled());
  ASSERT_EQ(d.ComboBoxQVLizenz->count(), 6);
  EXPECT_EQ(d.ComboBoxQVLizenz->itemText(5), QStringLiteral("Kommerzielle Sondernutzung"));
  EXPECT_EQ(d.ComboBoxQVLizenz->itemText(3),
            QStringLiteral("Add-On-Pool, keine Bewertungspunkte, Freigabe für jede Nutzung"));
  EXPECT_FALSE(d.ComboBoxQVLizenz->isEditable());
  for (auto* e : {d.LabeledEditQVAutorID, d.LabeledEditQVAutor, d.LabeledEditQVemail, d.LabeledEditQVBewertungspunkte,
                  d.LabeledEditQVAufwandspunkteStunden, d.LabeledEditQVBemerkung})
    EXPECT_FLOAT_EQ(e->FloatFaktor(), 1.0f);

  // Without settings everything is empty and no licence is chosen, so OK waits for one.
  EXPECT_TRUE(d.LabeledEditQVAutorID->text().isEmpty());
  EXPECT_TRUE(d.LabeledEditQVBewertungspunkte->text().isEmpty());
  EXPECT_EQ(d.ComboBoxQVLizenz->currentIndex(), -1);
  EXPECT_FALSE(d.ButtonOK->isEnabled());
  d.ComboBoxQVLizenz->setCurrentIndex(5);
  EXPECT_TRUE(d.ButtonOK->isEnabled());
  EXPECT_EQ(d.GetAutor().Lizenz, Liz_Privat);
  // A new author has no rated values.
  EXPECT_EQ(d.GetAutor().AufwandAlt, 0.0f);
  EXPECT_EQ(d.GetAutor().AufwandPunkte, 0.0f);
}

TEST(FormAutorabfrage, PresetFromTheSettings) {
  TEinstellungen e;
  e.AutorID = 4711;
  e.AutorName = QStringLiteral("Jörg Beispiel");
  e.AutorEMail = QStringLiteral("joerg@example.org");
  TEinstellungenGesetzt gesetzt(&e);
  TGebietsschema schema(QLocale(QLocale::German, QLocale::Germany));
  TFormAutorabfrage d;
  EXPECT_EQ(d.LabeledEditQVAutorID->text(), QStringLiteral("4711"));
  EXPECT_EQ(d.LabeledEditQVAutor->text(), e.AutorName);
  EXPECT_EQ(d.LabeledEditQVemail->text(), e.AutorEMail);
  EXPECT_EQ(d.LabeledEditQVBewertungspunkte->text(), QStringLiteral("0,0000"));
  EXPECT_TRUE(d.LabeledEditQVBemerkung->text().isEmpty());
  EXPECT_TRUE(d.LabeledEditQVAufwandspunkteStunden->text().isEmpty());
  EXPECT_EQ(d.ComboBoxQVLizenz->currentIndex(), -1);
}

TEST(FormAutorabfrage, TypedValues) {
  TGebietsschema schema(QLocale(QLocale::German, QLocale::Germany));
  TFormAutorabfrage d;
  d.ComboBoxQVLizenz->setCurrentIndex(0);
  d.LabeledEditQVAufwandspunkteStunden->setText(QStringLiteral("2,5"));
  EXPECT_FLOAT_EQ(d.GetAutor().AufwandStunden, 2.5f);
  d.LabeledEditQVAufwandspunkteStunden->setText(QStringLiteral("2.5"));
  EXPECT_FLOAT_EQ(d.GetAutor().AufwandStunden, 2.5f);
  // More hours than the file's number holds are unreadable, not infinity.
  d.LabeledEditQVAufwandspunkteStunden->setText(QStringLiteral("1e39"));
  EXPECT_EQ(d.GetAutor().AufwandStunden, 0.0f);

  // An ID that is no whole number cannot be typed, and a half-typed one cannot be confirmed.
  d.LabeledEditQVAutorID->clear();
  d.LabeledEditQVAutorID->setFocus();
  d.LabeledEditQVAutorID->insert(QStringLiteral("12"));
  d.LabeledEditQVAutorID->insert(QStringLiteral("a"));
  EXPECT_EQ(d.LabeledEditQVAutorID->text(), QStringLiteral("12"));
  EXPECT_TRUE(d.ButtonOK->isEnabled());
  d.LabeledEditQVAutorID->setText(QStringLiteral("-"));
  EXPECT_FALSE(d.ButtonOK->isEnabled());
  d.LabeledEditQVAutorID->setText(QStringLiteral("-8"));
  EXPECT_TRUE(d.ButtonOK->isEnabled());
  EXPECT_EQ(d.GetAutor().AutorID, -8);
}

TEST(FormAutorabfrage, AStoredLicenceBeyondTheItemsIsKept) {
  TFormAutorabfrage d;
  d.SetAutor(Autor(9, "F", 1, static_cast<TLizenz>(7)));
  EXPECT_EQ(d.ComboBoxQVLizenz->currentIndex(), -1);
  EXPECT_TRUE(d.ButtonOK->isEnabled());
  EXPECT_EQ(int(d.GetAutor().Lizenz), 7);
  // Choosing an item replaces it.
  d.ComboBoxQVLizenz->setCurrentIndex(1);
  EXPECT_EQ(d.GetAutor().Lizenz, Liz_StandardGeldinPool);
}
