#include "platform/Wechsellaufwerke.h"
#include "testsupport/TempOrdner.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <ostream>
#include <unistd.h>

using namespace kiro;
using platform::TLinuxWechsellaufwerke;
using platform::TWechsellaufwerk;

namespace kiro::platform {
void PrintTo(const TWechsellaufwerk& w, std::ostream* os) {
  *os << '{' << w.Name.toStdString() << ", " << w.Geraet.toStdString() << ", " << w.MajorMinor.toStdString()
      << ", " << (w.Eingehaengt ? "mounted" : "unmounted") << '}';
}
}  // namespace kiro::platform

namespace {

// A small sysfs and mount table of our own.
class Fixture {
 public:
  // A disk below block/ with its removable flag and device number.
  void Disk(const QString& name, bool removable, const QString& dev, const char* size = "31293440") {
    Attribut("sys/block/" + name + "/removable", removable ? "1\n" : "0\n");
    Attribut("sys/block/" + name + "/dev", dev.toLatin1() + "\n");
    Attribut("sys/block/" + name + "/size", QByteArray(size) + "\n");
    // Every real disk folder has these; they are no partitions.
    QDir().mkpath(T / ("sys/block/" + name + "/queue"));
    QDir().mkpath(T / ("sys/block/" + name + "/power"));
  }
  void Partition(const QString& disk, const QString& name, const QString& dev, const char* size = "31291392") {
    const QString o = "sys/block/" + disk + "/" + name;
    Attribut(o + "/partition", "1\n");
    Attribut(o + "/dev", dev.toLatin1() + "\n");
    Attribut(o + "/size", QByteArray(size) + "\n");
  }
  void Mount(const QByteArray& zeile) { FMountInfo += zeile + "\n"; }
  void Attribut(const QString& pfad, const QByteArray& inhalt) { T.Schreiben(pfad, inhalt); }

  QList<TWechsellaufwerk> Liste() {
    T.Schreiben("mountinfo", FMountInfo);
    return TLinuxWechsellaufwerke(T / "sys", T / "mountinfo", "/dev").Liste();
  }
  QStringList Namen() {
    QStringList n;
    for (const auto& w : Liste()) n.append(w.Name);
    return n;
  }

  test::TempOrdner T;

 private:
  QByteArray FMountInfo =
      "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
      "28 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
      "30 28 8:1 / /boot/efi rw,relatime shared:2 - vfat /dev/sda1 rw\n";
};

}  // namespace

TEST(Wechsellaufwerke, StickListedByMountPointFixedDiskNot) {
  Fixture f;
  f.Disk("sda", false, "8:0");
  f.Partition("sda", "sda1", "8:1");
  f.Partition("sda", "sda2", "8:2");
  f.Disk("sdb", true, "8:16");
  f.Partition("sdb", "sdb1", "8:17");
  f.Mount("412 28 8:17 / /media/u/STICK rw,nosuid,nodev,relatime shared:220 - vfat /dev/sdb1 rw,uid=1000");

  const QList<TWechsellaufwerk> liste = f.Liste();
  ASSERT_EQ(liste.size(), 1);
  EXPECT_EQ(liste[0], (TWechsellaufwerk{"/media/u/STICK/", "/dev/sdb1", "8:17", true}));
}

TEST(Wechsellaufwerke, UnmountedPartitionAndWholeDiskByDeviceNode) {
  Fixture f;
  f.Disk("sdb", true, "8:16");
  f.Partition("sdb", "sdb1", "8:17");
  f.Partition("sdb", "sdb2", "8:18");
  f.Disk("sdc", true, "8:32");  // formatted without a partition table
  f.Mount("412 28 8:17 / /media/u/A rw - vfat /dev/sdb1 rw");

  EXPECT_EQ(f.Liste(), (QList<TWechsellaufwerk>{{"/dev/sdb2", "/dev/sdb2", "8:18", false},
                                                 {"/dev/sdc", "/dev/sdc", "8:32", false},
                                                 {"/media/u/A/", "/dev/sdb1", "8:17", true}}));
}

TEST(Wechsellaufwerke, EscapedMountPointsDecoded) {
  Fixture f;
  f.Disk("sdb", true, "8:16");
  f.Partition("sdb", "sdb1", "8:17");
  f.Disk("sdc", true, "8:32");
  f.Partition("sdc", "sdc1", "8:33");
  f.Mount("412 28 8:17 / /media/u/MY\\040STICK rw - vfat /dev/sdb1 rw");
  f.Mount("413 28 8:33 / /media/u/tab\\011back\\134slash\\012line\\303\\244 rw - vfat /dev/sdc1 rw");
  EXPECT_EQ(f.Namen(), (QStringList{"/media/u/MY STICK/", QString::fromUtf8("/media/u/tab\tback\\slash\nline\u00e4/")}));
}

