#include "foundation/Systeminfo.h"

#include "foundation/Dateifunktionen.h"
#include "platform/Systemdaten.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <functional>

namespace kiro {

namespace {

// Leading and trailing blanks and control characters off, as the system's own trim does.
QString OhneRandzeichen(const QString& Text) {
  qsizetype anfang = 0;
  qsizetype ende = Text.size();
  while (anfang < ende && Text[anfang].unicode() <= 0x20) ++anfang;
  while (ende > anfang && Text[ende - 1].unicode() <= 0x20) --ende;
  return Text.mid(anfang, ende - anfang);
}

}  // namespace

void VersionsInfoHolen(TOSVersionInfoEx& Info) {
  Info = TOSVersionInfoEx{};
  Info.Groesse = 284;
}

void WindowsVersionErmitteln(const TOSVersionInfoEx& Info, bool ServerR2, QString& Name, std::uint8_t& Nummer) {
  Name = QStringLiteral("Unkown Windows-Version");
  // Rows are tested top to bottom; a later match replaces an earlier one.
  auto zeile = [&](const char* name, std::uint8_t code) {
    Name = QString::fromLatin1(name);
    Nummer = code;
  };
  const std::uint32_t ha = Info.Haupt;
  const std::uint32_t ne = Info.Neben;
  const bool arbeitsplatz = Info.ProduktTyp == VER_NT_WORKSTATION;
  switch (Info.PlattformId) {
    case VER_PLATFORM_WIN32s:
      zeile("Win32s", 0);
      break;
    case VER_PLATFORM_WIN32_WINDOWS:
      if (ha == 4 && ne == 0) zeile("Windows 95", 1);
      if (ha == 4 && ne == 10) zeile("Windows 98", 2);
      if (ha == 4 && ne == 90) zeile("Windows Millennium Edition", 3);
      break;
    case VER_PLATFORM_WIN32_NT:
      if (ha == 4 && ne == 0) zeile("Windows NT", 4);
      if (ha == 5 && ne == 0) zeile("Windows 2000", 5);
      if (ha == 5 && ne == 1) zeile("Windows XP", 6);
      if (ha == 5 && ne == 2) {
        if (ServerR2)
          zeile("Windows Server 2003 \"R2\"", 8);
        else if (arbeitsplatz)
          zeile("Windows XP x64", 9);
        else if (Info.SuiteMaske == VER_SUITE_WH_SERVER)
          zeile("Windows Home Server", 10);
        else
          zeile("Windows Server 2003", 7);
      }
      if (ha == 6 && ne == 0) arbeitsplatz ? zeile("Windows Vista", 11) : zeile("Windows Server 2008", 12);
      if (ha == 6 && ne == 1) arbeitsplatz ? zeile("Windows 7", 13) : zeile("Windows Server 2008 R2", 14);
      if (ha == 6 && ne == 2) arbeitsplatz ? zeile("Windows 8", 15) : zeile("Windows Server 2012", 16);
      if (ha == 6 && ne == 3) arbeitsplatz ? zeile("Windows 8.1", 15) : zeile("Windows Server 2012 R2", 16);
      if (ha == 6 && ne == 4) zeile("Windows 10 beta", 17);
      if (ha == 10) zeile("Windows 10", 17);
      if (ha == 10 && Info.Build >= 22000) zeile("Windows 11", 17);
      Name += (Info.SuiteMaske & VER_SUITE_PERSONAL) ? QStringLiteral(" Home Edition") : QStringLiteral(" Professional");
      break;
    default:
      break;
  }
  // No blank is left dangling behind the name when there is no service pack.
  const QString sp = OhneRandzeichen(Info.ServicePack.left(128));
  if (!sp.isEmpty()) Name += u' ' + sp;
}

void WindowsVersionErmitteln(TOSVersionInfoEx& Info, QString& Name, std::uint8_t&) {
  VersionsInfoHolen(Info);
  Name = platform::Systemdaten().BetriebssystemName();
}

QString WindowsVersionName() { return platform::Systemdaten().BetriebssystemName(); }

QString WindowsVersionName(const TOSVersionInfoEx& Info, bool ServerR2) {
  QString name;
  std::uint8_t nummer = 0;
  WindowsVersionErmitteln(Info, ServerR2, name, nummer);
  return name;
}

QString WindowsVersionNummer() { return platform::Systemdaten().WindowsVersionNummer(); }

QString WindowsVersionNummer(const TOSVersionInfoEx& Info) {
  return QStringLiteral("%1.%2.%3").arg(Info.Haupt).arg(Info.Neben).arg(Info.Build);
}

bool IstWindows64() { return platform::Systemdaten().Ist64Bit(); }

// ---- PE version resource ------------------------------------------------------------------

namespace {

// Reads Anzahl bytes at Pos into Ziel; false when they are not all there.
using TLeser = std::function<bool(std::uint64_t Pos, std::size_t Anzahl, std::uint8_t* Ziel)>;

std::uint16_t W16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t W32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

constexpr std::uint32_t RT_VERSION = 16;
constexpr std::uint32_t FixedSignatur = 0xFEEF04BD;
// More sections than a real linker writes; bounds the section scan of a hostile file.
constexpr std::uint16_t kMaxAbschnitte = 96;
// Directory entries looked at per level; a real version resource needs one or two.
constexpr std::uint32_t kMaxEintraege = 4096;

struct TAbschnitt {
  std::uint32_t Va, Groesse, Roh, RohGroesse;
};

class TPeLeser {
 public:
  explicit TPeLeser(const TLeser& Lesen) : FLesen(Lesen) {}

