#include "foundation/CRC32.h"

#include <QFile>

#include <map>
#include <mutex>
#include <utility>

#include <sys/stat.h>

namespace kiro {

namespace {

struct TGemerkt {
  QString Pfad;  // as written; the file may have been renamed since, its inode stays
  std::uint32_t Crc = 0;
  std::uint64_t Groesse = 0;
  struct timespec Geaendert {};
};

using TSchluessel = std::pair<dev_t, ino_t>;

std::mutex gSperre;
std::map<TSchluessel, TGemerkt>& Gemerkte() {
  static std::map<TSchluessel, TGemerkt> m;
  return m;
}

bool Gleich(const struct timespec& a, const struct timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The kept sum of the file whose status is st, when it is unchanged since.
std::optional<TDateiPruefsumme> Gemerkt(const struct stat& st) {
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  std::lock_guard lock(gSperre);
  const auto it = Gemerkte().find({st.st_dev, st.st_ino});
  if (it == Gemerkte().end()) return std::nullopt;
  const TGemerkt& g = it->second;
  if (g.Groesse != std::uint64_t(st.st_size) || !Gleich(g.Geaendert, st.st_mtim)) return std::nullopt;
  return TDateiPruefsumme{g.Crc, g.Groesse};
}

}  // namespace

void CRC32Merken(const struct stat& St, const QString& Pfad, std::uint32_t Crc, std::uint64_t Groesse) {
  if (!S_ISREG(St.st_mode) || std::uint64_t(St.st_size) != Groesse) return;
  std::lock_guard lock(gSperre);
  Gemerkte()[{St.st_dev, St.st_ino}] = TGemerkt{Pfad, Crc, Groesse, St.st_mtim};
}

std::optional<TDateiPruefsumme> GemerkteCRC32(const QString& Pfad) {
  if (Pfad.isEmpty() || Pfad.contains(QChar(0))) return std::nullopt;
  struct stat st {};
  if (::stat(QFile::encodeName(Pfad).constData(), &st) != 0) return std::nullopt;
  return Gemerkt(st);
}

std::optional<TDateiPruefsumme> GemerkteCRC32(int Deskriptor) {
  struct stat st {};
  if (Deskriptor < 0 || ::fstat(Deskriptor, &st) != 0) return std::nullopt;
  return Gemerkt(st);
}

std::optional<TDateiPruefsumme> DateiCRC32GemerktOderLesen(const QString& Pfad) {
  if (const auto g = GemerkteCRC32(Pfad)) return g;
  return DateiCRC32Lesen(Pfad);
}

std::optional<TDateiPruefsumme> DateiCRC32GemerktOderLesen(int Deskriptor) {
  if (const auto g = GemerkteCRC32(Deskriptor)) return g;
  return DateiCRC32Lesen(Deskriptor);
}

void GemerkteCRC32Vergessen() {
  std::lock_guard lock(gSperre);
  Gemerkte().clear();
}

}  // namespace kiro
