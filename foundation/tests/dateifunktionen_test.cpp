#include "foundation/Dateifunktionen.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/TempOrdner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace kiro;

namespace {

QStringList Inhalt(const QString& ordner) {
  return QDir(ordner).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

bool Verknuepfen(const QString& ziel, const QString& link) { return QFile::link(ziel, link); }

// Sets an environment variable for one test and puts the old value back afterwards.
class Umgebung {
 public:
  Umgebung(const char* name, const QByteArray& wert) : FName(name), FHatte(qEnvironmentVariableIsSet(name)) {
    FAlt = qgetenv(name);
    qputenv(name, wert);
  }
  ~Umgebung() {
    if (FHatte)
      qputenv(FName, FAlt);
    else
      qunsetenv(FName);
  }

 private:
  const char* FName;
  bool FHatte;
  QByteArray FAlt;
};

}  // namespace

TEST(Trimmen, RemovesOnlyBlanksAndOptionallyTabs) {
  struct {
    const char* text;
    bool tabs;
    const char* erwartet;
  } faelle[] = {
      {"  a b  ", false, "a b"},
      {"   ", false, ""},
      {"", true, ""},
      {"\t a \t", false, "\t a \t"},
      {" \t a", false, "\t a"},
      {"a \t ", false, "a \t"},
      {" \t \ta\t \t", true, "a"},
      {"\t\t", true, ""},
      {"\r\n a \n", true, "\r\n a \n"},
      {"\xc2\xa0" "a", true, "\xc2\xa0" "a"},
  };
  for (const auto& f : faelle)
    EXPECT_EQ(Trimmen(QString::fromUtf8(f.text), f.tabs), QString::fromUtf8(f.erwartet))
        << '"' << f.text << "\" tabs=" << f.tabs;
}

TEST(MitNullenAuffuellen, PadsToWidthWithZerosInFrontOfTheSign) {
  struct {
    std::int32_t zahl;
    int stellen;
    const char* erwartet;
  } faelle[] = {
      {7, 4, "0007"},       {12345, 4, "12345"}, {0, 4, "0000"},        {-5, 4, "00-5"},
      {-1234, 4, "-1234"},  {42, 0, "42"},       {42, -3, "42"},        {INT32_MIN, 4, "-2147483648"},
      {9999, 4, "9999"},    {10000, 4, "10000"}, {1, 1, "1"},
  };
  for (const auto& f : faelle)
    EXPECT_EQ(MitNullenAuffuellen(f.zahl, f.stellen), QString::fromLatin1(f.erwartet)) << f.zahl << '/' << f.stellen;
}

TEST(VersionZerlegen, SplitsFourPartsAndTurnsBadPartsIntoZero) {
  struct {
    const char* text;
    std::uint16_t v[4];
  } faelle[] = {
      {"3.5.7.0", {3, 5, 7, 0}},
      {"2.1", {2, 1, 0, 0}},
      {"1.x.3", {1, 0, 3, 0}},
      {"1.2.3.4.5", {1, 2, 3, 0}},
      {"", {0, 0, 0, 0}},
      {"7", {7, 0, 0, 0}},
      {"1..3", {1, 0, 3, 0}},
      {".2", {0, 2, 0, 0}},
      {"65536.65537.-1.+4", {0, 1, 65535, 4}},
      {"4294967296.1", {0, 1, 0, 0}},
      {"1.2.3.", {1, 2, 3, 0}},
      {"-.+.9", {0, 0, 9, 0}},
  };
  for (const auto& f : faelle) {
    std::uint16_t v[4] = {11, 11, 11, 11};
    VersionZerlegen(QString::fromLatin1(f.text), v[0], v[1], v[2], v[3]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], f.v[i]) << '"' << f.text << "\" part " << i + 1;
  }
}

TEST(VersionMindestens, ComparesPartsAsNumbers) {
  struct {
    const char* a;
    const char* b;
    bool erwartet;
  } faelle[] = {
      {"1.2.0.0", "1.2.0.1", false}, {"1.2.0.1", "1.2.0.0", true}, {"3.5.7.0", "3.5.7.0", true},
      {"", "0.0.0.0", true},         {"1.2", "1.2.0.0", true},     {"1.2.0.0", "1.2", true},
      {"1.10.0.0", "1.9.0.0", true}, {"1.9.0.0", "1.10.0.0", false}, {"2", "1.99.99.99", true},
      {"1.x", "1.0", true},          {"0.0.0.1", "", true},        {"1.65535", "1.65536", true},
  };
  for (const auto& f : faelle) EXPECT_EQ(VersionMindestens(f.a, f.b), f.erwartet) << f.a << " >= " << f.b;
}

