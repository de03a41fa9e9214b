#include "datafiles/KiroXMLDatei.h"
#include "support/Golden.h"
#include "testsupport/Protokollfaenger.h"

#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/TempOrdner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace kiro;
using kiro::test::Golden;
using kiro::test::Lesen;
using TLog = kiro::test::TProtokollFaenger;
using kiro::test::TempOrdner;

namespace {

// The tree as one line: name, attributes in brackets, children in braces.
QString Bild(const TKiroXMLKnoten& k) {
  QString s = k.Name;
  if (!k.Attribute.isEmpty()) {
    QStringList a;
    for (const TParse& p : k.Attribute) a << p.Kennung + u'=' + p.Wert;
    s += u'[' + a.join(u',') + u']';
  }
  if (!k.Unterknoten.empty()) {
    QStringList c;
    for (const auto& kind : k.Unterknoten) c << Bild(*kind);
    s += u'{' + c.join(u' ') + u'}';
  }
  return s;
}

// A data file in a loose hand-written layout: indentation, LF line ends, single quotes,
// attributes over two lines, comments (kept by a rewrite), entities and an empty value.
const char* const LOSE =
    "<?xml version='1.0' encoding='UTF-8'?>\n"
    "<!-- von Hand -->\n"
    "<Kiro>\n"
    "  <Info DateiTyp=\"Landschaft\" Version=\"A.2\" Leer=\"\">\n"
    "    <AutorEintrag AutorID=\"3\"\n"
    "        AutorName='M&amp;M &lt;x&gt;'/>\n"
    "    <Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\n"
    "  </Info>\n"
    "  <Landschaft>\n"
    "    <!--\n"
    "      mehrzeilig\n"
    "    -->\n"
    "    <SubSet Farbe='FF00FF00'>\n"
    "      <Vertex/>\n"
    "    </SubSet>\n"
    "  </Landschaft>\n"
    "</Kiro>\n";

TEST(KiroXMLDatei, LadenUndSpeichernImDateiformat) {
  TempOrdner ordner;
  const QString quelle = ordner.Schreiben(QStringLiteral("lose.ls3"), LOSE);
  TKiroXMLDatei d;
  TKiroXMLKnoten* inhalt = d.LadenDatei(QString(), quelle);
  ASSERT_NE(inhalt, nullptr);
  EXPECT_EQ(inhalt->Name, u"Landschaft");
  EXPECT_EQ(Bild(*d.Basisknoten()),
            QStringLiteral("{Kiro{Info[DateiTyp=Landschaft,Version=A.2,Leer=]{AutorEintrag[AutorID=3,AutorName=M&M <x>] "
                           "Datei[Dateiname=Strecken\\A\\x.ls3]} Landschaft{SubSet[Farbe=FF00FF00]{Vertex}}}}"));

  // Changed in place, as the reference update does, and written in the file layout.
  d.Basisknoten()->Unterknoten[0]->Unterknoten[0]->Unterknoten[1]->Attribute[0].Wert = QStringLiteral("Strecken\\B\\y.ls3");
  ASSERT_TRUE(d.SpeichernDatei(ordner.Pfad(), quelle));
  EXPECT_EQ(Lesen(quelle), Golden("baum.golden"));
  EXPECT_TRUE(kiro::test::Temporaere(quelle).isEmpty());

  // The written file reads back to the same tree and is written byte for byte the same again.
  TKiroXMLDatei wieder;
  ASSERT_NE(wieder.LadenDatei(QString(), quelle), nullptr);
  EXPECT_EQ(Bild(*wieder.Basisknoten()), Bild(*d.Basisknoten()));
  ASSERT_TRUE(wieder.SpeichernDatei(QString(), quelle));
  EXPECT_EQ(Lesen(quelle), Golden("baum.golden"));
}

// A rewrite keeps comments where they stood, their text and line breaks included, and a second
// rewrite gives the same bytes.
TEST(KiroXMLDatei, KommentareBleibenStehen) {
  const struct {
    const char* Gelesen;
    const char* Geschrieben;
  } faelle[] = {
      {"<!-- eine Zeile -->", "<!-- eine Zeile -->"},
      {"<!---->", "<!---->"},
      {"<!--x-->", "<!--x-->"},
      {"<!--\n  zwei\n  Zeilen\n-->", "<!--\n  zwei\n  Zeilen\n-->"},
      {"<!--\r\nAutor\r\nDatum\r\n-->", "<!--\r\nAutor\r\nDatum\r\n-->"},
      {"<!-- <Datei Dateiname=\"x\"/> -->", "<!-- <Datei Dateiname=\"x\"/> -->"},
  };
  TempOrdner ordner;
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Gelesen);
    const QString pfad =
        ordner.Schreiben(QStringLiteral("k.xml"), QByteArray("<Kiro>\n") + f.Gelesen + "\n<Info a=\"1\"/>\n</Kiro>\n");
    TKiroXMLDatei d;
    d.LadenDatei(QString(), pfad);
    EXPECT_EQ(Bild(*d.Basisknoten()), QStringLiteral("{Kiro{Info[a=1]}}"));
    ASSERT_TRUE(d.SpeichernDatei(QString(), pfad));
    const QByteArray erwartet = QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n") +
                                f.Geschrieben + "\r\n<Info a=\"1\"/>\r\n</Kiro>\r\n";
    EXPECT_EQ(Lesen(pfad), erwartet);
    TKiroXMLDatei wieder;
    wieder.LadenDatei(QString(), pfad);
    ASSERT_TRUE(wieder.SpeichernDatei(QString(), pfad));
    EXPECT_EQ(Lesen(pfad), erwartet);
  }
}

