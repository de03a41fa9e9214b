#include "support/Testdatei.h"

#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>

using namespace kiro;
using kiro::test::Dokument;
using kiro::test::TLog;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TTestdatei;

namespace {

QString S(const char* Text) { return QString::fromUtf8(Text); }

// --- the load table ---

struct TLadefall {
  const char* Name;
  QByteArray Inhalt;             // the file's bytes; empty: the file does not exist
  QStringList Meldungen;         // log lines, "<type> <text>"
  bool Vollstaendig;
  std::function<void(TTestdatei&)> Pruefen;
};

class Ladetabelle : public ::testing::TestWithParam<TLadefall> {};

TEST_P(Ladetabelle, LiestKopfUndInhalt) {
  const TLadefall& f = GetParam();
  TOrdnerUmgebung u;
  if (!f.Inhalt.isEmpty()) u.Ordner.Schreiben(QStringLiteral("t.script.xml"), f.Inhalt);
  TLog log;
  TTestdatei d;
  EXPECT_TRUE(d.Geaendert());
  const HRESULT erg = d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("t.script.xml"), nullptr);
  EXPECT_EQ(erg, f.Inhalt.isEmpty() ? E_FAIL : S_OK);
  EXPECT_FALSE(d.Geaendert());
  EXPECT_EQ(d.LadenVollstaendig(), f.Vollstaendig);
  // "%1" stands for the test's folder.
  EXPECT_EQ(log.Zeilen().join(u'\n').toStdString(),
            f.Meldungen.join(u'\n').replace(QStringLiteral("%1"), u.Ordner.Pfad()).toStdString());
  EXPECT_EQ(d.DateiInfo().Dateiname, QStringLiteral("t.script.xml"));
  f.Pruefen(d);
}

