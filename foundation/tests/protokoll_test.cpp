#include "foundation/Meldung.h"
#include "foundation/Ordner.h"
#include "foundation/Protokoll.h"
#include "testsupport/Fifo.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>

using namespace kiro;

namespace {

// Routes the global folder, the message list, the clock and the box to the test.
class ProtokollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Datenverzeichnis = Ordner.Pfad();
    ProtokollUhrSetzen([] { return QTime(9, 5, 3, 7); });
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen.append(b.Text);
      return int(mrOk);
    });
  }
  void TearDown() override {
    MeldungsListBox = nullptr;
    // A failure streak keeps its lines until a write succeeds; end it, so the next test starts clean.
    test::TempOrdner leeren;
    ProtokollOrdnerSetzen(leeren.Pfad());
    Protokollieren("", "Ende", 2);
    ProtokollOrdnerSetzen(QString());
    Datenverzeichnis.clear();
    ProtokollUhrSetzen({});
    MeldungZeigenHookSetzen({});
  }
  QByteArray Logdatei() const { return test::Lesen(Ordner / "temp/exportlog.txt"); }

  test::TempOrdner Ordner;
  QStringList Boxen;
};

struct Fall {
  quint8 typ;
  bool liste;
  bool ordner;
  bool inListe;
  bool inDatei;
  bool box;
};

TEST_F(ProtokollTest, WhereALineGoesByTypeListAndFolder) {
  const Fall faelle[] = {
      // typ, message list, temp folder -> list, file, box
      {0, true, true, false, false, false},  {0, false, true, false, false, false},
      {1, true, true, true, false, false},   {1, false, true, false, true, false},
      {2, true, false, true, false, false},  {2, false, true, false, true, false},
      {2, false, false, false, false, true}, {3, false, true, false, false, false},
      {3, true, true, true, false, false},   {5, false, true, false, false, false},
      {5, false, false, false, false, false}, {5, true, false, true, false, false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(testing::Message() << "typ " << int(f.typ) << " liste " << f.liste << " ordner " << f.ordner);
    QDir(Ordner.Pfad()).removeRecursively();
    QDir().mkpath(Ordner.Pfad());
    if (f.ordner) QDir().mkpath(Ordner / "temp");
    Boxen.clear();
    int benachrichtigt = 0;
    TMeldungsListe liste([&] { ++benachrichtigt; });
    MeldungsListBox = f.liste ? &liste : nullptr;

    Protokollieren("", "Zeile", f.typ);

    const auto zeilen = liste.Entnehmen();
    EXPECT_EQ(zeilen.size(), f.inListe ? 1 : 0);
    EXPECT_EQ(benachrichtigt, f.inListe ? 1 : 0);
    if (f.inListe) {
      EXPECT_EQ(zeilen[0].Typ, f.typ);
      EXPECT_EQ(zeilen[0].Meldung, "09:05:03:007: Zeile");
    }
    EXPECT_EQ(Logdatei(), f.inDatei ? QByteArray("Zeile\r\n") : QByteArray());
    EXPECT_EQ(Boxen, f.box ? QStringList{"Zeile"} : QStringList{});
    MeldungsListBox = nullptr;
  }
}

TEST_F(ProtokollTest, FileGrowsLineByLineInAnsiWithErrorTextInParentheses) {
  QDir().mkpath(Ordner / "temp");
  Protokollieren("", "erste", 2);
  Protokollieren("Zugriff verweigert", QString::fromUtf8("zweite \u00e4\u20ac"), 1);
  ProtokollierenFehler(0, "dritte", 2);
  ProtokollierenFehler(ENOENT, "vierte", 2);
  EXPECT_EQ(Logdatei(), QByteArray("erste\r\nzweite \xe4\x80 (Zugriff verweigert)\r\ndritte\r\n"
                                   "vierte (No such file or directory)\r\n"));
}

// A name of megabytes from a script or a server must not reach a window's layout whole: the
// line keeps its start and its end, and a cut never splits a surrogate pair.
TEST_F(ProtokollTest, LongLinesKeepTheirStartAndEnd) {
  const QString zug = QString::fromUtf8("\U0001F682");  // two UTF-16 units
  const auto lang = [](qsizetype n, QChar c) { return QString(n, c); };
  const struct {
    const char* fall;
    QString zeile;
    QString gekuerzt;
  } faelle[] = {
      {"600 characters stay", lang(600, u'a'), lang(600, u'a')},
      {"601 characters are cut", lang(400, u'a') + u'b' + lang(200, u'c'),
       lang(400, u'a') + QChar(0x2026) + lang(200, u'c')},
      {"a pair across the front cut", lang(399, u'a') + zug + lang(300, u'c'),
       lang(399, u'a') + QChar(0x2026) + lang(200, u'c')},
      {"a pair across the back cut", lang(500, u'a') + zug + lang(199, u'c'),
       lang(400, u'a') + QChar(0x2026) + lang(199, u'c')},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.fall);
    EXPECT_EQ(ProtokollzeileKuerzen(f.zeile).toStdString(), f.gekuerzt.toStdString());
  }
  // The log file gets the shortened line too.
  QDir().mkpath(Ordner / "temp");
  Protokollieren("", "Datei " + lang(2 << 20, u'x') + ".ls3 fehlt", 2);
  const QByteArray datei = Logdatei();
  EXPECT_EQ(datei, "Datei " + QByteArray(394, 'x') + "\x85" + QByteArray(190, 'x') + ".ls3 fehlt\r\n");
}

