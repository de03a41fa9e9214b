#include "platform/Systemdaten.h"

#include "Mounttabelle.h"

#include <QFileInfo>
#include <QSysInfo>

#include <unistd.h>

#include <atomic>

namespace kiro::platform {

namespace {

// Whether Mountpunkt holds Pfad: equal, or a folder above it (not a mere name prefix).
bool Enthaelt(const QString& Mountpunkt, const QString& Pfad) {
  if (Mountpunkt == QLatin1String("/")) return Pfad.startsWith(u'/');
  return Pfad == Mountpunkt || (Pfad.startsWith(Mountpunkt) && Pfad.at(Mountpunkt.size()) == u'/');
}

std::atomic<const ISystemdaten*> GesetzteQuelle{nullptr};

}  // namespace

TLinuxSystemdaten::TLinuxSystemdaten(QString MountInfo) : FMountInfo(std::move(MountInfo)) {}

QString TLinuxSystemdaten::BetriebssystemName() const { return QSysInfo::prettyProductName(); }

bool TLinuxSystemdaten::Ist64Bit() const {
  // The kernel's architecture ("x86_64", "arm64", "s390x"...), not the one this build targets.
  const QString arch = QSysInfo::currentCpuArchitecture();
  return arch.contains(QLatin1String("64")) || arch == QLatin1String("s390x");
}

bool TLinuxSystemdaten::IstAdministrator() const { return ::geteuid() == 0; }

QString TLinuxSystemdaten::DateisystemTyp(const QString& Pfad) const {
  const QString echt = Pfad.isEmpty() ? QString() : QFileInfo(Pfad).canonicalFilePath();
  if (echt.isEmpty()) return {};
  const auto tabelle = MounttabelleLesen(FMountInfo);
  if (!tabelle) return {};
  // The deepest mount point above the path; of equal ones the later line, which lies on top.
  QString typ;
  qsizetype tiefe = -1;
  for (const TEinhaengung& e : *tabelle) {
    if (!e.Typ || !Enthaelt(e.Mountpunkt, echt) || e.Mountpunkt.size() < tiefe) continue;
    tiefe = e.Mountpunkt.size();
    typ = QString::fromUtf8(*e.Typ);
  }
  return typ;
}

const ISystemdaten& Systemdaten() {
  static const TLinuxSystemdaten maschine;
  const ISystemdaten* q = GesetzteQuelle.load();
  return q ? *q : maschine;
}

void SystemdatenSetzen(const ISystemdaten* Quelle) { GesetzteQuelle.store(Quelle); }

}  // namespace kiro::platform
