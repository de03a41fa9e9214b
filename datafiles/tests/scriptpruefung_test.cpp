#include "datafiles/ScriptPruefung.h"

#include "support/Testdatei.h"

#include "testsupport/Protokollfaenger.h"

#include <gtest/gtest.h>

using namespace kiro;
using kiro::test::Dokument;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TProtokollFaenger;

namespace {

const QByteArray Kopf = "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>";

QByteArray Eintrag(const QByteArray& Name, const QByteArray& Hashwert = "1") {
  return "<DateiInfo Hashwert=\"" + Hashwert + "\"><Datei Dateiname=\"" + Name + "\"/></DateiInfo>\r\n";
}

TGeprueftesScript Pruefen(TOrdnerUmgebung& u, const QByteArray& Eintraege) {
  u.Ordner.Schreiben(QStringLiteral("StickDateien.script.xml"),
                     Dokument(Kopf, "<VerwaltungsScript>\r\n" + Eintraege + "</VerwaltungsScript>"));
  return GeprueftesScriptLaden(u.Ordner.Pfad(), QStringLiteral("StickDateien.script.xml"));
}

QStringList Namen(const QList<const TScriptDateiInfo*>& Liste) {
  QStringList n;
  for (const TScriptDateiInfo* e : Liste) n << e->Datei.Dateiname;
  return n;
}

}  // namespace

TEST(ScriptPruefung, GutesScriptIstBrauchbar) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  const TGeprueftesScript p =
      Pruefen(u, Eintrag("teil1.7z", "3735928559") + "<Loeschen><Datei Dateiname=\"../x\"/></Loeschen>\r\n" +
                     Eintrag("sub\\teil2.7z", "-1") + Eintrag("sub/teil3.7z", "2147483648"));
  EXPECT_TRUE(p.Gefunden);
  EXPECT_TRUE(p.Vollstaendig);
  EXPECT_TRUE(p.Brauchbar());
  // Only file entries count; other entries are not checked.
  EXPECT_EQ(Namen(p.Dateien), (QStringList{"teil1.7z", "sub\\teil2.7z", "sub/teil3.7z"}));
  EXPECT_EQ(p.Dateien[0]->Hashwert, 3735928559u);
  EXPECT_EQ(p.Dateien[1]->Hashwert, 4294967295u);
  EXPECT_TRUE(p.Abgelehnt.isEmpty());
  EXPECT_TRUE(p.OhneHashwert.isEmpty());
  EXPECT_EQ(log.Zeilen(), QStringList());
}

TEST(ScriptPruefung, FeindlicheNamenWerdenAbgelehnt) {
  const char* feindlich[] = {
      "../x.7z",     "a\\..\\..\\b.7z", "/etc/passwd", "\\\\server\\teil.7z",
      "C:\\teil.7z", "c:teil.7z",       "a\\\\b.7z",   "a//b.7z",
      ".\\a.7z",     "teil\\",          "teil/",       "",
      "a\x01b.7z",   "a\tb.7z",         "a\x7f.7z",    "..",
  };
  for (const char* name : feindlich) {
    SCOPED_TRACE(name);
    TOrdnerUmgebung u;
    TProtokollFaenger log;
    const TGeprueftesScript p = Pruefen(u, Eintrag("gut.7z") + Eintrag(name) + Eintrag("auch.7z"));
    EXPECT_TRUE(p.Vollstaendig);
    EXPECT_FALSE(p.Brauchbar());
    EXPECT_EQ(Namen(p.Dateien), (QStringList{"gut.7z", "auch.7z"}));
    ASSERT_EQ(p.Abgelehnt.size(), 1);
    const QStringList zeilen = log.Zeilen();
    ASSERT_EQ(zeilen.size(), 1) << zeilen.join(u'\n').toStdString();
    EXPECT_TRUE(zeilen[0].startsWith(u"2 Script \"StickDateien.script.xml\": unzulässiger Dateiname"))
        << zeilen[0].toStdString();
  }
}

// A name the file system cannot hold is refused before anyone tries it: a component over 255
// bytes (as UTF-8, so 128 umlauts are too many) or a path over 4096 bytes.
TEST(ScriptPruefung, UeberlangeNamenWerdenAbgelehnt) {
  struct Fall {
    const char* Name;
    QString Dateiname;
    bool Zulaessig;
  };
  const QString ordner = QString(200, u'o') + u'\\';
  const QList<Fall> faelle{
      {"Komponente255", QString(255, u'k'), true},
      {"Komponente256", QString(252, u'k') + ".001", false},
      {"Umlaute127", QString(127, u'\u00e4'), true},
      {"Umlaute128", QString(128, u'\u00e4'), false},
      {"Pfad4095", ordner.repeated(20) + QString(4095 - 20 * 201, u'p'), true},
      {"Pfad4097", ordner.repeated(20) + QString(4097 - 20 * 201, u'p'), false},
      {"ZweiMiB", QString(2 << 20, u'n'), false},
  };
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ScriptDateinameZulaessig(c.Dateiname), c.Zulaessig);
  }
}

TEST(ScriptPruefung, EintragOhneDateiWirdAbgelehnt) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  const TGeprueftesScript p = Pruefen(u, "<DateiInfo Hashwert=\"5\"/>\r\n" + Eintrag("gut.7z"));
  ASSERT_EQ(p.Abgelehnt.size(), 1);
  EXPECT_EQ(p.Abgelehnt[0]->Hashwert, 5u);
  EXPECT_EQ(Namen(p.Dateien), QStringList{"gut.7z"});
  EXPECT_FALSE(p.Brauchbar());
}

