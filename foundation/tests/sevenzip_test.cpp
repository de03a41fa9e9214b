#include "foundation/CRC32.h"
#include "foundation/Meldung.h"
#include "foundation/SevenZip.h"
#include "testsupport/Archive.h"
#include "testsupport/TempOrdner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <mutex>

using namespace kiro;
using test::TArchivEintrag;

namespace {

// Records the progress calls the unpack posts, as a progress bar would receive them.
class Fortschritt : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  std::function<void(int)> BeiWert;

 public slots:
  void setRange(int Min, int Max) {
    std::lock_guard lock(Sperre);
    Bereiche.append({Min, Max});
  }
  void setValue(int Wert) {
    {
      std::lock_guard lock(Sperre);
      Werte.append(Wert);
    }
    if (BeiWert) BeiWert(Wert);
  }

 public:
  std::mutex Sperre;
  QList<QPair<int, int>> Bereiche;
  QList<int> Werte;
};

class SevenZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MeldungZeigenHookSetzen([this](const TMeldungsBox& b) {
      Boxen.append(b.Text);
      return int(mrOk);
    });
  }
  void TearDown() override {
    MeldungZeigenHookSetzen({});
    SevenZipBibliothekSetzen({});
  }

  // Packs the files {name, content} (names ending in "/" are empty folders) with the 7z command.
  QString Packen(const QList<QPair<QString, QByteArray>>& Dateien, const QStringList& Schalter = {}) {
    const QString quelle = Ordner / QStringLiteral("quelle%1").arg(++FZaehler);
    QDir().mkpath(quelle);
    for (const auto& [name, inhalt] : Dateien) {
      if (name.endsWith(u'/')) {
        QDir().mkpath(quelle + u'/' + name);
        continue;
      }
      QDir().mkpath(QFileInfo(quelle + u'/' + name).absolutePath());
      QFile f(quelle + u'/' + name);
      EXPECT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(inhalt);
    }
    const QString archiv = Ordner / QStringLiteral("archiv%1.7z").arg(FZaehler);
    QString fehler;
    EXPECT_TRUE(test::SiebenZipPacken(quelle, archiv, Schalter, &fehler)) << fehler.toStdString();
    return archiv;
  }

  QString Schreiben(const QList<TArchivEintrag>& Eintraege) {
    const QString archiv = Ordner / QStringLiteral("roh%1.7z").arg(++FZaehler);
    QString fehler;
    EXPECT_TRUE(test::ArchivSchreiben(archiv, Eintraege, &fehler)) << fehler.toStdString();
    return archiv;
  }

  test::TempOrdner Ordner;
  QStringList Boxen;
  int FZaehler = 0;
};

const QList<QPair<QString, QByteArray>> kBaum = {
    {"a/b/c.txt", "tief unten\n"},
    {"a/d.txt", QByteArray(100000, 'x')},
    {"oben.txt", "oben"},
    {"leer.txt", ""},
    {"leerer Ordner/", {}},
};

TEST_F(SevenZipTest, UnpacksNestedFoldersWithAndWithoutTrailingSeparator) {
  const QString archiv = Packen(kBaum);
  for (const QString& ende : {QString("/"), QString()}) {
    SCOPED_TRACE(ende.toStdString());
    const QString ziel = Ordner / QStringLiteral("ziel%1").arg(ende.isEmpty() ? "ohne" : "mit");
    EXPECT_TRUE(SevenZipEntpacken(archiv, ziel + ende, nullptr));
    EXPECT_EQ(test::Baum(ziel), QStringList({"a/", "a/b/", "a/b/c.txt", "a/d.txt", "leer.txt", "oben.txt"}))
        << "an empty folder of the archive is not created";
    EXPECT_EQ(test::Lesen(ziel + "/a/b/c.txt"), "tief unten\n");
    EXPECT_EQ(test::Lesen(ziel + "/a/d.txt"), QByteArray(100000, 'x'));
    EXPECT_TRUE(QFileInfo(ziel + "/leer.txt").isFile());
  }
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join('\n').toStdString();
}