TEST(GroesseAlsText, UnitsBoundariesAndDecimals) {
  const QLocale vorher;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  struct {
    std::uint32_t bytes;
    const char* erwartet;
  } faelle[] = {
      {0, " bytes"},
      {1, "1 bytes"},
      {1024, "1024 bytes"},
      {1025, "1 KB"},
      {1536, "1.5 KB"},
      {1280, "1.25 KB"},
      {1034, "1.01 KB"},       // 1.0097...: rounded to two places
      {1029, "1 KB"},          // 1.0048...: the second decimal rounds away
      {1024000, "1000 KB"},
      {1024001, "1 MB"},
      {1536000, "1.5 MB"},
      {1024000000, "1000 MB"},
      {1024000001, "1 GB"},
      {4294967295u, "4.19 GB"},
  };
  for (const auto& f : faelle) EXPECT_EQ(GroesseAlsText(f.bytes), QString::fromLatin1(f.erwartet)) << f.bytes;

  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(GroesseAlsText(1536), "1,5 KB");
  EXPECT_EQ(GroesseAlsText(1234567), "1,21 MB");
  EXPECT_EQ(GroesseAlsText(2048000000), "2 GB") << "no thousands separator";
  QLocale::setDefault(vorher);
}

TEST(VerzeichnisLoeschen, RemovesHiddenFilesReadOnlyFilesAndNestedEmptyFolders) {
  test::TempOrdner t;
  const QString ziel = t / "weg";
  t.Schreiben("weg/.versteckt", "x");
  t.Schreiben("weg/a/b/.auch", "y");
  const QString nurLesen = t.Schreiben("weg/a/nurlesen.txt", "z");
  ASSERT_TRUE(QFile::setPermissions(nurLesen, QFile::ReadOwner));
  ASSERT_TRUE(QDir().mkpath(ziel + "/leer/leerer/am_leersten"));
  ASSERT_TRUE(QDir().mkpath(ziel + "/.versteckter_ordner"));

  EXPECT_TRUE(VerzeichnisLoeschen(ziel + "/", false));
  EXPECT_FALSE(QFileInfo::exists(ziel));
  EXPECT_EQ(Inhalt(t.Pfad()), QStringList());
}

TEST(VerzeichnisLoeschen, RemovesLinksButNeverWhatTheyPointTo) {
  for (bool papierkorb : {false, true}) {
    SCOPED_TRACE(papierkorb);
    test::TempOrdner t;
    // Keep the trash inside the test folder.
    Umgebung home("HOME", QFile::encodeName(t / "home"));
    Umgebung daten("XDG_DATA_HOME", QFile::encodeName(t / "home/.local/share"));
    QDir().mkpath(t / "home/.local/share");
    const QString draussen = t / "draussen";
    t.Schreiben("draussen/wichtig.txt", "bleibt");
    t.Schreiben("draussen/unter/auch.txt", "bleibt");
    t.Schreiben("weg/datei.txt", "x");
    ASSERT_TRUE(Verknuepfen(draussen, t / "weg/zum_ordner"));
    ASSERT_TRUE(Verknuepfen(draussen + "/wichtig.txt", t / "weg/zur_datei"));
    ASSERT_TRUE(Verknuepfen(t / "gibt_es_nicht", t / "weg/haengend"));
    ASSERT_TRUE(QDir().mkpath(t / "weg/tief"));
    ASSERT_TRUE(Verknuepfen("../../draussen", t / "weg/tief/relativ"));

    EXPECT_TRUE(VerzeichnisLoeschen(t / "weg", papierkorb));
    EXPECT_FALSE(QFileInfo::exists(t / "weg"));
    EXPECT_EQ(Inhalt(draussen), (QStringList{"unter", "wichtig.txt"}));
    EXPECT_EQ(test::Lesen(draussen + "/wichtig.txt"), "bleibt");
    EXPECT_EQ(test::Lesen(draussen + "/unter/auch.txt"), "bleibt");
  }
}

