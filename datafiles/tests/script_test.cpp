#include "datafiles/Script.h"
#include "support/Golden.h"

#include "support/Testdatei.h"

#include "datafiles/Abbruch.h"
#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"
#include "testsupport/Protokollfaenger.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>
#include <stdexcept>

using namespace kiro;
using kiro::test::Golden;
using kiro::test::Dokument;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TProtokollFaenger;

namespace {

const QByteArray Kopf = "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>";

// The script with the parts the engine reads made visible.
class TTestScript : public TScript {
 public:
  bool Index() const { return IndexNoetig; }
  TIndexListe& Liste() { return IndexListe; }
};

// Writes the script file and loads it into s.
void Laden(TOrdnerUmgebung& u, TScript& s, const QByteArray& Inhalt, const char* Name = "t.script.xml") {
  u.Ordner.Schreiben(QString::fromUtf8(Name), Inhalt);
  ASSERT_EQ(s.LadenDatei(u.Ordner.Pfad(), QString::fromUtf8(Name), nullptr), S_OK);
}

QByteArray Speichern(TOrdnerUmgebung& u, TScript& s, const char* Name = "aus.script.xml") {
  EXPECT_EQ(s.SpeichernDatei(u.Ordner.Pfad(), QString::fromUtf8(Name), nullptr), S_OK);
  return kiro::test::Lesen(u.Ordner / QString::fromUtf8(Name));
}

// The content element of a saved script: everything between the header line and "</Kiro>".
QByteArray Inhalt(const QByteArray& Datei) {
  const qsizetype anfang = Datei.indexOf("<VerwaltungsScript");
  return Datei.mid(anfang, Datei.lastIndexOf("</Kiro>") - anfang);
}

// Log lines without the reader's position counters.
QStringList OhneStelle(QStringList Zeilen) {
  static const QRegularExpression stelle(QStringLiteral(", Zeile \\d+ \\(\\d+\\. Zeichen\\)"));
  for (QString& z : Zeilen) z.remove(stelle);
  return Zeilen;
}

// An entry of no class the script writes; it records its runs and can act on the script.
class TTestEintrag : public TScriptBasis {
 public:
  explicit TTestEintrag(QStringList& Spur, QString Name, std::function<void()> Aktion = {})
      : FSpur(Spur), FName(std::move(Name)), FAktion(std::move(Aktion)) {}
  void Abarbeiten(IProtokollAnsicht*, IStatusAnzeige*, TIndexListe& Indexliste, bool SVNModus, bool KeinPapierkorb,
                  bool VerzDirekt) override {
    FSpur << QStringLiteral("%1 %2%3%4 %5")
                 .arg(FName)
                 .arg(int(SVNModus))
                 .arg(int(KeinPapierkorb))
                 .arg(int(VerzDirekt))
                 .arg(Indexliste.Erstellt ? QStringLiteral("Index") : QStringLiteral("-"));
    if (FAktion) FAktion();
  }

 private:
  QStringList& FSpur;
  QString FName;
  std::function<void()> FAktion;
};

struct TAnsicht : IProtokollAnsicht {
  QStringList Zeilen;
  void Grundzustand() override {}
  void Fehler() override { Zeilen << QStringLiteral("<Fehler>"); }
  void NeuesThema() override {}
  void Eintrag(const QString& Text) override { Zeilen << Text; }
  void Eintrag(const QString& Text, TZeilenFarbe) override { Zeilen << Text; }
};

struct TAbbruchSetzen {
  TAbbruchObjekt Objekt;
  TAbbruchSetzen() { AbbruchObjekt = &Objekt; }
  ~TAbbruchSetzen() { AbbruchObjekt = nullptr; }
};

template <class T>
T* Als(const std::unique_ptr<TScriptBasis>& e) {
  return dynamic_cast<T*>(e.get());
}

}  // namespace