const TLadefall LADEFAELLE[] = {
    {"VollerKopf",
     Dokument("<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\" Aufwand=\"1,5\" ObjektID=\"-42\""
              " Lizenz=\"egal\" Beschreibung=\"a &amp; b\" EinsatzAb=\"2024-03-01 12:30:15\" EinsatzBis=\"2025-01-02\""
              " DateiKategorie=\"\\Strecke\\Nord\">\r\n"
              "<AutorEintrag AutorID=\"7\" AutorName=\"Anna\" AutorEmail=\"a@x.de\" AutorAufwand=\"2.5\""
              " AutorAufwandPunkte=\"3\" AutorAufwandStunden=\"4.25\" AutorLizenz=\"260\" AutorBeschreibung=\"Bem\"/>\r\n"
              "<AutorEintrag AutorName=\"Bert\"/>\r\n"
              "<Datei Dateiname=\"data\\a.ls3\" inst=\"-1\" NurInfo=\"1\"/>\r\n"
              "<Datei Dateiname=\"b.ls3\" NurInfo=\"ja\"/>\r\n"
              "</Info>",
              "<VerwaltungsScript Wert=\"w\">\r\n<Teil Name=\"eins\"/>\r\n<Datei Dateiname=\"c\" inst=\"1\"/>\r\n"
              "<Teil Name=\"zwei\"/>\r\n</VerwaltungsScript>"),
     {},
     true,
     [](TTestdatei& d) {
       const TInfo& i = d.DateiInfo();
       EXPECT_EQ(i.DateiTyp, QStringLiteral("VerwaltungsScript"));
       EXPECT_EQ(i.Version, QStringLiteral("A.2"));
       EXPECT_EQ(i.MinVersion, QStringLiteral("A.0"));
       EXPECT_EQ(i.AufwandAlgo, 1.5f);
       EXPECT_EQ(i.ObjektID, -42);
       EXPECT_EQ(i.Beschreibung, QStringLiteral("a & b"));
       EXPECT_EQ(i.EinsatzAb.AlsQDateTime(), QDateTime(QDate(2024, 3, 1), QTime(12, 30, 15)));
       EXPECT_EQ(i.EinsatzBis.AlsQDateTime(), QDateTime(QDate(2025, 1, 2), QTime(0, 0)));
       EXPECT_EQ(i.Kategorie, QStringLiteral("\\Strecke\\Nord"));
       ASSERT_EQ(i.Autoren.size(), 2);
       const TAutor& a = i.Autoren[0];
       EXPECT_EQ(a.AutorID, 7);
       EXPECT_EQ(a.Name, QStringLiteral("Anna"));
       EXPECT_EQ(a.eMail, QStringLiteral("a@x.de"));
       EXPECT_EQ(a.AufwandAlt, 2.5f);
       EXPECT_EQ(a.AufwandPunkte, 3.0f);
       EXPECT_EQ(a.AufwandStunden, 4.25f);
       EXPECT_EQ(a.Lizenz, Liz_Kommerziell);  // 260 keeps its low byte, 4
       EXPECT_EQ(a.Bemerkung, QStringLiteral("Bem"));
       EXPECT_EQ(i.Autoren[1].AutorID, 0);
       EXPECT_EQ(i.Autoren[1].Name, QStringLiteral("Bert"));
       ASSERT_EQ(i.Dateien.size(), 2);
       EXPECT_EQ(i.Dateien[0].Dateiname, QStringLiteral("data\\a.ls3"));
       EXPECT_EQ(i.Dateien[0].InstVerzeichnis, 255);
       EXPECT_TRUE(i.Dateien[0].NurInfo);
       EXPECT_FALSE(i.Dateien[1].NurInfo);
       EXPECT_EQ(d.XmlVersion(), QStringLiteral("1.0"));
       EXPECT_EQ(d.XmlEncoding(), QStringLiteral("UTF-8"));
       EXPECT_EQ(d.Wert, QStringLiteral("w"));
       ASSERT_EQ(d.Teile.size(), 2u);
       EXPECT_EQ(d.Teile[0]->Name, QStringLiteral("eins"));
       EXPECT_EQ(d.Teile[1]->Name, QStringLiteral("zwei"));
       // A nested object sees the outer file's name and version, and counts as unmodified.
       EXPECT_EQ(d.Teile[1]->DateiInfo().Dateiname, QStringLiteral("t.script.xml"));
       EXPECT_EQ(d.Teile[1]->DateiInfo().Version, QStringLiteral("A.2"));
       EXPECT_FALSE(d.Teile[1]->Geaendert());
       ASSERT_EQ(d.Inhaltsdateien.size(), 1);
       EXPECT_EQ(d.Inhaltsdateien[0].InstVerzeichnis, 1);
     }},
    {"WerteDieNichtKonvertieren",
     Dokument("<Info Version=\"A.2\" ObjektID=\"12x\" EinsatzAb=\"morgen\" Aufwand=\"viel\">"
              "<AutorEintrag AutorID=\"sieben\" AutorAufwandStunden=\"1;5\" AutorName=\"N\"/></Info>"),
     {S("2 Konvertierung von \"12x\" in ganze Zahl fehlgeschlagen"),
      S("2 Konvertierung von \"morgen\" in ganze Datum/Zeit fehlgeschlagen"),
      S("2 Konvertierung von \"viel\" in Gleitkommazahl fehlgeschlagen"),
      S("2 Konvertierung von \"sieben\" in ganze Zahl fehlgeschlagen"),
      S("2 Konvertierung von \"1;5\" in Gleitkommazahl fehlgeschlagen")},
     true,
     [](TTestdatei& d) {
       const TInfo& i = d.DateiInfo();
       EXPECT_EQ(i.ObjektID, 0);
       EXPECT_TRUE(i.EinsatzAb.IstLeer());
       EXPECT_EQ(i.AufwandAlgo, 0.0f);
       ASSERT_EQ(i.Autoren.size(), 1);
       EXPECT_EQ(i.Autoren[0].AutorID, 0);
       EXPECT_EQ(i.Autoren[0].Name, QStringLiteral("N"));  // read on after the failures
     }},
    {"FremdeWurzel",
     "<?xml version=\"1.0\"?>\r\n<Fremd>\r\n<Info Version=\"A.2\"/>\r\n<VerwaltungsScript Wert=\"x\"/>\r\n</Fremd>\r\n",
     {S("2 Keine Kiro-Datei (\"t.script.xml\")"), S("2 Unbekannter xml-Knoten \"Fremd\" in Datei \"t.script.xml\"")},
     false,
     [](TTestdatei& d) {
       EXPECT_TRUE(d.DateiInfo().Version.isEmpty());
       EXPECT_TRUE(d.Wert.isEmpty());
     }},
    {"FalschesInhaltselement",
     Dokument("<Info Version=\"A.2\" MinVersion=\"A.0\"/>", "<xml Wert=\"x\"/>\r\n<VerwaltungsScript Wert=\"y\"/>"),
     {S("2 Falscher Knotenname (\"xml\")"), S("2 Unbekannter xml-Knoten \"xml\" in Datei \"t.script.xml\"")},
     true,
     [](TTestdatei& d) { EXPECT_EQ(d.Wert, QStringLiteral("y")); }},
    {"UnbekanntesInKopfAutorDateiUndInhalt",
     Dokument("<Info Version=\"A.2\" Farbe=\"rot\">\r\n<AutorEintrag AutorID=\"1\" Alter=\"3\"/>\r\n"
              "<Datei Dateiname=\"d\" Groesse=\"9\"/>\r\n<Anhang a=\"1\"/>\r\n</Info>",
              "<VerwaltungsScript Wert=\"w\" Fremd=\"1\"/>"),
     {S("2 Unbekanntes xml-Attribut \"Farbe\" in Datei \"t.script.xml\""),
      S("2 Unbekanntes xml-Attribut \"Alter\" in Datei \"t.script.xml\""),
      S("2 Unbekanntes xml-Attribut \"Groesse\" in Datei \"t.script.xml\""),
      S("2 Unbekannter xml-Knoten \"Anhang\" in Datei \"t.script.xml\""),
      S("2 Unbekanntes xml-Attribut \"Fremd\" in Datei \"t.script.xml\"")},
     true,
     [](TTestdatei& d) {
       EXPECT_EQ(d.DateiInfo().Autoren.value(0).AutorID, 1);
       EXPECT_EQ(d.DateiInfo().Dateien.value(0).Dateiname, QStringLiteral("d"));
       EXPECT_EQ(d.Wert, QStringLiteral("w"));
     }},
    {"AutorAttributOhneEintrag",
     Dokument("<Info Version=\"A.2\" Autor=\"Alte Form\"/>"),
     {},
     true,
     [](TTestdatei& d) {
       ASSERT_EQ(d.DateiInfo().Autoren.size(), 1);
       EXPECT_EQ(d.DateiInfo().Autoren[0].Name, QStringLiteral("Alte Form"));
       EXPECT_EQ(d.DateiInfo().Autoren[0].AutorID, 0);
     }},
    {"DeklarationInBeliebigerSchreibung",
     "<?xml VERSION='1.1' Encoding='utf-8' standalone='yes'?>\r\n<Kiro>\r\n<Info Version=\"A.2\"/>\r\n</Kiro>\r\n",
     {},
     true,
     [](TTestdatei& d) {
       EXPECT_EQ(d.XmlVersion(), QStringLiteral("1.1"));
       EXPECT_EQ(d.XmlEncoding(), QStringLiteral("utf-8"));
     }},
    {"InfoZweimal",
     Dokument("<Info Version=\"A.1\"><AutorEintrag AutorID=\"1\"/></Info>\r\n"
              "<Info><AutorEintrag AutorID=\"2\"/><Datei Dateiname=\"x\"/></Info>"),
     {S("5 Dateiversion ist nicht der letzte Stand: t.script.xml ist Version A.1 - aktuell ist A.2"),
      S("5 Dateiversion ist nicht der letzte Stand: t.script.xml ist Version A.1 - aktuell ist A.2")},
     true,
     [](TTestdatei& d) {
       ASSERT_EQ(d.DateiInfo().Autoren.size(), 2);
       EXPECT_EQ(d.DateiInfo().Autoren[1].AutorID, 2);
       EXPECT_EQ(d.DateiInfo().Dateien.size(), 1);
     }},
    {"AbgeschnitteneDatei",
     Dokument("<Info Version=\"A.2\"/>").left(74),
     {},
     false,
     [](TTestdatei& d) { EXPECT_EQ(d.DateiInfo().Version, QStringLiteral("A.2")); }},
    {"FehlendeDatei", QByteArray(), {S("2 Datei \"%1t.script.xml\" nicht gefunden")}, false, [](TTestdatei& d) { EXPECT_TRUE(d.Wert.isEmpty()); }},
};

