#include "foundation/Kern.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>

using namespace kiro;

namespace {
std::string Nativ(const QString& p) { return QFile::encodeName(p).toStdString(); }
}  // namespace

TEST(VerzeichnisAnlegen, CreatesEveryMissingLevel) {
  test::TempOrdner t;
  EXPECT_EQ(VerzeichnisAnlegen(Nativ(t / "neu/tief/")), 0);
  EXPECT_TRUE(QFileInfo(t / "neu/tief").isDir());
  VerzeichnisAnlegen(Nativ(t / "a/b/c"));
  EXPECT_TRUE(QFileInfo(t / "a/b/c").isDir());
  VerzeichnisAnlegen(Nativ(t / "x//y"));
  EXPECT_TRUE(QFileInfo(t / "x/y").isDir());
}

TEST(VerzeichnisAnlegen, LeavesExistingFoldersAndTheirContent) {
  test::TempOrdner t;
  t.Schreiben("da/datei.txt", "inhalt");
  VerzeichnisAnlegen(Nativ(t / "da"));
  VerzeichnisAnlegen(Nativ(t / "da/"));
  EXPECT_EQ(test::Lesen(t / "da/datei.txt"), "inhalt");
  EXPECT_EQ(QDir(t / "da").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"datei.txt"});
}

TEST(VerzeichnisAnlegen, EmptyPathDoesNothing) {
  test::TempOrdner t;
  const QString vorher = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(t.Pfad()));
  VerzeichnisAnlegen(std::string());
  EXPECT_TRUE(QDir(t.Pfad()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
  QDir::setCurrent(vorher);
}

TEST(VerzeichnisAnlegen, RelativePathBelowCurrentFolder) {
  test::TempOrdner t;
  const QString vorher = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(t.Pfad()));
  VerzeichnisAnlegen("rel/tief");
  QDir::setCurrent(vorher);
  EXPECT_TRUE(QFileInfo(t / "rel/tief").isDir());
}

TEST(VerzeichnisAnlegen, FileInTheWayIsLeftAndNothingIsMadeBelowIt) {
  test::TempOrdner t;
  t.Schreiben("datei", "bleibt");
  EXPECT_EQ(VerzeichnisAnlegen(Nativ(t / "datei/unter/tiefer")), ENOTDIR) << "the reason of the first refused level";
  EXPECT_TRUE(QFileInfo(t / "datei").isFile());
  EXPECT_EQ(test::Lesen(t / "datei"), "bleibt");
}
