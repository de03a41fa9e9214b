#include "datafiles/Script.h"
#include "support/FarbAnsicht.h"
#include "support/Testdatei.h"

#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Programmlauf.h"
#include "testsupport/Protokollfaenger.h"
#include "testsupport/TempOrdner.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

using namespace kiro;
using kiro::test::Lesen;
using kiro::test::TOrdnerUmgebung;
using kiro::test::TFarbAnsicht;
using kiro::test::TProtokollFaenger;

namespace {

// Three base folders in a temporary tree, a trash of its own, answered boxes, caught log lines.
class ScriptBefehle : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* o : {"daten", "offiziell", "programm", "xdg", "home"}) QDir(U.Ordner.Pfad()).mkpath(o);
    FAltXdg = qgetenv("XDG_DATA_HOME");
    FAltHome = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", (U.Ordner / "xdg").toLocal8Bit());
    qputenv("HOME", (U.Ordner / "home").toLocal8Bit());
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen << b.Text;
      return Antwort;
    });
    DesktopOeffnerSetzen([this](const QString& p) {
      Geoeffnet << p;
      return true;
    });
  }
  void TearDown() override {
    MeldungZeigenHookSetzen({});
    DesktopOeffnerSetzen({});
    qputenv("XDG_DATA_HOME", FAltXdg);
    qputenv("HOME", FAltHome);
  }

  QString Daten(const QString& Name) const { return Datenverzeichnis + Name; }
  QString Papierkorb(const QString& Name) const { return U.Ordner / ("xdg/Trash/files/" + Name); }
  // Every entry below the tree, sorted, for "nothing touched" checks.
  QStringList Baum() const {
    QStringList alle;
    QDirIterator it(U.Ordner.Pfad(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) alle << it.next();
    alle.sort();
    return alle;
  }

  bool Verschieben(const QString& Alt, const QString& Neu, bool SVN = false, std::uint8_t InstAlt = 0,
                   std::uint8_t InstNeu = 0) {
    TScriptNurVerschieben v;
    v.AlteDatei.Dateiname = Alt;
    v.AlteDatei.InstVerzeichnis = InstAlt;
    v.NeueDatei.Dateiname = Neu;
    v.NeueDatei.InstVerzeichnis = InstNeu;
    return v.DateiVerschieben(&Ansicht, nullptr, Index, SVN);
  }
  void Loeschen(const QString& Name, bool KeinPapierkorb, bool VerzDirekt, bool SVN = false) {
    TScriptLoeschen l;
    l.Datei.Dateiname = Name;
    l.Abarbeiten(&Ansicht, nullptr, Index, SVN, KeinPapierkorb, VerzDirekt);
  }

  TOrdnerUmgebung U;
  TFarbAnsicht Ansicht;
  TProtokollFaenger Log;
  TIndexListe Index;
  QStringList Boxen;
  QStringList Geoeffnet;
  int Antwort = mrYes;
  QByteArray FAltXdg, FAltHome;
};

// --- moving ---

TEST_F(ScriptBefehle, MoveCases) {
  const struct {
    const char* Fall;
    QString Alt, Neu;
    bool Ergebnis;
    QStringList Zeilen;
    QString ZielDatei;      // below daten/, "" for none
    QByteArray ZielInhalt;  // what it must hold
    bool QuelleBleibt;
  } faelle[] = {
      {"onto an existing file", "a.txt", "b.txt", true, {"G:a.txt -> b.txt"}, "b.txt", "A", false},
      {"into a new folder tree", "a.txt", "t1\\t2\\b.txt", true, {"G:a.txt -> t1\\t2\\b.txt"}, "t1/t2/b.txt", "A",
       false},
      {"onto itself in another letter case", "a.txt", "A.TXT", true, {"G:a.txt -> A.TXT"}, "a.txt", "A", true},
      {"a missing source", "fehlt.txt", "neu\\z.txt", false,
       {"G:fehlt.txt -> neu\\z.txt", "F:copy failed fehlt.txt -> neu\\z.txt"}, "", "", false},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    QDir(Datenverzeichnis).removeRecursively();
    U.Daten("a.txt", "A");
    U.Daten("b.txt", "B");
    Ansicht.Zeilen.clear();
    EXPECT_EQ(Verschieben(f.Alt, f.Neu), f.Ergebnis);
    EXPECT_EQ(Ansicht.Zeilen, f.Zeilen);
    if (!f.ZielDatei.isEmpty()) {
      EXPECT_EQ(Lesen(Daten(f.ZielDatei)), f.ZielInhalt);
    }
    EXPECT_EQ(QFileInfo::exists(Daten(f.Alt)), f.QuelleBleibt);
  }
  // The missing source created the target folder and nothing in it.
  EXPECT_TRUE(QDir(Daten("neu")).isEmpty());
  EXPECT_TRUE(QFileInfo(Daten("neu")).isDir());
  EXPECT_TRUE(Log.Zeilen().isEmpty());
}

