// The header outside loading and saving: ratings, the description, editing through the real
// file-information dialog (offscreen) and the HTML description from a real template.
#include "support/Testdatei.h"

#include "components/DateiInfoForm.h"
#include "components/DialogAnzeigen.h"
#include "components/LabeledEditQV.h"
#include "components/StringGridQV.h"
#include "datafiles/Autorendatei.h"
#include "foundation/Konvertierung.h"
#include "foundation/Sprachtabelle.h"
#include "platform/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kiro;
using namespace kiro::test;

namespace {

const QTemporaryDir Konfiguration;
const bool KonfigurationUmgeleitet = qputenv("XDG_CONFIG_HOME", QFile::encodeName(Konfiguration.path()));

// Exposes the template routines.
class TVorlage : public TTestdatei {
 public:
  using TKiroXMLObjekt::AlleErsetzen;
  using TKiroXMLObjekt::HtmlVorlageFuellen;
};

TAutor Autor(std::int32_t id, const char* name) {
  TAutor a;
  a.AutorID = id;
  a.Name = QString::fromUtf8(name);
  return a;
}

// The real dialog, answered by the test.
class TDialogUmgebung {
 public:
  explicit TDialogUmgebung(std::function<int(TFormDateiInfo&)> Antwort) {
    DateiInfoDialogInstallieren();
    FAlt = DialogAnzeigenSetzen([Antwort](QDialog& d) {
      auto& info = dynamic_cast<TFormDateiInfo&>(d);
      info.show();
      return Antwort(info);
    });
  }
  ~TDialogUmgebung() {
    DialogAnzeigenSetzen(FAlt);
    DateiInfoBearbeitung() = nullptr;
  }

 private:
  TDialogAnzeigen FAlt;
};

const QByteArray kKopf =
    "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\" ObjektID=\"42\" "
    "Beschreibung=\"Erster Teil;Zweiter Teil\" EinsatzAb=\"2024-03-01 12:30:15\" DateiKategorie=\"\\Strecke\\Nord\">\r\n"
    "<AutorEintrag AutorID=\"7\" AutorName=\"Anna\" AutorEmail=\"a@x.de\" AutorAufwandStunden=\"4.25\" AutorLizenz=\"4\"/>\r\n"
    "<Datei Dateiname=\"data\\a.ls3\" inst=\"1\" NurInfo=\"1\"/>\r\n"
    "<Datei Dateiname=\"b.ls3\" inst=\"1\"/>\r\n"
    "<Datei Dateiname=\"c.ls3\" inst=\"2\"/>\r\n"
    "</Info>";

}  // namespace