TEST(Script, JedesElementKommtByteFuerByteZurueck) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TTestScript s;
  Laden(u, s, Golden("script.golden"));
  EXPECT_TRUE(s.LadenVollstaendig());
  EXPECT_EQ(log.Zeilen(), QStringList());
  ASSERT_EQ(s.Kommandos.size(), 7u);
  EXPECT_TRUE(s.Index());

  const auto* link = Als<TScriptNeuerLink>(s.Kommandos[0]);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->AlteDatei.Dateiname, QStringLiteral("Strecken\\A\\x.ls"));
  EXPECT_EQ(link->NeueDatei.Dateiname, QStringLiteral("Strecken\\Über\\x.ls"));
  EXPECT_EQ(link->BasisPfad.Dateiname, QStringLiteral("Strecken\\"));
  const auto* versch = Als<TScriptVerschieben>(s.Kommandos[1]);
  ASSERT_TRUE(versch);
  EXPECT_EQ(versch->NeueDatei.InstVerzeichnis, 2);
  EXPECT_TRUE(versch->NeueDatei.NurInfo);
  const auto* nur = Als<TScriptNurVerschieben>(s.Kommandos[2]);
  ASSERT_TRUE(nur);
  EXPECT_FALSE(Als<TScriptVerschieben>(s.Kommandos[2]));
  EXPECT_EQ(nur->AlteDatei.InstVerzeichnis, 1);
  EXPECT_EQ(nur->NeueDatei.Dateiname, QStringLiteral("neu\\neu.txt"));
  ASSERT_TRUE(Als<TScriptLoeschen>(s.Kommandos[3]));
  EXPECT_EQ(Als<TScriptLoeschen>(s.Kommandos[3])->Datei.Dateiname, QStringLiteral("weg\\"));
  ASSERT_TRUE(Als<TScriptAusfuehren>(s.Kommandos[4]));
  EXPECT_EQ(s.Kommandos[4]->HtmlInfoErzeugen(), QStringLiteral("Ausführen inst.exe (-x \"y\")"));

  const auto* d = Als<TScriptDateiInfo>(s.Kommandos[5]);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->DateiArt, 3);
  EXPECT_EQ(d->VersionAlt, QStringLiteral("1.0"));
  EXPECT_EQ(d->Version, QStringLiteral("1.1"));
  EXPECT_EQ(d->Dateibedingung, QStringLiteral("inst\\KiroSim.exe"));
  EXPECT_TRUE(d->AdminNoetig);
  EXPECT_EQ(d->Datum.AlsQDateTime(), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
  EXPECT_EQ(d->Hashwert, 3735928559u);
  EXPECT_EQ(d->Groesse, 1024);
  EXPECT_TRUE(d->Win32bit);
  EXPECT_TRUE(d->Win64bit);
  EXPECT_EQ(d->MinWindows, QStringLiteral("6.1"));
  EXPECT_EQ(d->MaxWindows, QStringLiteral("10.0"));
  EXPECT_EQ(d->MinRegWert, QStringLiteral("HKLM\\a"));
  EXPECT_EQ(d->MinRegVersion, QStringLiteral("2.0"));
  EXPECT_EQ(d->URLWarnung, QStringLiteral("http://x.example/a?b=1&c=2"));
  EXPECT_EQ(d->MinRegWert2, QStringLiteral("HKLM\\b"));
  EXPECT_EQ(d->MinRegVersion2, QStringLiteral("3.0"));
  EXPECT_EQ(d->URLWarnung2, QStringLiteral("http://x.example/<b>"));
  EXPECT_EQ(d->Datei.Dateiname, QStringLiteral("teil1.7z"));
  ASSERT_TRUE(Als<TScriptDateiInfo>(s.Kommandos[6]));

  EXPECT_EQ(Speichern(u, s), Golden("script.golden"));
}

