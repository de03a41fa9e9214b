#include "foundation/Systeminfo.h"
#include "platform/Systemdaten.h"
#include "testsupport/AlsNutzer.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <ostream>

#include <gtest/gtest.h>

using namespace kiro;

// Readable QStrings in failure messages.
inline std::ostream& operator<<(std::ostream& o, const QString& s) { return o << '"' << s.toStdString() << '"'; }

namespace {

// Sets a source of system facts for one test and restores the machine's afterwards.
struct TQuelleGesetzt {
  explicit TQuelleGesetzt(const platform::ISystemdaten& q) { platform::SystemdatenSetzen(&q); }
  ~TQuelleGesetzt() { platform::SystemdatenSetzen(nullptr); }
};

TOSVersionInfoEx Nt(std::uint32_t Haupt, std::uint32_t Neben, std::uint8_t Typ = VER_NT_WORKSTATION,
                    std::uint16_t Suite = 0, std::uint32_t Build = 0) {
  TOSVersionInfoEx i;
  i.Groesse = 284;
  i.PlattformId = VER_PLATFORM_WIN32_NT;
  i.Haupt = Haupt;
  i.Neben = Neben;
  i.ProduktTyp = Typ;
  i.SuiteMaske = Suite;
  i.Build = Build;
  return i;
}

TOSVersionInfoEx Alt(std::uint32_t Plattform, std::uint32_t Haupt, std::uint32_t Neben) {
  TOSVersionInfoEx i;
  i.PlattformId = Plattform;
  i.Haupt = Haupt;
  i.Neben = Neben;
  return i;
}

constexpr std::uint8_t SERVER = 3;
constexpr std::uint8_t Unveraendert = 99;

}  // namespace

TEST(Systeminfo, NamenstabelleUeberAlleZeilen) {
  struct Fall {
    TOSVersionInfoEx Info;
    bool ServerR2;
    const char* Name;
    std::uint8_t Code;
  } faelle[] = {
      {Alt(0, 3, 10), false, "Win32s", 0},
      {Alt(1, 4, 0), false, "Windows 95", 1},
      {Alt(1, 4, 10), false, "Windows 98", 2},
      {Alt(1, 4, 90), false, "Windows Millennium Edition", 3},
      {Alt(1, 5, 0), false, "Unkown Windows-Version", Unveraendert},
      {Alt(7, 10, 0), false, "Unkown Windows-Version", Unveraendert},
      {Nt(4, 0), false, "Windows NT Professional", 4},
      {Nt(5, 0), false, "Windows 2000 Professional", 5},
      {Nt(5, 1, VER_NT_WORKSTATION, VER_SUITE_PERSONAL), false, "Windows XP Home Edition", 6},
      // The 5.2 rows in their order: the R2 flag first, then the workstation, then the suite.
      {Nt(5, 2, VER_NT_WORKSTATION, VER_SUITE_WH_SERVER), true, "Windows Server 2003 \"R2\" Professional", 8},
      {Nt(5, 2, VER_NT_WORKSTATION, VER_SUITE_WH_SERVER), false, "Windows XP x64 Professional", 9},
      {Nt(5, 2, SERVER, VER_SUITE_WH_SERVER), false, "Windows Home Server Professional", 10},
      {Nt(5, 2, SERVER, VER_SUITE_WH_SERVER | 0x10), false, "Windows Server 2003 Professional", 7},
      {Nt(5, 2, SERVER), false, "Windows Server 2003 Professional", 7},
      {Nt(6, 0), false, "Windows Vista Professional", 11},
      {Nt(6, 0, SERVER), false, "Windows Server 2008 Professional", 12},
      {Nt(6, 1), false, "Windows 7 Professional", 13},
      {Nt(6, 1, SERVER), false, "Windows Server 2008 R2 Professional", 14},
      {Nt(6, 2), false, "Windows 8 Professional", 15},
      {Nt(6, 2, SERVER), false, "Windows Server 2012 Professional", 16},
      {Nt(6, 3), false, "Windows 8.1 Professional", 15},
      {Nt(6, 3, SERVER), false, "Windows Server 2012 R2 Professional", 16},
      {Nt(6, 4), false, "Windows 10 beta Professional", 17},
      {Nt(10, 0, VER_NT_WORKSTATION, VER_SUITE_PERSONAL, 19045), false, "Windows 10 Home Edition", 17},
      {Nt(10, 0, VER_NT_WORKSTATION, 0, 21999), false, "Windows 10 Professional", 17},
      {Nt(10, 0, VER_NT_WORKSTATION, VER_SUITE_PERSONAL, 22000), false, "Windows 11 Home Edition", 17},
      {Nt(10, 0, SERVER, 0, 26100), false, "Windows 11 Professional", 17},
      {Nt(10, 0, SERVER, 0, 17763), false, "Windows 10 Professional", 17},
      // An NT version no row knows still gets the edition suffix.
      {Nt(6, 5), false, "Unkown Windows-Version Professional", Unveraendert},
  };
  for (const Fall& f : faelle) {
    QString name;
    std::uint8_t code = Unveraendert;
    WindowsVersionErmitteln(f.Info, f.ServerR2, name, code);
    EXPECT_EQ(name, QString::fromLatin1(f.Name)) << f.Info.PlattformId << " " << f.Info.Haupt << "." << f.Info.Neben;
    EXPECT_EQ(int(code), int(f.Code)) << f.Name;
    EXPECT_EQ(WindowsVersionName(f.Info, f.ServerR2), name);
  }
}

