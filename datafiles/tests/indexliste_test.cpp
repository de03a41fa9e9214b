#include "datafiles/IndexListe.h"
#include "testsupport/Protokollfaenger.h"

#include "datafiles/Abbruch.h"
#include "foundation/Ordner.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/QtDruck.h"
#include "testsupport/TempOrdner.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>

#include <algorithm>

#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace kiro;
using TLog = kiro::test::TProtokollFaenger;
using kiro::test::TempOrdner;

namespace {

struct TStatus : IStatusAnzeige {
  QStringList Texte;
  void SimpleTextSetzen(const QString& Text) override { Texte << Text; }
};

QByteArray Verweise(std::initializer_list<const char*> Namen) {
  QByteArray info = "<Kiro>\r\n<Info Version=\"A.2\">\r\n";
  QByteArray inhalt = "<Landschaft>\r\n";
  bool erster = true;
  for (const char* n : Namen) {
    // The first in the header's needed files, the rest in the content.
    (erster ? info : inhalt) += QByteArray(erster ? "<Datei Dateiname=\"" : "<Teil Dateiname=\"") + n + "\"/>\r\n";
    erster = false;
  }
  return info + "</Info>\r\n" + inhalt + "</Landschaft>\r\n</Kiro>\r\n";
}

// A data folder with the moved file A/x.ls3 and files that reference it in every way.
struct TDatenbaum : ::testing::Test {
  TempOrdner Ordner;
  QString AltDaten, AltOffiziell;

  void SetUp() override {
    AltDaten = Datenverzeichnis;
    AltOffiziell = DatenverzeichnisOffiziell;
    Datenverzeichnis = DatenverzeichnisOffiziell = Ordner.Pfad();
    Ordner.Schreiben(QStringLiteral("A/x.ls3"), Verweise({"A\\anderes.ls3"}));
    Ordner.Schreiben(QStringLiteral("A/nachbar.ls3"), Verweise({"x.ls3"}));
    Ordner.Schreiben(QStringLiteral("B/ziel.ls3"), Verweise({"quelle.ls3", "X.LS3"}));
    Ordner.Schreiben(QStringLiteral("C/dritter.ls3"), Verweise({"x.ls3"}));
    Ordner.Schreiben(QStringLiteral("C/pfad.ls3"), Verweise({"a\\X.ls3", "A\\x.ls3", "A\\x.ls3"}));
    Ordner.Schreiben(QStringLiteral("B/beides.ls3"), Verweise({"x.ls3", "A\\x.ls3"}));
    Ordner.Schreiben(QStringLiteral("C/D/tief.s.script.xml"), Verweise({"A\\x.ls3"}));
    Ordner.Schreiben(QStringLiteral("C/a..b/zwei.punkte.ls3"), Verweise({"A\\x.ls3"}));
    Ordner.Schreiben(QStringLiteral("C/notiz.txt"), Verweise({"A\\x.ls3"}));
    Ordner.Schreiben(QStringLiteral("C/paket.7z"), Verweise({"A\\x.ls3"}));
    Ordner.Schreiben(QStringLiteral("C/kaputt.ls3"), "kein XML");
  }
  void TearDown() override {
    Datenverzeichnis = AltDaten;
    DatenverzeichnisOffiziell = AltOffiziell;
    AbbruchObjekt = nullptr;
  }

  QString P(const char* Name) const { return Ordner / QString::fromUtf8(Name); }