TEST(Script, GemischteEintraegeMitFremdemElementDazwischen) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TScript s;
  Laden(u, s,
        Dokument(Kopf,
                 "<VerwaltungsScript>\r\n"
                 "<DateiInfo Hashwert=\"1\"><Datei Dateiname=\"a.7z\"/></DateiInfo>\r\n"
                 "<Kopieren><DateiInfo Hashwert=\"2\"><Datei Dateiname=\"innen.7z\"/></DateiInfo></Kopieren>\r\n"
                 "<Loeschen><Datei Dateiname=\"l.txt\"/></Loeschen>\r\n"
                 "<DateiInfo Hashwert=\"3\" Fremd=\"x\"><Datei Dateiname=\"b.7z\"/><Kind/></DateiInfo>\r\n"
                 "</VerwaltungsScript>"));
  const QStringList zeilen = OhneStelle(log.Zeilen());
  ASSERT_EQ(zeilen.size(), 3) << zeilen.join(u'\n').toStdString();
  EXPECT_TRUE(zeilen[0].startsWith(u"2 ") && zeilen[0].contains(u"Kopieren")) << zeilen[0].toStdString();
  EXPECT_TRUE(zeilen[1].startsWith(u"2 ") && zeilen[1].contains(u"Fremd")) << zeilen[1].toStdString();
  EXPECT_TRUE(zeilen[2].startsWith(u"2 ") && zeilen[2].contains(u"Kind")) << zeilen[2].toStdString();

  ASSERT_EQ(s.Kommandos.size(), 3u);
  EXPECT_EQ(Als<TScriptDateiInfo>(s.Kommandos[0])->Datei.Dateiname, QStringLiteral("a.7z"));
  EXPECT_EQ(Als<TScriptLoeschen>(s.Kommandos[1])->Datei.Dateiname, QStringLiteral("l.txt"));
  const auto* b = Als<TScriptDateiInfo>(s.Kommandos[2]);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Hashwert, 3u);
  EXPECT_EQ(b->Datei.Dateiname, QStringLiteral("b.7z"));

  EXPECT_EQ(Inhalt(Speichern(u, s)),
            QByteArray("<VerwaltungsScript>\r\n"
                       "<DateiInfo Hashwert=\"1\">\r\n<Datei Dateiname=\"a.7z\"/>\r\n</DateiInfo>\r\n"
                       "<Loeschen>\r\n<Datei Dateiname=\"l.txt\"/>\r\n</Loeschen>\r\n"
                       "<DateiInfo Hashwert=\"3\">\r\n<Datei Dateiname=\"b.7z\"/>\r\n</DateiInfo>\r\n"
                       "</VerwaltungsScript>\r\n"));
}

TEST(Script, LeeresScriptUndIndexNoetig) {
  struct Fall {
    const char* Element;
    bool Index;
    const char* Gespeichert;
  };
  const Fall faelle[] = {
      {"<VerwaltungsScript/>", false, "<VerwaltungsScript/>\r\n"},
      {"<VerwaltungsScript IndexNoetig=\"1\"/>", true, "<VerwaltungsScript IndexNoetig=\"1\"/>\r\n"},
      {"<VerwaltungsScript IndexNoetig=\"true\"/>", false, "<VerwaltungsScript/>\r\n"},
      {"<VerwaltungsScript IndexNoetig=\"0\"></VerwaltungsScript>", false, "<VerwaltungsScript/>\r\n"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Element);
    TOrdnerUmgebung u;
    TProtokollFaenger log;
    TTestScript s;
    Laden(u, s, Dokument(Kopf, f.Element));
    EXPECT_TRUE(s.LadenVollstaendig());
    EXPECT_TRUE(s.Kommandos.empty());
    EXPECT_EQ(s.Index(), f.Index);
    EXPECT_EQ(Inhalt(Speichern(u, s)), QByteArray(f.Gespeichert));
    EXPECT_EQ(log.Zeilen().size(), 1);  // "Saving ..."
  }
}

TEST(Script, ZweiteDateiKommtHinterDieErsteUndBehaeltIndexNoetig) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TTestScript s;
  Laden(u, s,
        Dokument(
            Kopf,
            "<VerwaltungsScript IndexNoetig=\"1\"><Loeschen><Datei Dateiname=\"1\"/></Loeschen></VerwaltungsScript>"),
        "a.script.xml");
  Laden(u, s, Dokument(Kopf, "<VerwaltungsScript><Loeschen><Datei Dateiname=\"2\"/></Loeschen></VerwaltungsScript>"),
        "b.script.xml");
  ASSERT_EQ(s.Kommandos.size(), 2u);
  EXPECT_EQ(Als<TScriptLoeschen>(s.Kommandos[0])->Datei.Dateiname, QStringLiteral("1"));
  EXPECT_EQ(Als<TScriptLoeschen>(s.Kommandos[1])->Datei.Dateiname, QStringLiteral("2"));
  EXPECT_TRUE(s.Index());
}

