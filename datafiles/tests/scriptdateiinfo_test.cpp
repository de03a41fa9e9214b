#include "datafiles/Script.h"

#include "support/Testdatei.h"

#include "testsupport/Protokollfaenger.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kiro;
using kiro::test::Dokument;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TProtokollFaenger;

namespace {

const QByteArray Kopf = "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>";

// Loads a script of the given entries and returns its first file entry (owned by s).
TScriptDateiInfo* Erster(TOrdnerUmgebung& u, TScript& s, const QByteArray& Eintraege) {
  u.Ordner.Schreiben(QStringLiteral("t.script.xml"),
                     Dokument(Kopf, "<VerwaltungsScript>" + Eintraege + "</VerwaltungsScript>"));
  EXPECT_EQ(s.LadenDatei(u.Ordner.Pfad(), QStringLiteral("t.script.xml"), nullptr), S_OK);
  EXPECT_FALSE(s.Kommandos.empty());
  return s.Kommandos.empty() ? nullptr : dynamic_cast<TScriptDateiInfo*>(s.Kommandos.front().get());
}

QByteArray Gespeichert(TOrdnerUmgebung& u, TScript& s) {
  EXPECT_EQ(s.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("aus.script.xml"), nullptr), S_OK);
  const QByteArray d = kiro::test::Lesen(u.Ordner / QStringLiteral("aus.script.xml"));
  const qsizetype a = d.indexOf("<DateiInfo");
  return d.mid(a, d.indexOf("</DateiInfo>") + 12 - a);
}

void ErwarteVorgaben(const TScriptDateiInfo& d) {
  EXPECT_EQ(d.DateiArt, 0);
  EXPECT_TRUE(d.VersionAlt.isEmpty() && d.Version.isEmpty() && d.Dateibedingung.isEmpty());
  EXPECT_FALSE(d.Win32bit || d.Win64bit || d.AdminNoetig);
  EXPECT_TRUE(d.MinWindows.isEmpty() && d.MaxWindows.isEmpty());
  EXPECT_TRUE(d.MinRegWert.isEmpty() && d.MinRegVersion.isEmpty() && d.URLWarnung.isEmpty());
  EXPECT_TRUE(d.MinRegWert2.isEmpty() && d.MinRegVersion2.isEmpty() && d.URLWarnung2.isEmpty());
  EXPECT_TRUE(d.Datum.IstLeer());
  EXPECT_EQ(d.Datei.InstVerzeichnis, 0);
  EXPECT_FALSE(d.Datei.NurInfo);
}

}  // namespace

TEST(ScriptDateiInfo, HashwertNimmtDieUnteren32Bit) {
  struct Fall {
    const char* Attribut;  // nullptr: absent
    std::uint32_t Hashwert;
    std::int64_t Gelesen;
    int Logzeilen;
  };
  const Fall faelle[] = {
      {"3735928559", 3735928559u, 3735928559, 0},
      {"4294967295", 4294967295u, 4294967295, 0},
      {"2147483648", 2147483648u, 2147483648, 0},
      {"-1", 4294967295u, -1, 0},
      {"4294967296", 0u, 4294967296, 0},
      {"4294967297", 1u, 4294967297, 0},
      {"abc", 0u, 0, 1},
      {"99999999999999999999", 0u, 0, 1},
      {"", 0u, 0, 0},
      {nullptr, 0u, 0, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Attribut ? f.Attribut : "(absent)");
    TOrdnerUmgebung u;
    TProtokollFaenger log;
    TScript s;
    const QByteArray attr = f.Attribut ? QByteArray(" Hashwert=\"") + f.Attribut + "\"" : QByteArray();
    const TScriptDateiInfo* d =
        Erster(u, s, "<DateiInfo" + attr + " Groesse=\"1024\"><Datei Dateiname=\"teil1.7z\"/></DateiInfo>");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Hashwert, f.Hashwert);
    EXPECT_EQ(d->HashwertGelesen, f.Gelesen);
    EXPECT_EQ(d->Groesse, 1024);
    EXPECT_EQ(d->Datei.Dateiname, QStringLiteral("teil1.7z"));
    ErwarteVorgaben(*d);
    const QStringList zeilen = log.Zeilen();
    ASSERT_EQ(zeilen.size(), f.Logzeilen) << zeilen.join(u'\n').toStdString();
    for (const QString& z : zeilen) EXPECT_TRUE(z.startsWith(u"2 ")) << z.toStdString();
  }
}

