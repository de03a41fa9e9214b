#include "foundation/Dateifunktionen.h"
#include "foundation/Formatieren.h"
#include "foundation/Konvertierung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>

using namespace kiro;

namespace {

// A number format with "," as decimal point and "." for thousands, for when no German locale
// can be made on this machine.
struct KommaPunkt : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Makes the process German, as Qt does from a German environment: the C locale (the real
// de_DE.UTF-8, generated into a private folder when the system has not got it), the C++ global
// locale and Qt's default locale. Everything here must come out the same as in the C locale.
class DeutscheUmgebung : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && LocaleErzeugen()) std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (std::setlocale(LC_NUMERIC, nullptr) != std::string("C")) {
      std::locale::global(std::locale("de_DE.UTF-8"));
      Art = "de_DE.UTF-8";
    } else {
      std::locale::global(std::locale(std::locale::classic(), new KommaPunkt));
      Art = "comma facet (no de_DE locale)";
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::printf("German environment: %s\n", Art.c_str());
  }
  void TearDown() override {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
  }
  static inline std::string Art;

 private:
  bool LocaleErzeugen() {
    const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
    if (localedef.isEmpty()) return false;
    const QString ziel = FOrdner / "de_DE.UTF-8";
    const int rc = QProcess::execute(localedef, {"-i", "de_DE", "-f", "UTF-8", ziel});
    if (rc < 0 || !QFile::exists(ziel + "/LC_NUMERIC")) return false;
    ::setenv("LOCPATH", FOrdner.Pfad().toLocal8Bit().constData(), 1);
    return true;
  }
  test::TempOrdner FOrdner;
};

const auto* const gUmgebung = ::testing::AddGlobalTestEnvironment(new DeutscheUmgebung);

// Catches the log lines at a fixed time.
class KonvertierungTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MeldungsListBox = &FListe;
    ProtokollUhrSetzen([] { return QTime(9, 5, 3, 7); });
  }
  void TearDown() override {
    MeldungsListBox = nullptr;
    ProtokollUhrSetzen({});
    Datenverzeichnis.clear();
    DatenverzeichnisOffiziell.clear();
  }
  QStringList Zeilen() {
    QStringList z;
    for (const TMeldung& m : FListe.Entnehmen()) {
      EXPECT_EQ(m.Typ, 2) << m.Meldung.toStdString();
      z.append(m.Meldung);
    }
    return z;
  }
  static QString Zeile(const char* art, const QString& wert) {
    return QStringLiteral("09:05:03:007: Konvertierung von \"%1\" in %2 fehlgeschlagen").arg(wert, QString::fromUtf8(art));
  }

  TMeldungsListe FListe;
};

TEST_F(KonvertierungTest, LocaleIsGermanWhileTheseTestsRun) {
  EXPECT_EQ(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), ',');
  EXPECT_EQ(QLocale().decimalPoint(), u",");
  if (DeutscheUmgebung::Art == "de_DE.UTF-8") {
    EXPECT_EQ(std::strtod("1,5", nullptr), 1.5);
  }
}

struct GanzFall {
  const char* text;
  std::int64_t wert;
  bool fehler;
};

TEST_F(KonvertierungTest, StrToIntSicherTable) {
  const GanzFall faelle[] = {
      {"42", 42, false},           {"-7", -7, false},         {"+8", 8, false},
      {"007", 7, false},           {" 9 ", 9, false},         {"2147483647", 2147483647, false},
      {"-2147483648", std::numeric_limits<std::int32_t>::min(), false},
      {"", 0, false},              {"2147483648", 0, true},   {"-2147483649", 0, true},
      {"4.2", 0, true},            {"abc", 0, true},          {"1.000", 0, true},
      {"0x10", 0, true},           {"$10", 0, true},          {"+-5", 0, true},
      {"-", 0, true},              {"+", 0, true},            {"1e3", 0, true},
      {"4 2", 0, true},            {"\t5", 0, true},          {"5%s%d", 0, true},
      {"\xd9\xa3", 0, true},  // Arabic-Indic three
  };
  for (const GanzFall& f : faelle) {
    SCOPED_TRACE(f.text);
    const QString text = QString::fromUtf8(f.text);
    errno = ENOENT;  // must not show up: whole-number failures never carry a system text
    EXPECT_EQ(StrToIntSicher(text), f.wert);
    EXPECT_EQ(Zeilen(), f.fehler ? QStringList{Zeile("ganze Zahl", text)} : QStringList{});
  }
}