TEST(KiroXMLDatei, ErgebnisIstDasLetzteKindVonKiro) {
  struct {
    const char* Text;
    const char* Ergebnis;  // nullptr: no result
  } const faelle[] = {
      {"<Kiro><Info/><Strecke/></Kiro>", "Strecke"},
      {"<Kiro><Strecke/><Info/></Kiro>", "Info"},
      {"<Kiro/>", nullptr},
      {"<Fremd><Info/></Fremd>", nullptr},
      {"<A><Kiro><Tief/></Kiro></A>", "Tief"},
      {"", nullptr},
  };
  TempOrdner ordner;
  for (const auto& f : faelle) {
    const QString pfad = ordner.Schreiben(QStringLiteral("f.xml"), f.Text);
    TKiroXMLDatei d;
    const TKiroXMLKnoten* k = d.LadenDatei(QString(), pfad);
    if (f.Ergebnis)
      EXPECT_TRUE(k && k->Name == QString::fromLatin1(f.Ergebnis)) << f.Text;
    else
      EXPECT_EQ(k, nullptr) << f.Text;
  }
}

TEST(KiroXMLDatei, SonderzeichenUeberstehenLadenUndSpeichern) {
  TempOrdner ordner;
  const QString pfad = ordner.Schreiben(
      QStringLiteral("e.xml"),
      "<Kiro><Info a=\"&amp;amp;\" b=\"&lt;&gt;&quot;&apos;\" c='\"' d=\"'\" e=\"&unbekannt; & x\"/></Kiro>");
  TKiroXMLDatei d;
  d.LadenDatei(QString(), pfad);
  TKiroXMLKnoten& info = *d.Basisknoten()->Unterknoten[0]->Unterknoten[0];
  EXPECT_EQ(Bild(info), QStringLiteral("Info[a=&amp;,b=<>\"',c=\",d=',e=&unbekannt; & x]"));
  d.Schreibe(info, QStringLiteral("f"), QStringLiteral("<&\"'> äß 😀"));
  d.Schreibe(info, QStringLiteral("f"), QString());  // a second one of the same name, empty
  ASSERT_TRUE(d.SpeichernDatei(QString(), pfad));
  EXPECT_TRUE(Lesen(pfad).contains(
      "<Info a=\"&amp;amp;\" b=\"&lt;&gt;&quot;&apos;\" c=\"&quot;\" d=\"&apos;\" e=\"&amp;unbekannt; &amp; x\" "
      "f=\"&lt;&amp;&quot;&apos;&gt; \xC3\xA4\xC3\x9F \xF0\x9F\x98\x80\" f=\"\"/>\r\n"));
  TKiroXMLDatei wieder;
  wieder.LadenDatei(QString(), pfad);
  EXPECT_EQ(Bild(*wieder.Basisknoten()), Bild(*d.Basisknoten()));
}