TEST(Wechsellaufwerke, OrderedByNameNotBySysfs) {
  Fixture f;
  f.Disk("sdb", true, "8:16");
  f.Partition("sdb", "sdb1", "8:17");
  f.Disk("sdc", true, "8:32");
  f.Partition("sdc", "sdc1", "8:33");
  f.Disk("sdd", true, "8:48");
  f.Partition("sdd", "sdd1", "8:49");
  f.Mount("412 28 8:17 / /media/u/ZETA rw - vfat /dev/sdb1 rw");
  f.Mount("413 28 8:33 / /media/u/ALPHA rw - vfat /dev/sdc1 rw");
  f.Mount("414 28 8:49 / /media/u/MITTE rw - vfat /dev/sdd1 rw");
  EXPECT_EQ(f.Namen(), (QStringList{"/media/u/ALPHA/", "/media/u/MITTE/", "/media/u/ZETA/"}));
}

TEST(Wechsellaufwerke, MountOfTheWholeFileSystemWinsOverBindMounts) {
  Fixture f;
  f.Disk("sdb", true, "8:16");
  f.Partition("sdb", "sdb1", "8:17");
  f.Mount("410 28 8:17 /unter /srv/gebunden rw - vfat /dev/sdb1 rw");
  f.Mount("412 28 8:17 / /media/u/STICK rw - vfat /dev/sdb1 rw");
  f.Mount("413 28 8:17 / /mnt/zweit rw - vfat /dev/sdb1 rw");
  EXPECT_EQ(f.Namen(), QStringList{"/media/u/STICK/"});
}

TEST(Wechsellaufwerke, FileSystemWithOwnDeviceNumberFoundBySource) {
  Fixture f;
  f.Disk("sdb", true, "8:16");
  f.Partition("sdb", "sdb1", "8:17");
  f.Mount("412 28 0:48 / /media/u/BTRFS rw shared:5 master:2 - btrfs /dev/sdb1 rw");
  EXPECT_EQ(f.Namen(), QStringList{"/media/u/BTRFS/"});
}

TEST(Wechsellaufwerke, OpticalDrivesAndEmptyReadersAreNoDrives) {
  Fixture f;
  f.Disk("sr0", true, "11:0");
  f.Disk("sdx", true, "65:0");
  f.Attribut("sys/block/sdx/device/type", "5\n");
  f.Disk("sdc", true, "8:32", "0");  // card reader without a card
  f.Disk("sdd", true, "8:48");
  EXPECT_EQ(f.Namen(), QStringList{"/dev/sdd"});
}

TEST(Wechsellaufwerke, NestedDeviceNamesAndOtherPartitionNames) {
  Fixture f;
  f.Disk("mmcblk0", true, "179:0");
  f.Partition("mmcblk0", "mmcblk0p1", "179:1");
  f.Disk("cciss!c0d0", true, "104:0");
  EXPECT_EQ(f.Namen(), (QStringList{"/dev/cciss/c0d0", "/dev/mmcblk0p1"}));
}

TEST(Wechsellaufwerke, MissingOrUnreadableSourcesGiveAnEmptyList) {
  {
    test::TempOrdner leer;
    leer.Schreiben("mountinfo", "");
    EXPECT_TRUE(TLinuxWechsellaufwerke(leer / "sys", leer / "mountinfo").Liste().isEmpty());
  }
  {
    Fixture f;
    f.Disk("sdb", true, "8:16");
    f.Partition("sdb", "sdb1", "8:17");
    ASSERT_FALSE(f.Liste().isEmpty());
    // Without the mount table a mounted stick would look unmounted.
    EXPECT_TRUE(TLinuxWechsellaufwerke(f.T / "sys", f.T / "fehlt").Liste().isEmpty());
  }
  {
    Fixture f;
    f.Disk("sdb", true, "8:16");
    QFile::remove(f.T / "sys/block/sdb/removable");
    QFile::remove(f.T / "sys/block/sdb/dev");
    f.Disk("sdc", true, "8:32");
    QFile::remove(f.T / "sys/block/sdc/dev");
    f.Attribut("sys/block/sdd/removable", "1\n");  // a disk folder with nothing else in it
    EXPECT_TRUE(f.Liste().isEmpty());
  }
  if (::geteuid() != 0) {  // root reads regardless of permissions
    Fixture f;
    f.Disk("sdb", true, "8:16");
    ASSERT_TRUE(QFile::setPermissions(f.T / "sys/block", QFile::Permissions()));
    EXPECT_TRUE(f.Liste().isEmpty());
    QFile::setPermissions(f.T / "sys/block", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
}

TEST(Wechsellaufwerke, MachineSourceAnswersWithoutFailing) {
  // Whatever this machine has: each entry is complete and the list is ordered.
  const QList<TWechsellaufwerk> liste = platform::StandardWechsellaufwerke().Liste();
  for (qsizetype i = 0; i < liste.size(); ++i) {
    EXPECT_TRUE(liste[i].Geraet.startsWith("/dev/")) << liste[i].Geraet.toStdString();
    EXPECT_EQ(liste[i].Name.endsWith(u'/'), liste[i].Eingehaengt);
    if (i > 0) {
      EXPECT_LT(liste[i - 1].Name, liste[i].Name);
    }
  }
}
