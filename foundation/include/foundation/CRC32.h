#pragma once
// CRC-32 (the CRC of zlib and ZIP, as install scripts carry it in Hashwert) of files and streams.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

class QIODevice;
struct stat;

namespace kiro {

struct TDateiPruefsumme {
  std::uint32_t Crc = 0;
  std::uint64_t Groesse = 0;  // bytes summed
};

// Continues Crc over the bytes; start with 0. Every sum here goes through this one routine.
std::uint32_t CRC32Weiter(std::uint32_t Crc, const void* Daten, std::size_t Laenge);

// CRC-32 of the bytes from the device's current position to its end; the device is left at its
// end. A read that delivers nothing ends the sum. Empty when a read fails.
std::optional<std::uint32_t> StreamCRC32(QIODevice& Stream);

// CRC-32 and size of the whole file. Empty when it cannot be opened or read, or is no regular
// file, so a missing file is never mistaken for one whose CRC is 0.
std::optional<TDateiPruefsumme> DateiCRC32Lesen(const QString& Pfad);
// The same for the file open as Deskriptor, read from its start with positioned reads (its
// offset stays as it was); the caller keeps the descriptor.
std::optional<TDateiPruefsumme> DateiCRC32Lesen(int Deskriptor);

// CRC-32 of the whole file, 0 when it cannot be read; on success Groesse gets the size's low
// 32 bits, after a failure it keeps the caller's value.
std::uint32_t DateiCRC32(const QString& Pfad, std::int32_t& Groesse);

// CRC-32 of files taken from the bytes as our own code wrote them (each file the unpack
// writes), so a later check need not read them again. A kept sum stands for the file only while
// it has the same device, inode, size and modification time; a file changed since is read anew.
// Kept for the whole process, by any thread.

// Keeps Crc for the file whose status St was taken after Groesse bytes had been written to it
// from its start (Pfad names it in the record). Kept only for a regular file of exactly that size.
void CRC32Merken(const struct stat& St, const QString& Pfad, std::uint32_t Crc, std::uint64_t Groesse);
// The kept CRC-32 and size of the file at Pfad when it is unchanged since; else empty.
std::optional<TDateiPruefsumme> GemerkteCRC32(const QString& Pfad);
// The kept CRC-32 when there is one, else the file read as by DateiCRC32Lesen.
std::optional<TDateiPruefsumme> DateiCRC32GemerktOderLesen(const QString& Pfad);
// The same for the file open as Deskriptor.
std::optional<TDateiPruefsumme> GemerkteCRC32(int Deskriptor);
std::optional<TDateiPruefsumme> DateiCRC32GemerktOderLesen(int Deskriptor);
void GemerkteCRC32Vergessen();

}  // namespace kiro