TEST_F(ScriptBefehle, MoveBetweenBaseFolders) {
  U.Daten("a.txt", "A");
  EXPECT_TRUE(Verschieben("a.txt", "x\\a.txt", false, Datenverzeichnis_Code, Programmverzeichnis_Code));
  EXPECT_EQ(Lesen(Programmverzeichnis + "x/a.txt"), "A");
  EXPECT_FALSE(QFileInfo::exists(Daten("a.txt")));
}

TEST_F(ScriptBefehle, MoveRefusesNamesOutsideTheBaseFolderAndTouchesNothing) {
  U.Daten("a.txt", "A");
  U.Offiziell("o.txt", "O");
  const QStringList vorher = Baum();
  for (const QString& boese : {QStringLiteral("..\\offiziell\\o.txt"), QStringLiteral("/etc/hostname"),
                               QStringLiteral("C:\\x.txt"), QStringLiteral(""), QStringLiteral("\\"),
                               QStringLiteral("."), QStringLiteral("x\\..\\..\\o.txt")}) {
    SCOPED_TRACE(boese.toStdString());
    for (const bool alsQuelle : {true, false}) {
      Ansicht.Zeilen.clear();
      const QString alt = alsQuelle ? boese : QStringLiteral("a.txt");
      const QString neu = alsQuelle ? QStringLiteral("b\\a.txt") : boese;
      EXPECT_FALSE(Verschieben(alt, neu));
      EXPECT_EQ(Ansicht.Zeilen, QStringList({"G:" + alt + " -> " + neu, "F:name refused " + boese}));
      EXPECT_EQ(Baum(), vorher);
    }
  }
}

// Mounts a small tmpfs as the program folder: a move from the data folder then crosses file
// systems. Needs the right to mount (root); without it the test says so and stops.
class ScriptBefehleTmpfs : public ScriptBefehle {
 protected:
  void SetUp() override {
    ScriptBefehle::SetUp();
    if (::mount("tmpfs", QFile::encodeName(Programmverzeichnis).constData(), "tmpfs", 0, "size=64k") != 0)
      GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
    FGemountet = true;
  }
  void TearDown() override {
    if (FGemountet) ::umount2(QFile::encodeName(Programmverzeichnis).constData(), MNT_DETACH);
    ScriptBefehle::TearDown();
  }
  bool FGemountet = false;
};

TEST_F(ScriptBefehleTmpfs, MoveAcrossFileSystemsCopiesThenDeletesAndAFailedCopyKeepsTheSource) {
  U.Daten("a.txt", "A");
  EXPECT_TRUE(Verschieben("a.txt", "ziel\\a.txt", false, Datenverzeichnis_Code, Programmverzeichnis_Code));
  EXPECT_EQ(Lesen(Programmverzeichnis + "ziel/a.txt"), "A");
  EXPECT_FALSE(QFileInfo::exists(Daten("a.txt")));
  EXPECT_EQ(Ansicht.Zeilen, QStringList{"G:a.txt -> ziel\\a.txt"});

  // Larger than the tmpfs: the copy fails, the source and the old target stay, no leftover.
  Ansicht.Zeilen.clear();
  const QByteArray gross(256 * 1024, 'g');
  U.Daten("gross.bin", gross);
  EXPECT_FALSE(Verschieben("gross.bin", "ziel\\a.txt", false, Datenverzeichnis_Code, Programmverzeichnis_Code));
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"G:gross.bin -> ziel\\a.txt", "F:copy failed gross.bin -> ziel\\a.txt"}));
  EXPECT_EQ(Lesen(Daten("gross.bin")), gross);
  EXPECT_EQ(Lesen(Programmverzeichnis + "ziel/a.txt"), "A");
  EXPECT_EQ(QDir(Programmverzeichnis + "ziel").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"a.txt"});
}