  QStringList Pfade(const TIndexListe& Index) const {
    QStringList p;
    for (const TDateilisteEintrag& e : Index.Dateien) p << e.DateinameAbsolut.mid(Ordner.Pfad().size());
    p.sort();
    return p;
  }
  const TDateilisteEintrag* Eintrag(const TIndexListe& Index, const char* Name) const {
    for (const TDateilisteEintrag& e : Index.Dateien)
      if (e.DateinameAbsolut == P(Name)) return &e;
    return nullptr;
  }
  QString Namen(const TIndexListe& Index, const char* Name) const {
    const TDateilisteEintrag* e = Eintrag(Index, Name);
    return e ? e->Verknuepfte.Namen().join(u'|') : QStringLiteral("(fehlt)");
  }
};

const QStringList ALLE = {"A/nachbar.ls3",         "A/x.ls3",       "B/beides.ls3",  "B/ziel.ls3",
                          "C/D/tief.s.script.xml", "C/a..b/zwei.punkte.ls3", "C/dritter.ls3", "C/kaputt.ls3",
                          "C/pfad.ls3"};

TEST_F(TDatenbaum, AufbauenSammeltDieVerweiseDerTextXMLDateien) {
  // A link to a folder is not followed: its files would be listed twice, or without end.
  ASSERT_TRUE(QFile::link(Ordner / QStringLiteral("A"), Ordner / QStringLiteral("C/zurueck")));
  TIndexListe index;
  EXPECT_FALSE(index.Erstellt);
  TStatus status;
  index.Aufbauen(&status);
  EXPECT_TRUE(index.Erstellt);
  EXPECT_EQ(Pfade(index), ALLE);
  QStringList gezeigt = status.Texte;
  gezeigt.sort();
  QStringList erwartet;
  for (const QString& p : ALLE) erwartet << Ordner / p;
  EXPECT_EQ(gezeigt, erwartet);

  EXPECT_EQ(Namen(index, "A/x.ls3"), u"A\\ANDERES.LS3");
  EXPECT_EQ(Namen(index, "B/ziel.ls3"), u"QUELLE.LS3|X.LS3");
  // Header and content alike; the same name in any case once.
  EXPECT_EQ(Namen(index, "C/pfad.ls3"), u"A\\X.LS3");
  EXPECT_EQ(Namen(index, "C/kaputt.ls3"), u"");

  // Built again, nothing is listed twice.
  index.Aufbauen(&status);
  EXPECT_EQ(Pfade(index), ALLE);
}

TEST_F(TDatenbaum, VerschiebenFindetVerweiseUndFuehrtDenIndexNach) {
  TIndexListe index;
  index.Aufbauen(nullptr);
  QStringList ergebnis{QStringLiteral("schon da")};
  index.VerknuepfteSuchen(QStringLiteral("A\\x.ls3"), QStringLiteral("B\\y.ls3"), QString(), ergebnis);
  ASSERT_FALSE(ergebnis.isEmpty());
  EXPECT_EQ(ergebnis.takeFirst(), u"schon da");
  ergebnis.sort();
  // By bare name and by path anywhere in scope, as the update rewrites them; "beides" both ways.
  EXPECT_EQ(ergebnis, (QStringList{P("A/nachbar.ls3"), P("B/beides.ls3"), P("B/beides.ls3"), P("B/ziel.ls3"),
                                   P("C/D/tief.s.script.xml"), P("C/a..b/zwei.punkte.ls3"), P("C/dritter.ls3"),
                                   P("C/pfad.ls3")}));
  // The index records what the update writes: the full new name, also for a bare reference.
  EXPECT_EQ(Namen(index, "A/nachbar.ls3"), u"B\\Y.LS3");
  EXPECT_EQ(Namen(index, "B/ziel.ls3"), u"B\\Y.LS3|QUELLE.LS3");
  EXPECT_EQ(Namen(index, "C/dritter.ls3"), u"B\\Y.LS3");
  EXPECT_EQ(Namen(index, "C/pfad.ls3"), u"B\\Y.LS3");
  EXPECT_EQ(Namen(index, "B/beides.ls3"), u"B\\Y.LS3");
  // The moved file's own entry now names its new place.
  EXPECT_EQ(Eintrag(index, "A/x.ls3"), nullptr);
  EXPECT_EQ(Namen(index, "B/y.ls3"), u"A\\ANDERES.LS3");

  // A second move finds the references where the first one left them.
  ergebnis.clear();
  index.VerknuepfteSuchen(QStringLiteral("b\\Y.LS3"), QStringLiteral("C\\z.ls3"), QString(), ergebnis);
  ergebnis.sort();
  EXPECT_EQ(ergebnis, (QStringList{P("A/nachbar.ls3"), P("B/beides.ls3"), P("B/ziel.ls3"), P("C/D/tief.s.script.xml"),
                                   P("C/a..b/zwei.punkte.ls3"), P("C/dritter.ls3"), P("C/pfad.ls3")}));
  EXPECT_EQ(Namen(index, "C/z.ls3"), u"A\\ANDERES.LS3");

  // Built again from the disk, the index forgets the moves (nothing was moved there).
  index.Aufbauen(nullptr);
  EXPECT_EQ(Pfade(index), ALLE);
  EXPECT_EQ(Namen(index, "C/pfad.ls3"), u"A\\X.LS3");
}

TEST_F(TDatenbaum, BasispfadBegrenztDieSuche) {
  struct {
    const char* Basispfad;
    QStringList Gefunden;
  } const faelle[] = {
      // Everything outside C is out of scope (a name holding ".." is inside).
      {"C\\", {"C/D/tief.s.script.xml", "C/a..b/zwei.punkte.ls3", "C/dritter.ls3", "C/pfad.ls3"}},
      {"c\\d\\", {"C/D/tief.s.script.xml"}},
      // With or without a final separator the base names its folder, where the walk starts.
      {"C\\D", {"C/D/tief.s.script.xml"}},
      {"A/", {"A/nachbar.ls3"}},
      {"gibtsnicht\\", {}},
  };
  for (const auto& f : faelle) {
    TIndexListe index;
    index.Aufbauen(nullptr);
    QStringList ergebnis;
    index.VerknuepfteSuchen(QStringLiteral("A\\x.ls3"), QStringLiteral("B\\y.ls3"), QString::fromUtf8(f.Basispfad),
                            ergebnis);
    ergebnis.removeDuplicates();
    ergebnis.sort();
    QStringList erwartet;
    for (const QString& p : f.Gefunden) erwartet << Ordner / p;
    EXPECT_EQ(ergebnis, erwartet) << f.Basispfad;
  }

  // A base that leaves the data folder finds nothing, even where files reference the old name.
  TIndexListe index;
  index.Aufbauen(nullptr);
  TLog log;
  QStringList ergebnis;
  index.VerknuepfteSuchen(QStringLiteral("A\\x.ls3"), QStringLiteral("B\\y.ls3"), QStringLiteral("C\\..\\..\\"),
                          ergebnis);
  EXPECT_TRUE(ergebnis.isEmpty());
  EXPECT_EQ(log.Zeilen().size(), 1);
  // The file has moved all the same: its own entry follows it.
  EXPECT_EQ(Eintrag(index, "A/x.ls3"), nullptr);
  EXPECT_EQ(Namen(index, "B/y.ls3"), u"A\\ANDERES.LS3");
}

TEST_F(TDatenbaum, NurDateienImDatenverzeichnisSindImBereich) {
  TIndexListe index;
  index.Aufbauen(nullptr);
  Datenverzeichnis = Ordner / QStringLiteral("B/");
  QStringList ergebnis;
  index.VerknuepfteSuchen(QStringLiteral("x.ls3"), QStringLiteral("y.ls3"), QString(), ergebnis);
  ergebnis.sort();
  // Relative to this data folder, "x.ls3" is a path reference.
  EXPECT_EQ(ergebnis, (QStringList{P("B/beides.ls3"), P("B/ziel.ls3")}));
  EXPECT_EQ(Namen(index, "A/nachbar.ls3"), u"X.LS3");
}

TEST_F(TDatenbaum, LeererOderWurzelordnerWirdNichtDurchsucht) {
  ASSERT_TRUE(QFile::link(QStringLiteral("/"), Ordner / QStringLiteral("wurzel")));
  const QString faelle[] = {QString(), QStringLiteral("/"), QStringLiteral("//"), Ordner / QStringLiteral("wurzel/")};
  for (const QString& f : faelle) {
    DatenverzeichnisOffiziell = f;
    TIndexListe index;
    TLog log;
    TStatus status;
    index.Aufbauen(&status);
    EXPECT_TRUE(index.Erstellt) << f.toStdString();
    EXPECT_TRUE(index.Dateien.isEmpty()) << f.toStdString();
    EXPECT_TRUE(status.Texte.isEmpty()) << f.toStdString();
    EXPECT_EQ(log.Zeilen().size(), 1) << f.toStdString();
  }
  // A folder that is not there contributes nothing, and the index counts as built.
  DatenverzeichnisOffiziell = Ordner / QStringLiteral("fehlt/");
  TIndexListe index;
  index.Aufbauen(nullptr);
  EXPECT_TRUE(index.Erstellt);
  EXPECT_TRUE(index.Dateien.isEmpty());
}

TEST_F(TDatenbaum, NurWasWirklichImDatenordnerLiegtWirdIndiziert) {
  // A link to a file outside would let the script rewrite a file that is not in its care; a link
  // to a file inside is only another name of a data file.
  TempOrdner draussen;
  draussen.Schreiben(QStringLiteral("fremd.ls3"), Verweise({"A\\x.ls3"}));
  ASSERT_TRUE(QFile::link(draussen / QStringLiteral("fremd.ls3"), Ordner / QStringLiteral("C/nach_draussen.ls3")));
  ASSERT_TRUE(QFile::link(Ordner / QStringLiteral("A/x.ls3"), Ordner / QStringLiteral("C/innen.ls3")));
  TIndexListe index;
  index.Aufbauen(nullptr);
  QStringList erwartet = ALLE;
  erwartet << QStringLiteral("C/innen.ls3");
  erwartet.sort();
  EXPECT_EQ(Pfade(index), erwartet);
}

// Every data file is indexed by the bytes of its name: one that is no UTF-8, or holds a
// backslash, is read like any other; one that cannot be read is listed without references and
// with one line that names it.
TEST_F(TDatenbaum, JedeDateiWirdUnterIhremNamenIndiziert) {
  ASSERT_TRUE(QDir().mkpath(Ordner / QStringLiteral("E")));
  const QByteArray ordner = QFile::encodeName(Ordner / QStringLiteral("E/"));
  auto schreiben = [&](const QByteArray& Name, const QByteArray& Inhalt, mode_t Modus) {
    const int fd = ::open((ordner + Name).constData(), O_WRONLY | O_CREAT | O_TRUNC, Modus);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, Inhalt.constData(), std::size_t(Inhalt.size())), Inhalt.size());
    ::close(fd);
  };
  schreiben("ansi\xE4.ls3", Verweise({"A\\x.ls3"}), 0644);
  schreiben("schraeg\\strich.ls3", Verweise({"A\\y.ls3"}), 0644);
  schreiben("gesperrt.ls3", Verweise({"A\\z.ls3"}), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(Ordner.Pfad()).constData(), 0755), 0);
  TLog log;
  TIndexListe index;
  {
    kiro::test::TAlsBenutzer benutzer;  // root would read the closed file all the same
    index.Aufbauen(nullptr);
  }
  QStringList namen;
  for (const TDateilisteEintrag& e : index.Dateien)
    if (e.DateinameAbsolut.startsWith(Ordner / QStringLiteral("E/")))
      namen << e.DateinameAbsolut.mid(Ordner.Pfad().size() + 2) + u'=' + e.Verknuepfte.Namen().join(u'|');
  namen.sort();
  EXPECT_EQ(namen, (QStringList{QStringLiteral("ansi") + QChar(0xFFFD) + QStringLiteral(".ls3=A\\X.LS3"),
                                QStringLiteral("gesperrt.ls3="), QStringLiteral("schraeg\\strich.ls3=A\\Y.LS3")}));
  const QStringList z = log.Zeilen().filter(QStringLiteral("/E/"));
  ASSERT_EQ(z.size(), 1) << z.join(u'\n').toStdString();
  EXPECT_TRUE(z[0].startsWith(QStringLiteral("2 ")) && z[0].contains(QStringLiteral("E/gesperrt.ls3"))) << z[0].toStdString();
}