TEST(ScriptPruefung, EintraegeOhneBrauchbarenHashwert) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  const TGeprueftesScript p =
      Pruefen(u, Eintrag("a.7z", "3735928559") + Eintrag("b.7z", "abc") + Eintrag("c.7z", "4294967296") +
                     Eintrag("d.7z", "0") + Eintrag("e.7z", "4294967297") + Eintrag("f.7z", "-2147483649") +
                     "<DateiInfo><Datei Dateiname=\"g.7z\"/></DateiInfo>\r\n" + Eintrag("h.7z", "-1"));
  // Kept in their places, so that no later part moves up.
  EXPECT_EQ(Namen(p.Dateien), (QStringList{"a.7z", "b.7z", "c.7z", "d.7z", "e.7z", "f.7z", "g.7z", "h.7z"}));
  // "0" and an absent value are the CRC-32 of an empty file, not a missing one.
  EXPECT_EQ(Namen(p.OhneHashwert), (QStringList{"b.7z", "c.7z", "e.7z", "f.7z"}));
  EXPECT_FALSE(p.Brauchbar());
  const QStringList zeilen = log.Zeilen();
  // The conversion's own line for "abc", then one line per entry.
  ASSERT_EQ(zeilen.size(), 5) << zeilen.join(u'\n').toStdString();
  EXPECT_EQ(zeilen[1], QStringLiteral("2 Script \"StickDateien.script.xml\": Eintrag \"b.7z\" ohne gültigen Hashwert"));
}

TEST(ScriptPruefung, ExterneDateiWirdNichtGelesen) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  // The named files exist where the base class would look for them.
  u.Offiziell(QStringLiteral("fremd.script.xml"),
              Dokument(Kopf, "<VerwaltungsScript>" + Eintrag("fremd.7z") + "</VerwaltungsScript>"));
  u.Offiziell(QStringLiteral("teil.xml"), Dokument(Kopf, "<xml Hashwert=\"9\"/>"));
  u.Ordner.Schreiben(
      QStringLiteral("StickDateien.script.xml"),
      Dokument(Kopf,
               "<VerwaltungsScript ExterneDatei=\"fremd.script.xml\">\r\n"
               "<DateiInfo ExterneDatei=\"teil.xml\" Hashwert=\"3\"><Datei Dateiname=\"a.7z\"/></DateiInfo>\r\n"
               "<Loeschen ExterneDatei=\"teil.xml\"><Datei Dateiname=\"x\"/></Loeschen>\r\n"
               "</VerwaltungsScript>"));
  const TGeprueftesScript p = GeprueftesScriptLaden(u.Ordner.Pfad(), QStringLiteral("StickDateien.script.xml"));
  EXPECT_TRUE(p.Gefunden);
  EXPECT_FALSE(p.Vollstaendig);
  EXPECT_FALSE(p.Brauchbar());
  EXPECT_EQ(p.IgnorierteExterneDateien, (QStringList{"fremd.script.xml", "teil.xml", "teil.xml"}));
  EXPECT_EQ(Namen(p.Dateien), QStringList{"a.7z"});
  EXPECT_EQ(p.Dateien[0]->Hashwert, 3u);
  const QStringList zeilen = log.Zeilen();
  ASSERT_EQ(zeilen.size(), 3) << zeilen.join(u'\n').toStdString();
  EXPECT_EQ(zeilen[0], QStringLiteral("2 ExterneDatei \"fremd.script.xml\" in Datei \"StickDateien.script.xml\" nicht "
                                      "gelesen: das Script darf keine weiteren Dateien einbinden"));
}

TEST(ScriptPruefung, FehlendeUndAbgeschnitteneDatei) {
  TOrdnerUmgebung u;
  {
    TProtokollFaenger log;
    const TGeprueftesScript p = GeprueftesScriptLaden(u.Ordner.Pfad(), QStringLiteral("fehlt.script.xml"));
    EXPECT_FALSE(p.Gefunden);
    EXPECT_FALSE(p.Vollstaendig);
    EXPECT_FALSE(p.Brauchbar());
    EXPECT_TRUE(p.Dateien.isEmpty());
    EXPECT_EQ(log.Zeilen().size(), 1);
  }
  {
    TProtokollFaenger log;
    QByteArray text =
        Dokument(Kopf, "<VerwaltungsScript>\r\n" + Eintrag("a.7z") + Eintrag("b.7z") + "</VerwaltungsScript>");
    text.truncate(text.indexOf("b.7z"));
    u.Ordner.Schreiben(QStringLiteral("halb.script.xml"), text);
    const TGeprueftesScript p = GeprueftesScriptLaden(u.Ordner.Pfad(), QStringLiteral("halb.script.xml"));
    EXPECT_TRUE(p.Gefunden);
    EXPECT_FALSE(p.Vollstaendig);
    EXPECT_FALSE(p.Brauchbar());
  }
  {
    // A found, whole script without file entries is no use either.
    TProtokollFaenger log;
    const TGeprueftesScript p = Pruefen(u, "");
    EXPECT_TRUE(p.Gefunden);
    EXPECT_TRUE(p.Vollstaendig);
    EXPECT_FALSE(p.Brauchbar());
  }
}