// Only a document with the one root "Kiro", read completely, is written back: anything else
// would lose or mangle what the file holds.
TEST(KiroXMLDatei, NurEinVollstaendigesKiroDokumentWirdGeschrieben) {
  struct {
    const char* Fall;
    const char* Text;
    const char* Baum;
  } const faelle[] = {
      {"zwei Elemente oben", "<Kiro><Info/></Kiro>\n<Zweites a=\"1\"/>", "{Kiro{Info} Zweites[a=1]}"},
      {"fremde Wurzel", "<Fremd a=\"1\"/>", "{Fremd[a=1]}"},
      {"Dokumenttyp vor Kiro", "<!DOCTYPE Kiro>\n<Kiro/>", "{!DOCTYPE{Kiro}}"},
      {"abgeschnitten", "<Kiro>\n<Info a=\"1\">\n<Datei Dateiname=\"x", "{Kiro{Info[a=1]{Datei[Dateiname=x]}}}"},
      // Windows-1252 without a byte-order mark: written back, "ö" and "ß" would become U+FFFD.
      {"ANSI", "<Kiro><Info Gr\xF6\xDF" "e=\"1\"/></Kiro>", "{Kiro{Info[Gr\xEF\xBF\xBD\xEF\xBF\xBD" "e=1]}}"},
      {"leer", "", ""},
  };
  TempOrdner ordner;
  for (const auto& f : faelle) {
    const QString pfad = ordner.Schreiben(QStringLiteral("f.xml"), f.Text);
    TKiroXMLDatei d;
    d.LadenDatei(QString(), pfad);
    TLog log;
    EXPECT_FALSE(d.SpeichernDatei(QString(), pfad)) << f.Fall;
    EXPECT_EQ(Lesen(pfad), QByteArray(f.Text)) << f.Fall;
    EXPECT_TRUE(kiro::test::Temporaere(pfad).isEmpty()) << f.Fall;
    const QStringList z = log.Zeilen();
    EXPECT_TRUE(!z.isEmpty() && z.last() == QStringLiteral("2 Datei \"") + pfad + QStringLiteral("\" konnte nicht gespeichert werden")) << f.Fall;
    EXPECT_EQ(Bild(*d.Basisknoten()).toStdString(), f.Baum) << f.Fall;
  }
}

TEST(KiroXMLDatei, FehlendeDateiLeertDenBaum) {
  TempOrdner ordner;
  const QString gut = ordner.Schreiben(QStringLiteral("gut.xml"), "<Kiro><Info/><Inhalt/></Kiro>");
  TKiroXMLDatei d;
  TKiroXMLKnoten* basis = d.Basisknoten();
  ASSERT_NE(d.LadenDatei(QString(), gut), nullptr);
  TLog log;
  const QString fehlt = ordner / QStringLiteral("fehlt.xml");
  EXPECT_EQ(d.LadenDatei(QString(), fehlt), nullptr);
  EXPECT_EQ(log.Zeilen(), QStringList{QStringLiteral("2 Datei \"") + fehlt + QStringLiteral("\" nicht gefunden")});
  EXPECT_EQ(d.Basisknoten(), basis);
  EXPECT_TRUE(basis->Unterknoten.empty());
  EXPECT_FALSE(d.SpeichernDatei(QString(), fehlt));
  EXPECT_FALSE(QFileInfo::exists(fehlt));
  EXPECT_TRUE(kiro::test::Temporaere(fehlt).isEmpty());
  TAutoren autoren;
  EXPECT_FALSE(d.KiroAutorenAuslesen(autoren));
}