TEST_F(TDatenbaum, EinBindMountImDatenordnerWirdNichtBetreten) {
  // Mounting needs root; a private mount namespace keeps the mount to this process.
  if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    GTEST_SKIP() << "cannot mount here";
  TempOrdner draussen;
  draussen.Schreiben(QStringLiteral("fremd.ls3"), Verweise({"A\\x.ls3"}));
  ASSERT_TRUE(QDir().mkpath(Ordner / QStringLiteral("E")));
  const QByteArray ziel = QFile::encodeName(Ordner / QStringLiteral("E"));
  ASSERT_EQ(::mount(QFile::encodeName(draussen.Pfad()).constData(), ziel.constData(), nullptr, MS_BIND, nullptr), 0);
  TIndexListe index;
  index.Aufbauen(nullptr);
  ::umount2(ziel.constData(), MNT_DETACH);
  EXPECT_EQ(Pfade(index), ALLE);
}

TEST_F(TDatenbaum, EreignisseLaufenUndAbbruchUebergehtDenRest) {
  TAbbruchObjekt abbruch;
  AbbruchObjekt = &abbruch;
  // The host's cancel arrives as an event while the first file is indexed.
  QTimer::singleShot(0, [&] { abbruch.Abbrechen = true; });
  TIndexListe index;
  TStatus status;
  index.Aufbauen(&status);
  EXPECT_TRUE(index.Erstellt);
  EXPECT_EQ(index.Dateien.size(), 1);
  EXPECT_EQ(status.Texte.size(), 1);

  index.Aufbauen(&status);
  EXPECT_TRUE(index.Dateien.isEmpty());
  abbruch.Abbrechen = false;
  index.Aufbauen(&status);
  EXPECT_EQ(index.Dateien.size(), ALLE.size());
}

