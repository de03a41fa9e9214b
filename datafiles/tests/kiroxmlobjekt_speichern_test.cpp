#include "support/Testdatei.h"
#include "support/Golden.h"
#include "testsupport/AlsNutzer.h"

#include "foundation/Dateifunktionen.h"
#include "foundation/Einstellungen.h"
#include "foundation/Ordner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/stat.h>

using namespace kiro;
using kiro::test::Golden;
using kiro::test::TLog;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TTestdatei;

namespace {

TAutor Autor(std::int32_t Id, const char* Name, float Alt = 0, float Punkte = 0) {
  TAutor a;
  a.AutorID = Id;
  a.Name = QString::fromUtf8(Name);
  a.AufwandAlt = Alt;
  a.AufwandPunkte = Punkte;
  return a;
}

// Everything the header and the test content can hold.
void VollerInhalt(TTestdatei& d) {
  TInfo& i = d.Kopf();
  i.DateiTyp = QStringLiteral("alt");
  i.Version = QStringLiteral("A.1");
  i.MinVersion = QStringLiteral("@.0");
  i.AufwandAlgo = 1.5f;
  i.ObjektID = 42;
  i.Beschreibung = QStringLiteral("a & b <c> \"d\"");
  i.EinsatzAb = TDateTime::AusQDateTime(QDateTime(QDate(2024, 3, 1), QTime(12, 30, 15)));
  i.EinsatzBis = TDateTime::AusDatum(QDate(2025, 1, 2));
  i.Kategorie = QStringLiteral("\\Strecke\\Nord");
  TAutor anna = Autor(7, "Anna", 2.5f, 3.0f);
  anna.eMail = QStringLiteral("a@x.de");
  anna.AufwandStunden = 4.25f;
  anna.Lizenz = Liz_Kommerziell;
  anna.Bemerkung = QStringLiteral("Bem");
  i.Autoren = {anna, Autor(0, ""), Autor(0, "Bert", 0, 1.25f)};
  i.Dateien = {TDatei{QStringLiteral("data\\a.ls3"), 2, true}, TDatei{QStringLiteral("b.ls3"), 0, false}};
  d.Wert = QStringLiteral("w");
  d.NeuerTeil(QStringLiteral("eins")).Kommentar = QStringLiteral("k");
  d.NeuerTeil(QStringLiteral("zwei"));
  d.Inhaltsdateien = {TDatei{QStringLiteral("c"), 1, false}};
}

void ErwarteGleich(const TAutor& a, const TAutor& b) {
  EXPECT_EQ(a.AutorID, b.AutorID);
  EXPECT_EQ(a.Name, b.Name);
  EXPECT_EQ(a.eMail, b.eMail);
  EXPECT_EQ(a.AufwandAlt, b.AufwandAlt);
  EXPECT_EQ(a.AufwandPunkte, b.AufwandPunkte);
  EXPECT_EQ(a.AufwandStunden, b.AufwandStunden);
  EXPECT_EQ(a.Lizenz, b.Lizenz);
  EXPECT_EQ(a.Bemerkung, b.Bemerkung);
}

TEST(KiroXMLObjektSpeichern, VollerKopfUndSeitendateiByteFuerByte) {
  TOrdnerUmgebung u;
  TLog log;
  TTestdatei d;
  VollerInhalt(d);
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("kopf.script.xml"), nullptr), S_OK);
  EXPECT_EQ(kiro::test::Lesen(u.Ordner / QStringLiteral("kopf.script.xml")), Golden("kopf.golden"));
  EXPECT_EQ(kiro::test::Lesen(Datenverzeichnis + QStringLiteral("kopf.script.xml.expense.xml")),
            Golden("kopf.expense.golden"));
  EXPECT_EQ(log.Zeilen(), (QStringList{QStringLiteral("5 Saving ") + u.Ordner.Pfad() + QStringLiteral("kopf.script.xml"),
                                       QStringLiteral("5 Saving ") + Datenverzeichnis +
                                           QStringLiteral("kopf.script.xml.expense.xml")}));
  // The object now carries the type's current format and the saved name.
  EXPECT_EQ(d.DateiInfo().Version, QStringLiteral("A.2"));
  EXPECT_EQ(d.DateiInfo().MinVersion, QStringLiteral("A.0"));
  EXPECT_EQ(d.DateiInfo().DateiTyp, QStringLiteral("VerwaltungsScript"));
  EXPECT_EQ(d.DateiInfo().Dateiname, QStringLiteral("kopf.script.xml"));
  EXPECT_FALSE(d.Geaendert());
  EXPECT_FALSE(d.Teile[0]->Geaendert());
}