INSTANTIATE_TEST_SUITE_P(KiroXMLObjekt, Ladetabelle, ::testing::ValuesIn(LADEFAELLE),
                         [](const ::testing::TestParamInfo<TLadefall>& i) { return std::string(i.param.Name); });

TEST(KiroXMLObjektLaden, FehlendeDateiSetztKopfZurueckUndMeldetDenPfad) {
  TOrdnerUmgebung u;
  u.Ordner.Schreiben(QStringLiteral("a.script.xml"),
                     Dokument("<Info Version=\"A.2\" ObjektID=\"5\" Beschreibung=\"b\" DateiKategorie=\"k\""
                              " EinsatzAb=\"2020-01-01\" EinsatzBis=\"2020-01-02\"><Datei Dateiname=\"d\"/></Info>"));
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("a.script.xml"), nullptr), S_OK);
  d.SetGeaendert(true);
  TLog log;
  EXPECT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("fehlt.script.xml"), nullptr), E_FAIL);
  EXPECT_EQ(log.Zeilen(), QStringList{S("2 Datei \"") + u.Ordner.Pfad() + S("fehlt.script.xml\" nicht gefunden")});
  const TInfo& i = d.DateiInfo();
  EXPECT_EQ(i.Dateiname, QStringLiteral("fehlt.script.xml"));
  EXPECT_EQ(i.ObjektID, 0);
  EXPECT_TRUE(i.EinsatzAb.IstLeer());
  EXPECT_TRUE(i.EinsatzBis.IstLeer());
  EXPECT_TRUE(i.Beschreibung.isEmpty());
  EXPECT_TRUE(i.Kategorie.isEmpty());
  EXPECT_TRUE(i.Dateien.isEmpty());
  EXPECT_EQ(i.Version, QStringLiteral("A.2"));  // not reset
  EXPECT_FALSE(d.Geaendert());
  EXPECT_FALSE(d.LadenVollstaendig());
}