  std::optional<TDateiVersion> Version() {
    std::uint8_t dos[64];
    if (!FLesen(0, sizeof dos, dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    const std::uint64_t pe = W32(dos + 0x3C);
    std::uint8_t kopf[24];
    if (!FLesen(pe, sizeof kopf, kopf) || std::memcmp(kopf, "PE\0\0", 4) != 0) return std::nullopt;
    const std::uint16_t anzahl = W16(kopf + 6);
    const std::uint16_t optGroesse = W16(kopf + 20);
    if (anzahl == 0 || anzahl > kMaxAbschnitte) return std::nullopt;
    const std::uint64_t opt = pe + 24;
    std::uint8_t magic[2];
    if (!FLesen(opt, 2, magic)) return std::nullopt;
    // The data directories follow the optional header's fixed part: 96 bytes in PE32, 112 in PE32+.
    std::uint32_t verzeichnisse;
    switch (W16(magic)) {
      case 0x10B: verzeichnisse = 96; break;
      case 0x20B: verzeichnisse = 112; break;
      default: return std::nullopt;
    }
    std::uint8_t zahl[4];
    if (!FLesen(opt + verzeichnisse - 4, 4, zahl) || W32(zahl) <= 2) return std::nullopt;
    // Directory 2 (resources) must lie inside the optional header.
    if (std::uint32_t(verzeichnisse) + 3 * 8 > optGroesse) return std::nullopt;
    std::uint8_t res[8];
    if (!FLesen(opt + verzeichnisse + 2 * 8, 8, res)) return std::nullopt;
    FResBasis = W32(res);
    if (FResBasis == 0 || W32(res + 4) == 0) return std::nullopt;

    const std::uint64_t tabelle = opt + optGroesse;
    for (std::uint16_t i = 0; i < anzahl; ++i) {
      std::uint8_t s[40];
      if (!FLesen(tabelle + 40ull * i, sizeof s, s)) return std::nullopt;
      // Name, virtual size, virtual address, raw size, raw offset.
      FAbschnitte[i] = {W32(s + 12), W32(s + 8), W32(s + 20), W32(s + 16)};
    }
    FAnzahl = anzahl;

    // Type RT_VERSION, then the first name and the first language below it.
    auto typ = Eintrag(0, RT_VERSION);
    if (!typ || !(*typ & 0x80000000u)) return std::nullopt;
    auto name = Eintrag(*typ & 0x7FFFFFFFu, std::nullopt);
    if (!name || !(*name & 0x80000000u)) return std::nullopt;
    auto sprache = Eintrag(*name & 0x7FFFFFFFu, std::nullopt);
    if (!sprache || (*sprache & 0x80000000u)) return std::nullopt;
    std::uint8_t daten[16];
    if (!RvaLesen(std::uint64_t(FResBasis) + *sprache, sizeof daten, daten)) return std::nullopt;
    return FesteVersion(W32(daten), W32(daten + 4));
  }

 private:
  // Reads bytes at a relative virtual address, wholly inside one section's raw data.
  bool RvaLesen(std::uint64_t Rva, std::size_t Anzahl, std::uint8_t* Ziel) const {
    for (std::uint16_t i = 0; i < FAnzahl; ++i) {
      const TAbschnitt& a = FAbschnitte[i];
      if (Rva < a.Va) continue;
      const std::uint64_t abstand = Rva - a.Va;
      if (abstand + Anzahl > a.RohGroesse) continue;
      return FLesen(std::uint64_t(a.Roh) + abstand, Anzahl, Ziel);
    }
    return false;
  }

  // The data offset of the directory entry at Verzeichnis (relative to the resource base) whose
  // id is Id, or of its first entry when Id is nullopt.
  std::optional<std::uint32_t> Eintrag(std::uint32_t Verzeichnis, std::optional<std::uint32_t> Id) const {
    std::uint8_t kopf[16];
    if (!RvaLesen(std::uint64_t(FResBasis) + Verzeichnis, sizeof kopf, kopf)) return std::nullopt;
    const std::uint32_t n = std::uint32_t(W16(kopf + 12)) + W16(kopf + 14);
    for (std::uint32_t i = 0; i < n && i < kMaxEintraege; ++i) {
      std::uint8_t e[8];
      if (!RvaLesen(std::uint64_t(FResBasis) + Verzeichnis + 16 + 8ull * i, sizeof e, e)) return std::nullopt;
      if (!Id || W32(e) == *Id) return W32(e + 4);
    }
    return std::nullopt;
  }

  // VS_VERSIONINFO: length, value length, type, the key "VS_VERSION_INFO", padding to 4 bytes,
  // then VS_FIXEDFILEINFO starting with its signature.
  std::optional<TDateiVersion> FesteVersion(std::uint32_t Rva, std::uint32_t Groesse) const {
    static constexpr char16_t kSchluessel[] = u"VS_VERSION_INFO";
    constexpr std::size_t kKopf = 6 + sizeof kSchluessel;  // 38, padded to 40
    constexpr std::size_t kFest = (kKopf + 3) / 4 * 4;
    std::uint8_t b[kFest + 52];
    if (Groesse < sizeof b || !RvaLesen(Rva, sizeof b, b)) return std::nullopt;
    if (W16(b) < sizeof b || W16(b) > Groesse || W16(b + 2) < 52) return std::nullopt;
    for (std::size_t i = 0; i < std::size(kSchluessel); ++i)
      if (W16(b + 6 + 2 * i) != kSchluessel[i]) return std::nullopt;
    const std::uint8_t* f = b + kFest;
    if (W32(f) != FixedSignatur) return std::nullopt;
    const std::uint32_t ms = W32(f + 8);
    const std::uint32_t ls = W32(f + 12);
    return TDateiVersion{std::uint16_t(ms >> 16), std::uint16_t(ms), std::uint16_t(ls >> 16), std::uint16_t(ls)};
  }

  const TLeser& FLesen;
  std::uint32_t FResBasis = 0;
  TAbschnitt FAbschnitte[kMaxAbschnitte] = {};
  std::uint16_t FAnzahl = 0;
};

}  // namespace

std::optional<TDateiVersion> PeDateiVersion(std::span<const std::uint8_t> Bild) {
  const TLeser lesen = [Bild](std::uint64_t Pos, std::size_t Anzahl, std::uint8_t* Ziel) {
    if (Pos > Bild.size() || Anzahl > Bild.size() - Pos) return false;
    std::memcpy(Ziel, Bild.data() + Pos, Anzahl);
    return true;
  };
  return TPeLeser(lesen).Version();
}

namespace {

std::optional<TDateiVersion> DateiVersionAusDatei(const QString& Datei) {
  if (Datei.isEmpty()) return std::nullopt;
  // Regular files only: no read may hang on a FIFO or touch a device.
  const int fd = ::open(QFile::encodeName(Datei).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<TDateiVersion> v;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const TLeser lesen = [fd](std::uint64_t Pos, std::size_t Anzahl, std::uint8_t* Ziel) {
      if (Pos > std::uint64_t(INT64_MAX) - Anzahl) return false;
      std::size_t gelesen = 0;
      while (gelesen < Anzahl) {
        const ssize_t n = ::pread(fd, Ziel + gelesen, Anzahl - gelesen, off_t(Pos + gelesen));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        gelesen += std::size_t(n);
      }
      return true;
    };
    v = TPeLeser(lesen).Version();
  }
  ::close(fd);
  return v;
}

}  // namespace

QString DateiVersionLesen(const QString& Datei, std::uint16_t& Haupt, std::uint16_t& Neben, std::uint16_t& Release,
                          std::uint16_t& Build) {
  Haupt = Neben = Release = Build = 0;
  try {
    if (const auto v = DateiVersionAusDatei(Datei)) {
      Haupt = v->Haupt;
      Neben = v->Neben;
      Release = v->Release;
      Build = v->Build;
      return QStringLiteral("%1.%2.%3.%4").arg(Haupt).arg(Neben).arg(Release).arg(Build);
    }
    // Without a version resource the version may sit in the summary information of an NTFS file.
    if (IstNTFS(Datei)) {
      const QString text = OhneRandzeichen(
          EigenschaftLesen(Datei, QUuid(QStringLiteral("{F29F85E0-4FF9-1068-AB91-08002B27B3D9}")), 0));
      if (!text.isEmpty()) VersionZerlegen(text, Haupt, Neben, Release, Build);
      return text;
    }
  } catch (...) {
    Haupt = Neben = Release = Build = 0;
  }
  return {};
}

QString DateiVersionLesen(const QString& Datei) {
  std::uint16_t a, b, c, d;
  return DateiVersionLesen(Datei, a, b, c, d);
}

bool IstNTFS(const QString& Pfad) {
  const QString typ = platform::Systemdaten().DateisystemTyp(Pfad);
  return typ == QLatin1String("ntfs") || typ == QLatin1String("ntfs3") || typ == QLatin1String("fuseblk");
}

QString EigenschaftLesen(const QString&, const QUuid&, int) { return {}; }

bool IstAdministrator() { return platform::Systemdaten().IstAdministrator(); }

}  // namespace kiro
