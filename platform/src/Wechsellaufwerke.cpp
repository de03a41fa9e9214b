#include "platform/Wechsellaufwerke.h"

#include "Mounttabelle.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <optional>

namespace kiro::platform {

namespace {

// The first line of a small sysfs attribute file, without its line break.
std::optional<QByteArray> Attribut(const QString& Pfad) {
  QFile f(Pfad);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readLine(256).trimmed();
}

// Where the device is mounted: the first mount of its whole file system, else its first mount.
// File systems such as btrfs show an anonymous device number there, so the source counts too.
const TEinhaengung* EinhaengungSuchen(const QList<TEinhaengung>& tabelle, const QByteArray& majorMinor,
                                     const QByteArray& geraet) {
  const TEinhaengung* erste = nullptr;
  for (const TEinhaengung& e : tabelle) {
    if (e.MajorMinor != majorMinor && e.Quelle != geraet) continue;
    if (e.GanzesDateisystem) return &e;
    if (!erste) erste = &e;
  }
  return erste;
}

// CD and DVD drives are removable to the kernel but are no drives to install to: SCSI CD-ROM
// major 11, or a SCSI device of type 5.
bool IstOptischesLaufwerk(const QString& diskOrdner, const QByteArray& majorMinor) {
  if (majorMinor.startsWith("11:")) return true;
  return Attribut(diskOrdner + QStringLiteral("/device/type")).value_or(QByteArray()) == "5";
}

}  // namespace

TLinuxWechsellaufwerke::TLinuxWechsellaufwerke(QString SysWurzel, QString MountInfo, QString DevWurzel)
    : FSysWurzel(std::move(SysWurzel)), FMountInfo(std::move(MountInfo)), FDevWurzel(std::move(DevWurzel)) {}

QList<TWechsellaufwerk> TLinuxWechsellaufwerke::Liste() const {
  const QDir block(FSysWurzel + QStringLiteral("/block"));
  if (!block.exists()) return {};
  const auto tabelle = MounttabelleLesen(FMountInfo);
  if (!tabelle) return {};

  QList<TWechsellaufwerk> liste;
  auto aufnehmen = [&](const QString& ordner, const QString& name) {
    const auto dev = Attribut(ordner + QStringLiteral("/dev"));
    if (!dev || dev->isEmpty()) return;
    // A reader without a medium reports size 0: nothing to install to or format.
    if (Attribut(ordner + QStringLiteral("/size")).value_or("1") == "0") return;
    TWechsellaufwerk w;
    // sysfs writes the "/" of nested device names as "!".
    w.Geraet = FDevWurzel + u'/' + QString(name).replace(u'!', u'/');
    w.MajorMinor = QString::fromLatin1(*dev);
    if (const TEinhaengung* e = EinhaengungSuchen(*tabelle, *dev, QFile::encodeName(w.Geraet))) {
      w.Eingehaengt = true;
      w.Name = e->Mountpunkt.endsWith(u'/') ? e->Mountpunkt : e->Mountpunkt + u'/';
    } else {
      w.Name = w.Geraet;
    }
    liste.append(w);
  };

  const QStringList disks = block.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& disk : disks) {
    const QString diskOrdner = block.filePath(disk);
    if (Attribut(diskOrdner + QStringLiteral("/removable")).value_or("0") != "1") continue;
    const auto diskDev = Attribut(diskOrdner + QStringLiteral("/dev"));
    if (!diskDev || IstOptischesLaufwerk(diskOrdner, *diskDev)) continue;
    bool hatPartitionen = false;
    const QStringList teile = QDir(diskOrdner).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& teil : teile) {
      const QString teilOrdner = diskOrdner + u'/' + teil;
      if (!QFile::exists(teilOrdner + QStringLiteral("/partition"))) continue;
      hatPartitionen = true;
      aufnehmen(teilOrdner, teil);
    }
    if (!hatPartitionen) aufnehmen(diskOrdner, disk);
  }
  std::stable_sort(liste.begin(), liste.end(),
                   [](const TWechsellaufwerk& a, const TWechsellaufwerk& b) { return a.Name < b.Name; });
  return liste;
}

const IWechsellaufwerke& StandardWechsellaufwerke() {
  static const TLinuxWechsellaufwerke quelle;
  return quelle;
}

}  // namespace kiro::platform
