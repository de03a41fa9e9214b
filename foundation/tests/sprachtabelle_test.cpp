#include "foundation/Ansi.h"
#include "foundation/Dateitypen.h"
#include "foundation/Einstellungen.h"
#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "foundation/Sprachtabelle.h"
#include "testsupport/Fifo.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>

using namespace kiro;

namespace {

// One program folder per test with its language folders, the file-type captions restored
// afterwards, boxes and log lines recorded.
class SprachtabelleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < DateiTypAnzahl; ++i) Beschriftungen[std::size_t(i)] = DateiTypenTabelle[std::size_t(i)].Klartext;
    Programmverzeichnis = Ordner.Pfad();
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen.append(b);
      return int(mrOk);
    });
    MeldungsListBox = &Liste;
  }
  void TearDown() override {
    for (int i = 0; i < DateiTypAnzahl; ++i) DateiTypenTabelle[std::size_t(i)].Klartext = Beschriftungen[std::size_t(i)];
    Programmverzeichnis.clear();
    MeldungZeigenHookSetzen({});
    MeldungsListBox = nullptr;
    Einstellungen = nullptr;
  }

  // Writes "text.txt" of a language folder.
  void Sprachdatei(const QString& Ordnername, const QByteArray& Inhalt) const {
    Ordner.Schreiben(QStringLiteral("_InstSetup/language/") + Ordnername + QStringLiteral("/text.txt"), Inhalt);
  }
  QStringList Protokoll() {
    QStringList r;
    for (const TMeldung& m : Liste.Entnehmen()) r.append(QString::number(m.Typ) + u' ' + m.Meldung.mid(14));
    return r;
  }

  test::TempOrdner Ordner;
  std::array<QString, DateiTypAnzahl> Beschriftungen;
  QList<TMeldungsBox> Boxen;
  TMeldungsListe Liste;
};

// Points TMPDIR elsewhere for one test.
struct TmpdirSetzen {
  explicit TmpdirSetzen(const QString& Pfad) : Alt(qgetenv("TMPDIR")), HatteAlt(qEnvironmentVariableIsSet("TMPDIR")) {
    qputenv("TMPDIR", QFile::encodeName(Pfad));
  }
  ~TmpdirSetzen() {
    if (HatteAlt)
      qputenv("TMPDIR", Alt);
    else
      qunsetenv("TMPDIR");
  }
  QByteArray Alt;
  bool HatteAlt;
};

struct Zeile {
  const char16_t* roh;
  const char16_t* schluessel;
  const char16_t* text;
};

TEST(EintragLesen, SplitsKeyAndTextByTheLinesRules) {
  const Zeile faelle[] = {
      {u"Schluessel = Text", u"Schluessel", u"Text"},
      {u"Schluessel=Text", u"Schluesse", u"ext"},       // no blanks: one character lost each side
      {u"Schluessel  =  Text", u"Schluessel ", u" Text"},
      {u"Schluessel\t=\tText", u"Schluessel", u"Text"},  // whatever stands beside "=" is dropped
      {u"  Schluessel = Text  ", u"  Schluessel", u"Text  "},
      {u"K = T", u"K", u"T"},
      {u"Schluessel = a = b", u"Schluessel", u"a = b"},  // a later "=" belongs to the text
      {u"Schluessel = %s von %d", u"Schluessel", u"%s von %d"},
      {u"Schluessel=Te", u"Schluesse", u"e"},
      // too short: no text character after the dropped one
      {u"Schluessel =", u"", u""},
      {u"Schluessel = ", u"", u""},
      {u"Schluessel=T", u"", u""},
      {u"Schluessel=", u"", u""},
      // "=" first, or no "=" at all
      {u"= Text", u"", u""},
      {u"=", u"", u""},
      {u"kein Gleichheitszeichen", u"", u""},
      {u"", u"", u""},
      // "=" second: the key is empty, which the caller skips
      {u"K= Text", u"", u"Text"},
      // quotes
      {u"Schluessel = 'Text'", u"Schluessel", u"Text"},
      {u"Schluessel = 'Text", u"Schluessel", u"Text"},
      {u"Schluessel = Text'", u"Schluessel", u"Text"},
      {u"Schluessel = '", u"Schluessel", u""},
      {u"Schluessel = ''", u"Schluessel", u""},
      {u"Schluessel = '''", u"Schluessel", u"'"},
      {u"Schluessel = ' Text mit Rand '", u"Schluessel", u" Text mit Rand "},
      {u"Schluessel = Te'x't", u"Schluessel", u"Te'x't"},
  };
  for (const Zeile& f : faelle) {
    const QString roh = QString::fromUtf16(f.roh);
    SCOPED_TRACE(roh.toStdString());
    const TMehrsprachigEintrag e = TSprachtabelle::EintragLesen(roh);
    EXPECT_EQ(e.IDString, QString::fromUtf16(f.schluessel));
    EXPECT_EQ(e.Bezeichnung, QString::fromUtf16(f.text));
  }
}

