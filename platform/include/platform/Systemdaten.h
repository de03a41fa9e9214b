#pragma once
// Facts about the running system that the info window and the install-script analysis ask for:
// the system's display name, its word size, whether the user is the administrator, and the
// file-system type under a path. Behind an interface so tests can hand in fixed answers.
#include <QString>

namespace kiro::platform {

class ISystemdaten {
 public:
  virtual ~ISystemdaten() = default;
  // The operating system's name for display, such as "Debian GNU/Linux 12 (bookworm)".
  virtual QString BetriebssystemName() const = 0;
  // The operating system's own word size is 64 bit (not the build's).
  virtual bool Ist64Bit() const = 0;
  // The process acts with administrator rights: effective user id 0.
  virtual bool IstAdministrator() const = 0;
  // The kernel's file-system type of the mount that holds Pfad ("ext4", "ntfs3", ...);
  // "" when Pfad cannot be resolved or no mount holds it.
  virtual QString DateisystemTyp(const QString& Pfad) const = 0;
  // The Windows version as "major.minor.build"; "" on a system that has none, as this one.
  virtual QString WindowsVersionNummer() const { return {}; }
};

// The machine's answers. The mount table is a parameter so tests can use a fixture.
class TLinuxSystemdaten : public ISystemdaten {
 public:
  explicit TLinuxSystemdaten(QString MountInfo = QStringLiteral("/proc/self/mountinfo"));
  QString BetriebssystemName() const override;
  bool Ist64Bit() const override;
  bool IstAdministrator() const override;
  QString DateisystemTyp(const QString& Pfad) const override;

 private:
  QString FMountInfo;
};

// Fixed answers for tests of the code that asks.
class TFesteSystemdaten : public ISystemdaten {
 public:
  QString Name = QStringLiteral("Testsystem 1.0");
  bool Bit64 = true;
  bool Administrator = false;
  QString Dateisystem = QStringLiteral("ext4");
  QString WindowsNummer;  // "" as on this system

  QString BetriebssystemName() const override { return Name; }
  bool Ist64Bit() const override { return Bit64; }
  bool IstAdministrator() const override { return Administrator; }
  QString DateisystemTyp(const QString&) const override { return Dateisystem; }
  QString WindowsVersionNummer() const override { return WindowsNummer; }
};

// The source the foundation's system routines ask: the machine's unless one was set.
const ISystemdaten& Systemdaten();
// Sets the source (borrowed; it must outlive its use); nullptr restores the machine's.
void SystemdatenSetzen(const ISystemdaten* Quelle);

}  // namespace kiro::platform