TEST(KiroXMLObjektSpeichern, LadenSpeichernLadenBehaeltAlles) {
  TOrdnerUmgebung u;
  TLog log;
  TTestdatei d;
  VollerInhalt(d);
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("r.script.xml"), nullptr), S_OK);

  TTestdatei zurueck;
  ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("r.script.xml"), nullptr), S_OK);
  EXPECT_TRUE(zurueck.LadenVollstaendig());
  const TInfo& a = d.DateiInfo();
  const TInfo& b = zurueck.DateiInfo();
  EXPECT_EQ(b.DateiTyp, a.DateiTyp);
  EXPECT_EQ(b.Version, a.Version);
  EXPECT_EQ(b.MinVersion, a.MinVersion);
  EXPECT_EQ(b.AufwandAlgo, a.AufwandAlgo);  // only the side file carries it
  EXPECT_EQ(b.ObjektID, a.ObjektID);
  EXPECT_EQ(b.Beschreibung, a.Beschreibung);
  EXPECT_EQ(b.EinsatzAb, a.EinsatzAb);
  EXPECT_EQ(b.EinsatzBis, a.EinsatzBis);
  EXPECT_EQ(b.Kategorie, a.Kategorie);
  // The author without ID, name and e-mail is not saved; the others come back whole, their
  // effort values from the side file.
  ASSERT_EQ(b.Autoren.size(), 2);
  ErwarteGleich(b.Autoren[0], a.Autoren[0]);
  ErwarteGleich(b.Autoren[1], a.Autoren[2]);
  ASSERT_EQ(b.Dateien.size(), a.Dateien.size());
  for (qsizetype k = 0; k < a.Dateien.size(); ++k) {
    EXPECT_EQ(b.Dateien[k].Dateiname, a.Dateien[k].Dateiname);
    EXPECT_EQ(b.Dateien[k].InstVerzeichnis, a.Dateien[k].InstVerzeichnis);
    EXPECT_EQ(b.Dateien[k].NurInfo, a.Dateien[k].NurInfo);
  }
  EXPECT_EQ(zurueck.Wert, d.Wert);
  ASSERT_EQ(zurueck.Teile.size(), 2u);
  EXPECT_EQ(zurueck.Teile[0]->Name, QStringLiteral("eins"));
  EXPECT_EQ(zurueck.Teile[0]->Kommentar, QStringLiteral("k"));
  EXPECT_EQ(zurueck.Teile[1]->Name, QStringLiteral("zwei"));
  ASSERT_EQ(zurueck.Inhaltsdateien.size(), 1);
  EXPECT_EQ(zurueck.Inhaltsdateien[0].InstVerzeichnis, 1);
  EXPECT_TRUE(log.Zeilen().filter(QRegularExpression(QStringLiteral("^[23] "))).isEmpty());

  // Saving the loaded object again gives the same two files.
  const QByteArray datei = kiro::test::Lesen(u.Ordner / QStringLiteral("r.script.xml"));
  const QByteArray seite = kiro::test::Lesen(Datenverzeichnis + QStringLiteral("r.script.xml.expense.xml"));
  ASSERT_EQ(zurueck.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("r.script.xml"), nullptr), S_OK);
  EXPECT_EQ(kiro::test::Lesen(u.Ordner / QStringLiteral("r.script.xml")), datei);
  EXPECT_EQ(kiro::test::Lesen(Datenverzeichnis + QStringLiteral("r.script.xml.expense.xml")), seite);
}

// --- authors sharing an ID: side-file entries pair with authors from the end ---

struct TPaarungsfall {
  const char* Name;
  std::vector<std::int32_t> Autoren;                  // the data file's authors, by ID
  std::vector<std::pair<std::int32_t, float>> Seite;  // the side file's entries: ID, AufwandAlt
  std::vector<float> Erwartet;                        // AufwandAlt of each author after the load
};

class Paarung : public ::testing::TestWithParam<TPaarungsfall> {};

