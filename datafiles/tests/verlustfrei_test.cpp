// Saves and rewrites lose nothing the user had: the reference update keeps line breaks and
// element text or leaves the file as it is, no save removes or writes someone's "name~", a
// typed save does not put back what its load lost, an unread side file keeps its values, and a
// private file stays private.
#include "datafiles/KiroXMLDatei.h"
#include "datafiles/Script.h"
#include "support/FarbAnsicht.h"
#include "support/Testdatei.h"
#include "support/Verlustfrei.h"

#include "foundation/Ordner.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/QtDruck.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>


using namespace kiro;
using kiro::test::Lesen;
using kiro::test::Modus;
using kiro::test::TAlsBenutzer;
using kiro::test::TFarbAnsicht;
using kiro::test::TLog;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TTestdatei;

namespace {

void ModusSetzen(const QString& Pfad, unsigned Modus) { ASSERT_EQ(::chmod(QFile::encodeName(Pfad).constData(), Modus), 0); }

// Every entry of the folder whose name starts with Name (the file and anything beside it).
QStringList Geschwister(const QString& Pfad) {
  const QFileInfo info(Pfad);
  return QDir(info.path()).entryList({info.fileName() + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

// The attributes of a node as "name=value" lines.
QStringList Attribute(const TKiroXMLKnoten& Knoten) {
  QStringList a;
  for (const TParse& p : Knoten.Attribute) a << p.Kennung + u'=' + p.Wert;
  return a;
}

// --- the reference update ---

// "Verschieben" of "Strecken\A\x.ls3" to "Strecken\N\y.ls3" over data files beside each other.
struct TUpdate {
  TOrdnerUmgebung U;
  TLog Log;
  TUpdate() {
    DatenverzeichnisOffiziell = Datenverzeichnis;
    QDir().mkpath(Datenverzeichnis);
    U.Ordner.Schreiben(QStringLiteral("daten/Strecken/A/x.ls3"), "<Kiro/>");
  }
  // The lines of the script's view that name the files the update wrote or left.
  QStringList Ausfuehren() {
    TScriptVerschieben e;
    e.AlteDatei.Dateiname = QStringLiteral("Strecken\\A\\x.ls3");
    e.NeueDatei.Dateiname = QStringLiteral("Strecken\\N\\y.ls3");
    TIndexListe index;
    TFarbAnsicht ansicht;
    e.Abarbeiten(&ansicht, nullptr, index, false, false, false);
    EXPECT_TRUE(QFileInfo::exists(Datenverzeichnis + QStringLiteral("Strecken/N/y.ls3")));
    // The move's own lines come first.
    EXPECT_EQ(ansicht.Zeilen.mid(0, 2), (QStringList{QStringLiteral("G:Strecken\\A\\x.ls3 -> Strecken\\N\\y.ls3"),
                                                    QStringLiteral("G:Strecken\\A\\x.ls3 -> Strecken\\N\\y.ls3   ()")}));
    return ansicht.Zeilen.mid(2);
  }
};

TEST(Verlustfrei, ReferenzupdateSchreibtVerlustfreiOderGarNicht) {
  // A data file with the old reference in its header, Vorn before it and Innen after the header.
  const auto dok = [](const QByteArray& Vorn, const QByteArray& Innen) {
    return Vorn + "<Kiro>\r\n<Info>\r\n<Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\r\n</Info>\r\n" + Innen + "</Kiro>\r\n";
  };
  const QString mitBeschreibung =
      QStringLiteral("<Kiro>\r\n<Info Beschreibung=\"Gleis X\">\r\n<Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\r\n</Info>\r\n</Kiro>\r\n");
  const struct {
    const char* Fall;
    QByteArray Inhalt;          // "" for the file our typed writer makes
    bool Umgeschrieben;         // else byte for byte as it was, with a line that names it
    QByteArray Erwartet;        // what the rewritten file holds, beside the new reference
  } faelle[] = {
      {"multi-line description by our writer", "", true, "Beschreibung=\"Erste Zeile\r\nZweite Zeile\""},
      {"line breaks as the file has them",
       "<Kiro>\n<Info Beschreibung=\"a\n\nb\rc\r\n\">\n<Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\n</Info>\n</Kiro>\n", true,
       "Beschreibung=\"a\n\nb\rc\r\n\""},
      {"element text",
       "<Kiro>\r\n<Info>\r\n<Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\r\n</Info>\r\n"
       "<Notiz Autor=\"M\">Wichtiger Text &amp; mehr</Notiz>\r\n</Kiro>\r\n",
       false, ""},
      {"a stray quote", "<Kiro>\r\n<Info \"x\" >\r\n<Datei Dateiname=\"Strecken\\A\\x.ls3\"/>\r\n</Info>\r\n</Kiro>\r\n",
       false, ""},
      {"CDATA holding \"/\"", dok("", "<![CDATA[http://x/y]]>\r\n"), false, ""},
      {"a \"<!x\" tag holding \"/\"", dok("", "<!Anmerkung:http://x/y>\r\n"), false, ""},
      {"words after \"/\" in a tag", dok("", "<Notiz/ Bitte nicht loeschen>\r\n"), false, ""},
      {"an attribute after \"/\"", dok("", "<Datei/Dateiname=\"a.ls3\">\r\n"), false, ""},
      {"text before the first \"<\"", dok("Notiz\r\n", ""), false, ""},
      {"element text of \">\" only", dok("", "<Notiz>></Notiz>\r\n"), false, ""},
      {"a comment opened over line breaks", dok("", "<!--\r\nAutor\r\nDatum\r\n-->\r\n"), true,
       "\r\n<!--\r\nAutor\r\nDatum\r\n-->\r\n"},
      {"UTF-16 with a surrogate pair", kiro::test::Utf16(QString(mitBeschreibung).replace(u'X', QStringLiteral("\U0001F682")), true), true,
       "Beschreibung=\"Gleis \xF0\x9F\x9A\x82\""},
      {"UTF-16 with an unpaired surrogate",
       kiro::test::Utf16(QString(mitBeschreibung).replace(u'X', QChar(0xD83D)), true), false, ""},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    TUpdate t;
    const QString pfad = Datenverzeichnis + QStringLiteral("Strecken/B/d.ls3");
    if (f.Inhalt.isEmpty()) {
      TTestdatei d;
      d.Kopf().Beschreibung = QStringLiteral("Erste Zeile\r\nZweite Zeile");
      d.Kopf().Dateien = {TDatei{QStringLiteral("Strecken\\A\\x.ls3"), 0, false}};
      ASSERT_EQ(d.SpeichernDatei(Datenverzeichnis, QStringLiteral("Strecken\\B\\d.ls3"), nullptr), S_OK);
    } else {
      t.U.Ordner.Schreiben(QStringLiteral("daten/Strecken/B/d.ls3"), f.Inhalt);
    }
    // A file of the user's beside it, under the name a rewrite would use first.
    const QString sicherung = t.U.Ordner.Schreiben(QStringLiteral("daten/Strecken/B/d.ls3~"), "Sicherung des Editors");
    const QByteArray vorher = Lesen(pfad);
    t.Log.Zeilen();

    const QStringList z = t.Ausfuehren();
    EXPECT_EQ(Lesen(sicherung), QByteArray("Sicherung des Editors"));
    EXPECT_EQ(Geschwister(pfad), (QStringList{QStringLiteral("d.ls3"), QStringLiteral("d.ls3~")}));
    const QByteArray nachher = Lesen(pfad);
    if (f.Umgeschrieben) {
      EXPECT_EQ(z, QStringList{QStringLiteral("?:1x: ") + pfad});
      EXPECT_TRUE(nachher.contains(f.Erwartet)) << nachher.toStdString();
      EXPECT_TRUE(nachher.contains("Dateiname=\"Strecken\\N\\y.ls3\""));
      // Read back, the rewritten file is the file as it was but for the one reference.
      TKiroXMLDatei alt, neu;
      const QString altPfad = t.U.Ordner.Schreiben(QStringLiteral("alt.ls3"), vorher);
      alt.LadenDatei(QString(), altPfad);
      neu.LadenDatei(QString(), pfad);
      const auto& altInfo = *alt.Basisknoten()->Unterknoten.at(0)->Unterknoten.at(0);
      const auto& neuInfo = *neu.Basisknoten()->Unterknoten.at(0)->Unterknoten.at(0);
      EXPECT_EQ(Attribute(neuInfo), Attribute(altInfo));
    } else {
      // The script's view names the file and why it kept its old reference.
      EXPECT_EQ(z, QStringList{QStringLiteral("F:") + pfad +
                                      QStringLiteral(": Verweise nicht umgeschrieben (nicht verlustfrei gelesen)")})
          << z.join(u'\n').toStdString();
      EXPECT_EQ(nachher, vorher);
      EXPECT_TRUE(t.Log.Zeilen().join(u'\n').contains(pfad));
    }
  }
}

// --- the one replace routine: a user's "name~" is never removed, every save keeps the mode ---

TEST(Verlustfrei, JedesSpeichernLaesstFremdeTildeDateienUndBehaeltDenModus) {
  TOrdnerUmgebung u;
  TLog log;
  TTestdatei d;
  d.Kopf().Autoren = {TAutor{}};
  d.Kopf().Autoren[0].AutorID = 3;
  d.Kopf().Autoren[0].AufwandAlt = 2.0f;
  const QString datei = u.Ordner / QStringLiteral("p.script.xml");
  const QString seite = Datenverzeichnis + QStringLiteral("p.script.xml.expense.xml");
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("p.script.xml"), nullptr), S_OK);
  ASSERT_TRUE(QFileInfo::exists(seite));
  ModusSetzen(datei, 0600);
  ModusSetzen(seite, 0600);
  const QString sicherung = u.Ordner.Schreiben(QStringLiteral("p.script.xml~"), "meins");
  const QString seitenSicherung = u.Daten(QStringLiteral("p.script.xml.expense.xml~"), "auch meins");

  // The typed save with its side file, and the tree's save of the same file.
  d.Kopf().Autoren[0].AufwandAlt = 4.0f;
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("p.script.xml"), nullptr), S_OK);
  TKiroXMLDatei baum;
  ASSERT_NE(baum.LadenDatei(QString(), datei), nullptr);
  ASSERT_TRUE(baum.SpeichernDatei(QString(), datei));