TEST(ScriptDateiInfo, ZahlenDatumUndWahrheitswerte) {
  struct Fall {
    const char* Attribute;
    std::function<void(const TScriptDateiInfo&)> Pruefen;
    int Logzeilen;
  };
  const Fall faelle[] = {
      {"DateiInfoDateiArt=\"258\"", [](const TScriptDateiInfo& d) { EXPECT_EQ(d.DateiArt, 2); }, 0},
      {"DateiInfoDateiArt=\"x\"", [](const TScriptDateiInfo& d) { EXPECT_EQ(d.DateiArt, 0); }, 1},
      {"Groesse=\"2147483647\"", [](const TScriptDateiInfo& d) { EXPECT_EQ(d.Groesse, 2147483647); }, 0},
      // 2 GiB and more do not fit: read as 0 with a line.
      {"Groesse=\"2147483648\"", [](const TScriptDateiInfo& d) { EXPECT_EQ(d.Groesse, 0); }, 1},
      {"Groesse=\"-5\"", [](const TScriptDateiInfo& d) { EXPECT_EQ(d.Groesse, -5); }, 0},
      {"Win64bit=\"true\" Win32bit=\"1\" DateiInfoAdminNoetig=\"ja\"",
       [](const TScriptDateiInfo& d) {
         EXPECT_FALSE(d.Win64bit);
         EXPECT_TRUE(d.Win32bit);
         EXPECT_FALSE(d.AdminNoetig);
       },
       0},
      {"Datum=\"2024-02-29\"",
       [](const TScriptDateiInfo& d) { EXPECT_EQ(d.Datum.AlsQDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0))); },
       0},
      {"Datum=\"2024-02-29 23:59:58\"",
       [](const TScriptDateiInfo& d) {
         EXPECT_EQ(d.Datum.AlsQDateTime(), QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58)));
       },
       0},
      {"Datum=\"gestern\"", [](const TScriptDateiInfo& d) { EXPECT_TRUE(d.Datum.IstLeer()); }, 1},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Attribute);
    TOrdnerUmgebung u;
    TProtokollFaenger log;
    TScript s;
    const TScriptDateiInfo* d = Erster(u, s, QByteArray("<DateiInfo ") + f.Attribute + "><Datei/></DateiInfo>");
    ASSERT_TRUE(d);
    f.Pruefen(*d);
    const QStringList zeilen = log.Zeilen();
    EXPECT_EQ(zeilen.size(), f.Logzeilen) << zeilen.join(u'\n').toStdString();
  }
}

TEST(ScriptDateiInfo, NeuerEintragSchreibtNurDasLeereDateiElement) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TScript s;
  s.Kommandos.push_back(std::make_unique<TScriptDateiInfo>());
  ErwarteVorgaben(*static_cast<TScriptDateiInfo*>(s.Kommandos[0].get()));
  EXPECT_EQ(Gespeichert(u, s), QByteArray("<DateiInfo>\r\n<Datei/>\r\n</DateiInfo>"));
}

