#include "datafiles/Script.h"
#include "support/FarbAnsicht.h"
#include "support/RohDatei.h"
#include "support/Testdatei.h"

#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Programmlauf.h"
#include "testsupport/AlsNutzer.h"
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
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>

// Readable failures: texts as text, not as 2-byte objects.
inline void PrintTo(const QString& Text, std::ostream* Aus) { *Aus << '"' << Text.toStdString() << '"'; }
inline void PrintTo(const QByteArray& Text, std::ostream* Aus) { *Aus << '"' << Text.toStdString() << '"'; }

using namespace kiro;
using kiro::test::Lesen;
using kiro::test::RohLesen;
using kiro::test::RohSchreiben;
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

  // Runs a script of the given entries through the engine, as a user's script file.
  void Skript(const QByteArray& Eintraege, bool SVN = false, bool KeinPapierkorb = false, bool VerzDirekt = true) {
    U.Ordner.Schreiben("s.script.xml",
                       test::Dokument("<Info DateiTyp=\"VerwaltungsScript\" Version=\"A.2\" MinVersion=\"A.0\"/>",
                                      "<VerwaltungsScript>\r\n" + Eintraege + "\r\n</VerwaltungsScript>"));
    TScript s;
    ASSERT_EQ(s.LadenDatei(U.Ordner.Pfad(), "s.script.xml", nullptr), S_OK);
    s.Abarbeiten(&Ansicht, nullptr, SVN, KeinPapierkorb, VerzDirekt);
  }
  QByteArray RohDaten(const QByteArray& Name) const { return QFile::encodeName(Datenverzeichnis) + Name; }

  void Ausfuehren(const QString& Name) {
    TScriptAusfuehren a;
    a.Datei.Dateiname = Name;
    a.Abarbeiten(&Ansicht, nullptr, Index, false, false, false);
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

// A link inside the data folder that leads out of it: no command acts through it, whatever it
// would do there; a link that stays inside works as the folder it names.
TEST_F(ScriptBefehle, LinksThatLeaveTheBaseFolderAreRefusedAndTheOutsideKeepsEveryByte) {
  const QString aussen = U.Ordner / "aussen";
  U.Ordner.Schreiben("aussen/victim.txt", "V");
  U.Ordner.Schreiben("aussen/baum/tief/x.txt", "X");
  U.Ordner.Schreiben("aussen/doku.pdf", "%PDF");
  ASSERT_TRUE(QFile::link(aussen, Daten("linkdir")));
  ASSERT_TRUE(QFile::link(aussen + "/doku.pdf", Daten("doku.pdf")));
  U.Daten("a.txt", "A");
  const auto aussenInhalt = [&] {
    QStringList alle;
    QDirIterator it(aussen, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString p = it.next();
      alle << p + u'=' + QString::fromLatin1(Lesen(p).toHex());
    }
    alle.sort();
    return alle;
  };
  const QStringList vorher = aussenInhalt();
  const struct {
    const char* Fall;
    std::function<void()> Befehl;
    QStringList Zeilen;
  } faelle[] = {
      {"delete a file for good", [&] { Loeschen("linkdir\\victim.txt", true, true); },
       {"S: X> linkdir\\victim.txt", "F:name refused linkdir\\victim.txt"}},
      {"delete a file to the trash", [&] { Loeschen("LINKDIR\\victim.txt", false, true); },
       {"S: X> LINKDIR\\victim.txt", "F:name refused LINKDIR\\victim.txt"}},
      {"delete a tree", [&] { Loeschen("linkdir\\baum", true, true); },
       {"S: X> linkdir\\baum", "F:name refused linkdir\\baum"}},
      {"move into it", [&] { Verschieben("a.txt", "linkdir\\stolen.txt"); },
       {"G:a.txt -> linkdir\\stolen.txt", "F:name refused linkdir\\stolen.txt"}},
      {"move into a new folder below it", [&] { Verschieben("a.txt", "linkdir\\neu\\stolen.txt"); },
       {"G:a.txt -> linkdir\\neu\\stolen.txt", "F:name refused linkdir\\neu\\stolen.txt"}},
      {"move out of it", [&] { Verschieben("linkdir\\victim.txt", "geholt.txt"); },
       {"G:linkdir\\victim.txt -> geholt.txt", "F:name refused linkdir\\victim.txt"}},
      {"run through it", [&] { Ausfuehren("linkdir\\doku.pdf"); },
       {"S: X> linkdir\\doku.pdf", "F:name refused linkdir\\doku.pdf"}},
      {"run a link that names an outside file", [&] { Ausfuehren("doku.pdf"); },
       {"S: X> doku.pdf", "F:name refused doku.pdf"}},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    Ansicht.Zeilen.clear();
    f.Befehl();
    EXPECT_EQ(Ansicht.Zeilen, f.Zeilen);
    EXPECT_EQ(aussenInhalt(), vorher);
  }
  EXPECT_EQ(Lesen(Daten("a.txt")), "A");
  EXPECT_TRUE(Geoeffnet.isEmpty());
  EXPECT_TRUE(Boxen.isEmpty());

  // A link to a folder inside the data folder works as that folder.
  U.Daten("innen/b.txt", "B");
  ASSERT_TRUE(QFile::link(Daten("innen"), Daten("innenlink")));
  Ansicht.Zeilen.clear();
  EXPECT_TRUE(Verschieben("a.txt", "innenlink\\a.txt"));
  Loeschen("innenlink\\b.txt", true, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"G:a.txt -> innenlink\\a.txt", "S: X> innenlink\\b.txt"}));
  EXPECT_EQ(Lesen(Daten("innen/a.txt")), "A");
  EXPECT_FALSE(QFileInfo::exists(Daten("innen/b.txt")));
}