  EXPECT_EQ(Modus(datei), 0600);
  EXPECT_EQ(Modus(seite), 0600);
  EXPECT_EQ(Lesen(sicherung), QByteArray("meins"));
  EXPECT_EQ(Lesen(seitenSicherung), QByteArray("auch meins"));
  EXPECT_EQ(Geschwister(datei), (QStringList{QStringLiteral("p.script.xml"), QStringLiteral("p.script.xml~")}));
  EXPECT_EQ(Geschwister(seite),
            (QStringList{QStringLiteral("p.script.xml.expense.xml"), QStringLiteral("p.script.xml.expense.xml~")}));
  TTestdatei zurueck;
  ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("p.script.xml"), nullptr), S_OK);
  EXPECT_EQ(zurueck.DateiInfo().Autoren.value(0).AufwandAlt, 4.0f);
}

// --- the typed save refuses what its load lost ---

TEST(Verlustfrei, TypisiertesSpeichernSchreibtKeinenVerlustZurueck) {
  const struct {
    const char* Fall;
    QByteArray Inhalt;
  } faelle[] = {
      // Windows-1252 without a byte-order mark: "öß" do not decode as UTF-8.
      {"ANSI umlauts", "<Kiro>\r\n<Info Version=\"A.2\" Beschreibung=\"Gr\xF6\xDF" "e\"/>\r\n<VerwaltungsScript/>\r\n</Kiro>\r\n"},
      {"cut off", "<Kiro>\r\n<Info Version=\"A.2\" Beschreibung=\"lang\"/>\r\n<VerwaltungsScript Wert=\"abc"},
      // An unpaired surrogate decodes no better than a stray byte of UTF-8.
      {"UTF-16 with an unpaired surrogate",
       kiro::test::Utf16(QStringLiteral("<Kiro>\r\n<Info Version=\"A.2\" Beschreibung=\"Gleis X\"/>\r\n<VerwaltungsScript/>\r\n</Kiro>\r\n")
                             .replace(u'X', QChar(0xDE82)),
                         false)},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    TOrdnerUmgebung u;
    const QString pfad = u.Ordner.Schreiben(QStringLiteral("a.script.xml"), f.Inhalt);
    TTestdatei d;
    ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("a.script.xml"), nullptr), S_OK);
    TLog log;
    EXPECT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("a.script.xml"), nullptr), E_FAIL);
    EXPECT_EQ(Lesen(pfad), f.Inhalt);
    EXPECT_EQ(Geschwister(pfad), QStringList{QStringLiteral("a.script.xml")});
    const QStringList z = log.Zeilen().filter(QStringLiteral("2 "));
    ASSERT_EQ(z.size(), 1) << log.Zeilen().join(u'\n').toStdString();
    EXPECT_TRUE(z[0].contains(pfad)) << z[0].toStdString();
    // Saved under another name, what was read is written.
    EXPECT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("b.script.xml"), nullptr), S_OK);
  }
}

