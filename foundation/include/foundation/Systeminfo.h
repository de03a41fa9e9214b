#pragma once
// What the install-script analysis and the info window ask about the computer and its files: the
// system's name, its word size, the version of a program file, the file system under a path and
// whether the user is the administrator. The machine's facts come from platform::Systemdaten(),
// so tests set fixed ones; the Windows name table is kept as a pure function over a version record.
#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>
#include <span>

namespace kiro {

// The extended OS version record of the original system (size 284; 276 for the basic record,
// whose extended fields stay 0).
struct TOSVersionInfoEx {
  std::uint32_t Groesse = 0;
  std::uint32_t Haupt = 0;
  std::uint32_t Neben = 0;
  std::uint32_t Build = 0;
  std::uint32_t PlattformId = 0;
  QString ServicePack;  // at most 128 characters count
  std::uint16_t ServicePackHaupt = 0;
  std::uint16_t ServicePackNeben = 0;
  std::uint16_t SuiteMaske = 0;
  std::uint8_t ProduktTyp = 0;
  std::uint8_t Reserviert = 0;
};

inline constexpr std::uint32_t VER_PLATFORM_WIN32s = 0;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;
inline constexpr std::uint8_t VER_NT_WORKSTATION = 1;
inline constexpr std::uint16_t VER_SUITE_PERSONAL = 0x0200;
inline constexpr std::uint16_t VER_SUITE_WH_SERVER = 0x8000;

// There is no Windows version here: a cleared record (size 284, everything else 0).
void VersionsInfoHolen(TOSVersionInfoEx& Info);

// The name table: Name and row code (0..17) of a version record; ServerR2 is the system's
// "Server 2003 R2" flag. Nummer keeps its value when no row matches.
void WindowsVersionErmitteln(const TOSVersionInfoEx& Info, bool ServerR2, QString& Name, std::uint8_t& Nummer);
// The running system: Info cleared, Name the system's display name, Nummer unchanged.
void WindowsVersionErmitteln(TOSVersionInfoEx& Info, QString& Name, std::uint8_t& Nummer);

// The running system's display name.
QString WindowsVersionName();
// The table's name of a version record.
QString WindowsVersionName(const TOSVersionInfoEx& Info, bool ServerR2);

// The system's Windows version ("major.minor.build"); "" on this system, which has none.
QString WindowsVersionNummer();
// "major.minor.build" of a record, such as "10.0.22631".
QString WindowsVersionNummer(const TOSVersionInfoEx& Info);

// The operating system is 64 bit.
bool IstWindows64();

// The fixed file version of a Windows program (PE32 or PE32+ version resource).
struct TDateiVersion {
  std::uint16_t Haupt = 0;
  std::uint16_t Neben = 0;
  std::uint16_t Release = 0;
  std::uint16_t Build = 0;
};

// Reads the fixed version from a PE image held in memory; nullopt for anything else.
std::optional<TDateiVersion> PeDateiVersion(std::span<const std::uint8_t> Bild);

// "%d.%d.%d.%d" of Datei's fixed file version and the four numbers; "" and zeros for a file that
// is no PE file with a version resource, and on any read failure. Never raises.
QString DateiVersionLesen(const QString& Datei, std::uint16_t& Haupt, std::uint16_t& Neben,
                          std::uint16_t& Release, std::uint16_t& Build);
QString DateiVersionLesen(const QString& Datei);

// The mount holding Pfad has an NTFS file system ("ntfs", "ntfs3" or "fuseblk"); False when Pfad
// cannot be resolved.
bool IstNTFS(const QString& Pfad);

// Files have no property sets here: always "".
QString EigenschaftLesen(const QString& Datei, const QUuid& Satz, int Index);

// The user acts with administrator rights (effective user id 0).
bool IstAdministrator();

}  // namespace kiro
