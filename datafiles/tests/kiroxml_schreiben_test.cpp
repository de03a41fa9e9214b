#include "datafiles/KiroXML.h"
#include "support/Golden.h"
#include "support/Spur.h"

#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/TempOrdner.h"

#include "testsupport/Protokollfaenger.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <random>
#include <sys/stat.h>

using namespace kiro;
using kiro::test::Golden;

namespace {

using TLog = kiro::test::TProtokollFaenger;

// The document of the writer's worked example.
bool Beispiel(TKiroXML& x, const QString& Pfad, const QString& Name) {
  TSpeicherProc autor = [&](void*) {
    x.SchreibeInt(QStringLiteral("AutorID"), std::int32_t(7));
    x.SchreibeFloat(QStringLiteral("AutorAufwand"), 1.5f);
    x.SchreibeBool(QStringLiteral("X"), false);
    return false;
  };
  TSpeicherProc info = [&](void*) {
    x.Schreibe(QStringLiteral("Version"), QStringLiteral("A.2"));
    x.Schreibe(QStringLiteral("Beschreibung"), QStringLiteral("&"));
    x.SpeichernXML(QStringLiteral("AutorEintrag"), autor, nullptr, Name);
    return true;
  };
  return x.SpeichernDatei(Pfad, Name, [&](void*) { x.SpeichernXML(QStringLiteral("Info"), info, nullptr, Name); return true; },
                          nullptr);
}

TEST(KiroXMLSchreiben, BeispieldateiByteFuerByte) {
  kiro::test::TempOrdner ordner;
  TKiroXML x;
  ASSERT_TRUE(Beispiel(x, ordner.Pfad(), QStringLiteral("b.xml")));
  EXPECT_EQ(kiro::test::Lesen(ordner / QStringLiteral("b.xml")), Golden("beispiel.golden"));
  EXPECT_FALSE(QFileInfo::exists(ordner / QStringLiteral("b.xml~")));

  // Read back, the file delivers the same names and values.
  TKiroXML leser;
  kiro::test::TSpur spur;
  spur.Leser = &leser;
  TInfo info;
  ASSERT_TRUE(leser.LadenDatei(ordner.Pfad(), QStringLiteral("b.xml"), info, spur.Proc(), nullptr));
  EXPECT_TRUE(leser.Vollstaendig());
  QStringList ohneZaehler;
  for (const QString& z : spur.Zeilen) ohneZaehler << z.section(QStringLiteral(" @"), 0, 0);
  EXPECT_EQ(ohneZaehler.join(u'|'), QStringLiteral("0 E ?xml|1 A version=1.0|1 A encoding=UTF-8|0 E Kiro|1 E Info|"
                                                   "2 A Version=A.2|2 A Beschreibung=&|2 E AutorEintrag|"
                                                   "3 A AutorID=7|3 A AutorAufwand=1.5"));
}

TEST(KiroXMLSchreiben, LeeresElementMitEndtagUndOhneRueckruf) {
  kiro::test::TempOrdner ordner;
  TKiroXML x;
  ASSERT_TRUE(x.SpeichernDatei(ordner.Pfad(), QStringLiteral("l.xml"), [&](void*) {
    x.SpeichernXML(QStringLiteral("A"), [](void*) { return true; }, nullptr, QString());
    x.SpeichernXML(QStringLiteral("B"), TSpeicherProc(), nullptr, QString());
    return true;
  }, nullptr));
  EXPECT_EQ(kiro::test::Lesen(ordner / QStringLiteral("l.xml")), Golden("leer.golden"));
}

TEST(KiroXMLSchreiben, DokuModusSchreibtSchemaDateiUndPiept) {
  kiro::test::TempOrdner ordner;
  TEinstellungen einstellungen;
  einstellungen.DokuModus = true;
  const QString altProgramm = Programmverzeichnis;
  Programmverzeichnis = ordner / QStringLiteral("prog/");
  Einstellungen = &einstellungen;
  QList<std::pair<int, int>> toene;
  PiepHookSetzen([&](int hz, int ms) { toene.append({hz, ms}); });
  TKiroXML x;
  const bool ok = x.SpeichernDatei(ordner.Pfad(), QStringLiteral("daten/d.xml"), [&](void*) {
    x.Schreibe(QStringLiteral("S"), QString());
    x.SchreibeInt(QStringLiteral("I"), std::int32_t(0));
    x.SchreibeIntEnum(QStringLiteral("E"), 0);
    x.SchreibeInt(QStringLiteral("L"), std::int64_t(0));
    x.SchreibeD3DColor(QStringLiteral("C"), 0);
    x.SchreibeFloat(QStringLiteral("F"), 0.0f);
    x.SchreibeFloat6(QStringLiteral("G"), 0.0f);
    x.SchreibeBool(QStringLiteral("B"), false);
    x.SchreibeZeitDatum(QStringLiteral("D"), 0.0, false);
    return false;
  }, nullptr);
  const QString cardinal = TKiroXML::KonvertiereCardinal(5);
  Einstellungen = nullptr;
  PiepHookSetzen({});
  Programmverzeichnis = altProgramm;
  ASSERT_TRUE(ok);
  EXPECT_EQ(cardinal, u"Cardinal");
  EXPECT_EQ(toene, (QList<std::pair<int, int>>{{1000, 100}, {150, 100}, {1000, 100}}));
  EXPECT_FALSE(QFileInfo::exists(ordner / QStringLiteral("daten/d.xml")));
  EXPECT_EQ(kiro::test::Lesen(ordner / QStringLiteral("prog/_Docu/xml/d.xml.schema.xml")), Golden("doku.golden"));
}

TEST(KiroXMLSchreiben, FehlschlagLaesstAlteDateiUnberuehrt) {
  kiro::test::TempOrdner ordner;
  const QString ziel = ordner.Schreiben(QStringLiteral("alt.xml"), "ALT");
  TLog log;
  TKiroXML x;
  // A callback that throws: the exception does not leave the save.
  EXPECT_FALSE(x.SpeichernDatei(ordner.Pfad(), QStringLiteral("alt.xml"), [&](void*) -> bool {
    x.Schreibe(QStringLiteral("a"), QStringLiteral("1"));
    throw std::runtime_error("kaputt");
  }, nullptr));
  EXPECT_EQ(kiro::test::Lesen(ziel), QByteArray("ALT"));
  EXPECT_EQ(log.Zeilen(), (QStringList{QStringLiteral("5 Saving ") + ziel,
                                       QStringLiteral("2 Datei \"") + ziel + QStringLiteral("\" konnte nicht gespeichert werden")}));

  // A failed save leaves no temporary behind.
  EXPECT_EQ(QDir(ordner.Pfad()).entryList({QStringLiteral("alt.xml*")}, QDir::AllEntries | QDir::Hidden),
            QStringList{QStringLiteral("alt.xml")});

  // The saving user may not write the folder: the temporary file cannot be created.
  ASSERT_EQ(::chmod(QFile::encodeName(ordner.Pfad()).constData(), 0555), 0);
  {
    kiro::test::TAlsBenutzer benutzer;
    EXPECT_FALSE(Beispiel(x, ordner.Pfad(), QStringLiteral("alt.xml")));
  }
  ASSERT_EQ(::chmod(QFile::encodeName(ordner.Pfad()).constData(), 0755), 0);
  EXPECT_EQ(kiro::test::Lesen(ziel), QByteArray("ALT"));

  // A "~" file that is there (someone's backup, or what a crash left) is not ours to remove:
  // it keeps its bytes, and the save goes through under a fresh name.
  ordner.Schreiben(QStringLiteral("alt.xml~"), QByteArray(10000, 'x'));
  EXPECT_TRUE(Beispiel(x, ordner.Pfad(), QStringLiteral("alt.xml")));
  EXPECT_EQ(kiro::test::Lesen(ziel), Golden("beispiel.golden"));
  EXPECT_EQ(kiro::test::Lesen(ziel + u'~'), QByteArray(10000, 'x'));
}

TEST(KiroXMLSchreiben, UmbenennenScheitertAmOrdnerGleichenNamens) {
  kiro::test::TempOrdner ordner;
  QDir(ordner.Pfad()).mkdir(QStringLiteral("o.xml"));
  TLog log;
  TKiroXML x;
  EXPECT_FALSE(Beispiel(x, ordner.Pfad(), QStringLiteral("o.xml")));
  EXPECT_TRUE(QFileInfo(ordner / QStringLiteral("o.xml")).isDir());
  EXPECT_EQ(log.Zeilen().last(),
            QStringLiteral("2 Datei \"") + ordner.Pfad() + QStringLiteral("o.xml\" konnte nicht gespeichert werden"));
}

TEST(KiroXMLSchreiben, VolleFestplatteIstEinFehlschlag) {
  kiro::test::TempOrdner ordner;
  const QString ziel = ordner.Schreiben(QStringLiteral("v.xml"), "ALT");
  // A file-size limit makes every write past 64 bytes fail, as a full disk does.
  rlimit alt{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &alt), 0);
  const auto signal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit klein = alt;
  klein.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &klein), 0);
  TLog log;
  TKiroXML x;
  const bool ok = Beispiel(x, ordner.Pfad(), QStringLiteral("v.xml"));
  ::setrlimit(RLIMIT_FSIZE, &alt);
  std::signal(SIGXFSZ, signal);
  EXPECT_FALSE(ok);
  EXPECT_EQ(kiro::test::Lesen(ziel), QByteArray("ALT"));
}

