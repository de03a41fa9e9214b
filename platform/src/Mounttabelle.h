#pragma once
// The kernel's mount table (/proc/self/mountinfo), read in one place for the platform layer:
// the drive list takes where a device is mounted, the system facts the file-system type.
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kiro::platform {

// One line of the table.
struct TEinhaengung {
  QByteArray MajorMinor;
  // The mounted source ("/dev/sdb1"), octal escapes decoded; "" when the line has none.
  QByteArray Quelle;
  QString Mountpunkt;
  // The file-system type ("vfat"); none when the line lacks the part after " - ".
  std::optional<QByteArray> Typ;
  bool GanzesDateisystem = false;  // not a bind mount of a subfolder
};

// Every line with at least a mount point, in the table's order; none when the table cannot be
// read.
std::optional<QList<TEinhaengung>> MounttabelleLesen(const QString& Pfad);

// The mount table writes blank, tab, line break and backslash in a path as "\ooo".
QByteArray OktalEntschluesseln(const QByteArray& Feld);

}  // namespace kiro::platform