TEST(Script, AttributMitDemNamenEinesEintragsSchlucktDieKinderNicht) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TTestScript s;
  Laden(u, s,
        Dokument(Kopf,
                 "<VerwaltungsScript DateiInfo=\"x\" Loeschen=\"y\">"
                 "<DateiInfo Datei=\"z\" Hashwert=\"5\"><Datei Dateiname=\"a\"/></DateiInfo>"
                 "</VerwaltungsScript>"));
  EXPECT_EQ(OhneStelle(log.Zeilen()).size(), 3);  // DateiInfo, Loeschen and Datei as attributes
  ASSERT_EQ(s.Kommandos.size(), 1u);
  EXPECT_EQ(Als<TScriptDateiInfo>(s.Kommandos[0])->Hashwert, 5u);
  EXPECT_EQ(Als<TScriptDateiInfo>(s.Kommandos[0])->Datei.Dateiname, QStringLiteral("a"));
}

TEST(Script, DateiTypenWieDieStringlistenDerProduktfamilie) {
  struct Fall {
    const char* Gelesen;
    const char* Geschrieben;  // nullptr: no attribute
  };
  const Fall faelle[] = {
      {".ls3;.fpn", ".ls3;.fpn"},
      {" .ls3 ; .fpn ", ".ls3;.fpn"},
      {".ls3 .fpn", ".ls3;.fpn"},
      {"&quot;a b&quot;;c", "&quot;a b&quot;;c"},
      {"&quot;x&quot;&quot;y&quot;", "&quot;x&quot;&quot;y&quot;"},
      {".ls3;", ".ls3;"},
      {"&quot;&quot;", "&quot;&quot;"},
      {"", nullptr},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.Gelesen);
    TOrdnerUmgebung u;
    TProtokollFaenger log;
    TScript s;
    Laden(u, s,
          Dokument(Kopf,
                   QByteArray("<VerwaltungsScript><NeuerLink DateiTypen=\"") + f.Gelesen + "\"/></VerwaltungsScript>"));
    const QByteArray erwartet =
        f.Geschrieben ? QByteArray("<NeuerLink DateiTypen=\"") + f.Geschrieben + "\">" : QByteArray("<NeuerLink>");
    EXPECT_TRUE(Inhalt(Speichern(u, s)).contains(erwartet + "\r\n<AlterName/>\r\n<NeuerName/>\r\n<BasisPfad/>\r\n"))
        << Inhalt(Speichern(u, s)).toStdString();
  }
}

TEST(Script, EintragFremderKlasseWirdNichtGeschrieben) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TScript s;
  QStringList spur;
  s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("x")));
  EXPECT_EQ(Inhalt(Speichern(u, s)), QByteArray("<VerwaltungsScript>\r\n</VerwaltungsScript>\r\n"));
  EXPECT_EQ(log.Zeilen().size(), 1);  // only "Saving ...": the message of type 0 is not logged
}

TEST(Script, DokuModusSchreibtSechsBeispiele) {
  TOrdnerUmgebung u;
  TEinstellungen e;
  e.DokuModus = true;
  Einstellungen = &e;
  TProtokollFaenger log;
  TScript s;
  QStringList spur;
  s.Kommandos.push_back(std::make_unique<TScriptLoeschen>());
  ASSERT_EQ(s.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("x.script.xml"), nullptr), S_OK);
  const QByteArray schema =
      kiro::test::Lesen(Programmverzeichnis + QStringLiteral("_Docu/xml/docu_a.2.script.xml.schema.xml"));
  QStringList elemente;
  static const QRegularExpression name(QStringLiteral("^<(\\w+)"));
  const QByteArray inhalt = Inhalt(schema);
  for (const QString& zeile : QString::fromUtf8(inhalt).split(QStringLiteral("\r\n"))) {
    const auto m = name.match(zeile);
    if (m.hasMatch()) elemente << m.captured(1);
  }
  EXPECT_EQ(elemente, (QStringList{"VerwaltungsScript", "NeuerLink", "AlterName", "NeuerName", "BasisPfad",
                                   "Verschieben", "AlterName", "NeuerName", "BasisPfad", "NurVerschieben", "AlterName",
                                   "NeuerName", "Loeschen", "Datei", "Ausfuehren", "Datei", "DateiInfo", "Datei"}))
      << inhalt.toStdString();
  EXPECT_FALSE(inhalt.contains("IndexNoetig"));
}