TEST(ScriptDateiInfo, GewoehnlicheWerteKommenZurueck) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TScript s;
  auto neu = std::make_unique<TScriptDateiInfo>();
  neu->DateiArt = 4;
  neu->Version = QStringLiteral("2.0");
  neu->Dateibedingung = QStringLiteral("owndata\\x.ls3");
  neu->Win64bit = true;
  // Milliseconds are not written: the value comes back to the second.
  neu->Datum = TDateTime::AusQDateTime(QDateTime(QDate(2023, 12, 31), QTime(22, 33, 44, 555)));
  neu->Hashwert = 0x80000000u;
  neu->Groesse = 7;
  neu->URLWarnung2 = QStringLiteral("http://x/\"q\"");
  neu->Datei = TDatei{QStringLiteral("a\\b.7z"), 1, true};
  s.Kommandos.push_back(std::move(neu));
  EXPECT_EQ(
      Gespeichert(u, s),
      QByteArray(
          "<DateiInfo DateiInfoDateiArt=\"4\" DateiInfoVersion=\"2.0\" DateiInfoDateibedingung=\"owndata\\x.ls3\" "
          "Datum=\"2023-12-31 22:33:44\" Hashwert=\"2147483648\" Groesse=\"7\" Win64bit=\"1\" "
          "URLWarnung2=\"http://x/&quot;q&quot;\">\r\n"
          "<Datei Dateiname=\"a\\b.7z\" inst=\"1\" NurInfo=\"1\"/>\r\n</DateiInfo>"));

  TScript zurueck;
  ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("aus.script.xml"), nullptr), S_OK);
  ASSERT_EQ(zurueck.Kommandos.size(), 1u);
  const auto* d = dynamic_cast<const TScriptDateiInfo*>(zurueck.Kommandos[0].get());
  ASSERT_TRUE(d);
  EXPECT_EQ(d->DateiArt, 4);
  EXPECT_EQ(d->Version, QStringLiteral("2.0"));
  EXPECT_EQ(d->Dateibedingung, QStringLiteral("owndata\\x.ls3"));
  EXPECT_TRUE(d->Win64bit);
  EXPECT_EQ(d->Datum.AlsQDateTime(), QDateTime(QDate(2023, 12, 31), QTime(22, 33, 44)));
  EXPECT_EQ(d->Hashwert, 0x80000000u);
  EXPECT_EQ(d->Groesse, 7);
  EXPECT_EQ(d->URLWarnung2, QStringLiteral("http://x/\"q\""));
  EXPECT_EQ(d->Datei.Dateiname, QStringLiteral("a\\b.7z"));
  EXPECT_EQ(d->Datei.InstVerzeichnis, 1);
  EXPECT_TRUE(d->Datei.NurInfo);
}

TEST(ScriptDateiInfo, OhneDateiBleibtDerNameLeer) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TScript s;
  TScriptDateiInfo* d = Erster(u, s, "<DateiInfo Hashwert=\"7\"/><DateiInfo Hashwert=\"8\"></DateiInfo>");
  ASSERT_TRUE(d);
  ASSERT_EQ(s.Kommandos.size(), 2u);
  EXPECT_TRUE(d->Datei.Dateiname.isEmpty());
  EXPECT_EQ(d->Hashwert, 7u);
  EXPECT_EQ(log.Zeilen(), QStringList());
  EXPECT_EQ(d->HtmlInfoErzeugen(), QStringLiteral("Datei-Info "));
}

TEST(ScriptDateiInfo, AbarbeitenTutNichts) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  struct TAnsicht : IProtokollAnsicht {
    int Aufrufe = 0;
    void Grundzustand() override { ++Aufrufe; }
    void Fehler() override { ++Aufrufe; }
    void NeuesThema() override { ++Aufrufe; }
    void Eintrag(const QString&) override { ++Aufrufe; }
    void Eintrag(const QString&, TZeilenFarbe) override { ++Aufrufe; }
  } ansicht;
  TScriptDateiInfo d;
  d.Datei.Dateiname = QStringLiteral("a.txt");
  u.Daten(QStringLiteral("a.txt"), "x");
  TIndexListe index;
  d.Abarbeiten(&ansicht, nullptr, index, true, true, true);
  EXPECT_EQ(ansicht.Aufrufe, 0);
  EXPECT_EQ(kiro::test::Lesen(Datenverzeichnis + QStringLiteral("a.txt")), QByteArray("x"));
  EXPECT_EQ(log.Zeilen(), QStringList());
}