TEST_F(KonvertierungTest, StrToInt64SicherTable) {
  const GanzFall faelle[] = {
      {"4294967296", 4294967296LL, false},
      {"-12", -12, false},
      {"9223372036854775807", std::numeric_limits<std::int64_t>::max(), false},
      {"-9223372036854775808", std::numeric_limits<std::int64_t>::min(), false},
      {"", 0, false},
      {"9223372036854775808", 0, true},
      {"12abc", 0, true},
      {"1,5", 0, true},
  };
  for (const GanzFall& f : faelle) {
    SCOPED_TRACE(f.text);
    const QString text = QString::fromUtf8(f.text);
    EXPECT_EQ(StrToInt64Sicher(text), f.wert);
    EXPECT_EQ(Zeilen(), f.fehler ? QStringList{Zeile("ganze Zahl", text)} : QStringList{});
  }
}

TEST_F(KonvertierungTest, StrToFloatPunktTable) {
  struct Fall {
    const char* text;
    double wert;
    bool fehler;
  };
  const Fall faelle[] = {
      {"1.5", 1.5, false},      {"1,5", 1.5, false},       {"-2.25", -2.25, false},  {"+3", 3, false},
      {".5", 0.5, false},       {"5.", 5, false},          {"0.1", 0.1, false},      {"1e3", 1000, false},
      {"2,5E-1", 0.25, false},  {" 7.5 ", 7.5, false},     {"1,000", 1, false},      {"", 0, false},
      {"123456.789", 123456.789, false},
      {"1.000,5", 0, true},     {"1,000.5", 0, true},      {"1.2.3", 0, true},       {"1,5,0", 0, true},
      {".", 0, true},           {",", 0, true},            {"abc", 0, true},         {"inf", 0, true},
      {"nan", 0, true},         {"0x10", 0, true},         {"1 000", 0, true},       {"1e", 0, true},
      {"1e400", 0, true},       {"1e39", 0, true},         {"-1e39", 0, true},       {"3,4e38", 3.4e38, false},       {"\xef\xbc\x91", 0, true},  // full-width one
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.text);
    const QString text = QString::fromUtf8(f.text);
    errno = 0;
    EXPECT_EQ(StrToFloatPunkt(text), f.wert);
    EXPECT_EQ(Zeilen(), f.fehler ? QStringList{Zeile("Gleitkommazahl", text)} : QStringList{});
  }
}

TEST_F(KonvertierungTest, FailedFloatAndDateCarryNoUnrelatedSystemError) {
  // The conversions make no system call, so an earlier call's error has nothing to say here.
  errno = ENOENT;
  EXPECT_EQ(StrToFloatPunkt("x"), 0);
  errno = EACCES;
  EXPECT_EQ(TextZuZeitDatumSekunden("x").Wert, 0);
  EXPECT_EQ(Zeilen(), (QStringList{Zeile("Gleitkommazahl", "x"), Zeile("ganze Datum/Zeit", "x")}));
}

// Formatieren writes numbers for files and logs: "." and upper-case hex digits, whatever the locale.
TEST_F(KonvertierungTest, FormatierenIgnoresTheGermanLocale) {
  EXPECT_EQ(Formatieren(QStringLiteral("%.1f MB/s"), {2.25}), QStringLiteral("2.2 MB/s"));
  EXPECT_EQ(Formatieren(QStringLiteral("%f"), {-1234.5}), QStringLiteral("-1234.50"));
  EXPECT_EQ(Formatieren(QStringLiteral("%x"), {0xFF102030u}), QStringLiteral("FF102030"));
  EXPECT_EQ(Formatieren(QStringLiteral("%x"), {-1}), QStringLiteral("FFFFFFFF")) << "32 bits, not 64";
}

TEST_F(KonvertierungTest, WithoutMessageListTheFailureGoesToTheLogFile) {
  MeldungsListBox = nullptr;
  test::TempOrdner ordner;
  QDir().mkpath(ordner / "temp");
  Datenverzeichnis = ordner.Pfad();
  errno = 0;
  EXPECT_EQ(StrToIntSicher("zwölf"), 0);
  EXPECT_EQ(test::Lesen(ordner / "temp/exportlog.txt"),
            QByteArray("Konvertierung von \"zw\xf6lf\" in ganze Zahl fehlgeschlagen\r\n"));
}