TEST(Script, HtmlBeschreibung) {
  const QString anfang = QStringLiteral(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head><body>"
      "<font face=\"Verdana\"><p><ul><font size=\"2\">");
  const QString ende = QStringLiteral("</font></ul></p></font></body></html>");
  TScript s;
  EXPECT_EQ(s.HtmlInfoErzeugen(), anfang + ende);

  auto info = std::make_unique<TScriptDateiInfo>();
  EXPECT_EQ(info->HtmlInfoErzeugen(), QStringLiteral("Datei-Info "));
  info->Datei.Dateiname = QStringLiteral("<b>&.7z");
  auto nur = std::make_unique<TScriptNurVerschieben>();
  nur->AlteDatei.Dateiname = QStringLiteral("a.ls");
  nur->NeueDatei.Dateiname = QStringLiteral("b.ls");
  auto versch = std::make_unique<TScriptVerschieben>();
  versch->AlteDatei.Dateiname = QStringLiteral("c");
  versch->NeueDatei.Dateiname = QStringLiteral("d");
  auto link = std::make_unique<TScriptNeuerLink>();
  link->AlteDatei.Dateiname = QStringLiteral("e");
  link->NeueDatei.Dateiname = QStringLiteral("f");
  auto loe = std::make_unique<TScriptLoeschen>();
  loe->Datei.Dateiname = QStringLiteral("g");
  auto aus = std::make_unique<TScriptAusfuehren>();
  aus->Datei.Dateiname = QStringLiteral("h.exe");
  s.Kommandos.push_back(std::move(info));
  s.Kommandos.push_back(std::move(nur));
  s.Kommandos.push_back(std::move(versch));
  s.Kommandos.push_back(std::move(link));
  s.Kommandos.push_back(std::move(loe));
  s.Kommandos.push_back(std::move(aus));
  EXPECT_EQ(s.HtmlInfoErzeugen(), anfang +
                                      QStringLiteral("<li>Datei-Info &lt;b&gt;&amp;.7z</li>"
                                                     "<li>Nur verschieben a.ls -&gt; b.ls</li>"
                                                     "<li>Verschieben c -&gt; d</li>"
                                                     "<li>Neuer Link e -&gt; f</li>"
                                                     "<li>Löschen g</li>"
                                                     "<li>Ausführen h.exe ()</li>") +
                                      ende);
}

TEST(ScriptAbarbeiten, LaeuftDieEintraegeDurchUndLiestDieAnzahlNeu) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TTestScript s;
  TAnsicht ansicht;
  QStringList spur;
  s.Kommandos.push_back(std::make_unique<TScriptDateiInfo>());
  s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("a"), [&] {
    s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("dazu")));
  }));
  s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("b")));
  s.Abarbeiten(&ansicht, nullptr, true, false, true);
  EXPECT_EQ(spur, (QStringList{"a 101 -", "b 101 -", "dazu 101 -"}));
  EXPECT_EQ(ansicht.Zeilen, QStringList());  // no index asked for, file entries write nothing
  EXPECT_FALSE(s.Liste().Erstellt);
  EXPECT_EQ(log.Zeilen(), QStringList());

  // Every run carries out every entry again.
  spur.clear();
  s.Abarbeiten(nullptr, nullptr, false, false, false);
  EXPECT_EQ(spur, (QStringList{"a 000 -", "b 000 -", "dazu 000 -", "dazu 000 -"}));
}

TEST(ScriptAbarbeiten, AbbruchVorEinemEintrag) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TAbbruchSetzen abbruch;
  QStringList spur;
  {
    // Set before the run: no entry starts.
    TTestScript s;
    s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("a")));
    abbruch.Objekt.Abbrechen = true;
    s.Abarbeiten(nullptr, nullptr, false, false, false);
    EXPECT_EQ(spur, QStringList());
  }
  {
    // Set by the host while an entry runs: the next one does not start.
    abbruch.Objekt.Abbrechen = false;
    TTestScript s;
    s.Kommandos.push_back(
        std::make_unique<TTestEintrag>(spur, QStringLiteral("a"), [&] { abbruch.Objekt.Abbrechen = true; }));
    s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("b")));
    s.Abarbeiten(nullptr, nullptr, false, false, false);
    EXPECT_EQ(spur, QStringList{"a 000 -"});
  }
}