TEST_P(Paarung, KterLetzterEintragGehtAnDenKtenLetztenAutor) {
  const TPaarungsfall& f = GetParam();
  TOrdnerUmgebung u;
  QByteArray autoren, seite;
  for (std::int32_t id : f.Autoren) autoren += "<AutorEintrag AutorID=\"" + QByteArray::number(id) + "\"/>";
  for (const auto& [id, wert] : f.Seite)
    seite += "<AutorEintrag AutorID=\"" + QByteArray::number(id) + "\" AutorAufwand=\"" + QByteArray::number(wert) + "\"/>";
  u.Ordner.Schreiben(QStringLiteral("p.script.xml"), kiro::test::Dokument("<Info Version=\"A.2\">" + autoren + "</Info>"));
  u.Daten(QStringLiteral("p.script.xml.expense.xml"),
          "<Kiro><Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\">" + seite + "</Info><expense/></Kiro>");
  TTestdatei d;
  ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("p.script.xml"), nullptr), S_OK);
  std::vector<float> werte;
  for (const TAutor& a : d.DateiInfo().Autoren) werte.push_back(a.AufwandAlt);
  EXPECT_EQ(werte, f.Erwartet);
}

const TPaarungsfall PAARUNGSFAELLE[] = {
    {"EinEintragGehtAnDenSpaeterenAutor", {7, 7}, {{7, 3.5f}}, {0.0f, 3.5f}},
    {"JederAutorSeinEintrag", {7, 7}, {{7, 1.0f}, {7, 2.0f}}, {1.0f, 2.0f}},
    {"AndereIdsDazwischen", {7, 8, 7, 7}, {{8, 5.0f}, {7, 1.0f}, {7, 2.0f}}, {0.0f, 5.0f, 1.0f, 2.0f}},
    {"MehrEintraegeAlsAutoren", {7}, {{7, 1.0f}, {7, 2.0f}}, {2.0f}},
    {"EintragOhneWertZaehltMit", {7, 7}, {{7, 1.0f}, {7, 0.0f}}, {1.0f, 0.0f}},
};

INSTANTIATE_TEST_SUITE_P(KiroXMLObjekt, Paarung, ::testing::ValuesIn(PAARUNGSFAELLE),
                         [](const ::testing::TestParamInfo<TPaarungsfall>& i) { return std::string(i.param.Name); });

TEST(KiroXMLObjektSpeichern, AutorenMitGleicherIdBehaltenIhreWerte) {
  TOrdnerUmgebung u;
  TTestdatei d;
  d.Kopf().Autoren = {Autor(7, "a", 1.0f, 3.0f), Autor(7, "b", 2.0f, 4.0f)};
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("g.script.xml"), nullptr), S_OK);
  TTestdatei zurueck;
  ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("g.script.xml"), nullptr), S_OK);
  const TAutoren& a = zurueck.DateiInfo().Autoren;
  ASSERT_EQ(a.size(), 2);
  EXPECT_EQ(a[0].AufwandAlt, 1.0f);
  EXPECT_EQ(a[0].AufwandPunkte, 3.0f);
  EXPECT_EQ(a[1].AufwandAlt, 2.0f);
  EXPECT_EQ(a[1].AufwandPunkte, 4.0f);
}

// A data file whose version check fails is read without its side file; saving it must not
// throw the side file's values away.
TEST(KiroXMLObjektSpeichern, UngeleseneSeitendateiUeberlebtDasSpeichern) {
  for (bool neuerWert : {false, true}) {
    SCOPED_TRACE(neuerWert ? "with a value entered after the load" : "saved as loaded");
    TOrdnerUmgebung u;
    u.Ordner.Schreiben(QStringLiteral("v.script.xml"),
                       kiro::test::Dokument("<Info><AutorEintrag AutorID=\"7\"/><AutorEintrag AutorID=\"8\"/></Info>"));
    u.Daten(QStringLiteral("v.script.xml.expense.xml"),
            "<Kiro><Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\" Aufwand=\"9.5\">"
            "<AutorEintrag AutorID=\"7\" AutorAufwand=\"3.5\"/><AutorEintrag AutorID=\"8\" AutorAufwand=\"1.5\"/>"
            "</Info><expense/></Kiro>");
    TTestdatei d;
    ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
    ASSERT_EQ(d.DateiInfo().Autoren.value(0).AufwandAlt, 0.0f) << "no merge after a version error";
    if (neuerWert) d.Kopf().Autoren[1].AufwandAlt = 6.0f;
    ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);

    TTestdatei zurueck;
    ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
    const TAutoren& a = zurueck.DateiInfo().Autoren;
    ASSERT_EQ(a.size(), 2);
    EXPECT_EQ(a[0].AufwandAlt, 3.5f);
    EXPECT_EQ(a[1].AufwandAlt, neuerWert ? 6.0f : 1.5f) << "what the user entered wins";
    EXPECT_EQ(zurueck.DateiInfo().AufwandAlgo, 9.5f);
  }
}

