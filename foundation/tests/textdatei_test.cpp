#include "foundation/Textdatei.h"
#include "testsupport/Fifo.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kiro;

namespace {

TEST(Textdatei, AByteOrderMarkChoosesTheEncoding) {
  const struct {
    const char* name;
    QByteArray bytes;
    QString text;
  } faelle[] = {
      {"ANSI", QByteArray("Gr\xE4" "ben \x80"), QStringLiteral("Gr\u00e4ben \u20ac")},
      {"UTF-8", QByteArray("\xEF\xBB\xBFGr\xC3\xA4" "ben"), QStringLiteral("Gr\u00e4ben")},
      {"UTF-16 LE", QByteArray("\xFF\xFE\x41\x00\x01\x01", 6), QStringLiteral("A\u0101")},
      {"UTF-16 BE", QByteArray("\xFE\xFF\x00\x41\x01\x01", 6), QStringLiteral("A\u0101")},
      {"UTF-8 without mark is ANSI", QByteArray("\xC3\xA4"), QStringLiteral("\u00c3\u00a4")},
  };
  for (const auto& f : faelle) EXPECT_EQ(TextEntschluesseln(f.bytes), f.text) << f.name;
  EXPECT_EQ(TextZeilen("a\r\nb\nc\rd\r\n"), QStringList({"a", "b", "c", "d"}));
  EXPECT_EQ(TextZeilen("a\n\nb"), QStringList({"a", "", "b"}));
}

TEST(Textdatei, ReadsOnlyRegularFilesAndReplacesInOneStep) {
  test::TempOrdner ordner;
  QString text;
  QString fehler;
  ASSERT_TRUE(TextdateiLesen(ordner.Schreiben("a.txt", "\xEF\xBB\xBFok"), text, &fehler));
  EXPECT_EQ(text, "ok");
  EXPECT_FALSE(TextdateiLesen(ordner / "fehlt.txt", text, &fehler));
  EXPECT_FALSE(fehler.isEmpty());
  EXPECT_FALSE(TextdateiLesen(ordner.Pfad(), text, &fehler));
  ASSERT_EQ(::mkfifo(QFile::encodeName(ordner / "fifo").constData(), 0600), 0);
  EXPECT_FALSE(TextdateiLesen(ordner / "fifo", text, &fehler)) << "a FIFO without writer must not hang";
  EXPECT_EQ(text, "ok");

  // "name~" and "name~1" are taken (a link someone planted, an editor's backup): the temporary
  // is a fresh name, and neither is written, followed or removed.
  const QString datei = ordner.Schreiben("b.txt", "alt");
  const QString opfer = ordner.Schreiben("opfer", "bleibt");
  ASSERT_TRUE(QFile::link(opfer, datei + "~"));
  const QString sicherung = ordner.Schreiben("b.txt~1", "Sicherung");
  ASSERT_TRUE(DateiErsetzen(datei, "neu"));
  EXPECT_EQ(test::Lesen(datei), "neu");
  EXPECT_EQ(test::Lesen(opfer), "bleibt");
  EXPECT_TRUE(QFileInfo(datei + "~").isSymLink());
  EXPECT_EQ(test::Lesen(sicherung), "Sicherung");
  EXPECT_EQ(QDir(ordner.Pfad()).entryList({"b.txt*"}, QDir::AllEntries | QDir::System),
            (QStringList{"b.txt", "b.txt~", "b.txt~1"}));

  // A private file stays private when it is replaced.
  const QString privat = ordner.Schreiben("privat.txt", "alt");
  ASSERT_EQ(::chmod(QFile::encodeName(privat).constData(), 0600), 0);
  ASSERT_TRUE(DateiErsetzen(privat, "neu"));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(privat).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  EXPECT_FALSE(DateiErsetzen(ordner / "fehlt/c.txt", "x", &fehler));
  EXPECT_FALSE(fehler.isEmpty());
}

TEST(Textdatei, AppendsOnlyToRegularFiles) {
  test::TempOrdner ordner;
  QString fehler;
  ASSERT_TRUE(DateiAnhaengen(ordner / "log.txt", "eins\r\n"));
  ASSERT_TRUE(DateiAnhaengen(ordner / "log.txt", "zwei\r\n"));
  EXPECT_EQ(test::Lesen(ordner / "log.txt"), "eins\r\nzwei\r\n");
  // A FIFO, with or without a reader, and a folder are not written to.
  ASSERT_TRUE(test::FifoAnlegen(ordner / "fifo"));
  EXPECT_TRUE(test::KehrtZurueck([&] { EXPECT_FALSE(DateiAnhaengen(ordner / "fifo", "x", &fehler)); }, ordner / "fifo"));
  EXPECT_FALSE(fehler.isEmpty());
  const int leser = ::open(QFile::encodeName(ordner / "fifo").constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(leser, 0);
  EXPECT_FALSE(DateiAnhaengen(ordner / "fifo", "x"));
  char c;
  EXPECT_LE(::read(leser, &c, 1), 0) << "nothing reached the FIFO";
  ::close(leser);
  EXPECT_FALSE(DateiAnhaengen(ordner.Pfad(), "x"));
}

}  // namespace