// --- the version check ---

struct TVersionsfall {
  const char* Name;
  const char* Version;
  const char* MinVersion;
  const char* Meldung;  // "" for none
  bool Zusammengefuehrt;  // effort values taken from the side file
};

class Versionstabelle : public ::testing::TestWithParam<TVersionsfall> {};

TEST_P(Versionstabelle, MeldetUndFuehrtNurOhneFehlerZusammen) {
  const TVersionsfall& f = GetParam();
  TOrdnerUmgebung u;
  QByteArray kopf = "<Info";
  if (*f.Version) kopf += QByteArray(" Version=\"") + f.Version + "\"";
  if (*f.MinVersion) kopf += QByteArray(" MinVersion=\"") + f.MinVersion + "\"";
  kopf += "><AutorEintrag AutorID=\"7\"/></Info>";
  u.Ordner.Schreiben(QStringLiteral("v.script.xml"), Dokument(kopf, "<VerwaltungsScript Wert=\"gelesen\"/>"));
  u.Daten(QStringLiteral("v.script.xml.expense.xml"),
          "<Kiro><Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\">"
          "<AutorEintrag AutorID=\"7\" AutorAufwand=\"3.5\"/></Info><expense/></Kiro>");
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
  EXPECT_EQ(log.Zeilen().join(u'\n').toStdString(), f.Meldung);
  EXPECT_EQ(d.Wert, QStringLiteral("gelesen"));  // read whatever the check found
  EXPECT_EQ(d.DateiInfo().Autoren.value(0).AufwandAlt, f.Zusammengefuehrt ? 3.5f : 0.0f);
}