TEST(KiroXMLObjektSpeichern, FehlschlagBehaeltAlteDateienUndDasGeaendertKennzeichen) {
  TOrdnerUmgebung u;
  const QString ziel = u.Ordner.Schreiben(QStringLiteral("alt.script.xml"), "ALT");
  const QString seite = u.Daten(QStringLiteral("alt.script.xml.expense.xml"), "ALTE SEITE");
  TLog log;
  TTestdatei d;
  d.Kopf().Autoren = {Autor(3, "A")};  // no effort values: a successful save would delete the side file
  kiro::test::TTeil* teil = &d.NeuerTeil(QStringLiteral("t"));
  ASSERT_TRUE(d.Geaendert());

  // The saving user may not write the folder: the file cannot be written.
  ASSERT_EQ(::chmod(QFile::encodeName(u.Ordner.Pfad()).constData(), 0555), 0);
  {
    kiro::test::TAlsBenutzer benutzer;
    EXPECT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("alt.script.xml"), nullptr), E_FAIL);
  }
  ASSERT_EQ(::chmod(QFile::encodeName(u.Ordner.Pfad()).constData(), 0755), 0);
  EXPECT_EQ(kiro::test::Lesen(ziel), QByteArray("ALT"));
  EXPECT_EQ(kiro::test::Lesen(seite), QByteArray("ALTE SEITE"));
  EXPECT_TRUE(d.Geaendert());
  EXPECT_TRUE(teil->Geaendert());
  EXPECT_EQ(log.Zeilen().last(), QStringLiteral("2 Datei \"") + ziel + QStringLiteral("\" konnte nicht gespeichert werden"));

  // A content writer that throws fails the save the same way.
  d.WurfBeimSchreiben = true;
  EXPECT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("alt.script.xml"), nullptr), E_FAIL);
  EXPECT_EQ(kiro::test::Lesen(ziel), QByteArray("ALT"));
  EXPECT_TRUE(d.Geaendert());

  d.WurfBeimSchreiben = false;
  EXPECT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("alt.script.xml"), nullptr), S_OK);
  EXPECT_FALSE(d.Geaendert());
  EXPECT_FALSE(teil->Geaendert());
  EXPECT_FALSE(QFileInfo::exists(seite));
}

