#include "platform/Laufwerksbeobachter.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

namespace kiro::platform {

TLaufwerksbeobachter::TLaufwerksbeobachter(TLaufwerke Laufwerke, const QString& Mountinfo, bool Udev,
                                           QObject* parent)
    : QObject(parent), FLaufwerke(std::move(Laufwerke)) {
  FLetzte = FLaufwerke ? FLaufwerke() : QStringList();
  if (!Mountinfo.isEmpty()) {
    // The kernel flags the mount table with a priority event whenever a mount comes or goes.
    FMountFd = ::open(QFile::encodeName(Mountinfo).constData(), O_RDONLY | O_CLOEXEC);
    if (FMountFd >= 0) {
      FMountNotifier = std::make_unique<QSocketNotifier>(FMountFd, QSocketNotifier::Exception);
      connect(FMountNotifier.get(), &QSocketNotifier::activated, this, &TLaufwerksbeobachter::Pruefen);
    }
  }
  if (Udev && (FUdev = udev_new()) != nullptr) {
    FUdevMonitor = udev_monitor_new_from_netlink(FUdev, "udev");
    if (FUdevMonitor && udev_monitor_filter_add_match_subsystem_devtype(FUdevMonitor, "block", nullptr) >= 0 &&
        udev_monitor_enable_receiving(FUdevMonitor) >= 0) {
      FUdevNotifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(FUdevMonitor), QSocketNotifier::Read);
      connect(FUdevNotifier.get(), &QSocketNotifier::activated, this, &TLaufwerksbeobachter::UdevLesen);
    } else if (FUdevMonitor) {
      udev_monitor_unref(FUdevMonitor);
      FUdevMonitor = nullptr;
    }
  }
}

TLaufwerksbeobachter::~TLaufwerksbeobachter() {
  FUdevNotifier.reset();
  if (FUdevMonitor) udev_monitor_unref(FUdevMonitor);
  if (FUdev) udev_unref(FUdev);
  FMountNotifier.reset();
  if (FMountFd >= 0) ::close(FMountFd);
}

void TLaufwerksbeobachter::UdevLesen() {
  while (udev_device* d = udev_monitor_receive_device(FUdevMonitor)) udev_device_unref(d);
  Pruefen();
}

void TLaufwerksbeobachter::Pruefen() {
  const QStringList jetzt = FLaufwerke ? FLaufwerke() : QStringList();
  bool neu = false;
  bool weg = false;
  for (const QString& l : jetzt) neu = neu || !FLetzte.contains(l);
  for (const QString& l : FLetzte) weg = weg || !jetzt.contains(l);
  FLetzte = jetzt;
  // The arrival first: a receiver that re-indexes its list on a removal would otherwise take
  // the new drive into the index before it has seen it arrive (a stick mounted in place of
  // its device node changes both at once).
  if (neu) emit Geraeteaenderung(DBT_DEVICEARRIVAL);
  if (weg) emit Geraeteaenderung(DBT_DEVICEREMOVECOMPLETE);
  if (!neu && !weg) emit Geraeteaenderung(DBT_DEVNODES_CHANGED);
}

}  // namespace kiro::platform