const TVersionsfall VERSIONSFAELLE[] = {
    {"OhneVersionZuAlt", "", "", "2 Dateiversion zu alt: v.script.xml ist Version  - Version A.0 erforderlich", false},
    {"UnterMinimum", "@.9", "A.0", "2 Dateiversion zu alt: v.script.xml ist Version @.9 - Version A.0 erforderlich",
     false},
    {"AlteVersion", "A.1", "A.0",
     "5 Dateiversion ist nicht der letzte Stand: v.script.xml ist Version A.1 - aktuell ist A.2", true},
    {"ZweistelligZaehltAlsAelter", "A.10", "A.0",
     "5 Dateiversion ist nicht der letzte Stand: v.script.xml ist Version A.10 - aktuell ist A.2", true},
    {"MinimumUeberAktuell", "A.2", "A.3",
     "3 Datei v.script.xml ist mit Version A.2 zu neu, das Programm kann nur Dateiformat A.2 lesen", false},
    {"NeuUndMinimumZuNeu", "A.3", "A.3",
     "3 Datei v.script.xml ist mit Version A.3 zu neu, das Programm kann nur Dateiformat A.2 lesen", false},
    {"NeuereVersion", "A.3", "A.0", "5 Datei v.script.xml ist mit Version A.3 neuer als das installierte Programm (A.2)",
     true},
    {"Aktuell", "A.2", "A.0", "", true},
};

INSTANTIATE_TEST_SUITE_P(KiroXMLObjekt, Versionstabelle, ::testing::ValuesIn(VERSIONSFAELLE),
                         [](const ::testing::TestParamInfo<TVersionsfall>& i) { return std::string(i.param.Name); });

TEST(KiroXMLObjektLaden, SeitendateiGibtDemLetztenAutorDerIdSeineWerte) {
  TOrdnerUmgebung u;
  u.Ordner.Schreiben(QStringLiteral("s.script.xml"),
                     Dokument("<Info Version=\"A.2\"><AutorEintrag AutorID=\"7\" AutorName=\"a\"/>"
                              "<AutorEintrag AutorID=\"7\" AutorName=\"b\"/><AutorEintrag AutorID=\"8\""
                              " AutorAufwand=\"1\" AutorAufwandPunkte=\"2\"/></Info>"));
  u.Daten(QStringLiteral("s.script.xml.expense.xml"),
          "<Kiro><Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\" Aufwand=\"9.5\">"
          "<AutorEintrag AutorID=\"7\" AutorAufwand=\"3.5\" AutorAufwandPunkte=\"4\" AutorName=\"x\"/>"
          "<AutorEintrag AutorID=\"8\"/><AutorEintrag AutorID=\"99\" AutorAufwand=\"1\"/></Info><expense/></Kiro>");
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("s.script.xml"), nullptr), S_OK);
  EXPECT_TRUE(log.Zeilen().isEmpty());
  const TAutoren& a = d.DateiInfo().Autoren;
  ASSERT_EQ(a.size(), 3);
  EXPECT_EQ(a[0].AufwandAlt, 0.0f);
  EXPECT_EQ(a[1].AufwandAlt, 3.5f);
  EXPECT_EQ(a[1].AufwandPunkte, 4.0f);
  EXPECT_EQ(a[1].Name, QStringLiteral("b"));  // nothing else is taken over
  // An entry with no effort values changes nothing.
  EXPECT_EQ(a[2].AufwandAlt, 1.0f);
  EXPECT_EQ(a[2].AufwandPunkte, 2.0f);
  EXPECT_EQ(d.DateiInfo().AufwandAlgo, 9.5f);
}

TEST(KiroXMLObjektLaden, SeitendateiAlsFifoHaeltDasLadenNichtAuf) {
  TOrdnerUmgebung u;
  u.Ordner.Schreiben(QStringLiteral("f.script.xml"), Dokument("<Info Version=\"A.2\"><AutorEintrag AutorID=\"7\"/></Info>"));
  ASSERT_TRUE(QDir().mkpath(Datenverzeichnis));
  const QString seite = Datenverzeichnis + QStringLiteral("f.script.xml.expense.xml");
  ASSERT_EQ(::mkfifo(QFile::encodeName(seite).constData(), 0600), 0);
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("f.script.xml"), nullptr), S_OK);
  EXPECT_EQ(log.Zeilen(), QStringList{S("2 Datei \"") + seite + S("\" nicht gefunden")});
  EXPECT_EQ(d.DateiInfo().Autoren.value(0).AufwandAlt, 0.0f);
}

