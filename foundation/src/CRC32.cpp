#include "foundation/CRC32.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>
#include <limits>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <isa-l/crc.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace kiro {

namespace {

// Small enough that each block is still in the core's cache when it is summed, large enough that
// the system-call overhead stays small.
constexpr std::size_t Blockgroesse = std::size_t{256} << 10;
// Large files are summed in pieces on several cores; the page-cache copy is the limit, not the sum.
constexpr std::uint64_t MindestStueck = std::uint64_t{16} << 20;
constexpr unsigned MaxStuecke = 4;

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

struct TStueck {
  std::uint64_t Anfang = 0;
  std::uint64_t Laenge = 0;
  std::uint32_t Crc = 0;
  std::uint64_t Gelesen = 0;  // less than Laenge when the file ended early
  bool Fehler = false;
};

// Sums the piece with positioned reads; stops at the end of the file.
void StueckSummieren(int Fd, TStueck& S) {
  auto puffer = Puffer();
  while (S.Gelesen < S.Laenge) {
    const std::size_t wunsch = std::size_t(std::min<std::uint64_t>(Blockgroesse, S.Laenge - S.Gelesen));
    const ssize_t n = ::pread(Fd, puffer.get(), wunsch, off_t(S.Anfang + S.Gelesen));
    if (n < 0) {
      if (errno == EINTR) continue;
      S.Fehler = true;
      return;
    }
    if (n == 0) return;
    S.Crc = CRC32Weiter(S.Crc, puffer.get(), std::size_t(n));
    S.Gelesen += std::uint64_t(n);
  }
}

// Sums the file from Anfang to its end, adding to Summe.
bool BisZumEnde(int Fd, std::uint64_t Anfang, TDateiPruefsumme& Summe) {
  TStueck s{Anfang, std::numeric_limits<std::uint64_t>::max(), Summe.Crc};
  StueckSummieren(Fd, s);
  if (s.Fehler) return false;
  Summe.Crc = s.Crc;
  Summe.Groesse += s.Gelesen;
  return true;
}

// The whole size as fstat saw it, in pieces on several threads, joined with a CRC combine. False
// when the file got shorter meanwhile (the caller then reads it again from the start).
bool InStuecken(int Fd, std::uint64_t Groesse, unsigned Anzahl, TDateiPruefsumme& Summe, bool& Fehler) {
  std::vector<TStueck> stuecke(Anzahl);
  // Pieces start at page boundaries; the last one takes the rest.
  const std::uint64_t je = (Groesse / Anzahl + 4095) & ~std::uint64_t{4095};
  for (unsigned i = 0; i < Anzahl; ++i) {
    stuecke[i].Anfang = std::min<std::uint64_t>(Groesse, i * je);
    stuecke[i].Laenge = i + 1 == Anzahl ? Groesse - stuecke[i].Anfang : std::min<std::uint64_t>(Groesse - stuecke[i].Anfang, je);
  }
  std::vector<std::thread> helfer;
  for (unsigned i = 1; i < Anzahl; ++i) {
    try {
      helfer.emplace_back(StueckSummieren, Fd, std::ref(stuecke[i]));
    } catch (const std::system_error&) {
      StueckSummieren(Fd, stuecke[i]);  // no thread to be had: sum it here
    }
  }
  StueckSummieren(Fd, stuecke[0]);
  for (auto& h : helfer) h.join();
  for (const auto& s : stuecke) {
    if (s.Fehler) {
      Fehler = true;
      return false;
    }
    if (s.Gelesen != s.Laenge) return false;
  }
  uLong crc = stuecke[0].Crc;
  for (unsigned i = 1; i < Anzahl; ++i) crc = crc32_combine64(crc, stuecke[i].Crc, z_off64_t(stuecke[i].Laenge));
  Summe.Crc = std::uint32_t(crc);
  Summe.Groesse = Groesse;
  return true;
}

}  // namespace

std::uint32_t CRC32Weiter(std::uint32_t Crc, const void* Daten, std::size_t Laenge) {
  // ISA-L's routine takes a 64-bit length; one call per block in any case.
  return crc32_gzip_refl(Crc, static_cast<const unsigned char*>(Daten), Laenge);
}

std::optional<std::uint32_t> StreamCRC32(QIODevice& Stream) {
  auto puffer = Puffer();
  std::uint32_t crc = 0;
  for (;;) {
    const qint64 n = Stream.read(reinterpret_cast<char*>(puffer.get()), static_cast<qint64>(Blockgroesse));
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    crc = CRC32Weiter(crc, puffer.get(), std::size_t(n));
  }
  return crc;
}

std::optional<TDateiPruefsumme> DateiCRC32Lesen(const QString& Pfad) {
  if (Pfad.isEmpty() || Pfad.contains(QChar(0))) return std::nullopt;
  // Reading never locks out other openers here, so a file that another program holds open for
  // writing is summed as it stands. O_NONBLOCK keeps a FIFO from hanging the open; anything but
  // a regular file is refused before the first read.
  Dateideskriptor datei(::open(QFile::encodeName(Pfad).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (datei.fd() < 0) return std::nullopt;
  return DateiCRC32Lesen(datei.fd());
}

std::optional<TDateiPruefsumme> DateiCRC32Lesen(int Deskriptor) {
  if (Deskriptor < 0) return std::nullopt;
  const Dateideskriptor datei(::fcntl(Deskriptor, F_DUPFD_CLOEXEC, 0));
  if (datei.fd() < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(datei.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  ::posix_fadvise(datei.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);

  TDateiPruefsumme summe;
  const std::uint64_t groesse = std::uint64_t(st.st_size);
  const unsigned anzahl = unsigned(std::min<std::uint64_t>(
      {std::uint64_t(MaxStuecke), std::uint64_t(std::max(1u, std::thread::hardware_concurrency())), groesse / MindestStueck}));
  if (anzahl > 1) {
    bool fehler = false;
    if (InStuecken(datei.fd(), groesse, anzahl, summe, fehler)) {
      // Whatever was appended since fstat is summed on, as a plain read would have.
      if (!BisZumEnde(datei.fd(), groesse, summe)) return std::nullopt;
      return summe;
    }
    if (fehler) return std::nullopt;
    summe = {};  // it got shorter: read what is there now
  }
  if (!BisZumEnde(datei.fd(), 0, summe)) return std::nullopt;
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
