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

  // The names a temporary of this process could take are taken (a link someone planted, a file
  // of a running process): the temporary is a fresh name, and none is written, followed or
  // removed; a user's "name~" and "name~1" are the user's.
  const QString datei = ordner.Schreiben("b.txt", "alt");
  const QString opfer = ordner.Schreiben("opfer", "bleibt");
  const QString eigen = QStringLiteral(".~kiro") + QString::number(::getpid()) + u'.';
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(QFile::link(opfer, ordner / (eigen + QString::number(i))));
  const QString sicherung = ordner.Schreiben("b.txt~", "Sicherung");
  ordner.Schreiben("b.txt~1", "Sicherung 1");
  ASSERT_TRUE(DateiErsetzen(datei, "neu"));
  EXPECT_EQ(test::Lesen(datei), "neu");
  EXPECT_EQ(test::Lesen(opfer), "bleibt");
  EXPECT_TRUE(QFileInfo(ordner / (eigen + u'0')).isSymLink());
  EXPECT_EQ(test::Lesen(sicherung), "Sicherung");
  EXPECT_EQ(QDir(ordner.Pfad()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{eigen + u'0', eigen + u'1', eigen + u'2', "a.txt", "b.txt", "b.txt~", "b.txt~1", "fifo", "opfer"}));

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

// A temporary always fits beside its file: its name is short whatever the file's name.
TEST(Textdatei, ReplacesAFileOfTheLongestName) {
  test::TempOrdner ordner;
  const QString datei = ordner.Schreiben(QString(255, u'n'), "alt");
  QString fehler;
  EXPECT_TRUE(DateiErsetzen(datei, "neu", &fehler)) << fehler.toStdString();
  EXPECT_EQ(test::Lesen(datei), "neu");
  EXPECT_EQ(QDir(ordner.Pfad()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// What a killed run left beside the file goes with the next replace there; a temporary of a
// process that runs, and a user's own "name~", stay.
TEST(Textdatei, ReplaceRemovesDeadTemporariesOfThisProgram) {
  test::TempOrdner ordner;
  const QString datei = ordner.Schreiben("c.ls3", "alt");
  const QString tot = QStringLiteral(".~kiro") + QString::number(test::BeendeterProzess());
  ordner.Schreiben(tot + ".0", QByteArray(1000, 't'));
  ordner.Schreiben(tot + ".17", "t");
  ordner.Schreiben(".~kiro1.0", "of a process that runs");
  ordner.Schreiben("c.ls3~", "the user's");
  ordner.Schreiben(tot + ".x", "no name of ours");
  ASSERT_TRUE(DateiErsetzen(datei, "neu"));
  QStringList namen = QDir(ordner.Pfad()).entryList(QDir::Files | QDir::Hidden);
  namen.sort();
  QStringList bleiben{tot + ".x", ".~kiro1.0", "c.ls3", "c.ls3~"};
  bleiben.sort();
  EXPECT_EQ(namen, bleiben);
  EXPECT_EQ(test::Lesen(ordner / "c.ls3~"), "the user's");
}

// Run as root over a user's file: the new file is the user's again, with the user's group and
// mode, as "sed -i" leaves it.
TEST(Textdatei, ReplaceKeepsOwnerGroupAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  test::TempOrdner ordner;
  const QString datei = ordner.Schreiben("d.ls3", "alt");
  const QByteArray n = QFile::encodeName(datei);
  ASSERT_EQ(::chown(n.constData(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(n.constData(), 0640), 0);
  ASSERT_TRUE(DateiErsetzen(datei, "neu"));
  struct stat st {};
  ASSERT_EQ(::stat(n.constData(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
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