TEST(KiroXMLObjektLaden, OhneInfoKeinePruefungUndKeineSeitendatei) {
  TOrdnerUmgebung u;
  u.Ordner.Schreiben(QStringLiteral("o.script.xml"), "<Kiro><VerwaltungsScript Wert=\"w\"/></Kiro>");
  u.Daten(QStringLiteral("o.script.xml.expense.xml"), "<Kiro><Info Aufwand=\"9\"/></Kiro>");
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("o.script.xml"), nullptr), S_OK);
  EXPECT_TRUE(log.Zeilen().isEmpty());
  EXPECT_EQ(d.DateiInfo().AufwandAlgo, 0.0f);
  EXPECT_TRUE(d.LadenVollstaendig());
}

// --- reloading, with and without a settings object ---

class Neuladen : public ::testing::TestWithParam<bool> {};

TEST_P(Neuladen, BehaeltWasDieRegelnSagen) {
  TOrdnerUmgebung u;
  TEinstellungen e;
  e.AutorID = 9;
  e.AutorName = QStringLiteral("Ich");
  e.AutorEMail = QStringLiteral("ich@x");
  const bool mitEinstellungen = GetParam();
  if (mitEinstellungen) Einstellungen = &e;
  u.Ordner.Schreiben(QStringLiteral("a.script.xml"),
                     Dokument("<Info Version=\"A.2\" MinVersion=\"A.0\" DateiTyp=\"VerwaltungsScript\" Aufwand=\"3\""
                              " ObjektID=\"5\" Beschreibung=\"b\" DateiKategorie=\"k\" EinsatzAb=\"2020-01-01\">"
                              "<AutorEintrag AutorID=\"1\"/><Datei Dateiname=\"d\"/></Info>"));
  u.Ordner.Schreiben(QStringLiteral("b.script.xml"),
                     "<Kiro><Info><AutorEintrag AutorID=\"2\"/></Info></Kiro>");
  TLog log;
  TTestdatei d;
  auto autoren = [&] {
    std::vector<int> v;
    for (const TAutor& a : d.DateiInfo().Autoren) v.push_back(a.AutorID);
    return v;
  };
  EXPECT_EQ(autoren(), mitEinstellungen ? std::vector<int>{9} : std::vector<int>{});
  if (mitEinstellungen) {
    EXPECT_EQ(d.DateiInfo().Autoren[0].eMail, QStringLiteral("ich@x"));
  }
  d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("a.script.xml"), nullptr);
  EXPECT_EQ(autoren(), mitEinstellungen ? std::vector<int>{1} : std::vector<int>{1});
  d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("b.script.xml"), nullptr);
  EXPECT_EQ(autoren(), mitEinstellungen ? std::vector<int>{2} : (std::vector<int>{1, 2}));
  const TInfo& i = d.DateiInfo();
  EXPECT_EQ(i.Version, QStringLiteral("A.2"));
  EXPECT_EQ(i.MinVersion, QStringLiteral("A.0"));
  EXPECT_EQ(i.DateiTyp, QStringLiteral("VerwaltungsScript"));
  EXPECT_EQ(i.AufwandAlgo, 3.0f);
  EXPECT_EQ(i.ObjektID, 0);
  EXPECT_TRUE(i.Beschreibung.isEmpty());
  EXPECT_TRUE(i.Kategorie.isEmpty());
  EXPECT_TRUE(i.EinsatzAb.IstLeer());
  EXPECT_TRUE(i.Dateien.isEmpty());
  EXPECT_EQ(d.XmlVersion(), QStringLiteral("1.0"));  // b has no declaration
  EXPECT_EQ(i.Dateiname, QStringLiteral("b.script.xml"));
}

INSTANTIATE_TEST_SUITE_P(KiroXMLObjekt, Neuladen, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return std::string(i.param ? "MitEinstellungen" : "OhneEinstellungen");
                         });

TEST(KiroXMLObjektLaden, EinstellungsautorOhneIdUndNamenEntfaellt) {
  TOrdnerUmgebung u;
  TEinstellungen e;
  e.AutorEMail = QStringLiteral("nur@mail");
  Einstellungen = &e;
  TTestdatei d;
  EXPECT_TRUE(d.DateiInfo().Autoren.isEmpty());
  e.AutorName = QStringLiteral("Name");
  TTestdatei d2;
  EXPECT_EQ(d2.DateiInfo().Autoren.size(), 1);
}

// --- "ExterneDatei" ---