TEST(KiroXMLSchreiben, EinAlterTildeLinkWirdNichtBeschrieben) {
  kiro::test::TempOrdner ordner;
  const QString draussen = ordner.Schreiben(QStringLiteral("draussen.txt"), "BLEIBT");
  const QString ziel = ordner.Schreiben(QStringLiteral("daten/v.xml"), "ALT");
  ASSERT_TRUE(QFile::link(draussen, ziel + u'~'));
  TKiroXML x;
  EXPECT_TRUE(Beispiel(x, ordner / QStringLiteral("daten/"), QStringLiteral("v.xml")));
  EXPECT_EQ(kiro::test::Lesen(draussen), QByteArray("BLEIBT"));
  EXPECT_TRUE(kiro::test::Lesen(ziel).startsWith("\xEF\xBB\xBF<?xml"));
  EXPECT_TRUE(QFileInfo(ziel + u'~').isSymLink());
}

TEST(KiroXMLSchreiben, NameWirdBereinigtUndOrdnerAngelegt) {
  kiro::test::TempOrdner ordner;
  TKiroXML x;
  EXPECT_TRUE(Beispiel(x, ordner / QStringLiteral("neu/tief/"), QStringLiteral("Größe (neu).xml")));
  EXPECT_TRUE(QFileInfo::exists(ordner / QStringLiteral("neu/tief/Groesseneu.xml")));
  // A name in Windows form lands in the named subfolder; only its last part is cleaned.
  EXPECT_TRUE(Beispiel(x, ordner.Pfad(), QStringLiteral("unter\\ordner\\x y.xml")));
  EXPECT_TRUE(QFileInfo::exists(ordner / QStringLiteral("unter/ordner/xy.xml")));
}

