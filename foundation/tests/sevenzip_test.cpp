#include "foundation/Meldung.h"
#include "foundation/SevenZip.h"
#include "testsupport/Archive.h"
#include "testsupport/TempOrdner.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <zlib.h>

#include <atomic>
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

// All files and folders below Ordner, relative, sorted; folders end with "/".
QStringList Inhalt(const QString& Ordner) {
  QStringList namen;
  QDirIterator it(Ordner, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    const QString rel = QDir(Ordner).relativeFilePath(it.filePath());
    namen.append(it.fileInfo().isDir() && !it.fileInfo().isSymLink() ? rel + u'/' : rel);
  }
  namen.sort();
  return namen;
}

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
    EXPECT_EQ(Inhalt(ziel), QStringList({"a/", "a/b/", "a/b/c.txt", "a/d.txt", "leer.txt", "oben.txt"}))
        << "an empty folder of the archive is not created";
    EXPECT_EQ(test::Lesen(ziel + "/a/b/c.txt"), "tief unten\n");
    EXPECT_EQ(test::Lesen(ziel + "/a/d.txt"), QByteArray(100000, 'x'));
    EXPECT_TRUE(QFileInfo(ziel + "/leer.txt").isFile());
  }
  EXPECT_TRUE(Boxen.isEmpty()) << Boxen.join('\n').toStdString();
}

TEST_F(SevenZipTest, OverwritesAnExistingLongerFile) {
  const QString archiv = Packen({{"x/datei.txt", "neu"}});
  const QString ziel = Ordner / "ziel/";
  Ordner.Schreiben("ziel/x/datei.txt", QByteArray(5000, 'a'));
  EXPECT_TRUE(SevenZipEntpacken(archiv, ziel, nullptr));
  EXPECT_EQ(test::Lesen(ziel + "x/datei.txt"), "neu");
  EXPECT_TRUE(Boxen.isEmpty());
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

}  // namespace

#include "sevenzip_test.moc"