TEST(KiroXMLObjektExterneDatei, LaedtDieDateiUndLiestDanachWeiter) {
  TOrdnerUmgebung u;
  // The nested object takes its content from a file of the official data folder; the name
  // is in another letter case and in Windows form.
  u.Offiziell(QStringLiteral("Teile/Ext.xml"),
              "<Kiro><Info Version=\"A.0\" ObjektID=\"77\"/><xml Name=\"aussen\" Kommentar=\"k\"/></Kiro>");
  u.Ordner.Schreiben(QStringLiteral("h.script.xml"),
                     Dokument("<Info Version=\"A.2\" ObjektID=\"5\"/>",
                              "<VerwaltungsScript>\r\n<Teil ExterneDatei=\"teile\\ext.xml\" Name=\"danach\"/>\r\n"
                              "<Teil Name=\"zwei\"/>\r\n</VerwaltungsScript>"));
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("h.script.xml"), nullptr), S_OK);
  EXPECT_TRUE(log.Zeilen().isEmpty());
  EXPECT_TRUE(d.LadenVollstaendig());
  ASSERT_EQ(d.Teile.size(), 2u);
  EXPECT_EQ(d.Teile[0]->Name, QStringLiteral("danach"));  // the element's own attribute, read after the file
  EXPECT_EQ(d.Teile[0]->Kommentar, QStringLiteral("k"));
  EXPECT_EQ(d.Teile[0]->DateiInfo().ObjektID, 77);
  EXPECT_EQ(d.Teile[0]->DateiInfo().Dateiname, QStringLiteral("Teile/Ext.xml"));
  EXPECT_EQ(d.Teile[1]->Name, QStringLiteral("zwei"));
  EXPECT_EQ(d.DateiInfo().ObjektID, 5);
}

TEST(KiroXMLObjektExterneDatei, ImEigenenInhaltErsetztSieDenKopf) {
  TOrdnerUmgebung u;
  u.Offiziell(QStringLiteral("basis.script.xml"),
              Dokument("<Info Version=\"A.2\" ObjektID=\"8\"/>", "<VerwaltungsScript Wert=\"basis\"/>"));
  u.Ordner.Schreiben(QStringLiteral("h.script.xml"),
                     Dokument("<Info Version=\"A.2\" ObjektID=\"5\" Beschreibung=\"h\"/>",
                              "<VerwaltungsScript ExterneDatei=\"basis.script.xml\">\r\n<Teil Name=\"t\"/>\r\n"
                              "</VerwaltungsScript>"));
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("h.script.xml"), nullptr), S_OK);
  EXPECT_TRUE(log.Zeilen().isEmpty());
  EXPECT_EQ(d.DateiInfo().ObjektID, 8);
  EXPECT_TRUE(d.DateiInfo().Beschreibung.isEmpty());
  EXPECT_EQ(d.Wert, QStringLiteral("basis"));
  ASSERT_EQ(d.Teile.size(), 1u);  // the rest of the outer document is still read
  EXPECT_EQ(d.Teile[0]->Name, QStringLiteral("t"));
  EXPECT_TRUE(d.LadenVollstaendig());
}

struct TExternFall {
  const char* Name;
  QString Wert;
  QString Meldung;
};

class ExterneDateiAbgelehnt : public ::testing::TestWithParam<TExternFall> {};

TEST_P(ExterneDateiAbgelehnt, MeldetUndLiestWeiter) {
  const TExternFall& f = GetParam();
  TOrdnerUmgebung u;
  u.Offiziell(QStringLiteral("selbst.script.xml"),
              Dokument("<Info Version=\"A.2\" ObjektID=\"5\"/>",
                       "<VerwaltungsScript>\r\n<Teil ExterneDatei=\"" + f.Wert.toUtf8() + "\" Name=\"n\"/>\r\n"
                       "<Teil Name=\"zwei\"/>\r\n</VerwaltungsScript>"));
  u.Offiziell(QStringLiteral("a.xml"), "<Kiro><xml ExterneDatei=\"b.xml\" Name=\"a\"/></Kiro>");
  u.Offiziell(QStringLiteral("b.xml"), "<Kiro><xml ExterneDatei=\"A.XML\" Kommentar=\"b\"/></Kiro>");
  QDir(u.Ordner.Pfad()).mkpath(QStringLiteral("offiziell/ordner.xml"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(DatenverzeichnisOffiziell + QStringLiteral("fifo.xml")).constData(), 0600), 0);
  u.Ordner.Schreiben(QStringLiteral("aussen.xml"), "<Kiro/>");
  ASSERT_TRUE(QFile::link(u.Ordner / QStringLiteral("aussen.xml"), DatenverzeichnisOffiziell + QStringLiteral("link.xml")));
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(QString(), QStringLiteral("selbst.script.xml"), nullptr), S_OK);
  EXPECT_EQ(log.Zeilen().join(u'\n'), QString(f.Meldung).replace(QStringLiteral("%1"), DatenverzeichnisOffiziell));
  EXPECT_FALSE(d.LadenVollstaendig());
  ASSERT_EQ(d.Teile.size(), 2u);
  EXPECT_EQ(d.Teile[1]->Name, QStringLiteral("zwei"));
  EXPECT_EQ(d.DateiInfo().ObjektID, 5);
}