TEST(KiroXMLSchreiben, LangerPfadWirdGemeldetUndTrotzdemGespeichert) {
  kiro::test::TempOrdner ordner;
  const QString alt = Datenverzeichnis;
  Datenverzeichnis = ordner.Pfad();
  const QString name = QString(100, u'a') + u'/' + QString(80, u'b') + QStringLiteral(".xml");
  TLog log;
  TKiroXML x;
  EXPECT_TRUE(Beispiel(x, ordner.Pfad(), name));
  Datenverzeichnis = alt;
  const QStringList z = log.Zeilen();
  ASSERT_FALSE(z.isEmpty());
  EXPECT_EQ(z.first(), QStringLiteral("2 Datei \"") + name + QStringLiteral("\" hat mehr als 170 Zeichen"));
  EXPECT_TRUE(QFileInfo::exists(ordner / name));
}

struct TKonv {
  const char* Aufruf;
  QString Ist;
  const char* Soll;
};

TEST(KiroXMLKonvertiere, Tabelle) {
  const double tag = 45400.0;  // 2024-04-18
  const double zeit = (12 * 3600 + 30 * 60 + 5 + 0.25) / 86400.0;
  const TKonv faelle[] = {
      {"Int 0", TKiroXML::KonvertiereInt(std::int32_t(0)), "0"},
      {"Int -5", TKiroXML::KonvertiereInt(std::int32_t(-5)), "-5"},
      {"Int min", TKiroXML::KonvertiereInt(std::int32_t(INT32_MIN)), "-2147483648"},
      {"Enum 3", TKiroXML::KonvertiereIntEnum(3), "3"},
      {"Int64 max", TKiroXML::KonvertiereInt(std::int64_t(INT64_MAX)), "9223372036854775807"},
      {"Cardinal max", TKiroXML::KonvertiereCardinal(4294967295u), "4294967295"},
      {"Farbe", TKiroXML::KonvertiereD3DColor(0x00FF8000u), "00FF8000"},
      {"Farbe klein", TKiroXML::KonvertiereD3DColor(0xABu), "000000AB"},
      {"Farbe voll", TKiroXML::KonvertiereD3DColor(0xFFFFFFFFu), "FFFFFFFF"},
      {"Float 1.5", TKiroXML::KonvertiereFloat(1.5f), "1.5000"},
      {"Float 0.1", TKiroXML::KonvertiereFloat(0.1f), "0.1000"},
      {"Float 0.00001", TKiroXML::KonvertiereFloat(0.00001f), "0.0000"},
      {"Float -0.00001 ohne Vorzeichen", TKiroXML::KonvertiereFloat(-0.00001f), "0.0000"},
      {"Float -2.25", TKiroXML::KonvertiereFloat(-2.25f), "-2.2500"},
      {"Float rundet 0.99996", TKiroXML::KonvertiereFloat(0.99996f), "1.0000"},
      {"Float genau halb rundet gerade", TKiroXML::KonvertiereFloat(1.03125f), "1.0312"},
      {"Float 12 Stellen", TKiroXML::KonvertiereFloat(123456792.0f), "123456792.0000"},
      {"Float 16777216.5 nicht darstellbar", TKiroXML::KonvertiereFloat(16777217.0f), "16777216.0000"},
      {"Float gross", TKiroXML::KonvertiereFloat(1.0e15f), "999999986991000.0000"},
      {"Float NaN", TKiroXML::KonvertiereFloat(std::nanf("")), "NAN"},
      {"Float -inf", TKiroXML::KonvertiereFloat(-INFINITY), "-INF"},
      {"Float6 1.5", TKiroXML::KonvertiereFloat6(1.5f), "1.500000"},
      {"Float6 1/3", TKiroXML::KonvertiereFloat6(1.0f / 3.0f), "0.333333"},
      {"Float6 33.33", TKiroXML::KonvertiereFloat6(33.33f), "33.330002"},
      {"Float6 1234567", TKiroXML::KonvertiereFloat6(1234567.125f), "1234567.125000"},
      {"Bool wahr", TKiroXML::KonvertiereBool(true), "1"},
      {"Bool falsch", TKiroXML::KonvertiereBool(false), "0"},
      {"Datum Zeit", TKiroXML::KonvertiereZeitDatum(tag + zeit, false), "2024-04-18 12:30:05"},
      {"Datum Zeit ms", TKiroXML::KonvertiereZeitDatum(tag + zeit, true), "2024-04-18 12:30:05:250"},
      {"Mitternacht", TKiroXML::KonvertiereZeitDatum(tag, true), "2024-04-18"},
      {"knapp nach Mitternacht", TKiroXML::KonvertiereZeitDatum(tag + 0.25 / 86400.0, false), "2024-04-18 00:00:00"},
      {"Rundung auf die Millisekunde", TKiroXML::KonvertiereZeitDatum(tag + 0.9999999999, true), "2024-04-19"},
      {"Nulltag", TKiroXML::KonvertiereZeitDatum(0.0, false), "1899-12-30"},
      {"vor dem Nulltag", TKiroXML::KonvertiereZeitDatum(-1.25, false), "1899-12-29 06:00:00"},
      {"Schalttag", TKiroXML::KonvertiereZeitDatum(36585.0, false), "2000-02-29"},
      {"ausserhalb", TKiroXML::KonvertiereZeitDatum(1e300, false), ""},
  };
  for (const TKonv& f : faelle) EXPECT_EQ(f.Ist.toStdString(), std::string(f.Soll)) << f.Aufruf;
}