// Fixture archives hold the same names whatever locale the caller of the tests runs under.
TEST_F(SevenZipTest, PackedNamesDoNotDependOnTheCallersLocale) {
  const char* const kLatin1 = "de_DE.ISO-8859-1";
  if (locale_t l = ::newlocale(LC_ALL_MASK, kLatin1, locale_t(0))) ::freelocale(l);
  else GTEST_SKIP() << kLatin1 << " is not generated here";
  const QByteArray vorher = qgetenv("LC_ALL");
  const bool hatteWert = qEnvironmentVariableIsSet("LC_ALL");
  qputenv("LC_ALL", kLatin1);
  const QString archiv = Packen({{QStringLiteral("Ä ö/Straße ß.txt"), "Umlaut\n"}});
  if (hatteWert) qputenv("LC_ALL", vorher);
  else qunsetenv("LC_ALL");
  const QString ziel = Ordner / "ziel";
  EXPECT_TRUE(SevenZipEntpacken(archiv, ziel + u'/', nullptr));
  EXPECT_EQ(test::Baum(ziel), QStringList({QStringLiteral("Ä ö/"), QStringLiteral("Ä ö/Straße ß.txt")}));
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join('\n').toStdString();
}

TEST_F(SevenZipTest, KeepsTheCrcOfEachFileAsWrittenUntilTheFileChanges) {
  GemerkteCRC32Vergessen();
  const QString ziel = Ordner / "ziel/";
  Ordner.Schreiben("ziel/oben.txt", QByteArray(5000, 'a'));  // overwritten: the sum is of the new bytes
  ASSERT_TRUE(SevenZipEntpacken(Packen(kBaum), ziel, nullptr));
  for (const char* name : {"a/b/c.txt", "a/d.txt", "oben.txt", "leer.txt"}) {
    const auto gemerkt = GemerkteCRC32(ziel + name);
    const auto gelesen = DateiCRC32Lesen(ziel + name);
    ASSERT_TRUE(gemerkt) << name;
    ASSERT_TRUE(gelesen);
    EXPECT_EQ(gemerkt->Crc, gelesen->Crc) << name;
    EXPECT_EQ(gemerkt->Groesse, gelesen->Groesse) << name;
  }
  // Renamed, it is the same file.
  ASSERT_TRUE(QFile::rename(ziel + "a/d.txt", ziel + "a/e.txt"));
  EXPECT_TRUE(GemerkteCRC32(ziel + "a/e.txt"));
  EXPECT_FALSE(GemerkteCRC32(ziel + "a/d.txt"));
  // Grown, or with another modification time: read again.
  {
    QFile f(ziel + "oben.txt");
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("!");
  }
  EXPECT_FALSE(GemerkteCRC32(ziel + "oben.txt"));
  const auto gelesen = DateiCRC32GemerktOderLesen(ziel + "oben.txt");
  ASSERT_TRUE(gelesen);
  EXPECT_EQ(gelesen->Groesse, 5u);
  const struct timespec zeiten[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(ziel + "a/b/c.txt").constData(), zeiten, 0), 0);
  EXPECT_FALSE(GemerkteCRC32(ziel + "a/b/c.txt"));
  EXPECT_FALSE(GemerkteCRC32(ziel + "fehlt.txt"));
  GemerkteCRC32Vergessen();
  EXPECT_FALSE(GemerkteCRC32(ziel + "leer.txt"));
}

TEST_F(SevenZipTest, OverwritesAnExistingLongerFile) {
  const QString archiv = Packen({{"x/datei.txt", "neu"}});
  const QString ziel = Ordner / "ziel/";
  Ordner.Schreiben("ziel/x/datei.txt", QByteArray(5000, 'a'));
  EXPECT_TRUE(SevenZipEntpacken(archiv, ziel, nullptr));
  EXPECT_EQ(test::Lesen(ziel + "x/datei.txt"), "neu");
  EXPECT_TRUE(Boxen.isEmpty());
}