TEST(KiroXMLObjektInfo, RatingsAndTheDescription) {
  TTestdatei d;
  d.SetGeaendert(false);
  TAutoren neu = {Autor(3, "C"), Autor(0, "Ohne ID"), Autor(5, "E")};
  neu[0].AufwandAlt = 12;
  d.BewertungenEintragen(neu);
  neu[0].Name = "geaendert";
  ASSERT_EQ(d.DateiInfo().Autoren.size(), 3);
  EXPECT_EQ(d.DateiInfo().Autoren[0].Name, "C");
  EXPECT_EQ(d.DateiInfo().Autoren[1].Name, "Ohne ID");
  EXPECT_FLOAT_EQ(d.DateiInfo().Autoren[0].AufwandAlt, 12);

  struct TFall {
    float wert;
    bool anders;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const TFall faelle[] = {{0, false}, {2.5f, true}, {2.5f, false}, {nan, true}, {nan, true}, {1, true}};
  for (const TFall& f : faelle) {
    EXPECT_EQ(d.BewertungsvorschlagEintragen(f.wert), f.anders) << f.wert;
    EXPECT_TRUE(std::isnan(f.wert) ? std::isnan(d.DateiInfo().AufwandAlgo) : d.DateiInfo().AufwandAlgo == f.wert);
  }
  EXPECT_FALSE(d.Geaendert());

  QStringList text{"x"};
  EXPECT_EQ(d.Bewertungsvorschlag(text), 0.0f);
  EXPECT_EQ(text, QStringList{"x"});

  d.BeschreibungErgaenzen("Neu");
  EXPECT_EQ(d.DateiInfo().Beschreibung, "\tNeu");
  EXPECT_TRUE(d.Geaendert());
  d.BeschreibungErgaenzen("Mehr");
  EXPECT_EQ(d.DateiInfo().Beschreibung, "\tNeu\tMehr");
}

TEST(KiroXMLObjektInfo, EditedHeaderIsSavedAndReadBack) {
  TOrdnerUmgebung u;
  TLog log;
  u.Daten("kopf.script.xml", Dokument(kKopf));
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(Datenverzeichnis, "kopf.script.xml", nullptr), S_OK);
  ASSERT_FALSE(d.Geaendert());

  TDialogUmgebung dialog([](TFormDateiInfo& f) {
    // What the dialog shows of the header.
    EXPECT_EQ(f.LabeledEditQVObjektID->text(), "42");
    EXPECT_EQ(f.MemoBeschreibung->toPlainText(), "Erster Teil\nZweiter Teil");
    EXPECT_EQ(f.ListBoxAutoren->count(), 1);
    EXPECT_EQ(f.StringGridQVDateien->RowCount(), 4);
    EXPECT_EQ(f.LabeledEditQVKategorie->text(), "\\Strecke\\Nord");
    // The edits: a new first row, the second file removed, a description line added.
    f.StringGridQVDateien->RowSetzen(1);
    f.ActionZeileNeu->trigger();
    f.StringGridQVDateien->CellsSetzen(0, 1, "neu\\d.bmp");
    f.StringGridQVDateien->RowSetzen(3);
    f.ActionZeileLoeschen->trigger();
    f.MemoBeschreibung->appendPlainText("Dritter");
    f.LabeledEditQVObjektID->setText("77");
    f.LabeledEditQVKategorie->setText("\\Strecke\\Sued");
    f.Autoren[0].Bemerkung = "geprueft";
    return int(mrOk);
  });
  EXPECT_EQ(d.InfoBearbeiten(), mrOk);
  EXPECT_TRUE(d.Geaendert());
  ASSERT_EQ(d.SpeichernDatei(Datenverzeichnis, "kopf.script.xml", nullptr), S_OK);

  TTestdatei zurueck;
  ASSERT_EQ(zurueck.LadenDatei(Datenverzeichnis, "kopf.script.xml", nullptr), S_OK);
  const TInfo& k = zurueck.DateiInfo();
  EXPECT_EQ(k.ObjektID, 77);
  EXPECT_EQ(k.Beschreibung, "Erster Teil;Zweiter Teil;Dritter;");
  EXPECT_EQ(k.Kategorie, "\\Strecke\\Sued");
  EXPECT_EQ(k.EinsatzAb, TextZuZeitDatumSekunden("2024-03-01 12:30:15"));
  EXPECT_TRUE(k.EinsatzBis.IstLeer());
  ASSERT_EQ(k.Autoren.size(), 1);
  EXPECT_EQ(k.Autoren[0].Bemerkung, "geprueft");
  EXPECT_EQ(k.Autoren[0].Lizenz, Liz_Kommerziell);
  EXPECT_FLOAT_EQ(k.Autoren[0].AufwandStunden, 4.25f);
  // Listed files keep their base folder and info-only flag; the new one is in the own folder.
  ASSERT_EQ(k.Dateien.size(), 3);
  EXPECT_EQ(k.Dateien[0].Dateiname, "neu\\d.bmp");
  EXPECT_EQ(k.Dateien[0].InstVerzeichnis, 0);
  EXPECT_EQ(k.Dateien[1].Dateiname, "data\\a.ls3");
  EXPECT_EQ(k.Dateien[1].InstVerzeichnis, 1);
  EXPECT_TRUE(k.Dateien[1].NurInfo);
  EXPECT_EQ(k.Dateien[2].Dateiname, "c.ls3");
  EXPECT_EQ(k.Dateien[2].InstVerzeichnis, 2);
}