// The same catalogue from every encoding a language file may have, with mixed line ends.
TEST_F(SprachtabelleTest, ReadsAnsiUtf8AndUtf16WithMixedLineEnds) {
  const QString zeilen[] = {
      QStringLiteral("KiroXML.DateiLaden = Datei \"%s\" fehlt \u20AC"),  // overrides a built-in text
      QStringLiteral("Neu.Eins = 'Gr\u00FC\u00DFe \u0160\u2014\u0178'"),
      QStringLiteral("keine Zuweisung"),
      QString(),
      QStringLiteral("= nichts"),
      QStringLiteral("Neu.Zwei = \u2018zwei\u2019 \u2122"),
      QStringLiteral("Neu.Drei = letzte Zeile ohne Ende"),
  };
  const char* enden[] = {"\r\n", "\n", "\r", "\r\n", "\r", "\n", ""};
  QString text;
  for (std::size_t i = 0; i < std::size(zeilen); ++i) text += zeilen[i] + QString::fromLatin1(enden[i]);

  auto utf16 = [&](bool big) {
    QByteArray b = big ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : text) {
      const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
      b.append(big ? hi : lo);
      b.append(big ? lo : hi);
    }
    return b;
  };
  // Windows-1252 written byte by byte: the euro sign is 0x80, S caron 0x8A, em dash 0x97,
  // Y diaeresis 0x9F, the quotes 0x91/0x92, the trade mark 0x99.
  QByteArray ansi = text.toLatin1();
  for (auto [zeichen, byte] : {std::pair{u'\u20AC', '\x80'}, {u'\u0160', '\x8A'}, {u'\u2014', '\x97'},
                               {u'\u0178', '\x9F'}, {u'\u2018', '\x91'}, {u'\u2019', '\x92'}, {u'\u2122', '\x99'}})
    ansi[text.indexOf(QChar(zeichen))] = byte;
  ASSERT_EQ(AusAnsi(ansi), text);

  const std::pair<const char*, QByteArray> dateien[] = {
      {"1252", ansi}, {"UTF-8", "\xEF\xBB\xBF" + text.toUtf8()}, {"UTF-16LE", utf16(false)}, {"UTF-16BE", utf16(true)}};
  for (const auto& [name, inhalt] : dateien) {
    SCOPED_TRACE(name);
    Sprachdatei(QStringLiteral("Test"), inhalt);
    TSprachtabelle t;
    t.Sprachordner = QStringLiteral("Test");
    EXPECT_EQ(t.TextHolen(QStringLiteral("KiroXML.DateiLaden")), QStringLiteral("Datei \"%s\" fehlt \u20AC"));
    EXPECT_EQ(t.TextHolen(QStringLiteral("Neu.Eins")), QStringLiteral("Gr\u00FC\u00DFe \u0160\u2014\u0178"));
    EXPECT_EQ(t.TextHolen(QStringLiteral("Neu.Zwei")), QStringLiteral("\u2018zwei\u2019 \u2122"));
    EXPECT_EQ(t.TextHolen(QStringLiteral("Neu.Drei")), QStringLiteral("letzte Zeile ohne Ende"));
    EXPECT_EQ(t.Anzahl(), 2389 + 3);
  }

  // Without a byte-order mark UTF-8 is taken for ANSI, as the format says.
  Sprachdatei(QStringLiteral("Test"), QStringLiteral("Neu.Eins = Gr\u00FC\u00DFe").toUtf8());
  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("Test");
  EXPECT_EQ(t.TextHolen(QStringLiteral("Neu.Eins")), QStringLiteral("Gr\u00C3\u00BC\u00C3\u0178e"));
}