// Written attribute values, zero values left out, trailing zeros removed.
TEST(KiroXMLKonvertiere, GeschriebeneWerte) {
  kiro::test::TempOrdner ordner;
  TKiroXML x;
  ASSERT_TRUE(x.SpeichernDatei(ordner.Pfad(), QStringLiteral("w.xml"), [&](void*) {
    x.SchreibeFloat(QStringLiteral("a"), 1.5f);
    x.SchreibeFloat(QStringLiteral("b"), 0.1f);
    x.SchreibeFloat(QStringLiteral("c"), 2.0f);
    x.SchreibeFloat(QStringLiteral("d"), 0.00001f);
    x.SchreibeFloat(QStringLiteral("e"), -0.0f);
    x.SchreibeFloat6(QStringLiteral("f"), 1.0f / 3.0f);
    x.SchreibeFloat6(QStringLiteral("g"), 33.33f);
    x.SchreibeD3DColor(QStringLiteral("h"), 0x00FF8000u);
    x.SchreibeBool(QStringLiteral("i"), true);
    x.SchreibeZeitDatum(QStringLiteral("j"), 45400.0, false);
    x.SchreibeInt(QStringLiteral("k"), std::int64_t(0));
    x.SchreibeIntEnum(QStringLiteral("l"), -1);
    x.Schreibe(QStringLiteral("m"), QStringLiteral("&apos;\t\r\n"));
    x.SchreibeFloat(QStringLiteral("n"), std::nanf(""));
    return false;
  }, nullptr));
  EXPECT_EQ(kiro::test::Lesen(ordner / QStringLiteral("w.xml")).toStdString(),
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro a=\"1.5\" b=\"0.1\" c=\"2\" d=\"0\" "
            "f=\"0.333333\" g=\"33.330002\" h=\"00FF8000\" i=\"1\" j=\"2024-04-18\" l=\"-1\" m=\"&amp;apos;\t\r\n\" "
            "n=\"NAN\"/>\r\n");
}