// --- the effort side file is rewritten or removed only after it was read whole ---

TEST(Verlustfrei, NichtGanzGeleseneSeitendateiBleibtStehen) {
  const struct {
    const char* Fall;
    bool Versionsfehler;  // the data file's version check fails, and its content loads an "ExterneDatei"
    bool Lesbar;          // the saving user may read the side file
    const char* Name;     // the side file's author name, as bytes
    bool BleibtStehen;    // else it is read whole: its values survive the save
  } faelle[] = {
      {"side file the user cannot read", false, false, "Anna", true},
      {"version error, ExterneDatei, side file unreadable", true, false, "Anna", true},
      {"version error, ExterneDatei, side file readable", true, true, "Anna", false},
      // Windows-1252 without a byte-order mark: read, "ö" would become U+FFFD.
      {"side file with undecodable bytes", false, true, "J\xF6rg", true},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    TOrdnerUmgebung u;
    const QByteArray kopf = f.Versionsfehler ? "<Info><AutorEintrag AutorID=\"7\"/></Info>"
                                             : "<Info Version=\"A.2\"><AutorEintrag AutorID=\"7\"/></Info>";
    const QByteArray inhalt = f.Versionsfehler ? "<VerwaltungsScript ExterneDatei=\"e.script.xml\"/>" : "<VerwaltungsScript/>";
    const QString datei = u.Ordner.Schreiben(QStringLiteral("v.script.xml"), kiro::test::Dokument(kopf, inhalt));
    u.Offiziell(QStringLiteral("e.script.xml"),
                kiro::test::Dokument("<Info Version=\"A.2\"><AutorEintrag AutorID=\"7\"/></Info>"));
    const QByteArray seitenInhalt =
        "<Kiro><Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\" Aufwand=\"9.5\">"
        "<AutorEintrag AutorID=\"7\" AutorName=\"" + QByteArray(f.Name) + "\" AutorAufwand=\"3.5\"/></Info><expense/></Kiro>";
    const QString seite = u.Daten(QStringLiteral("v.script.xml.expense.xml"), seitenInhalt);
    // The user may change the folders and the data file, but the side file belongs to root.
    for (const QString& ordner : {u.Ordner.Pfad(), Datenverzeichnis, DatenverzeichnisOffiziell}) ModusSetzen(ordner, 0777);
    ModusSetzen(datei, 0666);
    // Write-only also binds its owner, when the suite itself runs as an ordinary user.
    ModusSetzen(seite, f.Lesbar ? 0666 : 0200);

    TLog log;
    {
      TAlsBenutzer benutzer;
      TTestdatei d;
      ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
      EXPECT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
    }
    if (!f.Lesbar) ::chmod(QFile::encodeName(seite).constData(), 0600);
    if (f.BleibtStehen) {
      EXPECT_EQ(Lesen(seite), seitenInhalt);
      EXPECT_TRUE(log.Zeilen().join(u'\n').contains(seite));
    } else {
      TTestdatei zurueck;
      ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
      ASSERT_FALSE(zurueck.DateiInfo().Autoren.isEmpty());
      EXPECT_EQ(zurueck.DateiInfo().Autoren.last().AufwandAlt, 3.5f);
      EXPECT_EQ(zurueck.DateiInfo().AufwandAlgo, 9.5f);
    }
  }
}

}  // namespace