// The effort values reach no disk: the save says so, the object stays modified, and one line
// names the side file with the system's reason. Once the obstacle is gone, the same object
// saves what the user entered.
TEST(KiroXMLObjektSpeichern, AufwandswerteOhneSeitendateiGeltenNichtAlsGespeichert) {
  enum TAlt { KeineSeite, AlteSeite, OrdnerAnIhrerStelle };
  const struct {
    const char* Fall;
    TAlt Alt;             // what stands at the side file's place
    unsigned SeitenModus; // of an old side file; 0200 binds its owner too
    bool DatenordnerZu;   // the saving user may not write the data folder (0555)
    bool Voll;            // the data folder is a file system without free space
    bool Laden;           // the data file is loaded first, merging the side file where it can be read
    float Eingabe;        // the author's AufwandAlt when saved; 0: the user cleared it
    int Grund;
  } faelle[] = {
      {"data folder not writable, values entered", KeineSeite, 0, true, false, false, 2.0f, EACCES},
      {"a folder in the side file's place, values entered", OrdnerAnIhrerStelle, 0, false, false, false, 2.0f, EISDIR},
      {"values cleared, old side file cannot be removed", AlteSeite, 0644, true, false, true, 0.0f, EACCES},
      {"old side file unreadable, values entered", AlteSeite, 0200, false, false, true, 6.0f, EACCES},
      // Last: it needs the right to mount.
      {"full disk, values entered", KeineSeite, 0, false, true, false, 2.0f, ENOSPC},
  };
  const QByteArray seitenInhalt =
      "<Kiro><Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\">"
      "<AutorEintrag AutorID=\"7\" AutorAufwand=\"3.5\"/></Info><expense/></Kiro>";
  auto modus = [](const QString& Pfad, unsigned Modus) {
    ASSERT_EQ(::chmod(QFile::encodeName(Pfad).constData(), Modus), 0) << Pfad.toStdString();
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    TOrdnerUmgebung u;
    ASSERT_TRUE(QDir().mkpath(Datenverzeichnis));
    struct TMount {
      QByteArray Ziel;
      ~TMount() {
        if (!Ziel.isEmpty()) ::umount2(Ziel.constData(), MNT_DETACH);
      }
    } mount;
    const QString fuellung = Datenverzeichnis + QStringLiteral("fuellung");
    if (f.Voll) {
      const QByteArray ziel = QFile::encodeName(Datenverzeichnis);
      if (::mount("tmpfs", ziel.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
      mount.Ziel = ziel;
      QFile fueller(fuellung);
      ASSERT_TRUE(fueller.open(QIODevice::WriteOnly));
      const QByteArray block(4096, 'x');
      while (fueller.write(block) == block.size() && fueller.flush()) {
      }
    }
    const QString datei = u.Ordner.Schreiben(
        QStringLiteral("v.script.xml"), kiro::test::Dokument("<Info Version=\"A.2\"><AutorEintrag AutorID=\"7\"/></Info>"));
    const QString seite = Datenverzeichnis + QStringLiteral("v.script.xml.expense.xml");
    if (f.Alt == AlteSeite) {
      u.Daten(QStringLiteral("v.script.xml.expense.xml"), seitenInhalt);
      modus(seite, f.SeitenModus);
    }
    if (f.Alt == OrdnerAnIhrerStelle) {
      ASSERT_TRUE(QDir().mkdir(seite));
    }
    modus(u.Ordner.Pfad(), 0777);
    modus(datei, 0666);
    modus(Datenverzeichnis, f.DatenordnerZu ? 0555 : 0777);

    TTestdatei d;
    TLog log;
    {
      kiro::test::TAlsBenutzer benutzer;
      if (f.Laden) {
        ASSERT_EQ(d.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
        ASSERT_EQ(d.DateiInfo().Autoren.size(), 1);
      } else {
        d.Kopf().Autoren = {Autor(7, "")};
      }
      d.Kopf().Autoren[0].AufwandAlt = f.Eingabe;
      d.SetGeaendert(true);  // as the editor does after a change
      log.Zeilen();  // only the save's lines count
      EXPECT_NE(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
    }
    EXPECT_TRUE(d.Geaendert());
    const QStringList zeilen = log.Zeilen();
    EXPECT_EQ(zeilen.filter(seite).filter(QStringLiteral("(") + SystemFehlertext(f.Grund) + u')').size(), 1)
        << zeilen.join(u'\n').toStdString();

    // The obstacle goes; the object still holds what the user entered and saves it.
    modus(Datenverzeichnis, 0755);
    if (f.Alt == AlteSeite) {
      modus(seite, 0644);
      EXPECT_EQ(kiro::test::Lesen(seite), seitenInhalt) << "the old side file keeps its bytes";
    }
    if (f.Alt == OrdnerAnIhrerStelle) {
      ASSERT_TRUE(QDir().rmdir(seite));
    }
    if (f.Voll) {
      ASSERT_TRUE(QFile::remove(fuellung));
    }
    ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
    EXPECT_FALSE(d.Geaendert());
    EXPECT_EQ(QFileInfo::exists(seite), f.Eingabe != 0.0f);
    TTestdatei zurueck;
    ASSERT_EQ(zurueck.LadenDatei(u.Ordner.Pfad(), QStringLiteral("v.script.xml"), nullptr), S_OK);
    ASSERT_EQ(zurueck.DateiInfo().Autoren.size(), 1);
    EXPECT_EQ(zurueck.DateiInfo().Autoren[0].AufwandAlt, f.Eingabe);
  }
}

TEST(KiroXMLObjektSpeichern, InfoSchliesstSichSelbstOhneKinder) {
  TOrdnerUmgebung u;
  TLog log;
  TTestdatei d;
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("l.script.xml"), nullptr), S_OK);
  EXPECT_EQ(kiro::test::Lesen(u.Ordner / QStringLiteral("l.script.xml")),
            QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n"
                       "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>\r\n"
                       "<VerwaltungsScript/>\r\n</Kiro>\r\n"));
  // An author without ID, name and e-mail is left out, yet "Info" gets its own end tag.
  d.Kopf().Autoren = {Autor(0, "")};
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("l.script.xml"), nullptr), S_OK);
  EXPECT_EQ(kiro::test::Lesen(u.Ordner / QStringLiteral("l.script.xml")),
            QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n"
                       "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\">\r\n</Info>\r\n"
                       "<VerwaltungsScript/>\r\n</Kiro>\r\n"));
}