TEST_F(KonvertierungTest, TextZuZeitDatumTable) {
  constexpr double tag = 45400;  // 2024-04-18
  constexpr double ms = 1.0 / 86400000.0;
  struct Fall {
    const char* text;
    double wert;
    const char* fehlerText;  // the trimmed text in the log line, nullptr for none
  };
  const Fall faelle[] = {
      {"2024-04-18 12:30:15", tag + 45015000 * ms, nullptr},
      {" \t2024-04-18 12:30:15\t ", tag + 45015000 * ms, nullptr},
      {"2024-04-18", tag, nullptr},
      {"2024-04-18 12:30:15:250", tag + 45015250 * ms, nullptr},
      {"2024-04-18 12:30", tag + 45000000 * ms, nullptr},
      {"2024-04-18 00:00:00", tag, nullptr},
      {"2024-4-8 1:2:3", 45390 + 3723000 * ms, nullptr},
      {"2024-04-18 23:59:59:999", tag + 86399999 * ms, nullptr},
      {"2024-02-29", 45351, nullptr},
      {"1899-12-30", 0, nullptr},
      {"1900-01-01", 2, nullptr},
      {"1899-12-29 06:00", -1.25, nullptr},
      {"18.04.2024", 0, "18.04.2024"},
      {" 18.04.2024\t", 0, "18.04.2024"},
      {"", 0, ""},
      {"2023-02-29", 0, "2023-02-29"},
      {"2024-13-01", 0, "2024-13-01"},
      {"2024-04-18 24:00", 0, "2024-04-18 24:00"},
      {"2024-04-18 12:60", 0, "2024-04-18 12:60"},
      {"2024-04-18 12:30:60", 0, "2024-04-18 12:30:60"},
      {"2024-04-18T12:30", 0, "2024-04-18T12:30"},
      {"2024-04-18 12", 0, "2024-04-18 12"},
      {"2024-04-18 12:30:15.250", 0, "2024-04-18 12:30:15.250"},
      {"2024-04-18 12:30:15:2500", 0, "2024-04-18 12:30:15:2500"},
      {"24-04-18", 0, "24-04-18"},
      {"2024/04/18", 0, "2024/04/18"},
  };
  for (const Fall& f : faelle) {
    for (const bool milli : {false, true}) {
      SCOPED_TRACE(testing::Message() << f.text << " Millisekunden " << milli);
      errno = 0;
      EXPECT_DOUBLE_EQ(TextZuZeitDatum(QString::fromUtf8(f.text), milli).Wert, f.wert);
      EXPECT_EQ(Zeilen(), f.fehlerText ? QStringList{Zeile("ganze Datum/Zeit", f.fehlerText)} : QStringList{});
    }
  }
  EXPECT_DOUBLE_EQ(TextZuZeitDatumSekunden("2024-04-18 12:30:15:250").Wert, tag + 45015250 * ms);
}

TEST_F(KonvertierungTest, StrToBoolEinsIsTrueOnlyForOne) {
  EXPECT_TRUE(StrToBoolEins("1"));
  for (const char* t : {"true", " 1", "1 ", "01", "", "0", "-1", "TRUE"}) {
    SCOPED_TRACE(t);
    EXPECT_FALSE(StrToBoolEins(t));
  }
  EXPECT_TRUE(Zeilen().isEmpty());
}