TEST(KiroXMLObjektInfo, CancelOrNoDialogChangesNothing) {
  TOrdnerUmgebung u;
  TLog log;
  u.Daten("kopf.script.xml", Dokument(kKopf));
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(Datenverzeichnis, "kopf.script.xml", nullptr), S_OK);
  const QByteArray vorher = Lesen(Datenverzeichnis + "kopf.script.xml");
  {
    TDialogUmgebung dialog([](TFormDateiInfo& f) {
      f.Autoren[0].Name = "Verworfen";
      f.StringGridQVDateien->CellsSetzen(0, 1, "");
      f.LabeledEditQVObjektID->setText("1");
      return int(mrCancel);
    });
    EXPECT_EQ(d.InfoBearbeiten(), mrCancel);
  }
  EXPECT_FALSE(d.Geaendert());
  EXPECT_EQ(d.DateiInfo().Autoren[0].Name, "Anna");
  EXPECT_EQ(d.DateiInfo().Dateien.size(), 3);
  EXPECT_EQ(d.DateiInfo().ObjektID, 42);

  log.Zeilen();
  EXPECT_EQ(d.InfoBearbeiten(), mrCancel);
  EXPECT_EQ(log.Zeilen(), QStringList{QString::fromUtf8("2 Kein Dialog für die Datei-Information vorhanden")});
  EXPECT_FALSE(d.Geaendert());
  EXPECT_EQ(Lesen(Datenverzeichnis + "kopf.script.xml"), vorher);

  // The side file is edited the same way.
  TExpensedatei seite;
  TDialogUmgebung dialog([](TFormDateiInfo& f) {
    f.LabeledEditQVKategorie->setText("\\X");
    return int(mrOk);
  });
  EXPECT_EQ(seite.Bearbeiten(), mrOk);
  EXPECT_EQ(seite.DateiInfo().Kategorie, "\\X");
}

// The folders of an HTML description: German, the temp folder below the test's folder.
struct THtmlUmgebung {
  TOrdnerUmgebung u;
  TEinstellungen e;
  THtmlUmgebung() {
    e.Sprachordner = "Deutsch";
    e.TempVerzeichnisAbsolutAktiv = true;
    e.TempVerzeichnisAbsolut = u.Ordner / "temp/";
    Einstellungen = &e;
  }
};

TEST(KiroXMLObjektInfo, HtmlFromTheLanguagesTemplate) {
  THtmlUmgebung h;
  TOrdnerUmgebung& u = h.u;
  TVorlage d;
  // No template: nothing, and no message.
  EXPECT_EQ(d.HtmlInfoErzeugen(), "");

  const QString sprache = "programm/_InstSetup/language/Deutsch/";
  u.Ordner.Schreiben(sprache + "logo.png", "PNG");
  u.Ordner.Schreiben(sprache + "bilder/kopf.gif", "GIF");
  u.Ordner.Schreiben("programm/_InstSetup/geheim.txt", "geheim");
  u.Ordner.Schreiben(sprache + "basis.htm",
                     "<html><body>\r\n<img src=\"logo.png\"><img src=\"bilder/kopf.gif\">\r\n"
                     "<img src=\"../geheim.txt\"><img src=\"/etc/passwd\"><img src=\"fehlt.png\">\r\n"
                     "<h1>@TEXT@</h1>\r\n<p>@TEXT@</p></body></html>\r\n");
  d.Kopf().DateiTyp = "VerwaltungsScript";
  d.Kopf().Dateiname = "a.script.xml";
  d.Kopf().Version = "A.2";
  d.Kopf().Beschreibung = "<b>fett</b> & \"so\"";
  d.Kopf().Kategorie = "\\S";
  const QString text = "VerwaltungsScript<p>a.script.xml<p>A.2<p>&lt;b&gt;fett&lt;/b&gt; &amp; &quot;so&quot;<p>\\S<p>";
  EXPECT_EQ(d.HtmlInfoErzeugen(),
            "<html><body><img src=\"logo.png\"><img src=\"bilder/kopf.gif\"><img src=\"../geheim.txt\">"
            "<img src=\"/etc/passwd\"><img src=\"fehlt.png\"><h1>" + text + "</h1><p>" + text + "</p></body></html>");
  // Files of the language folder are copied under their bare names, nothing from outside it.
  EXPECT_EQ(Lesen(u.Ordner / "temp/logo.png"), "PNG");
  EXPECT_EQ(Lesen(u.Ordner / "temp/kopf.gif"), "GIF");
  EXPECT_EQ(QDir(u.Ordner / "temp").entryList(QDir::Files | QDir::NoDotAndDotDot),
            (QStringList{"kopf.gif", "logo.png"}));

  // The template is appended to what is there, a description holding the placeholder ends.
  QString ergebnis = "vorher";
  TVorlage::HtmlVorlageFuellen("x@TEXT@y", ergebnis);
  EXPECT_TRUE(ergebnis.startsWith("vorher<html>"));
  EXPECT_TRUE(ergebnis.contains("<h1>x@TEXT@y</h1><p>x@TEXT@y</p>"));
}