TEST(VerzeichnisLoeschen, PathThatIsALinkRemovesOnlyTheLink) {
  test::TempOrdner t;
  t.Schreiben("draussen/wichtig.txt", "bleibt");
  ASSERT_TRUE(Verknuepfen(t / "draussen", t / "link"));
  EXPECT_TRUE(VerzeichnisLoeschen(t / "link/", false));
  EXPECT_FALSE(QFileInfo(t / "link").isSymLink());
  EXPECT_EQ(test::Lesen(t / "draussen/wichtig.txt"), "bleibt");
}

TEST(VerzeichnisLoeschen, WithTrashMovesFilesThere) {
  test::TempOrdner t;
  Umgebung home("HOME", QFile::encodeName(t / "home"));
  Umgebung daten("XDG_DATA_HOME", QFile::encodeName(t / "home/.local/share"));
  QDir().mkpath(t / "home/.local/share");
  t.Schreiben("weg/eins.txt", "1");
  t.Schreiben("weg/unter/zwei.txt", "2");
  EXPECT_TRUE(VerzeichnisLoeschen(t / "weg", true));
  EXPECT_FALSE(QFileInfo::exists(t / "weg"));
  EXPECT_EQ(Inhalt(t / "home/.local/share/Trash/files"), (QStringList{"eins.txt", "zwei.txt"}));
}

TEST(VerzeichnisLoeschen, MissingFolderCountsAsDeleted) {
  test::TempOrdner t;
  EXPECT_TRUE(VerzeichnisLoeschen(t / "gibt_es_nicht", false));
  EXPECT_TRUE(VerzeichnisLoeschen(t / "gibt_es_nicht/tiefer/", true));
}

TEST(VerzeichnisLoeschen, RefusesEmptyAndRootAndLeavesAFileInPlace) {
  test::TempOrdner t;
  for (const char* p : {"", "/", "//", "/tmp/..", "/."}) EXPECT_FALSE(VerzeichnisLoeschen(p, false)) << p;
  // The current folder being the root must not make "." an alias of it.
  const QString vorher = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent("/"));
  EXPECT_FALSE(VerzeichnisLoeschen(".", false));
  QDir::setCurrent(vorher);
  ASSERT_TRUE(Verknuepfen("/", t / "zur_wurzel"));
  EXPECT_FALSE(VerzeichnisLoeschen(t / "zur_wurzel/.", false));
  EXPECT_TRUE(QFileInfo::exists("/proc/self")) << "root still there";

  const QString datei = t.Schreiben("datei", "kein Ordner");
  EXPECT_FALSE(VerzeichnisLoeschen(datei, false));
  EXPECT_EQ(test::Lesen(datei), "kein Ordner");
}