TEST_F(KonvertierungTest, GeschwindigkeitAlsTextTable) {
  struct Fall {
    float mps;
    bool roh;
    const char* text;
  };
  const float unendlich = std::numeric_limits<float>::infinity();
  const Fall faelle[] = {
      {10, false, "36"},     {0, false, "0"},        {1.25f, false, "4"},  // 4.5 goes to the even 4
      {3.75f, false, "14"},  // 13.5 goes to 14
      {277.7778f, false, "1000"},  // no thousands separator
      {-1, false, "oo"},     {-1, true, "-1"},       {-2.5f, true, "-2"},  {-3.5f, true, "-4"},
      {-0.2f, true, "0"},    {-0.0f, false, "0"},    {unendlich, false, "oo"}, {-unendlich, true, "oo"},
      {std::nanf(""), false, "oo"},
      {1e10f, false, "36000000000"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(testing::Message() << f.mps << " " << f.roh);
    EXPECT_EQ(GeschwindigkeitAlsText(f.mps, f.roh), QString::fromUtf8(f.text));
  }
  // The largest float gives a long run of digits, not an overflow.
  const QString gross = GeschwindigkeitAlsText(std::numeric_limits<float>::max(), false);
  EXPECT_GT(gross.size(), 38);
  EXPECT_TRUE(std::all_of(gross.begin(), gross.end(), [](QChar c) { return c.isDigit(); }));
}

TEST_F(KonvertierungTest, TextZuListeAndBack) {
  struct Fall {
    const char* text;
    QStringList liste;
  };
  const Fall faelle[] = {
      {"a;b", {"a", "b"}},   {"a;;b", {"a", "", "b"}}, {"a;", {"a"}},      {";a", {"", "a"}},
      {"", {}},              {";", {""}},              {";;", {"", ""}},   {"a b; c ;", {"a b", " c "}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.text);
    QStringList liste{"alt"};
    TextZuListe(f.text, liste);
    EXPECT_EQ(liste, f.liste);
  }
  EXPECT_EQ(ListeZuText({}), "");
  EXPECT_EQ(ListeZuText({"a;b", "c"}), "a,b;c;");
  EXPECT_EQ(ListeZuText({"", "x", ""}), ";x;;");
  // Items without ";" survive the round trip, empty ones included.
  const QStringList liste{"eins", "", "drei"};
  QStringList zurueck;
  TextZuListe(ListeZuText(liste), zurueck);
  EXPECT_EQ(zurueck, liste);
}

TEST_F(KonvertierungTest, HexZuIntTable) {
  const std::pair<const char*, std::int32_t> faelle[] = {
      {"FF", 255},        {"ff", 255},     {"", 0},       {"0", 0},
      {"1a2B", 0x1a2b},   {"ffffffff", -1}, {"7fffffff", std::numeric_limits<std::int32_t>::max()},
      {"80000000", std::numeric_limits<std::int32_t>::min()},  {"00000010", 16},
  };
  for (const auto& [text, wert] : faelle) {
    SCOPED_TRACE(text);
    EXPECT_EQ(HexZuInt(text), wert);
  }
  // Longer texts keep their last eight digits rather than shifting past 32 bits.
  EXPECT_EQ(HexZuInt("123456789"), 0x23456789);
}

TEST_F(KonvertierungTest, RelativerPfadTable) {
  struct Fall {
    const char* offiziell;
    const char* daten;
    const char* pfad;
    const char* ergebnis;
  };
  const char* off = "/home/u/Kiro/Offiziell/";
  const char* dat = "/home/u/Kiro/Daten/";
  const Fall faelle[] = {
      {off, dat, "/home/u/Kiro/Offiziell/Strecken/a.st3", "Strecken/a.st3"},
      {off, dat, "/home/u/Kiro/Daten/Strecken/a.st3", "Strecken/a.st3"},
      {off, dat, "/home/u/Kiro/Daten/a.st3", "a.st3"},
      {off, dat, "/home/u/Kiro/Daten/", ""},
      {off, dat, "/home/u/Kiro/Anderes/x.ls3", "../Anderes/x.ls3"},
      {off, dat, "/mnt/stick/x.ls3", "../../../../mnt/stick/x.ls3"},
      {off, dat, "/home/u/Kiro/OffiziellAlt/x.ls3", "../OffiziellAlt/x.ls3"},
      {off, dat, "/home/u/Kiro/daten/x.ls3", "../daten/x.ls3"},  // another folder on Linux
      {off, dat, "relativ/x.ls3", "relativ/x.ls3"},              // no common root: unchanged
      {"", dat, "/home/u/Kiro/Daten/x.ls3", "x.ls3"},
      {"", "", "/home/u/x.ls3", "/home/u/x.ls3"},
      {"", "", "Strecken/x.st3", "Strecken/x.st3"},
      {"", "daten/", "Strecken/x.st3", "../Strecken/x.st3"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(testing::Message() << f.offiziell << " | " << f.daten << " | " << f.pfad);
    DatenverzeichnisOffiziell = f.offiziell;
    Datenverzeichnis = f.daten;
    EXPECT_EQ(RelativerPfad(f.pfad), f.ergebnis);
  }
  DatenverzeichnisOffiziell = off;
  EXPECT_EQ(OffiziellerPfad("Strecken\\a.st3"), "/home/u/Kiro/Offiziell/Strecken\\a.st3");
  DatenverzeichnisOffiziell.clear();
  EXPECT_EQ(OffiziellerPfad("a.st3"), "a.st3");
}

TEST_F(KonvertierungTest, BekannterDateitypTable) {
  struct Fall {
    const char* datei;
    bool nurMarkierte;
    bool bekannt;
  };
  const Fall faelle[] = {
      {"bild.jpg", false, true},       {"bild.jpg", true, false},       {"bild.JPG", false, true},
      {"a.script.xml", true, true},    {"x.LS3", true, true},           {"x.dds", true, false},
      {"x.dds", false, true},          {"x.woff2", false, true},        {"x.ogg", true, false},
      {"x.zda", false, true},          {"x", false, false},             {"", false, false},
      {"ordner.ls3/datei", false, false}, {"C:\\a.ls3\\datei", false, false}, {"x.unbekannt", false, false},
      {"x.", false, false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(testing::Message() << f.datei << " " << f.nurMarkierte);
    EXPECT_EQ(BekannterDateityp(f.datei, f.nurMarkierte), f.bekannt);
  }
}

TEST_F(KonvertierungTest, UmlauteErsetzenTable) {
  QString ergebnis = "alt";
  EXPECT_TRUE(UmlauteErsetzen(QString::fromUtf8("Äpfel Öl Übel äöüß"), ergebnis));
  EXPECT_EQ(ergebnis, "Aepfel Oel Uebel aeoeuess");
  EXPECT_FALSE(UmlauteErsetzen(QString::fromUtf8("abc é"), ergebnis));
  EXPECT_EQ(ergebnis, QString::fromUtf8("abc é"));
  EXPECT_FALSE(UmlauteErsetzen("", ergebnis));
  EXPECT_EQ(ergebnis, "");
}

TEST_F(KonvertierungTest, DateinameBereinigenTable) {
  struct Fall {
    const char* pfad;
    bool streng;
    const char* ergebnis;
    bool geaendert;
  };
  const Fall faelle[] = {
      {"Größe (neu).xml", true, "Groesseneu.xml", true},
      {"Größe (neu).xml", false, "Groesse neu.xml", true},
      {"C:\\Größe\\ä b.txt", true, "C:\\Größe\\aeb.txt", true},
      {"C:\\Größe\\ä b.txt", false, "C:\\Größe\\ae b.txt", true},
      {"/tmp/Ä ö/ok_Name-1.txt", true, "/tmp/Ä ö/ok_Name-1.txt", false},
      {"a/b\\c d", false, "a/b\\c d", false},
      {"a\\b/c d", true, "a\\b/cd", true},
      {"é.txt", true, ".txt", true},
      {"x/日本", true, "x/_", true},
      {"日本", false, "_", true},
      {"x/.", true, "x/_", true},
      {"x/..", true, "x/__", true},
      {"x/.:.", true, "x/__", true},
      {"x/", true, "x/_", true},
      {"", true, "_", true},
      {"x/...", true, "x/...", false},
      {"x/a\tb", false, "x/ab", true},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(testing::Message() << f.pfad << " streng " << f.streng);
    QString ergebnis;
    EXPECT_EQ(DateinameBereinigen(QString::fromUtf8(f.pfad), ergebnis, f.streng), f.geaendert);
    EXPECT_EQ(ergebnis, QString::fromUtf8(f.ergebnis));
    if (f.streng) {
      EXPECT_EQ(SichererDateiname(QString::fromUtf8(f.pfad)), QString::fromUtf8(f.ergebnis));
    }
  }
}

TEST_F(KonvertierungTest, ZeichenZaehlenTable) {
  EXPECT_EQ(ZeichenZaehlen(u';', "a;b;;"), 3);
  EXPECT_EQ(ZeichenZaehlen(u'a', "Aa"), 1);
  EXPECT_EQ(ZeichenZaehlen(u'x', ""), 0);
  EXPECT_EQ(ZeichenZaehlen(QChar(0x00e4), QString::fromUtf8("ääa")), 2);
}

}  // namespace
