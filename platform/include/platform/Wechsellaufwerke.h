#pragma once
// The removable drives of the machine: block devices (partitions, or a whole disk without
// partitions) whose disk the kernel marks as removable.
#include <QList>
#include <QString>

namespace kiro::platform {

struct TWechsellaufwerk {
  // The mount point with a trailing "/" when mounted, else the device node.
  QString Name;
  // The device node, such as "/dev/sdb1".
  QString Geraet;
  // The kernel's device number "major:minor"; tells a new device from an old one at the same name.
  QString MajorMinor;
  bool Eingehaengt = false;

  bool operator==(const TWechsellaufwerk&) const = default;
};

// The source of the drive list; the window takes one so tests can hand it a fake.
class IWechsellaufwerke {
 public:
  virtual ~IWechsellaufwerke() = default;
  // Every removable drive, ordered by Name; empty when there is none or the query fails.
  virtual QList<TWechsellaufwerk> Liste() const = 0;
};

// Reads sysfs and the mount table. The roots are parameters so tests can use fixture trees.
class TLinuxWechsellaufwerke : public IWechsellaufwerke {
 public:
  explicit TLinuxWechsellaufwerke(QString SysWurzel = QStringLiteral("/sys"),
                                  QString MountInfo = QStringLiteral("/proc/self/mountinfo"),
                                  QString DevWurzel = QStringLiteral("/dev"));
  QList<TWechsellaufwerk> Liste() const override;

 private:
  QString FSysWurzel;
  QString FMountInfo;
  QString FDevWurzel;
};

// The machine's own source.
const IWechsellaufwerke& StandardWechsellaufwerke();

}  // namespace kiro::platform