// --- deleting ---

// Sets the immutable flag (root on a file system that has it); false when that is not possible.
bool Unveraenderlich(const QString& Pfad, bool An) {
  return QProcess::execute(QStringLiteral("chattr"), {An ? QStringLiteral("+i") : QStringLiteral("-i"), Pfad}) == 0;
}

TEST_F(ScriptBefehle, DeleteFileToTheTrashOrForGood) {
  U.Daten("sub/a.txt", "A");
  U.Daten("sub/b.txt", "B");
  Loeschen("sub\\a.txt", false, false);
  Loeschen("SUB\\B.TXT", true, false);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> sub\\a.txt", "S: X> SUB\\B.TXT"}));
  EXPECT_FALSE(QFileInfo::exists(Daten("sub/a.txt")));
  EXPECT_FALSE(QFileInfo::exists(Daten("sub/b.txt")));
  EXPECT_EQ(Lesen(Papierkorb("a.txt")), "A");
  EXPECT_FALSE(QFileInfo::exists(Papierkorb("b.txt")));
  EXPECT_TRUE(Boxen.isEmpty());
}

TEST_F(ScriptBefehle, UndeletableFileGivesDeleteFailed) {
  const QString pfad = U.Daten("fest.txt", "F");
  if (!Unveraenderlich(pfad, true)) GTEST_SKIP() << "chattr +i not possible here";
  for (const bool keinPapierkorb : {false, true}) {
    SCOPED_TRACE(keinPapierkorb);
    Ansicht.Zeilen.clear();
    Loeschen("fest.txt", keinPapierkorb, false);
    EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> fest.txt", "F:delete failed " + pfad}));
  }
  Unveraenderlich(pfad, false);
  // A folder that cannot be removed whole says so too.
  U.Daten("ordner/x.txt", "x");
  const QString fest = U.Daten("ordner/fest.txt", "F");
  ASSERT_TRUE(Unveraenderlich(fest, true));
  Ansicht.Zeilen.clear();
  Loeschen("ordner", true, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> ordner", "F:delete failed " + Daten("ordner")}));
  EXPECT_TRUE(QFileInfo::exists(fest));
  Unveraenderlich(fest, false);
}

TEST_F(ScriptBefehle, DeleteFolderAsksUnlessDirect) {
  U.Daten("ordner/x.txt", "x");
  Antwort = mrNo;
  Loeschen("ordner", true, false);
  EXPECT_EQ(Boxen, QStringList{"Verzeichnis ordner löschen?"});
  EXPECT_TRUE(QFileInfo::exists(Daten("ordner/x.txt")));

  Antwort = mrYes;
  Loeschen("ordner", false, false);
  EXPECT_FALSE(QFileInfo::exists(Daten("ordner")));
  EXPECT_FALSE(QDir(U.Ordner / "xdg/Trash/files").isEmpty());

  U.Daten("ordner2/y.txt", "y");
  Boxen.clear();
  Loeschen("ordner2", true, true);
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Daten("ordner2")));
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> ordner", "S: X> ordner", "S: X> ordner2"}));
}

TEST_F(ScriptBefehle, DeleteOfNothingWritesOnlyTheLineAndEmptyNameNothing) {
  Loeschen("gibtsnicht.txt", false, true);
  Loeschen("", false, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList{"S: X> gibtsnicht.txt"});
}

TEST_F(ScriptBefehle, DeleteRefusesNamesOutsideOrOfTheBaseFolder) {
  U.Daten("a.txt", "A");
  U.Daten("ordner/b.txt", "B");
  U.Offiziell("o.txt", "O");
  const QStringList vorher = Baum();
  for (const QString& boese : {QStringLiteral("\\"), QStringLiteral("/"), QStringLiteral("."),
                               QStringLiteral("..\\offiziell\\o.txt"), QStringLiteral("C:\\"),
                               QStringLiteral("ordner\\..\\.."), QStringLiteral("\\\\"), QStringLiteral("ordner\\\\b.txt")}) {
    SCOPED_TRACE(boese.toStdString());
    Ansicht.Zeilen.clear();
    Loeschen(boese, true, true);
    EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> " + boese, "F:name refused " + boese}));
    EXPECT_EQ(Baum(), vorher);
  }
  EXPECT_TRUE(Boxen.isEmpty());
}

