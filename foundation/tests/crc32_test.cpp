#include "foundation/CRC32.h"
#include "testsupport/TempOrdner.h"

#include <QBuffer>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <ostream>

#include <gtest/gtest.h>

using namespace kiro;

// Readable QStrings in failure messages.
inline std::ostream& operator<<(std::ostream& o, const QString& s) { return o << '"' << s.toStdString() << '"'; }

namespace {

// Bit by bit, independent of zlib's tables.
std::uint32_t CrcBitweise(const QByteArray& d) {
  std::uint32_t r = 0xFFFFFFFFu;
  for (char c : d) {
    r ^= static_cast<unsigned char>(c);
    for (int k = 0; k < 8; ++k) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
  }
  return r ^ 0xFFFFFFFFu;
}

QByteArray Muster(qsizetype n) {
  QByteArray d(n, Qt::Uninitialized);
  std::uint32_t x = 0x12345678u;
  for (qsizetype i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    d[i] = static_cast<char>(x >> 24);
  }
  return d;
}

// A device whose reads fail after the first block.
class KaputtesGeraet : public QIODevice {
 public:
  KaputtesGeraet() { open(QIODevice::ReadOnly); }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 max) override {
    if (FGelesen) return -1;
    FGelesen = true;
    const qint64 n = std::min<qint64>(max, 10);
    std::fill_n(data, n, 'x');
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  bool FGelesen = false;
};

constexpr qsizetype MiB = qsizetype{1} << 20;

}  // namespace

TEST(CRC32, FilesOfEverySizeAroundTheReadBlock) {
  test::TempOrdner t;
  struct {
    QByteArray inhalt;
    std::uint32_t crc;
  } bekannt[] = {{"", 0}, {"123456789", 0xCBF43926u}, {"a", 0xE8B7BE43u}, {QByteArray(10, '\0'), 0xE38A6876u}};
  for (const auto& f : bekannt) {
    const QString p = t.Schreiben("bekannt", f.inhalt);
    std::int32_t groesse = 77;
    EXPECT_EQ(DateiCRC32(p, groesse), f.crc) << f.inhalt.toHex().constData();
    EXPECT_EQ(groesse, f.inhalt.size());
    const auto s = DateiCRC32Lesen(p);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->Crc, f.crc);
    EXPECT_EQ(s->Groesse, std::uint64_t(f.inhalt.size()));
    // Through a descriptor the same, from the file's start; the descriptor's offset stays.
    const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    if (!f.inhalt.isEmpty()) {
      ASSERT_EQ(::lseek(fd, 1, SEEK_SET), 1);
    }
    const auto d = DateiCRC32Lesen(fd);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Crc, f.crc);
    EXPECT_EQ(d->Groesse, std::uint64_t(f.inhalt.size()));
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), f.inhalt.isEmpty() ? 0 : 1);
    ::close(fd);
  }
  for (qsizetype n : {MiB - 1, MiB, MiB + 1, 3 * MiB + 17}) {
    const QByteArray d = Muster(n);
    std::int32_t groesse = 0;
    EXPECT_EQ(DateiCRC32(t.Schreiben("muster", d), groesse), CrcBitweise(d)) << n;
    EXPECT_EQ(groesse, n);
  }
}

TEST(CRC32, UnreadableIsNotCrcZero) {
  test::TempOrdner t;
  ASSERT_EQ(::mkfifo((t / "fifo").toLocal8Bit().constData(), 0600), 0);
  for (const QString& p : {t / "fehlt", t / "fehlt/tiefer", t.Pfad(), t / "fifo", QString(), t / QString(QChar(0))}) {
    std::int32_t groesse = 1234;
    EXPECT_EQ(DateiCRC32(p, groesse), 0u) << p;
    EXPECT_EQ(groesse, 1234) << p;
    EXPECT_FALSE(DateiCRC32Lesen(p)) << p;
  }
  for (const QString& p : {t.Pfad(), t / "fifo"}) {
    const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << p;
    EXPECT_FALSE(DateiCRC32Lesen(fd)) << p;
    ::close(fd);
  }
  EXPECT_FALSE(DateiCRC32Lesen(-1));
  // The empty file is a success with the sum 0.
  const auto leer = DateiCRC32Lesen(t.Schreiben("leer", ""));
  ASSERT_TRUE(leer);
  EXPECT_EQ(leer->Crc, 0u);
  EXPECT_EQ(leer->Groesse, 0u);
}