// Each file is written beside its old one and takes its place only when complete: an unpack
// that fails in the middle of a file over an earlier install leaves that file whole, and no
// temporary file behind.
TEST_F(SevenZipTest, AFailedUnpackLeavesEveryOldFileWhole) {
  const QByteArray neuB = QByteArray(300000, 'n') + "MARKE" + QByteArray(300000, 'm');
  // Stored, one file per block: the broken byte is found by the CRC only after the whole file
  // has passed through the stream.
  const QString archiv = Packen({{"a.txt", "neu a"}, {"b.txt", neuB}, {"c.txt", "neu c"}}, {"-m0=Copy", "-ms=off"});
  const QByteArray roh = test::Lesen(archiv);
  const qsizetype marke = roh.indexOf("MARKE");
  ASSERT_GT(marke, 0);
  ASSERT_TRUE(test::ByteKippen(archiv, marke));
  const QString ziel = Ordner / "ziel/";
  const QByteArray altB = QByteArray(700000, 'b');
  Ordner.Schreiben("ziel/b.txt", altB);
  Ordner.Schreiben("ziel/c.txt", "alt c");
  EXPECT_FALSE(SevenZipEntpacken(archiv, ziel, nullptr));
  ASSERT_EQ(Boxen.size(), 1);
  EXPECT_TRUE(Boxen[0].contains("b.txt")) << Boxen[0].toStdString();
  EXPECT_EQ(test::Lesen(ziel + "b.txt"), altB);
  EXPECT_EQ(test::Lesen(ziel + "c.txt"), "alt c");
  EXPECT_EQ(test::Baum(ziel), QStringList({"a.txt", "b.txt", "c.txt"})) << "no temporary file is left";
  EXPECT_EQ(test::Lesen(ziel + "a.txt"), "neu a") << "a file completed before the failure is in place";
}

TEST_F(SevenZipTest, NamesMeetExistingFilesAndFoldersInAnyLetterCase) {
  const QString ziel = Ordner / "ziel/";
  Ordner.Schreiben("ziel/Programm/Setup.EXE", "alt");
  const QString archiv = Schreiben({{"programm/setup.exe", "neu"},
                                    {"Daten/a.txt", "a"},
                                    {"DATEN/b.txt", "b"},
                                    {"daten/Unter/c.txt", "c"},
                                    {"Daten/unter/d.txt", "d"}});
  EXPECT_TRUE(SevenZipEntpacken(archiv, ziel, nullptr));
  EXPECT_EQ(test::Baum(ziel), QStringList({"Daten/", "Daten/Unter/", "Daten/Unter/c.txt", "Daten/Unter/d.txt",
                                       "Daten/a.txt", "Daten/b.txt", "Programm/", "Programm/Setup.EXE"}));
  EXPECT_EQ(test::Lesen(ziel + "Programm/Setup.EXE"), "neu");
}

TEST_F(SevenZipTest, ArchiveWithoutItemsWritesNothing) {
  const QString archiv = Schreiben({});
  const QString ziel = Ordner / "nie/angelegt/";
  Fortschritt f;
  EXPECT_TRUE(SevenZipEntpacken(archiv, ziel, &f));
  QCoreApplication::processEvents();
  EXPECT_EQ(f.Bereiche, (QList<QPair<int, int>>{{0, 0}}));
  EXPECT_TRUE(f.Werte.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(Ordner / "nie"));
  EXPECT_TRUE(Boxen.isEmpty());
}

// The file of a loaded shared library that is no 7z library.
QString ZlibDatei() {
  Dl_info info{};
  EXPECT_NE(dladdr(reinterpret_cast<void*>(&zlibVersion), &info), 0);
  return QString::fromLocal8Bit(info.dli_fname);
}

