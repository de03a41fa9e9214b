#include "foundation/Dateitypen.h"
#include "foundation/Formatieren.h"
#include "foundation/Ordner.h"
#include "foundation/Sprachtabelle.h"
#include "foundation/Standardtexte.h"
#include "testsupport/TempOrdner.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace kiro;

namespace {

// A catalogue loaded without a language file: the built-in table as it stands.
class StandardtexteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Programmverzeichnis = Ordner.Pfad();
    t.Laden();
  }
  void TearDown() override { Programmverzeichnis.clear(); }
  const QStringList& S() const { return t.Schluessel(); }

  test::TempOrdner Ordner;
  TSprachtabelle t;
};

// Block boundaries, counted from 0.
constexpr int kBlock2 = 273, kBlock3 = 653, kBlock4 = 719, kBlock5 = 765, kBlock6 = 1037, kBlock7 = 1041;

TEST_F(StandardtexteTest, CountsAndPositionsOfTheBlocks) {
  ASSERT_EQ(t.Anzahl(), 2389);
  ASSERT_EQ(t.Texte().size(), 2389);
  EXPECT_EQ(t.TextHolen(QStringLiteral("Datei_44")), QStringLiteral("Sevenzip-Archiv"));

  EXPECT_TRUE(S()[0].startsWith(QStringLiteral("Er_Sg_")));
  EXPECT_TRUE(S()[kBlock2 - 1].startsWith(QStringLiteral("Er_Bz_")));
  EXPECT_EQ(S()[kBlock2], QStringLiteral("SA_Typ_0"));
  EXPECT_EQ(S()[kBlock3 - 1], QStringLiteral("PrgrmDaten_12"));
  for (int i = 0; i < DateiTypAnzahl; ++i) {
    EXPECT_EQ(S()[kBlock3 + i], QStringLiteral("Datei_") + QString::number(i));
    EXPECT_EQ(t.Texte()[kBlock3 + i], DateiTypenTabelle[std::size_t(i)].Klartext);
  }
  EXPECT_EQ(S()[kBlock4], QStringLiteral("FzgAktion_0"));
  EXPECT_TRUE(S()[kBlock4 + 43].startsWith(QStringLiteral("Startmodus_")));
  // The parameter block: name of row 0, then "Param_0".
  EXPECT_FALSE(S()[kBlock5].startsWith(QStringLiteral("Param_")));
  EXPECT_FALSE(S()[kBlock5].isEmpty());
  EXPECT_EQ(S()[kBlock5 + 1], QStringLiteral("Param_0"));
  EXPECT_EQ(S()[kBlock6 - 1], QStringLiteral("Param_135"));
  EXPECT_EQ(S()[kBlock6], QStringLiteral("LOD_0"));
  EXPECT_EQ(S()[kBlock7 - 1], QStringLiteral("LOD_3"));

  int leereParameter = 0;
  for (int i = kBlock5 + 1; i < kBlock6; i += 2) leereParameter += t.Texte()[i].isEmpty();
  EXPECT_EQ(leereParameter, 40);
}

TEST_F(StandardtexteTest, FamiliesOfBlocks2And4HaveTheirCounts) {
  const std::pair<const char*, int> familien[] = {
      {"SA_Typ_", 8}, {"AnkerKategorie_", 4}, {"Anker_", 24}, {"ls3_Typ_", 23}, {"GF_Typ_", 8},
      {"SG_Typ_", 9}, {"Tuer_Typ_", 6}, {"Fahrl_Typ_", 9}, {"FplEintrag_", 4}, {"ZugLOD_Typ_", 4},
      {"Beleuchtung_Typ_", 3}, {"SigFlag_", 8}, {"SigTyp_", 15}, {"StrFlag_Typ_", 6}, {"AniFkt_", 41},
      {"SoundAbh_", 3}, {"phys_", 184}, {"Meldung_", 8}, {"PrgrmDaten_", 13}, {"Datei_", 66},
      {"FzgAktion_", 3}, {"Sound_", 6}, {"JoyEdit_", 11}, {"Weichenbauart_", 17},
      {"Weichengrundstellung_", 6}};
  int i = kBlock2;
  for (const auto& [praefix, anzahl] : familien) {
    SCOPED_TRACE(praefix);
    for (int k = 0; k < anzahl; ++k, ++i) ASSERT_EQ(S()[i], QString::fromLatin1(praefix) + QString::number(k));
  }
  EXPECT_EQ(i, kBlock4 + 43);  // the start modes close block 4
}