// --- running ---

TEST_F(ScriptBefehle, RunStartsAnExecutableWithItsArgumentsInItsOwnFolder) {
  QDir(Datenverzeichnis).mkpath("prog");
  const QString skript = U.Daten("prog/lauf.sh",
                                 "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > out.tmp\npwd >> out.tmp\n"
                                 "mv out.tmp args.txt\n");
  QFile::setPermissions(skript, QFile::permissions(skript) | QFile::ExeOwner);
  const QByteArray dokument = test::Dokument(
      "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>",
      "<VerwaltungsScript>\r\n<Ausfuehren exeParameter=\"x &quot;y z&quot;\">\r\n<Datei Dateiname=\"prog\\lauf.sh\"/>\r\n"
      "</Ausfuehren>\r\n</VerwaltungsScript>");
  U.Ordner.Schreiben("s.script.xml", dokument);
  TScript s;
  ASSERT_EQ(s.LadenDatei(U.Ordner.Pfad(), "s.script.xml", nullptr), S_OK);
  s.Abarbeiten(&Ansicht, nullptr, false, false, false);
  EXPECT_EQ(Ansicht.Zeilen, QStringList{"S: X> prog\\lauf.sh"});
  const QString args = Daten("prog/args.txt");
  QDeadlineTimer frist(30000);
  while (!QFileInfo::exists(args) && !frist.hasExpired()) QThread::msleep(20);
  EXPECT_EQ(Lesen(args), "[x]\n[y z]\n" + QDir(Daten("prog")).canonicalPath().toUtf8() + "\n");
  EXPECT_TRUE(Geoeffnet.isEmpty());
}

TEST_F(ScriptBefehle, RunCases) {
  U.Daten("doku.pdf", "%PDF");
  U.Daten("a..b.exe", "MZ");
  const struct {
    const char* Fall;
    QString Name, Parameter;
    QStringList Zeilen;
    QStringList Geoeffnet;
  } faelle[] = {
      {"a name with two points does nothing", "a..b.exe", "", {}, {}},
      {"an empty name does nothing", "", "", {}, {}},
      {"a document goes to the desktop's opener", "doku.pdf", "", {"S: X> doku.pdf"}, {Daten("doku.pdf")}},
      {"parameters for the opener are not passed",
       "DOKU.PDF",
       "-x",
       {"S: X> DOKU.PDF", "F:parameters not passed -x"},
       {Daten("doku.pdf")}},
      {"a missing program is logged", "fehlt.sh", "", {"S: X> fehlt.sh", "F:start failed " + Daten("fehlt.sh")}, {}},
      {"a name outside is refused", "\\etc\\passwd", "", {"S: X> \\etc\\passwd", "F:name refused \\etc\\passwd"}, {}},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    Ansicht.Zeilen.clear();
    Geoeffnet.clear();
    // Built through the script reader: the parameter field is the entry's own.
    const QByteArray dokument = test::Dokument(
        "<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>",
        "<VerwaltungsScript>\r\n<Ausfuehren exeParameter=\"" + f.Parameter.toUtf8() + "\">\r\n<Datei Dateiname=\"" +
            f.Name.toUtf8() + "\"/>\r\n</Ausfuehren>\r\n</VerwaltungsScript>");
    U.Ordner.Schreiben("s.script.xml", dokument);
    TScript s;
    ASSERT_EQ(s.LadenDatei(U.Ordner.Pfad(), "s.script.xml", nullptr), S_OK);
    s.Abarbeiten(&Ansicht, nullptr, false, false, false);
    EXPECT_EQ(Ansicht.Zeilen, f.Zeilen);
    EXPECT_EQ(Geoeffnet, f.Geoeffnet);
  }
}

// --- the versioned mode, against a real repository checked out over file:// ---