// A link in the language folder is another name of whatever it leads to: only what really lies
// below the folder is copied.
TEST(KiroXMLObjektInfo, HtmlCopiesNoLinkThatLeadsOutOfTheLanguageFolder) {
  THtmlUmgebung h;
  TOrdnerUmgebung& u = h.u;
  const QString sprache = u.Ordner / "programm/_InstSetup/language/Deutsch/";
  const QString geheim = u.Ordner.Schreiben("geheim.txt", "geheim");
  u.Ordner.Schreiben("programm/_InstSetup/language/Deutsch/logo.png", "PNG");
  ASSERT_TRUE(QFile::link(geheim, sprache + "hinaus.png"));
  ASSERT_TRUE(QFile::link(sprache + "logo.png", sprache + "innen.png"));
  u.Ordner.Schreiben("programm/_InstSetup/language/Deutsch/basis.htm",
                     "<img src=\"hinaus.png\"><img src=\"innen.png\">@TEXT@");
  TVorlage d;
  EXPECT_FALSE(d.HtmlInfoErzeugen().isEmpty());
  EXPECT_EQ(QDir(u.Ordner / "temp").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"innen.png"});
  EXPECT_EQ(Lesen(u.Ordner / "temp/innen.png"), "PNG");
}

TEST(KiroXMLObjektInfo, AlleErsetzen) {
  struct TFall {
    const char *alt, *neu, *text, *ergebnis;
  };
  const TFall faelle[] = {
      {"@TEXT@", "T", "a@TEXT@b@TEXT@", "aTbT"},
      {"ab", "", "aabb", ""},                        // a replacement that makes a new match
      {"", "x", "abc", "abc"},                       // empty Alt: nothing
      {"@TEXT@", "<@TEXT@>", "1@TEXT@2", "1<@TEXT@>2"},  // Neu holds Alt: once each
      {"x", "y", "", ""},
  };
  for (const TFall& f : faelle) {
    QString text = f.text;
    TVorlage::AlleErsetzen(f.alt, f.neu, text);
    EXPECT_EQ(text, f.ergebnis) << f.alt << " " << f.text;
  }
  // A rule that keeps making new matches stops.
  TLog log;
  QString text = "aab";
  TVorlage::AlleErsetzen("ab", "bbaa", text);
  EXPECT_EQ(log.Zeilen().size(), 1);
}

TEST(KiroXMLObjektInfo, WithoutSettingsTheCataloguesLanguageAndTheUsersTempFolder) {
  TOrdnerUmgebung u;
  const QByteArray altTmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", QFile::encodeName(u.Ordner / "tmp"));
  QDir().mkpath(u.Ordner / "tmp");
  TSprachtabelle* altTabelle = Sprachtabelle;
  TSprachtabelle tabelle;
  tabelle.Sprachordner = "English";
  Sprachtabelle = &tabelle;
  u.Ordner.Schreiben("programm/_InstSetup/language/English/basis.htm", "<img src=\"e.png\">@TEXT@");
  u.Ordner.Schreiben("programm/_InstSetup/language/English/e.png", "E");
  QString ergebnis;
  TVorlage::HtmlVorlageFuellen("T", ergebnis);
  EXPECT_EQ(ergebnis, "<img src=\"e.png\">T");
  const QString ziel = platform::TempVerzeichnis();
  EXPECT_TRUE(ziel.startsWith(u.Ordner / "tmp/")) << ziel.toStdString();
  EXPECT_EQ(Lesen(ziel + "e.png"), "E");
  Sprachtabelle = altTabelle;
  if (altTmp.isNull())
    qunsetenv("TMPDIR");
  else
    qputenv("TMPDIR", altTmp);
}