TEST_F(StandardtexteTest, EventRowsGiveTextsOnlyWithModeZero) {
  int mitModus = 0;
  int i = 0;
  for (const TEreignisDef& e : EreignisDefinitionen()) {
    const QString nr = QString::number(e.Ereignis);
    SCOPED_TRACE(e.Ereignis);
    if (!(e.Kommerzmodus & 1u)) {
      EXPECT_FALSE(S().contains(QStringLiteral("Er_Sg_") + nr));
      EXPECT_EQ(t.TextHolen(QStringLiteral("Er_Bz_") + nr), QString());
      continue;
    }
    ++mitModus;
    EXPECT_EQ(S()[i], QStringLiteral("Er_Sg_") + nr);
    EXPECT_EQ(t.Texte()[i++], e.FunktionSingle);
    EXPECT_EQ(S()[i], QStringLiteral("Er_Tx_") + nr);
    EXPECT_EQ(t.Texte()[i++], e.FunktionString);
    EXPECT_EQ(S()[i], QStringLiteral("Er_Bz_") + nr);
    EXPECT_EQ(t.Texte()[i++], e.Bezeichnung);
  }
  EXPECT_EQ(mitModus, 91);
  EXPECT_EQ(i, kBlock2);
}

TEST_F(StandardtexteTest, Block7SectionsAndTheirShape) {
  QMap<QString, int> abschnitte;
  QSet<QString> fensterAbschnitte;
  int ohnePunkt = 0, fensterSchluessel = 0;
  for (int i = kBlock7; i < t.Anzahl(); ++i) {
    const QString& k = S()[i];
    const qsizetype p = k.indexOf(u'.');
    if (p < 0) {
      ++ohnePunkt;
      continue;
    }
    ++abschnitte[k.left(p)];
    if (k.endsWith(QStringLiteral(".Caption"))) {
      ++fensterSchluessel;
      fensterAbschnitte.insert(k.left(p));
    }
  }
  EXPECT_EQ(abschnitte.size(), 136);
  EXPECT_EQ(ohnePunkt, 106);
  EXPECT_EQ(fensterSchluessel, 98);
  EXPECT_EQ(fensterAbschnitte.size(), 5);
  EXPECT_EQ(abschnitte.value(QStringLiteral("KiroXML")), 9);
  EXPECT_EQ(abschnitte.value(QStringLiteral("KiroAllgStandardoperationen")), 33);
  EXPECT_EQ(abschnitte.value(QStringLiteral("Script")), 6);
  EXPECT_EQ(abschnitte.value(QStringLiteral("InfoForm")), 4);
  EXPECT_EQ(abschnitte.value(QStringLiteral("ListBoxIcon")), 1);
}

TEST_F(StandardtexteTest, OneKeyTwiceOneKeyWithTrailingBlankAndThePlaceholderCount) {
  QHash<QString, int> erster;
  QStringList doppelt, mitBlank;
  int mitProzent = 0;
  for (int i = 0; i < t.Anzahl(); ++i) {
    const QString& k = S()[i];
    if (erster.contains(k)) {
      doppelt.append(k);
      EXPECT_GE(erster[k], kBlock7);
      EXPECT_EQ(t.Texte()[erster[k]], t.Texte()[i]);
    } else {
      erster.insert(k, i);
    }
    if (k.endsWith(u' ')) mitBlank.append(k);
    mitProzent += t.Texte()[i].contains(u'%');
  }
  EXPECT_EQ(doppelt.size(), 1);
  EXPECT_EQ(mitBlank.size(), 1);
  EXPECT_EQ(mitProzent, 445);
  ASSERT_EQ(mitBlank.size(), 1);
  EXPECT_FALSE(t.TextHolen(mitBlank[0]).isEmpty());
  EXPECT_EQ(t.TextHolen(mitBlank[0].trimmed()), QString());
}

// The messages this system logs, filled in the way their callers do.
TEST_F(StandardtexteTest, OwnMessagesFormatAsTheirCallersExpect) {
  const struct {
    const char* schluessel;
    QVariantList werte;
    const char16_t* zeile;
  } faelle[] = {
      {"KiroXML.XMLUnbekanntKnoten", {"Foo", "a.xml", 3, 17}, u"Unbekannter xml-Knoten \"Foo\" in Datei \"a.xml\", Zeile 3 (17. Zeichen)"},
      {"KiroXML.DateiZuLang", {"x\\y.ls3", 170}, u"Datei \"x\\y.ls3\" hat mehr als 170 Zeichen"},
      {"KiroAllgStandardoperationen.DateTime", {"31.02."}, u"Konvertierung von \"31.02.\" in ganze Datum/Zeit fehlgeschlagen"},
      {"KiroAllgStandardoperationen.WarnungNeueDatei", {"a.st3", "A.9", "A.5"}, u"Datei a.st3 ist mit Version A.9 neuer als das installierte Programm (A.5)"},
      {"InfoForm.DatenOffiziell", {"/daten/"}, u"Offiziell: /daten/"},
      {"Script.Weiteres", {}, u"Weiteres Zubeh\u00F6r"},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.schluessel);
    EXPECT_EQ(Formatieren(t.TextHolen(QString::fromLatin1(f.schluessel)), f.werte), QString::fromUtf16(f.zeile));
  }
}

}  // namespace