TEST_F(SevenZipTest, ALibraryThatCannotBeUsedFailsWithItsMessageOnce) {
  const QString archiv = Packen(kBaum);
  const QString fehlt = Ordner / "nirgends/7z.so";
  const QString zlib = ZlibDatei();
  const struct {
    QString bibliothek;
    QString meldung;
  } faelle[] = {
      {fehlt, "Error loading library " + fehlt},
      {zlib, zlib + " is not a 7z library"},
      {KIRO_ALTE_7Z, KIRO_ALTE_7Z " is an old 7z library without GetModuleProp; a current 7-Zip is needed"},
      {KIRO_VIRT_7Z, KIRO_VIRT_7Z " uses an interface layout that this program does not support"},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.bibliothek.toStdString());
    Boxen.clear();
    SevenZipBibliothekSetzen(f.bibliothek);
    const QString ziel = Ordner / "ziel/";
    EXPECT_FALSE(SevenZipEntpacken(archiv, ziel, nullptr));
    EXPECT_EQ(Boxen, QStringList{f.meldung});
    EXPECT_FALSE(QFileInfo::exists(ziel));
  }
}

TEST(HResultText, NamesTheCodesTheLibraryAndOurStreamsReturn) {
  const struct {
    std::uint32_t code;
    const char* text;
  } faelle[] = {
      {0x80004005u, "Unspecified error"},
      {0x80004004u, "Operation aborted"},
      {0x8007000Eu, "Not enough memory resources are available to complete this operation"},
      {std::uint32_t(sz::HResultAusErrno(ENOSPC)), "No space left on device"},
      {0x12345678u, "Error 0x12345678"},
      {0x8000FFFFu, "Error 0x8000FFFF"},
  };
  for (const auto& f : faelle) EXPECT_EQ(HResultText(sz::HRESULT(f.code)), f.text) << std::hex << f.code;
}

TEST_F(SevenZipTest, TheLibraryIsFoundBesideTheExecutable) {
  EXPECT_EQ(SevenZipBibliothek(), QCoreApplication::applicationDirPath() + "/_InstSetup/lib/sevenzip/7z.so");
  std::unique_ptr<I7zInArchive> arch;
  ASSERT_NO_THROW(ArchivObjektErzeugen(arch));
  arch->OpenFile(Packen(kBaum));
  EXPECT_EQ(arch->NumberOfItems(), 7u);
}

TEST_F(SevenZipTest, DamagedOrMissingArchivesFailWithOneBox) {
  QByteArray gross;
  for (int i = 0; i < 20000; ++i) gross += QByteArray::number(i * 7919 % 100003) + ' ';
  const QString gut = Packen({{"eins.txt", gross}, {"zwei.txt", gross + "zwei"}});
  const qint64 laenge = QFileInfo(gut).size();

  const QString gekippt = Ordner / "gekippt.7z";
  QFile::copy(gut, gekippt);
  ASSERT_TRUE(test::ByteKippen(gekippt, 32 + (laenge - 32) / 4));  // inside the packed data
  const QString gekuerzt = Ordner / "gekuerzt.7z";
  QFile::copy(gut, gekuerzt);
  ASSERT_TRUE(test::Kuerzen(gekuerzt, laenge / 2));
  const QString html = Ordner.Schreiben("seite.7z", "<!DOCTYPE html><html><body>404 Not Found</body></html>\n");
  const QString fehlt = Ordner / "fehlt.7z";
  const QString verschluesselt = Packen({{"geheim.txt", "geheim"}}, {"-pgeheim"});

  const struct {
    QString archiv;
    QString meldung;  // what the box must say
  } faelle[] = {
      {gekippt, ".txt"},  // names the damaged entry
      {gekuerzt, gekuerzt},
      {verschluesselt, "geheim.txt"},
      {html, "Cannot open the file as archive: " + html},  // an error page saved under the archive's name
      {fehlt, "Cannot open file \"" + fehlt + "\". No such file or directory"},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.archiv.toStdString());
    Boxen.clear();
    EXPECT_FALSE(SevenZipEntpacken(f.archiv, Ordner / "ziel", nullptr));
    ASSERT_EQ(Boxen.size(), 1);
    EXPECT_TRUE(Boxen[0].contains(f.meldung)) << Boxen[0].toStdString();
  }
}

