#include "datafiles/KiroXML.h"
#include "support/Spur.h"

#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "testsupport/TempOrdner.h"

#include "testsupport/Protokollfaenger.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

using namespace kiro;
using kiro::test::TSpur;

namespace {

QByteArray Utf8(const char* s) { return QByteArray(s); }
QByteArray Bom8(const char* s) { return QByteArray("\xEF\xBB\xBF") + s; }
QByteArray Utf16(const QString& s, bool le) {
  QByteArray b = le ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
  for (QChar c : s) {
    const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
    b += le ? lo : hi;
    b += le ? hi : lo;
  }
  return b;
}

using TLog = kiro::test::TProtokollFaenger;

struct TErgebnis {
  bool Geladen = false;
  bool Vollstaendig = false;
  QString Spur;
  int MaxTiefe = 0;
};

TErgebnis Lesen(const QByteArray& Bytes, QSet<QString> Ablehnen = {}, QSet<QString> Ueberspringen = {}) {
  // scripts/fuzz.sh seeds the fuzzer with these inputs.
  const QString korpus = qEnvironmentVariable("KIRO_FUZZ_KORPUS");
  if (!korpus.isEmpty()) {
    QFile f(korpus + u'/' + QString::fromLatin1(QCryptographicHash::hash(Bytes, QCryptographicHash::Sha1).toHex()));
    if (f.open(QIODevice::WriteOnly)) f.write(Bytes);
  }
  kiro::test::TempOrdner ordner;
  ordner.Schreiben(QStringLiteral("t.xml"), Bytes);
  TLog log;
  TKiroXML x;
  TSpur spur;
  spur.Leser = &x;
  spur.Ablehnen = std::move(Ablehnen);
  spur.Ueberspringen = std::move(Ueberspringen);
  TInfo info;
  TErgebnis e;
  e.Geladen = x.LadenDatei(ordner.Pfad(), QStringLiteral("t.xml"), info, spur.Proc(), nullptr);
  e.Vollstaendig = x.Vollstaendig();
  QStringList alles = spur.Zeilen;
  for (const QString& z : log.Zeilen()) alles << QStringLiteral("log ") + z;
  e.Spur = alles.join(u'\n');
  e.MaxTiefe = spur.MaxTiefe;
  return e;
}

struct TFall {
  const char* Name;
  QByteArray Eingabe;
  const char* Spur;
  bool Vollstaendig = true;
  QSet<QString> Ablehnen = {};
  QSet<QString> Ueberspringen = {};
};

const char* const BEISPIEL =
    "<?xml version='1.0' encoding='UTF-8'?>\r\n<Kiro>\r\n<Info Version='A.2' Beschreibung='M&amp;S'>\r\n"
    "<AutorEintrag AutorID='7'/>\r\n</Info>\r\n</Kiro>\r\n";
const char* const BEISPIEL_SPUR =
    "0 E ?xml @1:7\n1 A version=1.0 @1:19\n1 A encoding=UTF-8 @1:36\n0 E Kiro @3:45\n1 E Info @3:51\n"
    "2 A Version=A.2 @3:63\n2 A Beschreibung=M&S @3:86\n2 E AutorEintrag @4:102\n3 A AutorID=7 @4:112";

const char* const KIRO_AB = "<Kiro><a x=\"1\"/></Kiro>";

class Spurtabelle : public ::testing::TestWithParam<TFall> {};

TEST_P(Spurtabelle, LiefertDieseRueckrufe) {
  const TFall& f = GetParam();
  const TErgebnis e = Lesen(f.Eingabe, f.Ablehnen, f.Ueberspringen);
  EXPECT_TRUE(e.Geladen);
  EXPECT_EQ(e.Spur.toStdString(), std::string(f.Spur));
  EXPECT_EQ(e.Vollstaendig, f.Vollstaendig);
}

// Encodings: the same document must give the same items; counters are UTF-16 units.
INSTANTIATE_TEST_SUITE_P(
    Kodierungen, Spurtabelle,
    ::testing::Values(
        TFall{"utf8_ohne_bom", Utf8(BEISPIEL), BEISPIEL_SPUR},
        TFall{"utf8_mit_bom", Bom8(BEISPIEL), BEISPIEL_SPUR},
        TFall{"utf16le", Utf16(QString::fromUtf8(BEISPIEL), true), BEISPIEL_SPUR},
        TFall{"utf16be", Utf16(QString::fromUtf8(BEISPIEL), false), BEISPIEL_SPUR},
        TFall{"umlaut_und_ausserhalb_bmp", Bom8("<Kiro a=\"\xC3\xA4\xF0\x9F\x98\x80\" b=\"x\"/>"),
              "0 E Kiro @1:7\n1 A a=\xC3\xA4\xF0\x9F\x98\x80 @1:13\n1 A b=x @1:19"},
        TFall{"utf16_ausserhalb_bmp", Utf16(QString::fromUtf8("<Kiro a=\"\xF0\x9F\x98\x80\"/>"), true),
              "0 E Kiro @1:7\n1 A a=\xF0\x9F\x98\x80 @1:12"},
        TFall{"ungueltiges_utf8", Utf8("<Kiro a=\"x\xFFy\xC3\"/>"),
              "0 E Kiro @1:7\n1 A a=x\xEF\xBF\xBDy\xEF\xBF\xBD @1:14\n"
              "log 2 Datei \"t.xml\": ungültige Zeichen durch U+FFFD ersetzt"},
        // A surrogate without its partner is no more a character than a stray byte of UTF-8.
        TFall{"utf16_surrogate_ohne_partner",
              Utf16(QStringLiteral("<Kiro a=\"x") + QChar(0xD83D) + u'y' + QChar(0xDE00) + QStringLiteral("\"/>"), true),
              "0 E Kiro @1:7\n1 A a=x\xEF\xBF\xBDy\xEF\xBF\xBD @1:14\n"
              "log 2 Datei \"t.xml\": ungültige Zeichen durch U+FFFD ersetzt"},
        TFall{"utf16be_hohes_surrogat_am_ende", Utf16(QStringLiteral("<Kiro a=\"x\"/>") + QChar(0xD83D), false),
              "0 E Kiro @1:7\n1 A a=x @1:11\n"
              "log 2 Datei \"t.xml\": ungültige Zeichen durch U+FFFD ersetzt"},
        TFall{"abgeschnittene_folge_am_ende", Utf8("<Kiro a=\"\xE2\x82"),
              "0 E Kiro @1:7\n1 A a=\xEF\xBF\xBD @1:10\n"
              "log 2 Datei \"t.xml\": ungültige Zeichen durch U+FFFD ersetzt",
              false},
        TFall{"leere_zeilen_zaehlen", Utf8("\n\n<Kiro \r\n\r\n\ra='1'/>"), "0 E Kiro @6:7\n1 A a=1 @6:11"}),
    [](const auto& i) { return std::string(i.param.Name); });

// Grammar of the dialect, including its forgiving treatment of malformed text.
INSTANTIATE_TEST_SUITE_P(
    Grammatik, Spurtabelle,
    ::testing::Values(
        TFall{"text_vor_dem_ersten_tag", Utf8("  abc=\"1\" <Kiro/>"), "0 E Kiro @1:16"},
        TFall{"leere_datei", Utf8(""), "", false},
        TFall{"nur_leerzeilen", Utf8("  \r\n\r\n\t"), "", false},
        TFall{"selbstschliessend_mit_leerzeichen", Utf8("<Kiro><a x='1' /><b/></Kiro>"),
              "0 E Kiro @1:7\n1 E a @1:10\n2 A x=1 @1:14\n1 E b @1:20"},
        TFall{"start_und_endtag", Utf8("<Kiro><a></a><b x='2'></b></Kiro>"),
              "0 E Kiro @1:7\n1 E a @1:10\n1 E b @1:17\n2 A x=2 @1:21"},
        TFall{"endtag_wird_nicht_verglichen", Utf8("<Kiro><a><b></x>c='3'</></Kiro>"),
              "0 E Kiro @1:7\n1 E a @1:10\n2 E b @1:13\n2 A c=3 @1:21"},
        TFall{"entitaeten",
              Utf8("<Kiro a='x&amp;y' b='&amp;lt;' c='&amp;apos;' d='&LT;&#65;&' e='&quot;&apos;&lt;&gt;'/>"),
              "0 E Kiro @1:7\n1 A a=x&y @1:17\n1 A b=&lt; @1:30\n1 A c=&apos; @1:45\n1 A d=&LT;&#65;& @1:60\n"
              "1 A e=\"'<> @1:85"},
        TFall{"andere_anfuehrung_im_wert", Utf8("<Kiro a=\"it's <b>/=\"/>"), "0 E Kiro @1:7\n1 A a=it's <b>/= @1:20"},
        TFall{"fehlendes_schliessendes_anfuehrungszeichen", Utf8("<Kiro a='x/>\r\n<b c='1'/></Kiro>"),
              "0 E Kiro @1:7\n1 A a=x/><b c= @2:18"},
        TFall{"attribut_ohne_wert", Utf8("<Kiro a b= c=d e = '5'/>"), "0 E Kiro @1:7\n1 A e=5 @1:22"},
        TFall{"textinhalt", Utf8("<Kiro><a>Hallo Welt x=\"1\" und/oder</a><b/></Kiro>"),
              "0 E Kiro @1:7\n1 E a @1:10\n2 A x=1 @1:25\n1 E b @1:41"},
        TFall{"tag_ohne_schliessende_klammer", Utf8("<Kiro><a x='1'<b/></a></Kiro>"),
              "0 E Kiro @1:7\n1 E a @1:10\n2 A x=1 @1:14\n2 E b @1:17"},
        TFall{"name_ueber_zeilenende", Utf8("<Kiro><ab\r\ncd='1'/></Kiro>"), "0 E Kiro @1:7\n1 E abcd @2:13"},
        TFall{"wert_ueber_zeilenende_verliert_umbruch", Utf8("<Kiro a='x\r\ny'/>"), "0 E Kiro @1:7\n1 A a=xy @2:12"},
        TFall{"leerer_name", Utf8("<Kiro>< a='1'/></Kiro>"), "0 E Kiro @1:7\n1 E  @1:9\n2 A a=1 @1:13"},
        TFall{"spitze_klammern_ohne_namen", Utf8("<Kiro><>x='1'</></Kiro>"), "0 E Kiro @1:7\n1 E  @1:9\n2 A x=1 @1:13"},
        // A document type declaration has no end of its own: the root becomes its child.
        TFall{"doctype_verschluckt_die_wurzel", Utf8("<!DOCTYPE x><Kiro a='1'/>"),
              "0 E !DOCTYPE @1:11\n1 E Kiro @1:19\n2 A a=1 @1:23", false},
        TFall{"doppeltes_attribut", Utf8("<Kiro a='1' a='2'/>"), "0 E Kiro @1:7\n1 A a=1 @1:11\n1 A a=2 @1:17"},
        TFall{"kommentar_wird_genau_uebersprungen",
              Utf8("<Kiro><!-- a='1' <b/> -- > --><c/><!----><d/></Kiro>"),
              "0 E Kiro @1:7\n1 E c @1:33\n1 E d @1:44"},
        TFall{"offener_kommentar", Utf8("<Kiro><!-- a='1'"), "0 E Kiro @1:7", false},
        TFall{"ohne_kiro_wurzel", Utf8("<Andere/>"), "0 E Andere @1:8", false},
        TFall{"abgeschnitten_im_element", Utf8("<Kiro><a x='1'"), "0 E Kiro @1:7\n1 E a @1:10\n2 A x=1 @1:14", false},
        TFall{"abgeschnitten_im_endtag", Utf8("<Kiro></Kiro"), "0 E Kiro @1:7", false},
        TFall{"abgelehnt_und_uebersprungen", Utf8("<Kiro a='1'><b><c d='2'/></b><e/><f/></Kiro>"),
              "0 E Kiro @1:7\n1 A a=1 @1:11\n1 E b @1:16\n1 E e @1:32\n1 E f @1:36\n"
              "log 2 Unbekanntes xml-Attribut \"a\" in Datei \"t.xml\", Zeile 1 (11. Zeichen)\n"
              "log 2 Unbekannter xml-Knoten \"b\" in Datei \"t.xml\", Zeile 1 (16. Zeichen)\n"
              "log 2 Unbekannter xml-Knoten \"e\" in Datei \"t.xml\", Zeile 1 (32. Zeichen)",
              true, QSet<QString>{"a", "b", "e"}, QSet<QString>{"f"}}),
    [](const auto& i) { return std::string(i.param.Name); });

TEST(KiroXMLLesen, BeispielMeldetZeileUndZeichenDerAblehnung) {
  const TErgebnis e = Lesen(Utf8(BEISPIEL), {"Version", "AutorEintrag"});
  EXPECT_TRUE(e.Spur.contains(u"log 2 Unbekanntes xml-Attribut \"Version\" in Datei \"t.xml\", Zeile 3 (63. Zeichen)"))
      << e.Spur.toStdString();
  EXPECT_TRUE(e.Spur.contains(u"log 2 Unbekannter xml-Knoten \"AutorEintrag\" in Datei \"t.xml\", Zeile 4 (102. Zeichen)"))
      << e.Spur.toStdString();
}

TEST(KiroXMLLesen, ZeilenumbruchUeberPuffergrenzeZaehltEineZeile) {
  const TErgebnis e = Lesen(QByteArray("<Kiro a=\"") + QByteArray(4096 - 11, 'x') + "\"\r\n b=\"1\"/>");
  const QStringList z = e.Spur.split(u'\n');
  ASSERT_EQ(z.size(), 3) << e.Spur.toStdString();
  EXPECT_TRUE(z[2].startsWith(u"1 A b=1 @2:")) << z[2].toStdString();
}

TEST(KiroXMLLesen, ZeichenUeberPuffergrenzeBleibtGanz) {
  // Bytes 4095..4098 are one character outside the BMP; the first read ends after its second byte.
  const QByteArray vorne = QByteArray("<Kiro a=\"") + QByteArray(4094 - 9, 'x');
  const TErgebnis e = Lesen(vorne + "\xF0\x9F\x98\x80\xC3\xA4\"/>");
  EXPECT_EQ(e.Spur.toStdString(),
            "0 E Kiro @1:7\n1 A a=" + std::string(4094 - 9, 'x') + "\xF0\x9F\x98\x80\xC3\xA4 @1:4098");
  // In UTF-16 the first read ends between the two halves of a surrogate pair.
  const QString vorne16 = QStringLiteral("<Kiro a=\"") + QString(2046 - 9, u'x');
  const TErgebnis e16 = Lesen(Utf16(vorne16 + QStringLiteral("\U0001F600\"/>"), true));
  EXPECT_EQ(e16.Spur.toStdString(), "0 E Kiro @1:7\n1 A a=" + std::string(2046 - 9, 'x') + "\xF0\x9F\x98\x80 @1:2049");
}

TEST(KiroXMLLesen, FehlendeDateiGibtFalschUndMeldung) {
  kiro::test::TempOrdner ordner;
  TLog log;
  TKiroXML x;
  TInfo info;
  bool gerufen = false;
  EXPECT_FALSE(x.LadenDatei(ordner.Pfad(), QStringLiteral("fehlt.xml"), info,
                            [&](TParse&, void*) { gerufen = true; return ParseOK; }, nullptr));
  EXPECT_FALSE(gerufen);
  EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral("2 Datei \"") + ordner.Pfad() + QStringLiteral("fehlt.xml\" nicht gefunden")});
}