class ScriptBefehleSvn : public ScriptBefehle {
 protected:
  void SetUp() override {
    ScriptBefehle::SetUp();
    if (QStandardPaths::findExecutable("svn").isEmpty() || QStandardPaths::findExecutable("svnadmin").isEmpty())
      GTEST_SKIP() << "subversion is not installed";
    const QString repo = U.Ordner / "repo";
    ASSERT_EQ(QProcess::execute("svnadmin", {"create", repo}), 0);
    QDir(Datenverzeichnis).removeRecursively();
    ASSERT_TRUE(Svn({"checkout", "file://" + repo, Datenverzeichnis}));
    U.Daten("a.txt", "A");
    U.Daten("alt/b.txt", "B");
    ASSERT_TRUE(Svn({"add", Daten("a.txt"), Daten("alt")}));
    ASSERT_TRUE(Svn({"commit", "-m", "start", Datenverzeichnis}));
  }
  bool Svn(QStringList Parameter) {
    Parameter.insert(1, "--non-interactive");
    return ProgrammAusfuehren(U.Ordner.Pfad(), "svn", Parameter).Erfolg;
  }
  QStringList Status() {
    QStringList zeilen = ProgrammAusfuehrenMitAusgabe(Datenverzeichnis, "svn", {"status", Datenverzeichnis})
                             .split("\r\n", Qt::SkipEmptyParts);
    // Lines that only say where a move went are indented; the status lines are what counts.
    zeilen.removeIf([](const QString& z) { return z.startsWith(u' '); });
    for (QString& z : zeilen) z = z.left(7).trimmed() + u' ' + z.mid(8).remove(Datenverzeichnis);
    zeilen.sort();
    return zeilen;
  }
};

TEST_F(ScriptBefehleSvn, MoveWritesThreeLinesAndTheClientRecordsIt) {
  const QString w = QFileInfo(Datenverzeichnis).absoluteFilePath();
  EXPECT_TRUE(Verschieben("a.txt", "neu\\c.txt", true));
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"G:a.txt -> neu\\c.txt", "P:add --parents \"" + w + "neu\"",
                                         "P:move \"" + w + "a.txt\" \"" + w + "neu/c.txt\""}));
  EXPECT_EQ(Status(), QStringList({"A  + neu/c.txt", "A neu", "D a.txt"}));
  EXPECT_EQ(Lesen(Daten("neu/c.txt")), "A");

  // Into a folder that is versioned already: no add needed, no failure.
  Ansicht.Zeilen.clear();
  EXPECT_TRUE(Verschieben("alt\\b.txt", "neu\\b.txt", true));
  EXPECT_EQ(Ansicht.Zeilen.size(), 3);
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_TRUE(Log.Zeilen().isEmpty());
}

TEST_F(ScriptBefehleSvn, ClientFailuresAreLoggedAndShownAlikeForMoveAndDelete) {
  // An unversioned source: the client refuses the move.
  U.Daten("frei.txt", "F");
  EXPECT_FALSE(Verschieben("frei.txt", "x.txt", true));
  EXPECT_EQ(Boxen, QStringList{"SVN-Fehler"});
  QStringList log = Log.Zeilen();
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].startsWith("2 svn move --non-interactive")) << log[0].toStdString();
  EXPECT_TRUE(log[0].contains("E155010")) << log[0].toStdString();
  EXPECT_TRUE(QFileInfo::exists(Daten("frei.txt")));

  Boxen.clear();
  Ansicht.Zeilen.clear();
  Loeschen("frei.txt", true, false, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> frei.txt", "P:delete \"" + QFileInfo(Daten("frei.txt")).absoluteFilePath() + "\""}));
  EXPECT_EQ(Boxen, QStringList{"SVN-Fehler"});
  log = Log.Zeilen();
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].startsWith("2 svn delete --non-interactive")) << log[0].toStdString();
}

TEST_F(ScriptBefehleSvn, DeleteGoesThroughTheClient) {
  Loeschen("a.txt", false, false, true);
  EXPECT_EQ(Ansicht.Zeilen,
            QStringList({"S: X> a.txt", "P:delete \"" + QFileInfo(Daten("a.txt")).absoluteFilePath() + "\""}));
  EXPECT_EQ(Status(), QStringList{"D a.txt"});
  EXPECT_FALSE(QFileInfo::exists(Papierkorb("a.txt")));
  EXPECT_TRUE(Boxen.isEmpty());
}

}  // namespace