// A subclass may write a nested object that lives only while its element is written; the save
// must not touch it once it is gone (the address sanitizer sees such a write), while a nested
// object that outlives the save loses its modified flag with the outer document's.
class TMitZwischenteil : public TTestdatei {
 public:
  kiro::test::TTeil Bleibend;

 protected:
  bool InhaltSchreiben(void* pDaten) override {
    {
      kiro::test::TTeil zwischen;
      zwischen.Name = QStringLiteral("kurz");
      zwischen.SpeichernOffeneDatei(QStringLiteral("Teil"), this, pDaten);
    }
    Bleibend.Name = QStringLiteral("lang");
    Bleibend.SpeichernOffeneDatei(QStringLiteral("Teil"), this, pDaten);
    return true;
  }
};

TEST(KiroXMLObjektSpeichern, KurzlebigerTeilWirdNachDemSpeichernNichtMehrAngefasst) {
  TOrdnerUmgebung u;
  TMitZwischenteil d;
  d.Bleibend.SetGeaendert(true);
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("z.script.xml"), nullptr), S_OK);
  const QByteArray datei = kiro::test::Lesen(u.Ordner / QStringLiteral("z.script.xml"));
  EXPECT_TRUE(datei.contains("<Teil Name=\"kurz\"")) << datei.constData();
  EXPECT_TRUE(datei.contains("<Teil Name=\"lang\"")) << datei.constData();
  EXPECT_FALSE(d.Bleibend.Geaendert());
}

TEST(KiroXMLObjektSpeichern, SeitendateiKommtUndGehtMitDenAufwandswerten) {
  TOrdnerUmgebung u;
  TLog log;
  TTestdatei d;
  d.Kopf().Autoren = {Autor(5, "A", 2.5f)};
  const QString seite = Datenverzeichnis + QStringLiteral("e.script.xml.expense.xml");
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("e.script.xml"), nullptr), S_OK);
  EXPECT_FALSE(kiro::test::Lesen(u.Ordner / QStringLiteral("e.script.xml")).contains("AutorAufwand"));
  EXPECT_TRUE(kiro::test::Lesen(seite).contains("AutorAufwand=\"2.5\""));
  // The side file's own effort values stay, and it has no side file of its own.
  TExpensedatei e;
  ASSERT_EQ(e.LadenDatei(Datenverzeichnis, QStringLiteral("e.script.xml.expense.xml"), nullptr), S_OK);
  EXPECT_EQ(e.DateiInfo().Autoren.value(0).AufwandAlt, 2.5f);
  EXPECT_EQ(e.SpeichernDatei(Datenverzeichnis, QStringLiteral("e.script.xml.expense.xml"), nullptr), S_OK);
  EXPECT_TRUE(kiro::test::Lesen(seite).contains("AutorAufwand=\"2.5\""));
  EXPECT_FALSE(QFileInfo::exists(seite + QStringLiteral(".expense.xml")));

  d.Kopf().Autoren[0].AufwandAlt = 0;
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("e.script.xml"), nullptr), S_OK);
  EXPECT_FALSE(QFileInfo::exists(seite));
  // Nothing to delete is no error either.
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("e.script.xml"), nullptr), S_OK);
  EXPECT_TRUE(log.Zeilen().filter(QRegularExpression(QStringLiteral("^2 "))).isEmpty());
}

TEST(KiroXMLObjektSpeichern, BereinigterNameGiltFuerKopfUndSeitendatei) {
  TOrdnerUmgebung u;
  TLog log;
  TTestdatei d;
  d.Kopf().Autoren = {Autor(5, "A", 1.0f)};
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("Größe (1).script.xml"), nullptr), S_OK);
  EXPECT_EQ(d.DateiInfo().Dateiname, QStringLiteral("Groesse1.script.xml"));
  EXPECT_TRUE(QFileInfo::exists(u.Ordner / QStringLiteral("Groesse1.script.xml")));
  EXPECT_TRUE(QFileInfo::exists(Datenverzeichnis + QStringLiteral("Groesse1.script.xml.expense.xml")));
}

