// CRC-32 of a 1 GiB file in the page cache: DateiCRC32 against "7z h -scrcCRC32" on the same file,
// in the same run. Usage: crc32_bench [repetitions] (default 5).
#include "Maschinenlast.h"
#include "foundation/CRC32.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 Groesse = qint64{1} << 30;

bool DateiAnlegen(const QString& Pfad) {
  QFile f(Pfad);
  if (!f.open(QIODevice::WriteOnly)) return false;
  std::vector<quint64> block((std::size_t{1} << 20) / sizeof(quint64));
  quint64 x = 0x9E3779B97F4A7C15ull;
  for (qint64 geschrieben = 0; geschrieben < Groesse; geschrieben += qint64(block.size() * sizeof(quint64))) {
    for (auto& w : block) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      w = x;
    }
    const auto n = qint64(block.size() * sizeof(quint64));
    if (f.write(reinterpret_cast<const char*>(block.data()), n) != n) return false;
  }
  return f.flush();
}

// Runs 7z once; the CRC it prints, or -1.
qint64 SiebenZip(const QString& Pfad) {
  QProcess p;
  p.start("7z", {"h", "-scrcCRC32", Pfad});
  if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return -1;
  const auto m = QRegularExpression("CRC32\\s+for data:\\s+([0-9A-Fa-f]{8})").match(QString::fromLocal8Bit(p.readAllStandardOutput()));
  return m.hasMatch() ? qint64(m.captured(1).toUInt(nullptr, 16)) : -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  kiro::bench::MaschinenlastZeigen("start");
  QCoreApplication app(argc, argv);
  const int wiederholungen = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
  QTemporaryDir ordner;
  if (!ordner.isValid()) {
    std::fprintf(stderr, "no temporary folder\n");
    return 1;
  }
  const QString pfad = ordner.filePath("crc32_bench.bin");
  if (!DateiAnlegen(pfad)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(pfad));
    return 1;
  }
  // One pass to bring the whole file into the page cache.
  if (!kiro::DateiCRC32Lesen(pfad)) return 1;

  std::vector<double> eigene, sieben;
  std::uint32_t crcEigen = 0;
  qint64 crcSieben = -1;
  for (int i = 0; i < wiederholungen; ++i) {
    QElapsedTimer t;
    t.start();
    std::int32_t g = 0;
    crcEigen = kiro::DateiCRC32(pfad, g);
    eigene.push_back(double(t.nsecsElapsed()) / 1e9);
    t.start();
    crcSieben = SiebenZip(pfad);
    sieben.push_back(double(t.nsecsElapsed()) / 1e9);
  }
  const double mib = double(Groesse) / double(1 << 20);
  const double e = Median(eigene), s = Median(sieben);
  std::printf("file: 1 GiB in the page cache, %d repetitions, median times\n", wiederholungen);
  std::printf("DateiCRC32        %08X  %7.3f s  %8.0f MiB/s (best %8.0f)\n", crcEigen, e, mib / e,
              mib / *std::min_element(eigene.begin(), eigene.end()));
  std::printf("7z h -scrcCRC32   %08llX  %7.3f s  %8.0f MiB/s (best %8.0f)\n", (unsigned long long)crcSieben, s,
              mib / s, mib / *std::min_element(sieben.begin(), sieben.end()));
  std::printf("ratio DateiCRC32 / 7z throughput: %.2f\n", s / e);
  if (crcSieben != qint64(crcEigen)) {
    std::printf("CRC MISMATCH\n");
    return 1;
  }
  std::printf("CRCs agree\n");
  kiro::bench::MaschinenlastZeigen("end");
  return 0;
}