TEST(CRC32, FileHeldOpenForWritingByAnotherHandle) {
  test::TempOrdner t;
  QFile schreiber(t / "offen");
  ASSERT_TRUE(schreiber.open(QIODevice::WriteOnly));
  schreiber.write("123456789");
  ASSERT_TRUE(schreiber.flush());
  std::int32_t groesse = 0;
  EXPECT_EQ(DateiCRC32(t / "offen", groesse), 0xCBF43926u);
  EXPECT_EQ(groesse, 9);
  schreiber.write("0");
  ASSERT_TRUE(schreiber.flush());
  EXPECT_EQ(DateiCRC32(t / "offen", groesse), CrcBitweise("1234567890"));
  EXPECT_EQ(groesse, 10);
}

TEST(CRC32, StreamFromItsCurrentPosition) {
  QByteArray d = "xy123456789";
  QBuffer b(&d);
  ASSERT_TRUE(b.open(QIODevice::ReadOnly));
  b.seek(2);
  EXPECT_EQ(StreamCRC32(b), 0xCBF43926u);
  EXPECT_TRUE(b.atEnd());
  EXPECT_EQ(StreamCRC32(b), 0u);  // at its end: nothing left

  test::TempOrdner t;
  const QByteArray gross = Muster(2 * MiB + 5);
  QFile f(t.Schreiben("gross", gross));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  f.seek(MiB + 3);
  EXPECT_EQ(StreamCRC32(f), CrcBitweise(gross.mid(MiB + 3)));
  EXPECT_EQ(f.pos(), gross.size());

  KaputtesGeraet k;
  EXPECT_FALSE(StreamCRC32(k));
}

TEST(CRC32, SparseFileBeyondFourGiB) {
  test::TempOrdner t;
  const QString p = t / "gross";
  const std::uint64_t groesse = (std::uint64_t{4} << 30) + 4096 + 9;
  const std::uint64_t stelle = (std::uint64_t{4} << 30) + 100;  // "123456789" here, zeros around it
  {
    const int fd = ::open(p.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(groesse)), 0);
    ASSERT_EQ(::pwrite(fd, "123456789", 9, static_cast<off_t>(stelle)), 9);
    ::close(fd);
  }
  // zlib over the same bytes, with the zero runs summed once per MiB and joined by combine.
  const QByteArray null(MiB, '\0');
  const uLong nullMiB = crc32_z(0, reinterpret_cast<const Bytef*>(null.constData()), null.size());
  uLong erwartet = 0;
  for (std::uint64_t i = 0; i < (std::uint64_t{4} << 30) / MiB; ++i) erwartet = crc32_combine(erwartet, nullMiB, MiB);
  erwartet = crc32_z(erwartet, reinterpret_cast<const Bytef*>(null.constData()), 100);
  erwartet = crc32_z(erwartet, reinterpret_cast<const Bytef*>("123456789"), 9);
  erwartet = crc32_z(erwartet, reinterpret_cast<const Bytef*>(null.constData()), groesse - stelle - 9);

  const auto s = DateiCRC32Lesen(p);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Crc, erwartet);
  EXPECT_EQ(s->Groesse, groesse);
  std::int32_t klein = 0;
  EXPECT_EQ(DateiCRC32(p, klein), erwartet);
  EXPECT_EQ(klein, 4096 + 9);  // the low 32 bits
}

TEST(CRC32, LargeFilesSummedInPiecesGiveTheSameSum) {
  // Large files are summed on several threads and joined; the pieces end at 4 KiB steps, so
  // sizes around those steps and around a multiple of the piece size are the edge cases.
  test::TempOrdner t;
  for (qsizetype n : {32 * MiB - 1, 32 * MiB, 32 * MiB + 1, 64 * MiB + 4097}) {
    const QByteArray d = Muster(n);
    const uLong erwartet = crc32_z(0, reinterpret_cast<const Bytef*>(d.constData()), z_size_t(d.size()));
    const auto s = DateiCRC32Lesen(t.Schreiben("gross", d));
    ASSERT_TRUE(s) << n;
    EXPECT_EQ(s->Crc, erwartet) << n;
    EXPECT_EQ(s->Groesse, std::uint64_t(n));
  }
}

TEST(CRC32, ContinuedOverPiecesEqualsTheWhole) {
  const QByteArray d = Muster(100000);
  for (qsizetype schnitt : {qsizetype(0), qsizetype(1), qsizetype(63), qsizetype(4096), qsizetype(99999)}) {
    const std::uint32_t vorne = CRC32Weiter(0, d.constData(), std::size_t(schnitt));
    EXPECT_EQ(CRC32Weiter(vorne, d.constData() + schnitt, std::size_t(d.size() - schnitt)), CrcBitweise(d)) << schnitt;
  }
  EXPECT_EQ(CRC32Weiter(0, nullptr, 0), 0u);
}
