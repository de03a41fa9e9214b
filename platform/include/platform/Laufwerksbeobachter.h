#pragma once
// Follows the system's device changes the way the installer's window expects them: the mount
// table and the kernel's block-device events are watched, and each change is classified by
// comparing the removable-drive list before and after it.
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace kiro::platform {

enum TGeraeteEreignis : int {
  DBT_DEVNODES_CHANGED = 0x0007,
  DBT_DEVICEARRIVAL = 0x8000,
  DBT_DEVICEREMOVECOMPLETE = 0x8004,
};

class TLaufwerksbeobachter : public QObject {
  Q_OBJECT
 public:
  using TLaufwerke = std::function<QStringList()>;
  // Laufwerke gives the current drive names. Mountinfo "" and Udev false watch nothing by
  // themselves (tests call Pruefen).
  explicit TLaufwerksbeobachter(TLaufwerke Laufwerke, const QString& Mountinfo = QStringLiteral("/proc/self/mountinfo"),
                                bool Udev = true, QObject* parent = nullptr);
  ~TLaufwerksbeobachter() override;

  bool BeobachtetMounts() const { return FMountFd >= 0; }
  bool BeobachtetUdev() const { return FUdevMonitor != nullptr; }

 public slots:
  // Compares the drive list with the last one and reports the change: an arrival when a drive
  // is new, a removal when one vanished (both when both happened, the arrival first),
  // otherwise "nodes changed".
  void Pruefen();

 signals:
  void Geraeteaenderung(int Ereignis);

 private:
  void UdevLesen();

  TLaufwerke FLaufwerke;
  QStringList FLetzte;
  int FMountFd = -1;
  std::unique_ptr<QSocketNotifier> FMountNotifier;
  ::udev* FUdev = nullptr;
  ::udev_monitor* FUdevMonitor = nullptr;
  std::unique_ptr<QSocketNotifier> FUdevNotifier;
};

}  // namespace kiro::platform