TEST(KiroXMLLesen, LesefehlerBeendetDasLadenMitMeldung) {
  // A regular file whose first read fails: the memory of this process at address 0.
  TLog log;
  TKiroXML x;
  TSpur spur;
  spur.Leser = &x;
  TInfo info;
  EXPECT_TRUE(x.LadenDatei(QString(), QStringLiteral("/proc/self/mem"), info, spur.Proc(), nullptr));
  EXPECT_FALSE(x.Vollstaendig());
  EXPECT_TRUE(spur.Zeilen.isEmpty());
  EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral("2 /proc/self/mem (") + QString::fromLocal8Bit(std::strerror(EIO)) +
                                      u')'});
}

TEST(KiroXMLLesen, NurRegulaereDateienGeltenAlsGefunden) {
  // A FIFO would block the load for good; a folder or a device is no data file.
  kiro::test::TempOrdner ordner;
  QDir(ordner.Pfad()).mkdir(QStringLiteral("ordner.xml"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(ordner / QStringLiteral("fifo.xml")).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(ordner / QStringLiteral("fifo.xml"), ordner / QStringLiteral("link_zum_fifo.xml")));
  for (const QString& name : {ordner / QStringLiteral("ordner.xml"), ordner / QStringLiteral("fifo.xml"),
                              ordner / QStringLiteral("link_zum_fifo.xml"), QStringLiteral("/dev/zero")}) {
    SCOPED_TRACE(name.toStdString());
    TLog log;
    TKiroXML x;
    TInfo info;
    bool gerufen = false;
    EXPECT_FALSE(x.LadenDatei(QString(), name, info, [&](TParse&, void*) { gerufen = true; return ParseOK; }, nullptr));
    EXPECT_FALSE(gerufen);
    EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral("2 Datei \"") + name + QStringLiteral("\" nicht gefunden")});
  }
}