TEST_F(SprachtabelleTest, LanguageFileOverridesAndAddsKeyByKey) {
  Sprachdatei(QStringLiteral("English"),
              "Script.IndexErstellt = Index built\n"
              "Script.Beta = first\n"
              "Script.Beta = second\n"
              "script.updates = lower case is another key\n"
              "Fremd.Neu = added\n");
  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("English");
  t.Laden();
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.IndexErstellt")), QStringLiteral("Index built"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("second"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Updates")), QStringLiteral("Updates"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("script.updates")), QStringLiteral("lower case is another key"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Fremd.Neu")), QStringLiteral("added"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Gibt.Es.Nicht")), QString());
  // Replaced texts keep their place; only the two unknown keys were appended, in file order.
  ASSERT_EQ(t.Anzahl(), 2391);
  EXPECT_EQ(t.Schluessel()[2389], QStringLiteral("script.updates"));
  EXPECT_EQ(t.Schluessel()[2390], QStringLiteral("Fremd.Neu"));
  EXPECT_EQ(t.Texte()[t.Schluessel().indexOf(QStringLiteral("Script.IndexErstellt"))], QStringLiteral("Index built"));
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_TRUE(Protokoll().isEmpty());
}

TEST_F(SprachtabelleTest, LeerenEmptiesEveryKeyUntilTheNextLoad) {
  TSprachtabelle t;
  EXPECT_FALSE(t.Geladen);
  EXPECT_EQ(t.TextHolen(QStringLiteral("Datei_44")), QStringLiteral("Sevenzip-Archiv"));  // first fetch loads
  EXPECT_TRUE(t.Geladen);
  t.Leeren();
  EXPECT_TRUE(t.Geladen);
  EXPECT_EQ(t.Anzahl(), 0);
  EXPECT_EQ(t.TextHolen(QStringLiteral("Datei_44")), QString());
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QString());
  t.Laden();
  EXPECT_EQ(t.Anzahl(), 2389);
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("Beta"));
}