const TExternFall EXTERNFAELLE[] = {
    {"SichSelbst", S("selbst.script.xml"),
     S("2 ExterneDatei \"selbst.script.xml\" in Datei \"selbst.script.xml\" wird bereits gelesen, nicht noch einmal")},
    {"ImKreis", S("a.xml"),
     S("2 ExterneDatei \"A.XML\" in Datei \"b.xml\" wird bereits gelesen, nicht noch einmal")},
    {"Fehlt", S("fehlt.xml"), S("2 Datei \"") + S("%1fehlt.xml\" nicht gefunden")},
    {"AusDemOrdnerHeraus", S("..\\aussen.xml"),
     S("2 ExterneDatei \"..\\aussen.xml\" in Datei \"selbst.script.xml\": unzulässiger Dateiname")},
    {"Absolut", S("/etc/hostname"),
     S("2 ExterneDatei \"/etc/hostname\" in Datei \"selbst.script.xml\": unzulässiger Dateiname")},
    {"Ordner", S("ordner.xml"),
     S("2 ExterneDatei \"ordner.xml\" in Datei \"selbst.script.xml\" ist keine reguläre Datei")},
    {"Fifo", S("fifo.xml"), S("2 ExterneDatei \"fifo.xml\" in Datei \"selbst.script.xml\" ist keine reguläre Datei")},
    {"LinkNachDraussen", S("link.xml"),
     S("2 ExterneDatei \"link.xml\" in Datei \"selbst.script.xml\" liegt außerhalb des Datenverzeichnisses")},
};

INSTANTIATE_TEST_SUITE_P(KiroXMLObjekt, ExterneDateiAbgelehnt, ::testing::ValuesIn(EXTERNFAELLE),
                         [](const ::testing::TestParamInfo<TExternFall>& i) { return std::string(i.param.Name); });

TEST(KiroXMLObjektExterneDatei, KetteEndetBeiDerHoechstenTiefe) {
  TOrdnerUmgebung u;
  const int n = TKiroXMLObjekt::MaxExterneTiefe + 5;
  for (int i = 0; i < n; ++i)
    u.Offiziell(QStringLiteral("k%1.xml").arg(i),
                QStringLiteral("<Kiro><xml ExterneDatei=\"k%1.xml\" Name=\"%2\"/></Kiro>").arg(i + 1).arg(i).toUtf8());
  u.Offiziell(QStringLiteral("start.script.xml"),
              Dokument("<Info Version=\"A.2\"/>", "<VerwaltungsScript><Teil ExterneDatei=\"k0.xml\"/></VerwaltungsScript>"));
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(QString(), QStringLiteral("start.script.xml"), nullptr), S_OK);
  const int letzte = TKiroXMLObjekt::MaxExterneTiefe - 1;  // start.script.xml is the first of the running loads
  EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral("2 ExterneDatei \"k%1.xml\" in Datei \"k%2.xml\": mehr als 16 "
                                                     "Dateien ineinander eingebunden, nicht gelesen")
                                          .arg(letzte + 1)
                                          .arg(letzte)});
  EXPECT_FALSE(d.LadenVollstaendig());
  ASSERT_EQ(d.Teile.size(), 1u);
  EXPECT_EQ(d.Teile[0]->Name, QString::number(0));  // each level's own attribute after its file
}

}  // namespace