TEST(TVerknuepfte, SortiertEinmaligOhneGrossKlein) {
  TVerknuepfte v;
  EXPECT_TRUE(v.Hinzufuegen(QStringLiteral("B\\X.LS3")));
  EXPECT_TRUE(v.Hinzufuegen(QStringLiteral("A.LS3")));
  EXPECT_FALSE(v.Hinzufuegen(QStringLiteral("b\\x.ls3")));
  EXPECT_TRUE(v.Hinzufuegen(QStringLiteral("C.LS3")));
  EXPECT_EQ(v.Namen(), (QStringList{"A.LS3", "B\\X.LS3", "C.LS3"}));
  EXPECT_EQ(v.Suchen(QStringLiteral("c.ls3")), 2);
  EXPECT_EQ(v.Suchen(QStringLiteral("B.LS3")), -1);
  v.Loeschen(0);
  EXPECT_EQ(v.Suchen(QStringLiteral("B\\X.LS3")), 0);
  // Only a to z ignore their case, as in the reference update: ä is not Ä.
  EXPECT_TRUE(v.Hinzufuegen(QStringLiteral("\u00C4.LS3")));
  EXPECT_EQ(v.Suchen(QStringLiteral("\u00E4.ls3")), -1);
  EXPECT_TRUE(v.Hinzufuegen(QStringLiteral("\u00E4.LS3")));
}

}  // namespace
