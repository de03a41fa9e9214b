#pragma once
// CRC-32 (the CRC of zlib and ZIP, as install scripts carry it in Hashwert) of files and streams.
#include <QString>

#include <cstdint>
#include <optional>

class QIODevice;

namespace kiro {

struct TDateiPruefsumme {
  std::uint32_t Crc = 0;
  std::uint64_t Groesse = 0;  // bytes summed
};

// CRC-32 of the bytes from the device's current position to its end; the device is left at its
// end. A read that delivers nothing ends the sum. Empty when a read fails.
std::optional<std::uint32_t> StreamCRC32(QIODevice& Stream);

// CRC-32 and size of the whole file. Empty when it cannot be opened or read, or is no regular
// file, so a missing file is never mistaken for one whose CRC is 0.
std::optional<TDateiPruefsumme> DateiCRC32Lesen(const QString& Pfad);

// CRC-32 of the whole file, 0 when it cannot be read; on success Groesse gets the size's low
// 32 bits, after a failure it keeps the caller's value.
std::uint32_t DateiCRC32(const QString& Pfad, std::int32_t& Groesse);

}  // namespace kiro
