// Unpacks one ~500 MB 7z archive (LZMA2, compressible and random files) with SevenZipEntpacken
// and with "7z x" into fresh folders, alternating, and prints the best time of each and the ratio.
//   sevenzip_bench [work folder] [MB] [rounds]
#include "foundation/Meldung.h"
#include "foundation/SevenZip.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

// Receives the progress as a progress bar would, so its cost is part of the figure.
class Zaehler : public QObject {
  Q_OBJECT
 public slots:
  void setRange(int, int Max) { FMax = Max; }
  void setValue(int Wert) { FWert = Wert; }

 public:
  int FMax = 0;
  int FWert = 0;
};

bool Schreiben(const QString& Pfad, const QByteArray& Inhalt) {
  QDir().mkpath(Pfad.left(Pfad.lastIndexOf(u'/')));
  QFile f(Pfad);
  return f.open(QIODevice::WriteOnly) && f.write(Inhalt) == Inhalt.size();
}

// Half text that compresses well, half random bytes; large files and a share of small ones.
int Erzeugen(const QString& Ordner, qint64 Bytes) {
  static const char* const kWoerter[] = {"Strecke", "Signal", "Weiche", "Fahrplan", "Bahnhof", "Gleis", "Zug",
                                         "Lok",     "Halt",   "Abfahrt", "Tunnel",  "Bruecke", "Bremse", "\n"};
  std::mt19937_64 zufall(42);
  qint64 summe = 0;
  int n = 0;
  QByteArray puffer;
  while (summe < Bytes) {
    const bool klein = n % 4 == 3;
    const qint64 groesse = klein ? 1024 + qint64(zufall() % 65536) : (1 << 20) + qint64(zufall() % (7 << 20));
    puffer.resize(groesse);
    if (n % 2 == 0) {
      qint64 i = 0;
      while (i < groesse) {
        const char* w = kWoerter[zufall() % std::size(kWoerter)];
        const qint64 l = std::min<qint64>(qint64(std::strlen(w)), groesse - i);
        std::memcpy(puffer.data() + i, w, size_t(l));
        i += l;
        if (i < groesse) puffer[i++] = ' ';
      }
    } else {
      for (qint64 i = 0; i + 8 <= groesse; i += 8) {
        const std::uint64_t z = zufall();
        std::memcpy(puffer.data() + i, &z, 8);
      }
    }
    if (!Schreiben(QStringLiteral("%1/ordner%2/unter%3/datei%4.dat").arg(Ordner).arg(n % 7).arg(n % 3).arg(n), puffer))
      return -1;
    summe += groesse;
    ++n;
  }
  return n;
}

int Lauf(const QString& Programm, const QStringList& Argumente, const QString& Ordner = {}) {
  QProcess p;
  if (!Ordner.isEmpty()) p.setWorkingDirectory(Ordner);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(Programm, Argumente);
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit) return -1;
  return p.exitCode();
}

qint64 Groesse(const QString& Ordner, int* Dateien) {
  qint64 s = 0;
  *Dateien = 0;
  QDir d(Ordner);
  for (const QFileInfo& fi : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
    if (fi.isDir()) {
      int n = 0;
      s += Groesse(fi.filePath(), &n);
      *Dateien += n;
    } else {
      s += fi.size();
      ++*Dateien;
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString arbeit = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/kiro-sevenzip-bench";
  const qint64 mb = argc > 2 ? std::atoll(argv[2]) : 500;
  const int runden = argc > 3 ? std::atoi(argv[3]) : 3;
  kiro::MeldungZeigenHookSetzen([](const kiro::TMeldungsBox& b) {
    std::fprintf(stderr, "error box: %s\n", qPrintable(b.Text));
    return int(kiro::mrOk);
  });

  const QString quelle = arbeit + "/quelle";
  const QString archiv = arbeit + "/bench.7z";
  if (!QFile::exists(archiv)) {
    QDir(arbeit).removeRecursively();
    const int n = Erzeugen(quelle, mb << 20);
    if (n < 0) return 1;
    std::printf("generated %d files, %lld MB\n", n, mb);
    if (Lauf("7z", {"a", "-t7z", "-m0=lzma2", "-mx5", "-bd", archiv, "."}, quelle) != 0) return 1;
    QDir(quelle).removeRecursively();
  }
  std::printf("archive %s: %.1f MB\n", qPrintable(archiv), QFileInfo(archiv).size() / 1048576.0);

  qint64 bestEigen = -1, best7z = -1;
  for (int r = 0; r < runden; ++r) {
    const QString zielEigen = arbeit + "/eigen", ziel7z = arbeit + "/7z";
    QDir(zielEigen).removeRecursively();
    QDir(ziel7z).removeRecursively();
    ::sync();

    QElapsedTimer t;
    t.start();
    if (Lauf("7z", {"x", "-y", "-bd", "-o" + ziel7z, archiv}) != 0) return 1;
    const qint64 ms7z = t.elapsed();
    ::sync();

    Zaehler z;
    t.restart();
    if (!kiro::SevenZipEntpacken(archiv, zielEigen, &z)) return 1;
    const qint64 msEigen = t.elapsed();
    QCoreApplication::processEvents();

    int dEigen = 0, d7z = 0;
    const qint64 gEigen = Groesse(zielEigen, &dEigen), g7z = Groesse(ziel7z, &d7z);
    if (gEigen != g7z || dEigen != d7z) {
      std::fprintf(stderr, "outputs differ: %d files %lld bytes vs %d files %lld bytes\n", dEigen, gEigen, d7z, g7z);
      return 1;
    }
    std::printf("round %d: SevenZipEntpacken %lld ms, 7z x %lld ms (%d files, %.1f MB, progress %d/%d)\n", r + 1,
                msEigen, ms7z, dEigen, gEigen / 1048576.0, z.FWert, z.FMax);
    std::fflush(stdout);
    bestEigen = bestEigen < 0 ? msEigen : std::min(bestEigen, msEigen);
    best7z = best7z < 0 ? ms7z : std::min(best7z, ms7z);
  }
  QDir(arbeit + "/eigen").removeRecursively();
  QDir(arbeit + "/7z").removeRecursively();
  std::printf("best: SevenZipEntpacken %lld ms, 7z x %lld ms, ratio %.3f\n", bestEigen, best7z,
              double(bestEigen) / double(best7z));
  return 0;
}

#include "sevenzip_bench.moc"