TEST(Systeminfo, ServicePackTextGetrimmtUndBegrenzt) {
  TOSVersionInfoEx i = Nt(6, 1);
  i.ServicePack = QStringLiteral(" \tService Pack 1\r\n");
  EXPECT_EQ(WindowsVersionName(i, false), QStringLiteral("Windows 7 Professional Service Pack 1"));
  // Only the record's 128 characters count.
  i.ServicePack = QString(127, u'x') + QStringLiteral(" yz");
  EXPECT_EQ(WindowsVersionName(i, false), QStringLiteral("Windows 7 Professional ") + QString(127, u'x'));
  i.ServicePack = QStringLiteral("  ");
  EXPECT_EQ(WindowsVersionName(i, false), QStringLiteral("Windows 7 Professional"));
  i.Build = 7601;
  EXPECT_EQ(WindowsVersionNummer(i), QStringLiteral("6.1.7601"));
}

TEST(Systeminfo, LaufendesSystemAusDerQuelle) {
  platform::TFesteSystemdaten fest;
  fest.Name = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
  fest.Bit64 = false;
  fest.Administrator = true;
  TQuelleGesetzt q(fest);
  EXPECT_EQ(WindowsVersionName(), fest.Name);
  EXPECT_EQ(WindowsVersionNummer(), QString());
  EXPECT_FALSE(IstWindows64());
  EXPECT_TRUE(IstAdministrator());
  TOSVersionInfoEx info = Nt(10, 0);
  QString name;
  std::uint8_t code = Unveraendert;
  WindowsVersionErmitteln(info, name, code);
  EXPECT_EQ(name, fest.Name);
  EXPECT_EQ(int(code), int(Unveraendert));
  EXPECT_EQ(info.Groesse, 284u);
  EXPECT_EQ(info.PlattformId, 0u);
  EXPECT_EQ(info.Haupt, 0u);
  fest.Bit64 = true;
  EXPECT_TRUE(IstWindows64());
  EXPECT_EQ(EigenschaftLesen(QStringLiteral("/etc/hostname"), QUuid(), 0), QString());
  EXPECT_EQ(EigenschaftLesen(QStringLiteral("/etc/hostname"), QUuid(), 1000), QString());
}

TEST(Systeminfo, MaschineHat64BitWennDerKernEsHat) {
  // This machine's kernel is 64 bit wherever the build targets 64 bit.
  if (sizeof(void*) == 8) {
    EXPECT_TRUE(platform::TLinuxSystemdaten().Ist64Bit());
  }
  EXPECT_FALSE(platform::TLinuxSystemdaten().BetriebssystemName().isEmpty());
}

// ---- NTFS from the mount table ----------------------------------------------------------

TEST(Systeminfo, NtfsAusDerMounttabelle) {
  test::TempOrdner t;
  for (const char* d : {"ntfs3", "fuse", "vfat", "mit leer", "mit leer/tief", "ntfs3x"}) QDir().mkpath(t / d);
  const QString w = t.Pfad().chopped(1);
  auto zeile = [](int id, const QString& punkt, const char* typ) {
    QString p = punkt;
    p.replace(u' ', QStringLiteral("\\040"));
    return QStringLiteral("%1 1 8:%1 / %2 rw,relatime shared:1 - %3 /dev/sdx%1 rw\n").arg(id).arg(p, QLatin1String(typ));
  };
  const QString tabelle = zeile(1, QStringLiteral("/"), "ext4") + zeile(2, w + QStringLiteral("/ntfs3"), "ntfs3") +
                          zeile(3, w + QStringLiteral("/fuse"), "fuseblk") + zeile(4, w + QStringLiteral("/vfat"), "vfat") +
                          zeile(5, w + QStringLiteral("/mit leer"), "ntfs") +
                          zeile(6, w + QStringLiteral("/mit leer/tief"), "exfat") +
                          // Mounted over the first: the later line lies on top.
                          zeile(7, w + QStringLiteral("/vfat"), "ntfs3");
  const QString mountinfo = t.Schreiben(QStringLiteral("mountinfo"), tabelle.toUtf8());
  platform::TLinuxSystemdaten daten(mountinfo);
  TQuelleGesetzt q(daten);
  struct Fall {
    QString Pfad;
    bool Ntfs;
  } faelle[] = {
      {t / QStringLiteral("ntfs3"), true},
      {t / QStringLiteral("ntfs3/"), true},
      {t / QStringLiteral("fuse"), true},
      {t / QStringLiteral("vfat"), true},
      {t / QStringLiteral("mit leer"), true},
      {t / QStringLiteral("mit leer/tief"), false},
      {t / QStringLiteral("ntfs3/../fuse"), true},
      // A sibling whose name only begins like a mount point lies on the root.
      {t / QStringLiteral("ntfs3x"), false},
      {t.Pfad(), false},
      {t / QStringLiteral("fehlt"), false},
      {t / QStringLiteral("ntfs3/fehlt.exe"), false},
      {QString(), false},
  };
  for (const Fall& f : faelle) EXPECT_EQ(IstNTFS(f.Pfad), f.Ntfs) << f.Pfad;
  EXPECT_EQ(daten.DateisystemTyp(t / QStringLiteral("mit leer/tief")), QStringLiteral("exfat"));
  EXPECT_FALSE(platform::TLinuxSystemdaten(t / QStringLiteral("keine")).DateisystemTyp(t.Pfad()).size());
}

// ---- Administrator ------------------------------------------------------------------------

TEST(Systeminfo, AdministratorIstEffektiveBenutzerkennungNull) {
  EXPECT_EQ(IstAdministrator(), ::geteuid() == 0);
  EXPECT_EQ(platform::TLinuxSystemdaten().IstAdministrator(), ::geteuid() == 0);
  // As root the same again as an ordinary user, who is none.
  if (::geteuid() == 0) {
    EXPECT_TRUE(test::AlsNutzerWiederholt());
  }
}
