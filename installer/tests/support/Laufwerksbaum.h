#pragma once
// A small sysfs tree and mount table of our own, read by the real removable-drive source: the
// tests plug sticks in, mount, unmount and pull them by editing the tree.
#include "platform/Wechsellaufwerke.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QMap>

namespace kiro::test {

class Laufwerksbaum {
 public:
  Laufwerksbaum() { MountsSchreiben(); }

  // A stick as disk Disk ("sdb") with one partition Disk + "1", the disk at 8:Minor and the
  // partition at 8:Minor+1; mounted at Mountpunkt when that is not "".
  void Einstecken(const QString& Disk, int Minor, const QString& Mountpunkt = {}) {
    const QString o = "sys/block/" + Disk;
    T.Schreiben(o + "/removable", "1\n");
    T.Schreiben(o + "/dev", QByteArray("8:") + QByteArray::number(Minor) + "\n");
    T.Schreiben(o + "/size", "31293440\n");
    T.Schreiben(o + "/" + Disk + "1/partition", "1\n");
    T.Schreiben(o + "/" + Disk + "1/dev", QByteArray("8:") + QByteArray::number(Minor + 1) + "\n");
    T.Schreiben(o + "/" + Disk + "1/size", "31291392\n");
    FSticks[Disk] = {Minor, Mountpunkt};
    MountsSchreiben();
  }
  void Ziehen(const QString& Disk) {
    QDir(T / ("sys/block/" + Disk)).removeRecursively();
    FSticks.remove(Disk);
    MountsSchreiben();
  }
  void Einhaengen(const QString& Disk, const QString& Mountpunkt) {
    FSticks[Disk].Mountpunkt = Mountpunkt;
    MountsSchreiben();
  }
  // The kernel no longer calls the disk removable (a card reader that reports itself anew).
  void NichtWechselbar(const QString& Disk) { T.Schreiben("sys/block/" + Disk + "/removable", "0\n"); }

  QList<platform::TWechsellaufwerk> Liste() const {
    return platform::TLinuxWechsellaufwerke(T / "sys", T / "mountinfo", "/dev").Liste();
  }

 private:
  struct Stick {
    int Minor = 0;
    QString Mountpunkt;
  };
  void MountsSchreiben() {
    QByteArray m =
        "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
        "28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n";
    int id = 400;
    for (auto i = FSticks.cbegin(); i != FSticks.cend(); ++i) {
      if (i->Mountpunkt.isEmpty()) continue;
      m += QByteArray::number(++id) + " 28 8:" + QByteArray::number(i->Minor + 1) + " / " + i->Mountpunkt.toUtf8() +
           " rw,nosuid,nodev - vfat /dev/" + i.key().toUtf8() + "1 rw\n";
    }
    T.Schreiben("mountinfo", m);
  }

  TempOrdner T;
  QMap<QString, Stick> FSticks;
};

}  // namespace kiro::test