TEST(KiroXMLDatei, MisslungenesSpeichernLaesstDieAlteDatei) {
  TempOrdner ordner;
  const QString ziel = ordner.Schreiben(QStringLiteral("alt.xml"), "<Kiro><Info a=\"alt\"/></Kiro>");
  TKiroXMLDatei d;
  d.LadenDatei(QString(), ziel);
  d.Basisknoten()->Unterknoten[0]->Unterknoten[0]->Attribute[0].Wert = QStringLiteral("neu");
  const QString meldung = QStringLiteral("2 Datei \"") + ziel + QStringLiteral("\" konnte nicht gespeichert werden");
  {
    // The saving user may not write the folder: the temporary file cannot be created.
    ASSERT_EQ(::chmod(QFile::encodeName(ordner.Pfad()).constData(), 0555), 0);
    TLog log;
    {
      kiro::test::TAlsBenutzer benutzer;
      EXPECT_FALSE(d.SpeichernDatei(QString(), ziel));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(ordner.Pfad()).constData(), 0755), 0);
    EXPECT_EQ(log.Zeilen(), QStringList{meldung});
    EXPECT_EQ(Lesen(ziel), QByteArray("<Kiro><Info a=\"alt\"/></Kiro>"));
  }
  {
    // The write fails half-way (a file-size limit stands in for a full disk).
    const auto altesSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit alt{};
    ::getrlimit(RLIMIT_FSIZE, &alt);
    rlimit klein = alt;
    klein.rlim_cur = 40;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &klein), 0);
    TLog log;
    const bool ok = d.SpeichernDatei(QString(), ziel);
    ::setrlimit(RLIMIT_FSIZE, &alt);
    std::signal(SIGXFSZ, altesSignal);
    EXPECT_FALSE(ok);
    EXPECT_EQ(log.Zeilen(), QStringList{meldung});
    EXPECT_EQ(Lesen(ziel), QByteArray("<Kiro><Info a=\"alt\"/></Kiro>"));
    EXPECT_TRUE(kiro::test::Temporaere(ziel).isEmpty());
  }
  {
    // A link planted at "name~" is not written through: the file it names stays, and the data
    // file is a file, not a link.
    const QString fremd = ordner.Schreiben(QStringLiteral("fremd/datei"), "fremd");
    ASSERT_TRUE(QFile::link(fremd, ziel + u'~'));
    EXPECT_TRUE(d.SpeichernDatei(QString(), ziel));
    EXPECT_EQ(Lesen(fremd), QByteArray("fremd"));
    EXPECT_FALSE(QFileInfo(ziel).isSymLink());
    EXPECT_TRUE(Lesen(ziel).contains("<Info a=\"neu\"/>"));
    EXPECT_TRUE(QFileInfo(ziel + u'~').isSymLink()) << "someone's entry is not removed";
    ASSERT_TRUE(QFile::remove(ziel + u'~'));
    ordner.Schreiben(QStringLiteral("alt.xml"), "<Kiro><Info a=\"alt\"/></Kiro>");
  }
  {
    // The target is a folder that holds something: the rename fails.
    const QString ordnerZiel = ordner.Schreiben(QStringLiteral("o.xml/drin"), "x");
    TLog log;
    EXPECT_FALSE(d.SpeichernDatei(ordner.Pfad(), QStringLiteral("o.xml")));
    EXPECT_TRUE(QFileInfo::exists(ordnerZiel));
  }
  // A "~" file that is there keeps its bytes, a missing folder is created, and the save goes through.
  ordner.Schreiben(QStringLiteral("alt.xml~"), QByteArray(10000, 'x'));
  EXPECT_TRUE(d.SpeichernDatei(QString(), ziel));
  EXPECT_TRUE(Lesen(ziel).contains("<Info a=\"neu\"/>"));
  EXPECT_EQ(Lesen(ziel + u'~'), QByteArray(10000, 'x'));
  EXPECT_TRUE(d.SpeichernDatei(ordner / QStringLiteral("neu/tief/"), QStringLiteral("unter\\n.xml")));
  EXPECT_EQ(Lesen(ordner / QStringLiteral("neu/tief/unter/n.xml")), Lesen(ziel));
}