// A link goes as the link: what it names stays, inside the base folder or outside it.
TEST_F(ScriptBefehle, DeleteOfALinkToAFolderRemovesTheLinkOnly) {
  U.Daten("ziel/x.txt", "X");
  U.Ordner.Schreiben("aussen/y.txt", "Y");
  ASSERT_TRUE(QFile::link("ziel", Daten("relativ")));
  ASSERT_TRUE(QFile::link(U.Ordner / "aussen", Daten("raus")));
  ASSERT_TRUE(QFile::link(Daten("ziel"), Daten("absolut")));
  for (const bool keinPapierkorb : {false, true}) {
    SCOPED_TRACE(keinPapierkorb);
    Ansicht.Zeilen.clear();
    Skript("<Loeschen><Datei Dateiname=\"relativ\"/></Loeschen>\r\n<Loeschen><Datei Dateiname=\"raus\"/></Loeschen>",
           false, keinPapierkorb, false);
    EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> relativ", "S: X> raus"}));
    EXPECT_FALSE(QFileInfo(Daten("relativ")).isSymLink());
    EXPECT_FALSE(QFileInfo(Daten("raus")).isSymLink());
    EXPECT_EQ(Lesen(Daten("ziel/x.txt")), "X");
    EXPECT_EQ(Lesen(U.Ordner / "aussen/y.txt"), "Y");
    EXPECT_TRUE(Boxen.isEmpty());
    ASSERT_TRUE(QFile::link("ziel", Daten("relativ")));
    ASSERT_TRUE(QFile::link(U.Ordner / "aussen", Daten("raus")));
  }
  EXPECT_FALSE(QFileInfo::exists(Papierkorb("ziel")));
}