TEST(ScriptAbarbeiten, IndexWirdGebautWennIndexNoetigEinsIst) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  u.Offiziell(QStringLiteral("Strecken/a.ls3"), Dokument("<Info><Datei Dateiname=\"b.ls3\"/></Info>", "<Landschaft/>"));
  for (const char* wert : {"1", "true"}) {
    SCOPED_TRACE(wert);
    TTestScript s;
    Laden(u, s, Dokument(Kopf, QByteArray("<VerwaltungsScript IndexNoetig=\"") + wert + "\"/>"));
    QStringList spur;
    s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("e")));
    TAnsicht ansicht;
    s.Abarbeiten(&ansicht, nullptr, false, false, false);
    const bool index = QByteArray(wert) == "1";
    EXPECT_EQ(s.Liste().Erstellt, index);
    EXPECT_EQ(spur, QStringList{index ? QStringLiteral("e 000 Index") : QStringLiteral("e 000 -")});
    EXPECT_EQ(ansicht.Zeilen, index ? (QStringList{"Index erstellen...", "Index erstellt"}) : QStringList());
    if (index) {
      ASSERT_EQ(s.Liste().Dateien.size(), 1);
      EXPECT_TRUE(s.Liste().Dateien[0].DateinameAbsolut.endsWith(u"Strecken/a.ls3"));
      EXPECT_EQ(s.Liste().Dateien[0].Verknuepfte.Namen(), QStringList{"B.LS3"});
    }
  }
}

TEST(ScriptAbarbeiten, AbbruchVorherSchreibtDieIndexzeilenUndStartetNichts) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  TAbbruchSetzen abbruch;
  abbruch.Objekt.Abbrechen = true;
  u.Offiziell(QStringLiteral("a.ls3"), Dokument("<Info/>", "<Landschaft/>"));
  TTestScript s;
  Laden(u, s, Dokument(Kopf, "<VerwaltungsScript IndexNoetig=\"1\"/>"));
  QStringList spur;
  s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("e")));
  TAnsicht ansicht;
  s.Abarbeiten(&ansicht, nullptr, false, false, false);
  EXPECT_EQ(ansicht.Zeilen, (QStringList{"Index erstellen...", "Index erstellt"}));
  EXPECT_TRUE(s.Liste().Dateien.isEmpty());
  EXPECT_EQ(spur, QStringList());
}

TEST(ScriptAbarbeiten, AusnahmeEinesEintragsEndetDenLauf) {
  TProtokollFaenger log;
  TScript s;
  QStringList spur;
  s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("a")));
  s.Kommandos.push_back(
      std::make_unique<TTestEintrag>(spur, QStringLiteral("b"), [] { throw std::runtime_error("kaputt"); }));
  s.Kommandos.push_back(std::make_unique<TTestEintrag>(spur, QStringLiteral("c")));
  EXPECT_THROW(s.Abarbeiten(nullptr, nullptr, false, false, false), std::runtime_error);
  EXPECT_EQ(spur, (QStringList{"a 000 -", "b 000 -"}));
}

TEST(Script, ExterneDateiWirdImGewoehnlichenLadenGelesen) {
  TOrdnerUmgebung u;
  TProtokollFaenger log;
  u.Offiziell(QStringLiteral("teil.script.xml"),
              Dokument(Kopf, "<VerwaltungsScript><Loeschen><Datei Dateiname=\"2\"/></Loeschen></VerwaltungsScript>"));
  TScript s;
  Laden(u, s,
        Dokument(Kopf,
                 "<VerwaltungsScript><Loeschen><Datei Dateiname=\"1\"/></Loeschen>"
                 "</VerwaltungsScript>\r\n<VerwaltungsScript ExterneDatei=\"teil.script.xml\"/>"));
  EXPECT_TRUE(s.IgnorierteExterneDateien().isEmpty());
  ASSERT_EQ(s.Kommandos.size(), 2u);
  EXPECT_EQ(Als<TScriptLoeschen>(s.Kommandos[1])->Datei.Dateiname, QStringLiteral("2"));
}