TEST(KiroXMLLesen, OhnePfadGiltDerOffizielleDatenordner) {
  kiro::test::TempOrdner ordner;
  ordner.Schreiben(QStringLiteral("o.xml"), "<Kiro a='1'/>");
  const QString alt = DatenverzeichnisOffiziell;
  DatenverzeichnisOffiziell = ordner.Pfad();
  TKiroXML x;
  TSpur spur;
  spur.Leser = &x;
  TInfo info;
  EXPECT_TRUE(x.LadenDatei(QString(), QStringLiteral("o.xml"), info, spur.Proc(), nullptr));
  DatenverzeichnisOffiziell = alt;
  EXPECT_EQ(spur.Zeilen.size(), 2);
}

TEST(KiroXMLLesen, EingebundenerTextIstEineZeileMitLfAlsZeichen) {
  TEingebundeneDateien speicher;
  speicher.Namen << QStringLiteral("EINGEBAUT.XML");
  speicher.Texte << QStringLiteral("<Kiro a='1'\r\nb='2'/>");
  EingebundeneDateien = &speicher;
  TKiroXML x;
  TSpur spur;
  spur.Leser = &x;
  TInfo info;
  TLog log;
  spur.Ablehnen = {QStringLiteral("\nb")};
  EXPECT_TRUE(x.LadenDatei(QStringLiteral("/gibt/es/nicht/"), QStringLiteral("eingebaut.xml"), info, spur.Proc(), nullptr));
  EingebundeneDateien = nullptr;
  EXPECT_EQ(spur.Zeilen.join(u'|'), QStringLiteral("0 E Kiro @0:7|1 A a=1 @0:11|1 A \nb=2 @0:18"));
  EXPECT_EQ(log.Zeilen().join(u'|').toStdString(),
            "2 Unbekanntes xml-Attribut \"\nb\" in Datei \"t.xml\", Zeile 0 (18. Zeichen)");
}