TEST_F(SevenZipTest, HostileNamesWriteNothingAndNameTheEntry) {
  const char* const namen[] = {"../escape", "/tmp/kiro-abs-escape", "C:\\x", "C:x", "..\\escape",
                               "a\\..\\..\\escape", "a/../../escape", "", "./a/../..", "sub//x"};
  for (const char* name : namen) {
    SCOPED_TRACE(name);
    Boxen.clear();
    const QString archiv = Schreiben({{"harmlos.txt", "gut"}, {name, "boese"}});
    const QString ziel = Ordner / "tief/ziel/";
    EXPECT_FALSE(SevenZipEntpacken(archiv, ziel, nullptr));
    ASSERT_EQ(Boxen.size(), 1);
    EXPECT_TRUE(Boxen[0].contains(QString::fromUtf8(name))) << Boxen[0].toStdString();
    EXPECT_EQ(test::Baum(Ordner / "tief"), QStringList()) << "refused before anything was written";
    EXPECT_FALSE(QFileInfo::exists(Ordner / "escape"));
    EXPECT_FALSE(QFileInfo::exists("/tmp/kiro-abs-escape"));
  }
}

TEST_F(SevenZipTest, NeverWritesThroughOrCreatesSymbolicLinks) {
  const QString draussen = Ordner / "draussen/";
  QDir().mkpath(draussen);
  const QString opfer = Ordner.Schreiben("draussen/opfer.txt", "unberuehrt");
  const QString ziel = Ordner / "ziel/";
  QDir().mkpath(ziel);
  ASSERT_TRUE(QFile::link(draussen, ziel + "ordnerlink"));
  ASSERT_TRUE(QFile::link(opfer, ziel + "dateilink.txt"));
  ASSERT_EQ(::link(QFile::encodeName(opfer).constData(), QFile::encodeName(ziel + "hart.txt").constData()), 0);

  const struct {
    QList<TArchivEintrag> eintraege;
    bool erfolg;
  } faelle[] = {
      {{{"ordnerlink/neu.txt", "x"}}, false},
      {{{"dateilink.txt", "ueberschrieben"}}, false},
      {{{"hart.txt", "neu"}}, true},  // a hard link to a file outside is replaced
      {{{"verweis", "/etc/passwd", TArchivEintrag::Verweis}}, true},
      {{{"verweis2", "../draussen", TArchivEintrag::Verweis}, {"verweis2/neu.txt", "x"}}, false},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.eintraege.last().Name.toStdString());
    Boxen.clear();
    EXPECT_EQ(SevenZipEntpacken(Schreiben(f.eintraege), ziel, nullptr), f.erfolg);
    EXPECT_EQ(Boxen.size(), f.erfolg ? 0 : 1) << Boxen.join('\n').toStdString();
    EXPECT_EQ(test::Baum(draussen), QStringList{"opfer.txt"});
    EXPECT_EQ(test::Lesen(opfer), "unberuehrt");
  }
  EXPECT_EQ(test::Lesen(ziel + "hart.txt"), "neu");
  // A link entry becomes a plain file holding the link's target.
  EXPECT_FALSE(QFileInfo(ziel + "verweis").isSymLink());
  EXPECT_TRUE(QFileInfo(ziel + "verweis").isFile());
}

TEST_F(SevenZipTest, AFolderInTheWayOfAFileFailsNamingThePath) {
  const QString archiv = Packen({{"a.txt", "1"}, {"b", "2"}, {"c.txt", "3"}});
  const QString ziel = Ordner / "ziel/";
  QDir().mkpath(ziel + "b");
  EXPECT_FALSE(SevenZipEntpacken(archiv, ziel, nullptr));
  EXPECT_EQ(Boxen, QStringList{"Cannot create file \"" + ziel + "b\". Is a directory"});
  EXPECT_EQ(test::Lesen(ziel + "a.txt"), "1") << "what was written before the failure stays";
}