TEST(KiroXMLObjektSpeichern, DokuModusSchreibtDasSchemaUnterDemDokuNamen) {
  TOrdnerUmgebung u;
  TEinstellungen e;
  e.DokuModus = true;
  Einstellungen = &e;
  TLog log;
  TTestdatei d;
  d.Kopf().Autoren = {Autor(5, "A", 1.0f)};
  ASSERT_EQ(d.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("sub\\abc.script.xml"), nullptr), S_OK);
  EXPECT_EQ(d.DateiInfo().Dateiname, QStringLiteral("docu_a.2.script.xml"));
  const QByteArray schema = kiro::test::Lesen(Programmverzeichnis + QStringLiteral("_Docu/xml/docu_a.2.script.xml.schema.xml"));
  EXPECT_TRUE(schema.contains("<AutorEintrag AutorID=\"integer\" AutorName=\"string\""));
  EXPECT_TRUE(schema.contains("<Datei Dateiname=\"string\" inst=\"integer\" NurInfo=\"bool\"/>"));
  EXPECT_FALSE(QDir(Datenverzeichnis).exists());  // no side file
  // The data file itself was not saved.
  EXPECT_TRUE(d.Geaendert());
}

TEST(KiroXMLObjektSpeichern, AufwandsdateiSchreibtIhrenEigenenKopf) {
  TOrdnerUmgebung u;
  TLog log;
  TExpensedatei e;
  ASSERT_EQ(e.SpeichernDatei(u.Ordner.Pfad(), QStringLiteral("x.expense.xml"), nullptr), S_OK);
  EXPECT_EQ(kiro::test::Lesen(u.Ordner / QStringLiteral("x.expense.xml")),
            QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kiro>\r\n"
                       "<Info DateiTyp=\"expense\" Version=\"A.1\" MinVersion=\"A.0\"/>\r\n<expense/>\r\n</Kiro>\r\n"));
}

TEST(KiroXMLObjektSpeichern, TeilOhneLaufendesSpeichernSchreibtNichts) {
  TLog log;
  TTestdatei aussen;
  kiro::test::TTeil teil;
  EXPECT_EQ(teil.SpeichernOffeneDatei(QStringLiteral("Teil"), &aussen, nullptr), E_FAIL);
  EXPECT_TRUE(teil.Geaendert());
  EXPECT_TRUE(log.Zeilen().isEmpty());  // the line about the missing writer is type 0
}

// --- the author list ---

struct TAutorenfall {
  const char* Name;
  std::vector<TAutor> Vorher;
  TAutor Neu;
  std::vector<std::pair<int, QString>> Nachher;
};

class Autorenliste : public ::testing::TestWithParam<TAutorenfall> {};

TEST_P(Autorenliste, HinzufuegenEntferntDieOhneId) {
  const TAutorenfall& f = GetParam();
  TOrdnerUmgebung u;
  TTestdatei d;
  d.SetGeaendert(false);
  for (const TAutor& a : f.Vorher) d.Kopf().Autoren.append(a);
  d.AutorHinzufuegen(f.Neu);
  std::vector<std::pair<int, QString>> ist;
  for (const TAutor& a : d.DateiInfo().Autoren) ist.emplace_back(a.AutorID, a.Name);
  EXPECT_EQ(ist, f.Nachher);
  EXPECT_FALSE(d.Geaendert());
}

const TAutorenfall AUTORENFAELLE[] = {
    {"OhneIdZuEinemRegistrierten", {Autor(5, "R")}, Autor(0, "N"), {{5, QStringLiteral("R")}}},
    {"OhneIdInLeereListe", {}, Autor(0, "N"), {{0, QStringLiteral("N")}}},
    {"OhneIdOhneNamen", {}, Autor(0, ""), {}},
    {"ZweiOhneIdDerLetzteBleibt", {Autor(0, "A")}, Autor(0, "B"), {{0, QStringLiteral("B")}}},
    {"UnbenannteVorEinemMitId", {Autor(0, ""), Autor(0, "")}, Autor(3, "C"), {{3, QStringLiteral("C")}}},
    {"MitIdBleibenAlle", {Autor(1, ""), Autor(2, "")}, Autor(3, ""), {{1, QString()}, {2, QString()}, {3, QString()}}},
};

INSTANTIATE_TEST_SUITE_P(KiroXMLObjekt, Autorenliste, ::testing::ValuesIn(AUTORENFAELLE),
                         [](const ::testing::TestParamInfo<TAutorenfall>& i) { return std::string(i.param.Name); });

}  // namespace