TEST(KiroXMLLesen, TiefeVerschachtelungBrichtAbStattDenStapelZuSprengen) {
  QByteArray tief = "<Kiro>";
  for (int i = 0; i < 100000; ++i) tief += "<a>";
  {
    const TErgebnis e = Lesen(tief);  // read by the callbacks
    EXPECT_FALSE(e.Vollstaendig);
    EXPECT_EQ(e.MaxTiefe, TKiroXML::MaxTiefe + 1);  // the level beyond the limit is refused
    EXPECT_TRUE(e.Spur.endsWith(u"log 2 Datei \"t.xml\" ist tiefer als 256 Ebenen verschachtelt, Lesen abgebrochen"));
  }
  {
    const TErgebnis e = Lesen(tief, {}, {QStringLiteral("a")});  // skipped by the reader itself
    EXPECT_FALSE(e.Vollstaendig);
    EXPECT_TRUE(e.Spur.endsWith(u"verschachtelt, Lesen abgebrochen"));
  }
  QByteArray genau = "<Kiro>";
  for (int i = 0; i < TKiroXML::MaxTiefe - 1; ++i) genau += "<a>";
  for (int i = 0; i < TKiroXML::MaxTiefe - 1; ++i) genau += "</a>";
  genau += "</Kiro>";
  const TErgebnis e = Lesen(genau);
  EXPECT_TRUE(e.Vollstaendig) << e.Spur.right(200).toStdString();
  EXPECT_EQ(e.MaxTiefe, TKiroXML::MaxTiefe);
}

