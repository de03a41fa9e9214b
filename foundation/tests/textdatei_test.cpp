#include "foundation/Textdatei.h"
#include "testsupport/TempOrdner.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

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

  const QString datei = ordner.Schreiben("b.txt", "alt");
  const QString opfer = ordner.Schreiben("opfer", "bleibt");
  ASSERT_TRUE(QFile::link(opfer, datei + "~"));
  ASSERT_TRUE(DateiErsetzen(datei, "neu"));
  EXPECT_EQ(test::Lesen(datei), "neu");
  EXPECT_EQ(test::Lesen(opfer), "bleibt");
  EXPECT_FALSE(QFile::exists(datei + "~"));

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

}  // namespace