// Random values with the special characters read back unchanged (line breaks excluded: the
// reader drops them, as the other programs of the product expect).
TEST(KiroXMLRundreise, ZufaelligeWerte) {
  // U+FEFF and NUL are ordinary characters inside a value, also at its start.
  const char16_t vorrat[] = {u'&', u'<', u'>', u'"', u'\'', u'\t', u'a', u'Z', u' ', u'ä', u'Ö', u'ß', u'=', u'/', u';', u'?', u'\uFEFF', u'\0'};
  std::mt19937 zufall(20240418);
  kiro::test::TempOrdner ordner;
  for (int runde = 0; runde < 50; ++runde) {
    QStringList werte;
    for (int i = 0; i < 20; ++i) {
      QString w;
      const int n = int(zufall() % 12) + 1;
      for (int k = 0; k < n; ++k) {
        if (zufall() % 10 == 0)
          w += QString::fromUcs4(U"\U0001F600");
        else if (zufall() % 7 == 0)
          w += QStringLiteral("&amp;");
        else
          w += QChar(vorrat[zufall() % (sizeof vorrat / sizeof vorrat[0])]);
      }
      werte << w;
    }
    TKiroXML x;
    ASSERT_TRUE(x.SpeichernDatei(ordner.Pfad(), QStringLiteral("r.xml"), [&](void*) {
      x.SpeichernXML(QStringLiteral("Info"), [&](void*) {
        for (int i = 0; i < werte.size(); ++i) x.Schreibe(QStringLiteral("w%1").arg(i), werte[i]);
        return true;
      }, nullptr, QString());
      return true;
    }, nullptr));
    TKiroXML leser;
    QStringList gelesen;
    TInfo info;
    TParserProc proc = [&](TParse& p, void*) -> TParseErg {
      if (p.Wert == QStringView(KnotenMarke)) {
        leser.LadenXML(proc, nullptr, false, QString());
        return ParseOK;
      }
      if (p.Kennung.startsWith(u'w')) gelesen << p.Wert;
      return ParseOK;
    };
    ASSERT_TRUE(leser.LadenDatei(ordner.Pfad(), QStringLiteral("r.xml"), info, proc, nullptr));
    EXPECT_TRUE(leser.Vollstaendig());
    ASSERT_EQ(gelesen, werte) << "round " << runde;
  }
}

}  // namespace
