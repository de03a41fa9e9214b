#include "foundation/Pfade.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include <gtest/gtest.h>

using namespace kiro;

TEST(Pfade, RefusesEveryNameThatLeavesItsFolder) {
  const char* schlecht[] = {"", "/abs", "\\abs", "C:\\x", "c:x", "..", "a/../b", "a\\..\\..\\b", "./a",
                            "a//b", "a\\\\b", "a/./b", "//server/share", "a\tb", "a\nb", "a\x7f"};
  for (const char* n : schlecht) EXPECT_FALSE(SicherVerbinden("/base/", QString::fromUtf8(n))) << n;
  EXPECT_FALSE(SicherVerbinden("/base/", QString(QChar(0)) + "x"));
}

TEST(Pfade, JoinsAcceptedNamesInNativeForm) {
  struct {
    const char* basis;
    const char* name;
    const char* erwartet;
  } faelle[] = {
      {"/base/", "data\\x\\y.ls3", "/base/data/x/y.ls3"},
      {"/base", "a/b", "/base/a/b"},
      {"", "a\\b\\", "a/b"},
      {"/base/", "..a/b..", "/base/..a/b.."},
      {"/base/", "\u00c4rger.txt", "/base/\u00c4rger.txt"},
  };
  for (const auto& f : faelle)
    EXPECT_EQ(SicherVerbinden(QString::fromUtf8(f.basis), QString::fromUtf8(f.name)).value_or("<refused>"),
              QString::fromUtf8(f.erwartet));
}

TEST(Pfade, ResolvesExistingComponentsIgnoringCase) {
  test::TempOrdner t;
  t.Schreiben("Daten/Unter/Datei.TXT", "x");
  EXPECT_EQ(*SicherVerbindenOhneGrossKlein(t.Pfad(), "daten\\UNTER\\datei.txt"), t / "Daten/Unter/Datei.TXT");
  EXPECT_EQ(*SicherVerbindenOhneGrossKlein(t.Pfad(), "DATEN\\neu\\x.txt"), t / "Daten/neu/x.txt");
  EXPECT_FALSE(SicherVerbindenOhneGrossKlein(t.Pfad(), "daten\\..\\x"));
}

// Opened name by name below a held folder: letters' case as on disk, never through a link, and
// also deeper than the longest path the system takes.
TEST(Pfade, OeffnetNameFuerNameUnterDemGehaltenenOrdner) {
  test::TempOrdner t;
  t.Schreiben("Daten/Unter/Datei.TXT", "x");
  ASSERT_EQ(::symlink("Daten/Unter", QFile::encodeName(t / "Verweis").constData()), 0);
  ASSERT_EQ(::symlink("Datei.TXT", QFile::encodeName(t / "Daten/Unter/verweis.txt").constData()), 0);
  // Folders of 250 bytes until the whole path is longer than PATH_MAX.
  QString tief;
  {
    int fd = ::open(QFile::encodeName(t.Pfad()).constData(), O_RDONLY | O_DIRECTORY);
    while ((t.Pfad() + tief).size() <= PATH_MAX) {
      const QByteArray name(250, 't');
      ASSERT_EQ(::mkdirat(fd, name.constData(), 0777), 0);
      const int naechster = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = naechster;
      tief += QString::fromLatin1(name) + u'/';
    }
    const int datei = ::openat(fd, "tief.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(datei, "tief", 4), 4);
    ::close(datei);
    ::close(fd);
  }
  struct Fall {
    QString Name;
    QByteArray Inhalt;  // what is read; empty when the open fails with Fehler
    int Fehler;
  };
  const QList<Fall> faelle{{"Daten/Unter/Datei.TXT", "x", 0},
                           {"daten\\UNTER\\datei.txt", "x", 0},
                           {tief.toUpper() + "TIEF.TXT", "tief", 0},
                           {"Verweis/Datei.TXT", {}, ENOTDIR},
                           {"Daten/Unter/verweis.txt", {}, ELOOP},
                           {"Daten/fehlt/Datei.TXT", {}, ENOENT},
                           {"Daten/../Daten/Unter/Datei.TXT", {}, EINVAL},
                           {"/etc/passwd", {}, EINVAL}};
  const int ordner = ::open(QFile::encodeName(t.Pfad()).constData(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(ordner, 0);
  for (const Fall& c : faelle) {
    SCOPED_TRACE(c.Name.left(60).toStdString());
    errno = 0;
    const int fd = SicherOeffnenOhneGrossKlein(ordner, c.Name, O_RDONLY);
    if (c.Fehler) {
      EXPECT_EQ(fd, -1);
      EXPECT_EQ(errno, c.Fehler);
      continue;
    }
    ASSERT_GE(fd, 0) << std::strerror(errno);
    QFile f;
    ASSERT_TRUE(f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(f.readAll(), c.Inhalt);
  }
  ::close(ordner);
  // Too deep for a removal by paths.
  QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), t / QString(250, u't')});
}