TEST(KiroXMLDatei, TypisierteWerteMitNullUndOhneKuerzen) {
  TKiroXMLDatei d;
  TKiroXMLKnoten& k = *d.Basisknoten()->AddChild(QStringLiteral("Kiro"));
  d.SchreibeInt(k, QStringLiteral("i"), std::int32_t(0));
  d.SchreibeInt(k, QStringLiteral("l"), std::int64_t(-9000000000));
  d.SchreibeD3DColor(k, QStringLiteral("c"), 0xAB);
  d.SchreibeFloat(k, QStringLiteral("f"), 1.5f);
  d.SchreibeFloat(k, QStringLiteral("f0"), 0.0f);
  d.SchreibeFloat6(k, QStringLiteral("g"), 2.0f);
  d.SchreibeBool(k, QStringLiteral("b"), false);
  d.SchreibeBool(k, QStringLiteral("b1"), true);
  d.SchreibeZeitDatum(k, QStringLiteral("z"), 45400.5, true);
  EXPECT_EQ(Bild(k), QStringLiteral("Kiro[i=0,l=-9000000000,c=000000AB,f=1.5000,f0=0.0000,g=2.000000,b=0,b1=1,"
                                    "z=2024-04-18 12:00:00:000]"));

  // A tree built from nothing is written like a loaded one.
  TempOrdner ordner;
  ASSERT_TRUE(d.SpeichernDatei(ordner.Pfad(), QStringLiteral("t.xml")));
  EXPECT_EQ(Lesen(ordner / QStringLiteral("t.xml")),
            QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro i=\"0\" l=\"-9000000000\" "
                       "c=\"000000AB\" f=\"1.5000\" f0=\"0.0000\" g=\"2.000000\" b=\"0\" b1=\"1\" "
                       "z=\"2024-04-18 12:00:00:000\"/>\r\n"));
}

TEST(KiroXMLDatei, DokuModusSchreibtSchemaDateiUndPiept) {
  TempOrdner ordner;
  const QString quelle = ordner.Schreiben(QStringLiteral("daten/d.ls3"), "<Kiro><Info/></Kiro>");
  TEinstellungen einstellungen;
  einstellungen.DokuModus = true;
  const QString altProgramm = Programmverzeichnis;
  Programmverzeichnis = ordner / QStringLiteral("prog/");
  Einstellungen = &einstellungen;
  QList<std::pair<int, int>> toene;
  PiepHookSetzen([&](int hz, int ms) { toene.append({hz, ms}); });
  TKiroXMLDatei d;
  d.LadenDatei(QString(), quelle);
  TKiroXMLKnoten& info = *d.Basisknoten()->Unterknoten[0]->Unterknoten[0];
  d.SchreibeFloat(info, QStringLiteral("F"), 1.0f);
  d.SchreibeBool(info, QStringLiteral("B"), true);
  d.Schreibe(info, QStringLiteral("S"), QStringLiteral("wie es ist"));
  const bool ok = d.SpeichernDatei(ordner / QStringLiteral("daten/"), QStringLiteral("d.ls3"));
  Einstellungen = nullptr;
  PiepHookSetzen({});
  Programmverzeichnis = altProgramm;
  ASSERT_TRUE(ok);
  EXPECT_EQ(toene, (QList<std::pair<int, int>>{{1000, 100}, {150, 100}, {1000, 100}}));
  EXPECT_EQ(Lesen(quelle), QByteArray("<Kiro><Info/></Kiro>"));
  EXPECT_EQ(Lesen(ordner / QStringLiteral("prog/_Docu/xml/d.ls3.schema.xml")),
            QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n"
                       "<Info F=\"single\" B=\"bool\" S=\"wie es ist\"/>\r\n</Kiro>\r\n"));
}

// Exposes what the declaration carried.
struct TDeklaration : TKiroXMLDatei {
  QString Version() const { return xmlVersion; }
  QString Kodierung() const { return xmlEncoding; }
};

TEST(KiroXMLDatei, DeklarationOhneRuecksichtAufGrossKlein) {
  TempOrdner ordner;
  const QString pfad =
      ordner.Schreiben(QStringLiteral("d.xml"), "<?xml VERSION=\"1.1\" Encoding=\"latin1\" standalone=\"yes\"?><Kiro/>");
  TDeklaration d;
  EXPECT_EQ(d.Version(), u"");
  d.LadenDatei(QString(), pfad);
  EXPECT_EQ(d.Version(), u"1.1");
  EXPECT_EQ(d.Kodierung(), u"latin1");
  // The declaration is no node, and "?XML" is no declaration.
  EXPECT_EQ(Bild(*d.Basisknoten()), u"{Kiro}");
  ordner.Schreiben(QStringLiteral("d.xml"), "<?XML version=\"2\"?><Kiro/>");
  d.LadenDatei(QString(), pfad);
  EXPECT_EQ(d.Version(), u"1.1");
  EXPECT_EQ(Bild(*d.Basisknoten()), u"{?XML[version=2] Kiro}");
  // The declaration written is always the same.
  ordner.Schreiben(QStringLiteral("d.xml"), "<?xml version=\"1.1\"?><Kiro/>");
  d.LadenDatei(QString(), pfad);
  ASSERT_TRUE(d.SpeichernDatei(QString(), pfad));
  EXPECT_TRUE(Lesen(pfad).startsWith("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro/>\r\n"));
}