TEST_F(SprachtabelleTest, SpracheSetzenReloadsOnlyForAnotherFolder) {
  Sprachdatei(QStringLiteral("Deutsch"), "Script.Beta = Deutsch\n");
  Sprachdatei(QStringLiteral("FRAN\u00C7AIS"), "Script.Beta = fran\xE7" "ais\n");
  Sprachdatei(QStringLiteral("English"), "Script.Beta = English\n");

  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("Deutsch");
  t.SpracheSetzen(QStringLiteral("dEUTSCH"));  // same folder: not even a first load
  EXPECT_FALSE(t.Geladen);
  EXPECT_EQ(t.Sprachordner, QStringLiteral("Deutsch"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("Deutsch"));

  t.SpracheSetzen(QStringLiteral("English"));
  EXPECT_EQ(t.Sprachordner, QStringLiteral("English"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("English"));
  EXPECT_EQ(t.Anzahl(), 2389);  // reloaded from scratch

  Sprachdatei(QStringLiteral("English"), "Script.Beta = changed on disk\n");
  t.SpracheSetzen(QStringLiteral("ENGLISH"));
  EXPECT_EQ(t.Sprachordner, QStringLiteral("English"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("English"));

  // Only a to z fold: "FRANçAIS" is another folder than "FRANÇAIS".
  t.Sprachordner = QStringLiteral("FRAN\u00C7AIS");
  t.SpracheSetzen(QStringLiteral("fran\u00E7ais"));
  EXPECT_EQ(t.Sprachordner, QStringLiteral("fran\u00E7ais"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("Beta"));  // no such folder
  t.SpracheSetzen(QStringLiteral("FRAN\u00C7AIS"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("fran\u00E7ais"));
}

TEST_F(SprachtabelleTest, PlaceholderReportWithoutSettingsGoesToTheUsersTempFolder) {
  const TmpdirSetzen tmp(Ordner.Pfad() + QStringLiteral("tmp"));
  QDir().mkpath(Ordner / "tmp");
  const QString bericht = Ordner.Pfad() + QStringLiteral("tmp/kiro-") + QString::number(getuid()) +
                          QStringLiteral("/language.txt");
  Sprachdatei(QStringLiteral("English"),
              "InfoForm.Programm = Program: %s %s\n"   // one placeholder more
              "InfoForm.Daten = Data: %s\n"            // same count: no line
              "KiroXML.DateiZuLang = File too long\n"  // two fewer
              "Neu.Schluessel = 100 %\n");             // new keys are never compared
  Ordner.Schreiben(QStringLiteral("tmp/kiro-") + QString::number(getuid()) + QStringLiteral("/language.txt"),
                   "an old report\n");
  QFile::setPermissions(Ordner.Pfad() + QStringLiteral("tmp/kiro-") + QString::number(getuid()),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("English");
  t.PlatzhalterPruefen = true;
  t.Laden();
  EXPECT_EQ(test::Lesen(bericht), QByteArray("Programm: %s  ->  Program: %s %s\n"
                                             "Datei \"%s\" hat mehr als %d Zeichen  ->  File too long\n"));
  ASSERT_EQ(Boxen.size(), 1);
  EXPECT_EQ(Boxen[0].Text, QStringLiteral("Language errors see: ") + bericht);
  EXPECT_EQ(Boxen[0].Typ, TMsgDlgType::mtWarning);
  EXPECT_EQ(Boxen[0].Knoepfe, TMsgDlgButtons(mbOK));
  EXPECT_EQ(Boxen[0].Hilfe, 0);
  // Applied all the same.
  EXPECT_EQ(t.TextHolen(QStringLiteral("KiroXML.DateiZuLang")), QStringLiteral("File too long"));

  t.TextHolen(QStringLiteral("InfoForm.Daten"));
  EXPECT_EQ(Boxen.size(), 1);  // once per load
  t.Laden();
  EXPECT_EQ(Boxen.size(), 2);

  Boxen.clear();
  QFile::remove(bericht);
  TSprachtabelle ohne;
  ohne.Sprachordner = QStringLiteral("English");
  ohne.Laden();  // check off
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(bericht));
}

TEST_F(SprachtabelleTest, PlaceholderReportGoesToTheSettingsTempFolder) {
  TEinstellungen e;
  e.TempVerzeichnisAbsolutAktiv = true;
  e.TempVerzeichnisAbsolut = Ordner.Pfad() + QStringLiteral("einstellungen/temp/");
  Einstellungen = &e;
  Sprachdatei(QStringLiteral("English"), "InfoForm.Programm = Program\n");
  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("English");
  t.PlatzhalterPruefen = true;
  t.Laden();
  EXPECT_EQ(test::Lesen(e.TempVerzeichnisAbsolut + QStringLiteral("language.txt")),
            QByteArray("Programm: %s  ->  Program\n"));
  ASSERT_EQ(Boxen.size(), 1);
  EXPECT_EQ(Boxen[0].Text, QStringLiteral("Language errors see: ") + e.TempVerzeichnisAbsolut + QStringLiteral("language.txt"));
}

TEST_F(SprachtabelleTest, UnreadableLanguageFileKeepsTheBuiltInTextsAndLogsOnce) {
  QDir().mkpath(Ordner / "_InstSetup/language/Kaputt/text.txt");  // a folder where the file should be
  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("Kaputt");
  EXPECT_EQ(t.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("Beta"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Datei_44")), QStringLiteral("Sevenzip-Archiv"));
  EXPECT_EQ(t.Anzahl(), 2389);
  const QStringList log = Protokoll();
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].startsWith(QStringLiteral("2 Sprachdatei \""))) << log[0].toStdString();
  EXPECT_TRUE(log[0].contains(QStringLiteral("Kaputt/text.txt"))) << log[0].toStdString();

  // A missing file is no error at all.
  TSprachtabelle fehlt;
  fehlt.Sprachordner = QStringLiteral("Gibt es nicht");
  EXPECT_EQ(fehlt.TextHolen(QStringLiteral("Script.Beta")), QStringLiteral("Beta"));
  EXPECT_TRUE(Protokoll().isEmpty());
}

TEST_F(SprachtabelleTest, AFifoAsTheLanguageFileDoesNotHangTheLoad) {
  QDir().mkpath(Ordner / "_InstSetup/language/Rohr");
  const QString fifo = Ordner / "_InstSetup/language/Rohr/text.txt";
  ASSERT_TRUE(test::FifoAnlegen(fifo));
  TSprachtabelle t;
  t.Sprachordner = QStringLiteral("Rohr");
  QString text;
  EXPECT_TRUE(test::KehrtZurueck([&] { text = t.TextHolen(QStringLiteral("Script.Beta")); }, fifo));
  EXPECT_EQ(text, QStringLiteral("Beta"));
  const QStringList log = Protokoll();
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].startsWith(QStringLiteral("2 Sprachdatei \"") + fifo)) << log[0].toStdString();
}

TEST_F(SprachtabelleTest, FileTypeCaptionsFollowEveryLoad) {
  Sprachdatei(QStringLiteral("A"), "Datei_33 = Admin script\nDatei_5 = Object (LOD1)\n");
  Sprachdatei(QStringLiteral("B"), "Datei_33 = Skript B\n");
  Sprachdatei(QStringLiteral("Leer"), "Datei_5 = ''\n");

  TSprachtabelle t;
  t.SpracheSetzen(QStringLiteral("A"));
  EXPECT_EQ(DateiTypenTabelle[Datei_script_xml].Klartext, QStringLiteral("Admin script"));
  EXPECT_EQ(DateiTypenTabelle[Datei_lod1_ls3].Klartext, QStringLiteral("Object (LOD1)"));
  for (int i = 0; i < DateiTypAnzahl; ++i)
    if (i != Datei_script_xml && i != Datei_lod1_ls3) {
      SCOPED_TRACE(i);
      EXPECT_EQ(DateiTypenTabelle[std::size_t(i)].Klartext, Beschriftungen[std::size_t(i)]);
    }

  // B does not name row 5: it keeps A's caption, which is now also the built-in text.
  t.SpracheSetzen(QStringLiteral("B"));
  EXPECT_EQ(DateiTypenTabelle[Datei_script_xml].Klartext, QStringLiteral("Skript B"));
  EXPECT_EQ(DateiTypenTabelle[Datei_lod1_ls3].Klartext, QStringLiteral("Object (LOD1)"));
  EXPECT_EQ(t.TextHolen(QStringLiteral("Datei_5")), QStringLiteral("Object (LOD1)"));

  t.SpracheSetzen(QStringLiteral("Leer"));
  EXPECT_EQ(DateiTypenTabelle[Datei_lod1_ls3].Klartext, QString());
  EXPECT_EQ(DateiTypenTabelle[Datei_script_xml].Klartext, QStringLiteral("Skript B"));

  // Leeren does not touch the captions.
  t.Leeren();
  EXPECT_EQ(DateiTypenTabelle[Datei_script_xml].Klartext, QStringLiteral("Skript B"));
}

TEST_F(SprachtabelleTest, GlobalCatalogueAndText) {
  ASSERT_EQ(Sprachtabelle, nullptr);
  // A fetch before the host made the catalogue makes it: texts never come back empty for that.
  EXPECT_EQ(Text(QStringLiteral("Script.Beta")), QStringLiteral("Beta"));
  TSprachtabelle* t = Sprachtabelle;
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(SprachtabelleErzeugen(), t);
  EXPECT_EQ(Text(QStringLiteral("Script.Beta")), QStringLiteral("Beta"));
  delete t;
  Sprachtabelle = nullptr;
}

}  // namespace