TEST(VerzeichnisLoeschen, ReportsWhatCannotBeDeleted) {
  // Root may delete in a read-only folder: the case runs as an ordinary user.
  if (test::AlsNutzerWiederholt()) return;
  test::TempOrdner t;
  t.Schreiben("weg/frei.txt", "x");
  t.Schreiben("weg/gesperrt/fest.txt", "y");
  ASSERT_TRUE(QFile::setPermissions(t / "weg/gesperrt", QFile::ReadOwner | QFile::ExeOwner));
  EXPECT_FALSE(VerzeichnisLoeschen(t / "weg", false));
  EXPECT_FALSE(QFileInfo::exists(t / "weg/frei.txt"));
  EXPECT_TRUE(QFileInfo::exists(t / "weg/gesperrt/fest.txt"));
  QFile::setPermissions(t / "weg/gesperrt", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Mounting needs root; a private mount namespace keeps the mounts to this process.
bool EigeneMounts() {
  return ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

TEST(VerzeichnisLoeschen, StopsAtAnotherMountInside) {
  if (!EigeneMounts()) GTEST_SKIP() << "cannot mount here";
  // A bind mount of the same file system keeps the device number; only the mount tells it apart.
  for (bool bindMount : {false, true}) {
    SCOPED_TRACE(bindMount ? "bind mount of a folder outside" : "a stick's own file system");
    test::TempOrdner t;
    t.Schreiben("weg/eigen.txt", "x");
    ASSERT_TRUE(QDir().mkpath(t / "weg/stick"));
    const QByteArray stick = QFile::encodeName(t / "weg/stick");
    if (bindMount) {
      t.Schreiben("draussen/fremd.txt", "bleibt");
      ASSERT_EQ(::mount(QFile::encodeName(t / "draussen").constData(), stick.constData(), nullptr, MS_BIND, nullptr), 0);
    } else {
      ASSERT_EQ(::mount("kirotest", stick.constData(), "tmpfs", 0, "size=1m"), 0);
      t.Schreiben("weg/stick/fremd.txt", "bleibt");
    }

    EXPECT_FALSE(VerzeichnisLoeschen(t / "weg", false));
    EXPECT_FALSE(QFileInfo::exists(t / "weg/eigen.txt"));
    EXPECT_EQ(test::Lesen(t / "weg/stick/fremd.txt"), "bleibt");
    ::umount2(stick.constData(), MNT_DETACH);
    if (bindMount) {
      EXPECT_EQ(test::Lesen(t / "draussen/fremd.txt"), "bleibt");
    }
  }
}

TEST(VerzeichnisLoeschen, LetsTheWindowWorkBetweenFiles) {
  test::TempOrdner t;
  for (int i = 0; i < 5; ++i) t.Schreiben(QStringLiteral("weg/datei%1").arg(i), "x");
  int uebrigBeimEreignis = -1;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [&] { uebrigBeimEreignis = int(Inhalt(t / "weg").size()); }, Qt::QueuedConnection);
  EXPECT_TRUE(VerzeichnisLoeschen(t / "weg", false));
  EXPECT_EQ(uebrigBeimEreignis, 5) << "the pending event ran before the first file went";
}

TEST(FreiesNummernverzeichnis, TakesTheFirstFreeNumberAndCreatesIt) {
  test::TempOrdner t;
  ASSERT_TRUE(QDir().mkpath(t / "Kiro3_0001"));
  ASSERT_TRUE(QDir().mkpath(t / "Kiro3_0002"));
  ASSERT_TRUE(QDir().mkpath(t / "Kiro3_0004"));
  EXPECT_EQ(FreiesNummernverzeichnis(t.Pfad(), "Kiro3_"), t / "Kiro3_0003/");
  EXPECT_TRUE(QFileInfo(t / "Kiro3_0003").isDir());
  EXPECT_EQ(FreiesNummernverzeichnis(t.Pfad(), "Kiro3_"), t / "Kiro3_0005/");
  EXPECT_EQ(FreiesNummernverzeichnis(t.Pfad(), "Kiro3_"), t / "Kiro3_0006/");
  EXPECT_TRUE(QFileInfo(t / "Kiro3_0006").isDir());
}

TEST(FreiesNummernverzeichnis, AnyEntryOfThatNameIsTaken) {
  test::TempOrdner t;
  t.Schreiben("K0001", "eine Datei");
  ASSERT_TRUE(Verknuepfen(t / "gibt_es_nicht", t / "K0002"));
  ASSERT_TRUE(Verknuepfen(t / "anderswo", t / "K0003"));
  QDir().mkpath(t / "anderswo");
  EXPECT_EQ(FreiesNummernverzeichnis(t.Pfad(), "K"), t / "K0004/");
  EXPECT_TRUE(QFileInfo(t / "K0004").isDir());
  EXPECT_EQ(test::Lesen(t / "K0001"), "eine Datei");
  EXPECT_TRUE(QFileInfo(t / "K0002").isSymLink());
  EXPECT_TRUE(QDir(t / "anderswo").isEmpty());
}

TEST(FreiesNummernverzeichnis, CreatesMissingBaseAndGoesPastFourDigits) {
  test::TempOrdner t;
  EXPECT_EQ(FreiesNummernverzeichnis(t / "neu/basis/", "N_"), t / "neu/basis/N_0001/");
  EXPECT_TRUE(QFileInfo(t / "neu/basis/N_0001").isDir());

  for (int i = 1; i <= 9999; ++i) QDir().mkdir(t / QStringLiteral("V%1").arg(i, 4, 10, QChar(u'0')));
  EXPECT_EQ(FreiesNummernverzeichnis(t.Pfad(), "V"), t / "V10000/");
}

TEST(DesktopVerzeichnis, FollowsTheDesktopSettingWithoutTrailingSlash) {
  test::TempOrdner t;
  Umgebung home("HOME", QFile::encodeName(t / "home"));
  Umgebung konfig("XDG_CONFIG_HOME", QFile::encodeName(t / "home/.config"));
  t.Schreiben("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n");
  QDir().mkpath(t / "home/Schreibtisch");
  EXPECT_EQ(DesktopVerzeichnis(), t / "home/Schreibtisch");
}