TEST_F(SevenZipTest, ProgressPostsItemCountAndTheIndexOfEachFile) {
  const QString archiv = Packen(kBaum);
  std::unique_ptr<I7zInArchive> arch;
  ArchivObjektErzeugen(arch);
  arch->OpenFile(archiv);
  QList<int> dateien;
  for (std::uint32_t i = 0; i < arch->NumberOfItems(); ++i)
    if (!arch->ItemIsFolder(i)) dateien.append(int(i));
  const int anzahl = int(arch->NumberOfItems());
  arch.reset();

  Fortschritt f;
  QProgressBar balken;
  EXPECT_TRUE(SevenZipEntpacken(archiv, Ordner / "ziel", &f));
  EXPECT_TRUE(SevenZipEntpacken(archiv, Ordner / "ziel2", &balken));
  QCoreApplication::processEvents();
  EXPECT_EQ(f.Bereiche, (QList<QPair<int, int>>{{0, anzahl}}));
  EXPECT_EQ(f.Werte, dateien) << "folders post nothing";
  EXPECT_EQ(balken.maximum(), anzahl);
  EXPECT_EQ(balken.value(), dateien.last());
}

// One large archive shared by the tests that need an unpack that takes a while.
class GrossesArchivTest : public SevenZipTest {
 protected:
  static void SetUpTestSuite() {
    FQuelle = new test::TempOrdner;
    FDateien = test::GemischteDateienErzeugen(FQuelle->Pfad() + "inhalt", 128 << 20, 7, 256 << 10);
    QString fehler;
    ASSERT_TRUE(test::SiebenZipPacken(FQuelle->Pfad() + "inhalt", FQuelle->Pfad() + "gross.7z", {"-mx1"}, &fehler))
        << fehler.toStdString();
  }
  static void TearDownTestSuite() {
    delete FQuelle;
    FQuelle = nullptr;
  }
  static QString Archiv() { return FQuelle->Pfad() + "gross.7z"; }
  static int Dateien(const QString& Ordner) {
    int n = 0;
    for (const QString& name : test::Baum(Ordner))
      if (!name.endsWith(u'/')) ++n;
    return n;
  }

  static inline test::TempOrdner* FQuelle = nullptr;
  static inline int FDateien = 0;
};

TEST_F(GrossesArchivTest, TheUserInterfaceThreadKeepsHandlingEvents) {
  int ticks = 0;
  QTimer uhr;
  QObject::connect(&uhr, &QTimer::timeout, [&] { ++ticks; });
  uhr.start(20);
  QElapsedTimer dauer;
  dauer.start();
  Fortschritt f;
  EXPECT_TRUE(SevenZipEntpacken(Archiv(), Ordner / "ziel", &f));
  const qint64 ms = dauer.elapsed();
  EXPECT_EQ(Dateien(Ordner / "ziel"), FDateien);
  ASSERT_GT(ms, 300) << "the fixture should take longer than one wait slice";
  // Events are handled at least once per 250 ms slice.
  EXPECT_GE(ticks, int(ms / 250) - 1) << ms << " ms";
  std::lock_guard lock(f.Sperre);
  EXPECT_GT(f.Werte.size(), 0) << "progress arrived while unpacking";
}

TEST_F(GrossesArchivTest, TerminateStopsQuietlyKeepingOnlyWholeFiles) {
  // The progress receiver runs in its own thread, so it sees the unpack while it happens.
  QThread empfaenger;
  empfaenger.start();
  Fortschritt f;
  f.moveToThread(&empfaenger);
  std::atomic<T7zEntpackThread*> arbeiter{nullptr};
  int gesehen = 0;
  f.BeiWert = [&](int) {
    if (++gesehen == 3 && arbeiter) arbeiter.load()->Terminate();
  };
  const QString ziel = Ordner / "ziel/";
  {
    T7zEntpackThread t(ziel, Archiv(), &f);
    arbeiter = &t;
    t.wait();
    arbeiter = nullptr;
    EXPECT_FALSE(t.Result());
    EXPECT_EQ(t.FatalFehler(), QString());
  }
  empfaenger.quit();
  empfaenger.wait();
  // The stop may come in the middle of the third file: the two before it are whole, the one it
  // met leaves no temporary behind.
  const QStringList namen = test::Baum(ziel);
  EXPECT_TRUE(namen.filter(".~kiro").isEmpty()) << namen.join(' ').toStdString();
  const int geschrieben = Dateien(ziel);
  EXPECT_GE(geschrieben, 2);
  EXPECT_LT(geschrieben, FDateien);
}

}  // namespace

#include "sevenzip_test.moc"