TEST(KiroXMLDatei, AutorenAusDemInfoKopf) {
  struct {
    const char* Fall;
    const char* Text;
    bool Ergebnis;
    const char* Autoren;  // "ID|Name|eMail|Alt|Punkte|Stunden|Bemerkung|Lizenz;" per added author
  } const faelle[] = {
      {"alle Felder",
       "<Kiro><Info><AutorEintrag AutorID=\"12\" AutorName=\"Anna\" AutorEmail=\"a@b.c\" AutorAufwand=\"1.5\" "
       "AutorAufwandPunkte=\"2,25\" AutorAufwandStunden=\"3\" AutorBeschreibung=\"Gleise\" AutorLizenz=\"4\" "
       "Fremd=\"x\"/></Info></Kiro>",
       true, "12|Anna|a@b.c|1.5|2.25|3|Gleise|4;"},
      {"spaeterer Wert gewinnt, andere Kinder uebergangen",
       "<Kiro><Info><AutorEintrag AutorID=\"1\" AutorID=\"2\"/><Datei/><autoreintrag AutorID=\"9\"/>"
       "<AutorEintrag AutorName=\"B\" AutorLizenz=\"261\"/></Info><Inhalt/></Kiro>",
       true, "2|||0|0|0||0;0|B||0|0|0||5;"},
      {"Info nicht zuerst", "<Kiro><Inhalt/><Info><AutorEintrag AutorID=\"1\"/></Info></Kiro>", true, ""},
      {"Kiro ohne Kinder", "<Kiro/>", true, ""},
      {"fremde Wurzel", "<Fremd><Info><AutorEintrag AutorID=\"1\"/></Info></Fremd>", false, ""},
  };
  TempOrdner ordner;
  for (const auto& f : faelle) {
    const QString pfad = ordner.Schreiben(QStringLiteral("a.xml"), f.Text);
    TKiroXMLDatei d;
    d.LadenDatei(QString(), pfad);
    TAutoren autoren{TAutor{}};
    autoren[0].Name = QStringLiteral("vorher");
    EXPECT_EQ(d.KiroAutorenAuslesen(autoren), f.Ergebnis) << f.Fall;
    ASSERT_GE(autoren.size(), 1);
    EXPECT_EQ(autoren[0].Name, u"vorher") << f.Fall;
    QString bild;
    for (qsizetype i = 1; i < autoren.size(); ++i) {
      const TAutor& a = autoren[i];
      bild += QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8;")
                  .arg(a.AutorID)
                  .arg(a.Name, a.eMail)
                  .arg(double(a.AufwandAlt))
                  .arg(double(a.AufwandPunkte))
                  .arg(double(a.AufwandStunden))
                  .arg(a.Bemerkung)
                  .arg(int(a.Lizenz));
    }
    EXPECT_EQ(bild.toStdString(), f.Autoren) << f.Fall;
  }
}

TEST(KiroXMLDatei, UnzahlImAutorWirdNullMitMeldung) {
  TempOrdner ordner;
  const QString pfad =
      ordner.Schreiben(QStringLiteral("a.xml"), "<Kiro><Info><AutorEintrag AutorID=\"zwölf\"/></Info></Kiro>");
  TKiroXMLDatei d;
  d.LadenDatei(QString(), pfad);
  TLog log;
  TAutoren autoren;
  EXPECT_TRUE(d.KiroAutorenAuslesen(autoren));
  ASSERT_EQ(autoren.size(), 1);
  EXPECT_EQ(autoren[0].AutorID, 0);
  const QStringList z = log.Zeilen();
  ASSERT_EQ(z.size(), 1);
  EXPECT_TRUE(z[0].startsWith(u"2 ")) << z[0].toStdString();
}

}  // namespace