TEST_F(ProtokollTest, MissingLogFolderShowsOneBoxPerFailureStreakAndLosesNoLine) {
  for (int i = 0; i < 5; ++i) Protokollieren("", QString("Fehler %1").arg(i), 2);
  EXPECT_EQ(Boxen, QStringList{"Fehler 0"});
  EXPECT_FALSE(QDir(Ordner / "temp").exists()) << "the log routine never creates its folder";

  // The lines of the streak reach the file, in their order, as soon as it can be written.
  QDir().mkpath(Ordner / "temp");
  Protokollieren("", "geht wieder", 2);
  EXPECT_EQ(Logdatei(), QByteArray("Fehler 0\r\nFehler 1\r\nFehler 2\r\nFehler 3\r\nFehler 4\r\ngeht wieder\r\n"));
  QDir(Ordner / "temp").removeRecursively();
  Protokollieren("", "wieder weg", 2);
  EXPECT_EQ(Boxen, (QStringList{"Fehler 0", "wieder weg"}));
}

// A FIFO in the log file's place would block the log call, and every later one behind its lock.
TEST_F(ProtokollTest, AFifoAsTheLogFileIsNotWrittenAndBlocksNothing) {
  QDir().mkpath(Ordner / "temp");
  ASSERT_TRUE(test::FifoAnlegen(Ordner / "temp/exportlog.txt"));
  EXPECT_TRUE(test::KehrtZurueck([] { Protokollieren("", "Zeile", 2); }, Ordner / "temp/exportlog.txt"));
  EXPECT_EQ(Boxen, QStringList{"Zeile"});
}

TEST_F(ProtokollTest, LinesWhileTheBoxIsOpenAreShownWhenItIsAnswered) {
  // Another thread, or an event handled while the box waits, logs meanwhile.
  MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
    Boxen.append(b.Text);
    if (Boxen.size() == 1) {
      Protokollieren("", "waehrenddessen 1", 2);
      Protokollieren("", "waehrenddessen 2", 2);
    }
    return int(mrOk);
  });
  Protokollieren("", "zuerst", 2);
  EXPECT_EQ(Boxen, (QStringList{"zuerst", "waehrenddessen 1\nwaehrenddessen 2"}));
}

TEST_F(ProtokollTest, AStreakThatEndsAndStartsAgainWhileTheBoxIsOpenOpensNoSecondBox) {
  // While the first box waits, a write succeeds and the next one fails again: that line
  // follows when the box is answered instead of a second box on top of the first.
  test::TempOrdner anderer;
  int offen = 0;
  int hoechstens = 0;
  MeldungZeigenHookSetzen([&](const TMeldungsBox& b) {
    hoechstens = std::max(hoechstens, ++offen);
    Boxen.append(b.Text);
    if (Boxen.size() == 1) {
      ProtokollOrdnerSetzen(anderer.Pfad());
      Protokollieren("", "geht", 2);
      ProtokollOrdnerSetzen(QString());
      Protokollieren("", "wieder nicht", 2);
    }
    --offen;
    return int(mrOk);
  });
  Protokollieren("", "zuerst", 2);
  EXPECT_EQ(hoechstens, 1);
  EXPECT_EQ(Boxen, (QStringList{"zuerst", "wieder nicht"}));
}

TEST_F(ProtokollTest, LogFolderCanBeSetToOneThatExists) {
  test::TempOrdner anderer;
  ProtokollOrdnerSetzen(anderer.Pfad());
  Protokollieren("", "im eigenen Ordner", 2);
  ProtokollOrdnerSetzen(QString());
  EXPECT_EQ(test::Lesen(anderer / "exportlog.txt"), QByteArray("im eigenen Ordner\r\n"));
  EXPECT_TRUE(Boxen.isEmpty());
}

TEST_F(ProtokollTest, MessageListTakesLinesFromManyThreads) {
  TMeldungsListe liste;
  MeldungsListBox = &liste;
  std::vector<std::unique_ptr<QThread>> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back(QThread::create([t] {
      for (int i = 0; i < 250; ++i) Protokollieren("", QString("%1/%2").arg(t).arg(i), 5);
    }));
  for (auto& t : threads) t->start();
  for (auto& t : threads) t->wait();
  EXPECT_EQ(liste.Entnehmen().size(), 1000);
  EXPECT_TRUE(liste.Entnehmen().isEmpty());
}

}  // namespace