// As "mv" does: moving one name of a file onto another name of the same file removes the old name.
TEST_F(ScriptBefehle, MoveOntoAnotherHardLinkOfTheSameFileRemovesTheOldName) {
  U.Daten("a.txt", "A");
  ASSERT_EQ(::link(QFile::encodeName(Daten("a.txt")).constData(), QFile::encodeName(Daten("b.txt")).constData()), 0);
  Skript("<NurVerschieben><AlterName Dateiname=\"a.txt\"/><NeuerName Dateiname=\"b.txt\"/></NurVerschieben>");
  EXPECT_EQ(Ansicht.Zeilen, QStringList{"G:a.txt -> b.txt"});
  EXPECT_FALSE(QFileInfo::exists(Daten("a.txt")));
  EXPECT_EQ(Lesen(Daten("b.txt")), "A");
}

// A relative link names its target from where it lies: moved to another folder it would name
// nothing, so the move is refused as the copy across file systems refuses it.
TEST_F(ScriptBefehle, MoveOfARelativeLinkToAnotherFolderIsRefused) {
  U.Daten("ziel.txt", "Z");
  QDir(Datenverzeichnis).mkpath("neu");
  ASSERT_TRUE(QFile::link("ziel.txt", Daten("rel.txt")));
  ASSERT_TRUE(QFile::link(Daten("ziel.txt"), Daten("abs.txt")));
  Skript("<NurVerschieben><AlterName Dateiname=\"rel.txt\"/><NeuerName Dateiname=\"neu\\rel.txt\"/></NurVerschieben>\r\n"
         "<Verschieben><AlterName Dateiname=\"rel.txt\"/><NeuerName Dateiname=\"neu\\rel2.txt\"/><BasisPfad/></Verschieben>\r\n"
         "<NurVerschieben><AlterName Dateiname=\"rel.txt\"/><NeuerName Dateiname=\"rel3.txt\"/></NurVerschieben>\r\n"
         "<NurVerschieben><AlterName Dateiname=\"abs.txt\"/><NeuerName Dateiname=\"neu\\abs.txt\"/></NurVerschieben>");
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"G:rel.txt -> neu\\rel.txt", "F:copy failed rel.txt -> neu\\rel.txt",
                                         "G:rel.txt -> neu\\rel2.txt", "F:copy failed rel.txt -> neu\\rel2.txt",
                                         "G:rel.txt -> rel3.txt", "G:abs.txt -> neu\\abs.txt"}));
  // In its own folder it still names its target; an absolute link names it from anywhere.
  EXPECT_EQ(QFileInfo(Daten("rel3.txt")).symLinkTarget(), QFileInfo(Daten("ziel.txt")).absoluteFilePath());
  EXPECT_EQ(Lesen(Daten("neu/abs.txt")), "Z");
  EXPECT_FALSE(QFileInfo::exists(Daten("neu/rel.txt")) || QFileInfo(Daten("neu/rel.txt")).isSymLink());
  EXPECT_FALSE(QFileInfo(Daten("neu/rel2.txt")).isSymLink());
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
  const QString quelle = U.Daten("a.txt", "A");
  // Like "mv": the file keeps its modification time, to the nanosecond, and its mode.
  const timespec zeiten[2] = {{1000000000, 0}, {1234567890, 123456789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(quelle).constData(), zeiten, 0), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(quelle).constData(), 0640), 0);
  EXPECT_TRUE(Verschieben("a.txt", "ziel\\a.txt", false, Datenverzeichnis_Code, Programmverzeichnis_Code));
  EXPECT_EQ(Lesen(Programmverzeichnis + "ziel/a.txt"), "A");
  struct stat st{};
  ASSERT_EQ(::stat(QFile::encodeName(Programmverzeichnis + "ziel/a.txt").constData(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
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

// A file on another file system goes to that file system's own trash, not across to the home's.
TEST_F(ScriptBefehleTmpfs, DeleteToTheTrashOnAnotherFileSystemUsesItsTopFolderTrash) {
  U.Ordner.Schreiben("programm/weg.txt", "W");
  Skript("<Loeschen><Datei Dateiname=\"weg.txt\" inst=\"1\"/></Loeschen>");
  EXPECT_EQ(Ansicht.Zeilen, QStringList{"S: X> weg.txt"});
  EXPECT_FALSE(QFileInfo::exists(Programmverzeichnis + "weg.txt"));
  const QString muell = Programmverzeichnis + ".Trash-" + QString::number(::geteuid()) + '/';
  EXPECT_EQ(Lesen(muell + "files/weg.txt"), "W");
  EXPECT_TRUE(Lesen(muell + "info/weg.txt.trashinfo").contains("\nPath=" + QFile::encodeName(QFileInfo(Programmverzeichnis + "weg.txt").absoluteFilePath()) + '\n'));
  EXPECT_EQ(QFileInfo(muell).permissions() & (QFile::ReadOther | QFile::ReadGroup | QFile::WriteOther), 0);
  EXPECT_FALSE(QFileInfo::exists(Papierkorb("weg.txt")));
}

// Run as root over a user's file: the copy is the user's again, with its group and mode, and the
// folder the move creates belongs to whom the folder above it belongs, as with "mv".
TEST_F(ScriptBefehleTmpfs, MoveAcrossFileSystemsKeepsOwnerAndGroup) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  const QByteArray quelle = QFile::encodeName(U.Daten("b.txt", "B"));
  ASSERT_EQ(::chown(quelle.constData(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(quelle.constData(), 0640), 0);
  ASSERT_EQ(::chown(QFile::encodeName(Programmverzeichnis).constData(), 65534, 65534), 0);
  EXPECT_TRUE(Verschieben("b.txt", "neu\\tief\\b.txt", false, Datenverzeichnis_Code, Programmverzeichnis_Code));
  for (const char* name : {"neu", "neu/tief", "neu/tief/b.txt"}) {
    SCOPED_TRACE(name);
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(Programmverzeichnis + name).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    if (S_ISREG(st.st_mode)) {
      EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
  }
}

// --- deleting ---

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
  if (test::AlsNutzerWiederholt()) return;
  // A file in a folder its user may not write can neither be deleted nor go to the trash.
  const QString pfad = U.Daten("fest/fest.txt", "F");
  ASSERT_TRUE(QFile::setPermissions(Daten("fest"), QFile::ReadOwner | QFile::ExeOwner));
  for (const bool keinPapierkorb : {false, true}) {
    SCOPED_TRACE(keinPapierkorb);
    Ansicht.Zeilen.clear();
    Loeschen("fest\\fest.txt", keinPapierkorb, false);
    EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> fest\\fest.txt", "F:delete failed " + pfad}));
    EXPECT_EQ(Lesen(pfad), "F");
  }
  // A folder that cannot be removed whole says so too.
  U.Daten("ordner/x.txt", "x");
  const QString fest = U.Daten("ordner/gesperrt/fest.txt", "F");
  ASSERT_TRUE(QFile::setPermissions(Daten("ordner/gesperrt"), QFile::ReadOwner | QFile::ExeOwner));
  Ansicht.Zeilen.clear();
  Loeschen("ordner", true, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> ordner", "F:delete failed " + Daten("ordner")}));
  EXPECT_TRUE(QFileInfo::exists(fest));
  EXPECT_FALSE(QFileInfo::exists(Daten("ordner/x.txt")));
  for (const char* o : {"fest", "ordner/gesperrt"}) QFile::setPermissions(Daten(o), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A new user's HOME has no ".local/share" yet, and XDG_DATA_HOME is not set.
class ScriptBefehleNeuerNutzer : public ScriptBefehle {
 protected:
  void SetUp() override {
    ScriptBefehle::SetUp();
    qunsetenv("XDG_DATA_HOME");
    // The trash must not land in the current folder either.
    QDir().mkpath(Arbeit);
    FAltArbeit = QDir::currentPath();
    QDir::setCurrent(Arbeit);
    U.Daten("a.txt", "A");
    U.Daten("ordner/b.txt", "B");
  }
  void TearDown() override {
    QDir::setCurrent(FAltArbeit);
    ScriptBefehle::TearDown();
  }
  const QString Arbeit = U.Ordner / "arbeit";
  const QString Muell = U.Ordner / "home/.local/share/Trash/";
  QString FAltArbeit;
};

TEST_F(ScriptBefehleNeuerNutzer, DeleteToTheTrashCreatesTheUsersTrashFolder) {
  Loeschen("a.txt", false, true);
  Loeschen("ordner", false, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> a.txt", "S: X> ordner"}));
  EXPECT_EQ(Lesen(Muell + "files/a.txt"), "A");
  EXPECT_EQ(Lesen(Muell + "files/b.txt"), "B");
  EXPECT_TRUE(QFileInfo::exists(Muell + "info/a.txt.trashinfo"));
  EXPECT_EQ(QFileInfo(Muell).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
  EXPECT_FALSE(QFileInfo::exists(Daten("ordner")));
  EXPECT_TRUE(QDir(Arbeit).isEmpty());
}

// The trash's rules take XDG_DATA_HOME only as an absolute path; a relative one is as if unset.
TEST_F(ScriptBefehleNeuerNutzer, ARelativeDataHomeIsIgnored) {
  qputenv("XDG_DATA_HOME", "relativ/xdg");
  Skript("<Loeschen><Datei Dateiname=\"a.txt\"/></Loeschen>\r\n<Loeschen><Datei Dateiname=\"ordner\"/></Loeschen>");
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> a.txt", "S: X> ordner"}));
  EXPECT_EQ(Lesen(Muell + "files/a.txt"), "A");
  EXPECT_EQ(Lesen(Muell + "files/b.txt"), "B");
  EXPECT_TRUE(QDir(Arbeit).isEmpty());
}

TEST_F(ScriptBefehleNeuerNutzer, DeleteToTheTrashFailsWhereNoTrashFolderCanBeMade) {
  if (test::AlsNutzerWiederholt()) return;
  // A HOME its user may not write: no trash folder can be made in it.
  ASSERT_TRUE(QFile::setPermissions(U.Ordner / "home", QFile::ReadOwner | QFile::ExeOwner));
  Loeschen("a.txt", false, true);
  Loeschen("ordner", false, true);
  QFile::setPermissions(U.Ordner / "home", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"S: X> a.txt", "F:delete failed " + Daten("a.txt"), "S: X> ordner",
                                         "F:delete failed " + Daten("ordner")}));
  EXPECT_EQ(Lesen(Daten("a.txt")), "A");
  EXPECT_EQ(Lesen(Daten("ordner/b.txt")), "B");
  EXPECT_TRUE(QDir(Arbeit).isEmpty());
}

// A name that is no UTF-8 reads as U+FFFD, which is the sibling's real name here: each goes to
// the trash as itself, with its own record.
TEST_F(ScriptBefehle, DeleteFolderToTheTrashTakesEachEntryByTheBytesOfItsName) {
  QDir(Datenverzeichnis).mkpath("ordner");
  RohSchreiben(RohDaten("ordner/b\xFF.txt"), "roh");
  RohSchreiben(RohDaten("ordner/b\xEF\xBF\xBD.txt"), "ersatz");
  Skript("<Loeschen><Datei Dateiname=\"ordner\"/></Loeschen>");
  EXPECT_EQ(Ansicht.Zeilen, QStringList{"S: X> ordner"});
  EXPECT_FALSE(QFileInfo::exists(Daten("ordner")));
  const QByteArray muell = QFile::encodeName(U.Ordner / "xdg/Trash/");
  EXPECT_EQ(RohLesen(muell + "files/b\xFF.txt"), "roh");
  EXPECT_EQ(RohLesen(muell + "files/b\xEF\xBF\xBD.txt"), "ersatz");
  const QByteArray ort = QFile::encodeName(QFileInfo(Daten("ordner")).absoluteFilePath()).toPercentEncoding("/");
  EXPECT_TRUE(RohLesen(muell + "info/b\xFF.txt.trashinfo").contains("\nPath=" + ort + "/b%FF.txt\n"));
  EXPECT_TRUE(RohLesen(muell + "info/b\xEF\xBF\xBD.txt.trashinfo").contains("\nPath=" + ort + "/b%EF%BF%BD.txt\n"));
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

// Only what the system can execute is started: an ELF program or a "#!" script. An execute bit
// alone says nothing (a FAT stick, NTFS and many archives set it on every file); the rest goes
// to the desktop's opener, here a recording one first in PATH.
TEST_F(ScriptBefehle, RunStartsOnlyProgramsTheSystemCanExecuteAndOpensTheRest) {
  DesktopOeffnerSetzen({});
  const QString bin = U.Ordner / "bin";
  const QString spur = U.Ordner / "geoeffnet.txt";
  QDir().mkpath(bin);
  U.Ordner.Schreiben("bin/xdg-open", "#!/bin/sh\necho \"$@\" >> '" + spur.toUtf8() + "'\n");
  QFile::setPermissions(bin + "/xdg-open", QFile::permissions(bin + "/xdg-open") | QFile::ExeOwner);
  const QByteArray altPfad = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(bin) + ':' + altPfad);
  const auto ausfuehrbar = [](const QString& Pfad) {
    QFile::setPermissions(Pfad, QFile::permissions(Pfad) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
  };
  ausfuehrbar(U.Daten("KiroSim.exe", QByteArray("MZ\x90\0\x03\0\0\0", 8)));
  ausfuehrbar(U.Daten("liesmich.txt", "Lies mich"));
  ausfuehrbar(U.Daten("kaputt", "\x7F" "ELF kein Programm"));
  QFile::copy("/bin/true", Daten("wahr"));
  ausfuehrbar(Daten("wahr"));
  const struct {
    const char* Fall;
    const char* Name;
    QStringList Zeilen;
    QByteArray Geoeffnet;  // what the opener got
  } faelle[] = {
      {"a Windows program", "KiroSim.exe", {"S: X> KiroSim.exe"}, Daten("KiroSim.exe").toUtf8() + '\n'},
      {"a document with an execute bit", "liesmich.txt", {"S: X> liesmich.txt"}, Daten("liesmich.txt").toUtf8() + '\n'},
      {"an ELF program starts directly", "wahr", {"S: X> wahr"}, ""},
      {"an ELF file that does not start", "kaputt", {"S: X> kaputt", "F:start failed " + Daten("kaputt")}, ""},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.Fall);
    Ansicht.Zeilen.clear();
    QFile::remove(spur);
    Skript("<Ausfuehren><Datei Dateiname=\"" + QByteArray(f.Name) + "\"/></Ausfuehren>");
    EXPECT_EQ(Ansicht.Zeilen, f.Zeilen);
    // The opener is started, not waited for.
    QDeadlineTimer frist(f.Geoeffnet.isEmpty() ? 500 : 30000);
    while (Lesen(spur) != f.Geoeffnet && !frist.hasExpired()) QThread::msleep(20);
    EXPECT_EQ(QFileInfo::exists(spur) ? Lesen(spur) : QByteArray(), f.Geoeffnet);
  }
  qputenv("PATH", altPfad);
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

TEST_F(ScriptBefehleSvn, MoveIntoAnUnversionedFolderAddsOnlyTheFoldersItNeeds) {
  // The user's own files in a folder the version control does not know yet.
  U.Daten("privat/notizen.txt", "N");
  U.Daten("privat/tief/passwort.txt", "P");
  EXPECT_TRUE(Verschieben("a.txt", "privat\\a.txt", true));
  EXPECT_TRUE(Verschieben("alt\\b.txt", "privat\\neu\\b.txt", true));
  EXPECT_EQ(Status(), QStringList({"? privat/notizen.txt", "? privat/tief", "A  + privat/a.txt",
                                   "A  + privat/neu/b.txt", "A privat", "A privat/neu", "D a.txt", "D alt/b.txt"}));
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_TRUE(Log.Zeilen().isEmpty());
}

// Every place of "@" in the last component, of the source and of the target, each move on its
// own through the engine: the client must take every name as written.
TEST_F(ScriptBefehleSvn, AtSignsAnywhereInTheLastComponentOfSourceAndTarget) {
  const auto mitAt = [](int Stelle, const QString& Stamm) {
    return Stelle == 0 ? u'@' + Stamm + ".ls3" : Stelle == 1 ? Stamm.left(1) + u'@' + Stamm.mid(1) + ".ls3" : Stamm + ".ls3@";
  };
  QStringList quellen;
  for (int q = 0; q < 3; ++q)
    for (int z = 0; z < 3; ++z) {
      quellen << mitAt(q, QStringLiteral("q%1%2").arg(q).arg(z));
      U.Daten("A/" + quellen.last(), "Q");
    }
  ASSERT_TRUE(Svn({"add", Daten("A")}));
  ASSERT_TRUE(Svn({"commit", "-m", "at", Datenverzeichnis}));
  QStringList erwartet;
  for (int q = 0; q < 3; ++q)
    for (int z = 0; z < 3; ++z) {
      const QString quelle = quellen[q * 3 + z];
      const QString ziel = mitAt(z, QStringLiteral("z%1%2").arg(q).arg(z));
      SCOPED_TRACE((quelle + " -> " + ziel).toStdString());
      Skript(("<NurVerschieben><AlterName Dateiname=\"A\\" + quelle + "\"/><NeuerName Dateiname=\"A\\" + ziel +
              "\"/></NurVerschieben>")
                 .toUtf8(),
             true);
      erwartet << "A  + A/" + ziel << "D A/" + quelle;
      erwartet.sort();
      EXPECT_EQ(Status(), erwartet);
      EXPECT_EQ(Lesen(Daten("A/" + ziel)), "Q");
    }
  // A folder that begins with "@" is created and added as written too.
  Skript("<NurVerschieben><AlterName Dateiname=\"a.txt\"/><NeuerName Dateiname=\"@neu\\@a.txt\"/></NurVerschieben>", true);
  erwartet << "A  + @neu/@a.txt" << "A @neu" << "D a.txt";
  erwartet.sort();
  EXPECT_EQ(Status(), erwartet);
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_TRUE(Log.Zeilen().isEmpty());
}

TEST_F(ScriptBefehleSvn, NamesWithAnAtSignAreTakenLiterally) {
  U.Daten("Zug@Nacht.ls", "N");
  U.Daten("Zug@2.ls", "2");
  ASSERT_TRUE(Svn({"add", Daten("Zug@Nacht.ls") + u'@', Daten("Zug@2.ls") + u'@'}));
  ASSERT_TRUE(Svn({"commit", "-m", "at", Datenverzeichnis}));
  const QString w = QFileInfo(Datenverzeichnis).absoluteFilePath();
  EXPECT_TRUE(Verschieben("Zug@Nacht.ls", "neu@x\\Zug@Tag.ls", true));
  Loeschen("Zug@2.ls", false, false, true);
  EXPECT_EQ(Ansicht.Zeilen, QStringList({"G:Zug@Nacht.ls -> neu@x\\Zug@Tag.ls", "P:add --parents \"" + w + "neu@x\"",
                                         "P:move \"" + w + "Zug@Nacht.ls\" \"" + w + "neu@x/Zug@Tag.ls\"",
                                         "S: X> Zug@2.ls", "P:delete \"" + w + "Zug@2.ls\""}));
  EXPECT_EQ(Status(), QStringList({"A  + neu@x/Zug@Tag.ls", "A neu@x", "D Zug@2.ls", "D Zug@Nacht.ls"}));
  EXPECT_TRUE(Boxen.isEmpty());
  EXPECT_TRUE(Log.Zeilen().isEmpty());
}

}  // namespace
