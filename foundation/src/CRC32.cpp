#include "foundation/CRC32.h"

#include <QFile>
#include <QIODevice>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace kiro {

namespace {

// Large blocks keep the system-call and loop overhead far below the time zlib spends summing.
constexpr std::size_t Blockgroesse = std::size_t{1} << 20;

std::unique_ptr<unsigned char[]> Puffer() { return std::make_unique_for_overwrite<unsigned char[]>(Blockgroesse); }

class Dateideskriptor {
 public:
  explicit Dateideskriptor(int fd) : FFd(fd) {}
  ~Dateideskriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  Dateideskriptor(const Dateideskriptor&) = delete;
  Dateideskriptor& operator=(const Dateideskriptor&) = delete;
  int fd() const { return FFd; }

 private:
  int FFd;
};

}  // namespace

std::optional<std::uint32_t> StreamCRC32(QIODevice& Stream) {
  auto puffer = Puffer();
  uLong crc = crc32_z(0, nullptr, 0);
  for (;;) {
    const qint64 n = Stream.read(reinterpret_cast<char*>(puffer.get()), static_cast<qint64>(Blockgroesse));
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    crc = crc32_z(crc, puffer.get(), static_cast<z_size_t>(n));
  }
  return static_cast<std::uint32_t>(crc);
}

std::optional<TDateiPruefsumme> DateiCRC32Lesen(const QString& Pfad) {
  if (Pfad.isEmpty() || Pfad.contains(QChar(0))) return std::nullopt;
  // Reading never locks out other openers here, so a file that another program holds open for
  // writing is summed as it stands. O_NONBLOCK keeps a FIFO from hanging the open; anything but
  // a regular file is refused before the first read.
  Dateideskriptor datei(::open(QFile::encodeName(Pfad).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (datei.fd() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(datei.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  ::posix_fadvise(datei.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);

  auto puffer = Puffer();
  TDateiPruefsumme summe;
  uLong crc = crc32_z(0, nullptr, 0);
  for (;;) {
    const ssize_t n = ::read(datei.fd(), puffer.get(), Blockgroesse);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    crc = crc32_z(crc, puffer.get(), static_cast<z_size_t>(n));
    summe.Groesse += static_cast<std::uint64_t>(n);
  }
  summe.Crc = static_cast<std::uint32_t>(crc);
  return summe;
}

std::uint32_t DateiCRC32(const QString& Pfad, std::int32_t& Groesse) {
  const auto summe = DateiCRC32Lesen(Pfad);
  if (!summe) return 0;
  // Sizes are 32-bit in install scripts: a file of 4 GiB or more reports its size's low 32 bits.
  Groesse = static_cast<std::int32_t>(static_cast<std::uint32_t>(summe->Groesse & 0xFFFFFFFFu));
  return summe->Crc;
}

}  // namespace kiro
