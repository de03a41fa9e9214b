// Unpacks one ~500 MB 7z archive (LZMA2, compressible and random files) with SevenZipEntpacken
// and with "7z x" into fresh folders, alternating which goes first, and prints the best time of
// each and their ratio.
//   sevenzip_bench [work folder] [MB] [rounds]
#include "Maschinenlast.h"
#include "foundation/Meldung.h"
#include "foundation/SevenZip.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
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

double CpuSekunden(int Wer) {
  rusage u{};
  ::getrusage(Wer, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
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
  kiro::bench::MaschinenlastZeigen("start");
  QCoreApplication app(argc, argv);
  const QString arbeit = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/kiro-sevenzip-bench";
  const qint64 mb = argc > 2 ? std::atoll(argv[2]) : 500;
  const int runden = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);
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

  // Each unpack gets a fresh folder that is removed again before the next one runs, so neither
  // side has to reclaim the page cache that the other one filled.
  const QString ziel = arbeit + "/ziel";
  auto messen = [&](const std::function<bool()>& Entpacken, int Wer, qint64* Ms, double* Cpu, int* Dateien,
                    qint64* Bytes) {
    QDir(ziel).removeRecursively();
    ::sync();
    const double vorher = CpuSekunden(Wer);
    QElapsedTimer t;
    t.start();
    const bool ok = Entpacken();
    *Ms = t.elapsed();
    *Cpu = CpuSekunden(Wer) - vorher;
    *Bytes = Groesse(ziel, Dateien);
    QDir(ziel).removeRecursively();
    ::sync();
    return ok;
  };
  QList<qint64> zeitenEigen, zeiten7z;
  for (int r = 0; r < runden; ++r) {
    qint64 ms7z = 0, msEigen = 0, gEigen = 0, g7z = 0;
    double cpu7z = 0, cpuEigen = 0;
    int dEigen = 0, d7z = 0;
    Zaehler z;
    auto sieben = [&] {
      return messen([&] { return Lauf("7z", {"x", "-y", "-bd", "-o" + ziel, archiv}) == 0; }, RUSAGE_CHILDREN, &ms7z,
                    &cpu7z, &d7z, &g7z);
    };
    auto eigen = [&] {
      return messen(
          [&] {
            const bool ok = kiro::SevenZipEntpacken(archiv, ziel, &z);
            QCoreApplication::processEvents();
            return ok;
          },
          RUSAGE_SELF, &msEigen, &cpuEigen, &dEigen, &gEigen);
    };
    if (!(r % 2 == 0 ? sieben() && eigen() : eigen() && sieben())) return 1;
    if (gEigen != g7z || dEigen != d7z) {
      std::fprintf(stderr, "outputs differ: %d files %lld bytes vs %d files %lld bytes\n", dEigen, gEigen, d7z, g7z);
      return 1;
    }
    std::printf("round %d: SevenZipEntpacken %lld ms (cpu %.2f s), 7z x %lld ms (cpu %.2f s); %d files, %.1f MB, "
                "progress %d/%d\n",
                r + 1, msEigen, cpuEigen, ms7z, cpu7z, dEigen, gEigen / 1048576.0, z.FWert, z.FMax);
    std::fflush(stdout);
    zeitenEigen.append(msEigen);
    zeiten7z.append(ms7z);
  }
  std::sort(zeitenEigen.begin(), zeitenEigen.end());
  std::sort(zeiten7z.begin(), zeiten7z.end());
  const qint64 medianEigen = zeitenEigen[zeitenEigen.size() / 2], median7z = zeiten7z[zeiten7z.size() / 2];
  std::printf("best:   SevenZipEntpacken %lld ms, 7z x %lld ms, ratio %.3f\n", zeitenEigen.first(), zeiten7z.first(),
              double(zeitenEigen.first()) / double(zeiten7z.first()));
  std::printf("median: SevenZipEntpacken %lld ms, 7z x %lld ms, ratio %.3f\n", medianEigen, median7z,
              double(medianEigen) / double(median7z));
  kiro::bench::MaschinenlastZeigen("end");
  return 0;
}

#include "sevenzip_bench.moc"