TEST(KiroXMLLesen, ZehnMegabyteAttribut) {
  const QByteArray wert(10 * 1024 * 1024, 'v');
  kiro::test::TempOrdner ordner;
  ordner.Schreiben(QStringLiteral("g.xml"), "<Kiro a=\"" + wert + "\" b='1'/>");
  TKiroXML x;
  TInfo info;
  qsizetype laenge = 0;
  QString b;
  TParserProc proc = [&](TParse& p, void*) -> TParseErg {
    if (p.Kennung == u"Kiro") {
      x.LadenXML(proc, nullptr, false, QStringLiteral("g.xml"));
      return ParseOK;
    }
    if (p.Kennung == u"a") laenge = p.Wert.size();
    if (p.Kennung == u"b") b = p.Wert;
    return ParseOK;
  };
  EXPECT_TRUE(x.LadenDatei(ordner.Pfad(), QStringLiteral("g.xml"), info, proc, nullptr));
  EXPECT_EQ(laenge, wert.size());
  EXPECT_EQ(b, u"1");
  EXPECT_TRUE(x.Vollstaendig());
}

TEST(KiroXMLLesen, AusnahmeImRueckrufErreichtDenAufrufer) {
  kiro::test::TempOrdner ordner;
  ordner.Schreiben(QStringLiteral("t.xml"), "<Kiro a='1'/>");
  TKiroXML x;
  TInfo info;
  EXPECT_THROW(x.LadenDatei(ordner.Pfad(), QStringLiteral("t.xml"), info,
                            [](TParse&, void*) -> TParseErg { throw std::runtime_error("x"); }, nullptr),
               std::runtime_error);
  // The reader is usable again afterwards.
  TSpur spur;
  spur.Leser = &x;
  EXPECT_TRUE(x.LadenDatei(ordner.Pfad(), QStringLiteral("t.xml"), info, spur.Proc(), nullptr));
  EXPECT_EQ(spur.Zeilen.size(), 2);
}

TEST(KiroXMLLesen, NurErsterKnotenLiestEinElement) {
  kiro::test::TempOrdner ordner;
  ordner.Schreiben(QStringLiteral("t.xml"), "<Kiro><a/><b/></Kiro>");
  TKiroXML x;
  TInfo info;
  QStringList namen;
  TParserProc proc = [&](TParse& p, void*) -> TParseErg {
    namen << p.Kennung;
    if (p.Kennung == u"Kiro") x.LadenXML([&](TParse& q, void*) { namen << q.Kennung; return ParseUeberspringen; },
                                         nullptr, true, QStringLiteral("t.xml"));
    return ParseOK;
  };
  x.LadenDatei(ordner.Pfad(), QStringLiteral("t.xml"), info, proc, nullptr);
  // The root's level handled "a" only; "b" then belongs to the document level.
  EXPECT_EQ(namen, (QStringList{"Kiro", "a", "b"}));
}

}  // namespace
