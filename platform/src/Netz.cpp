#include "platform/Netz.h"

#include "Kerndateien.h"

#include <QList>
#include <QRegularExpression>

namespace kiro::platform {

namespace {
constexpr unsigned RTF_UP = 0x0001;
constexpr unsigned RTF_REJECT = 0x0200;

QList<QStringList> Zeilen(const QString& Pfad) {
  QList<QStringList> zeilen;
  const std::optional<QByteArray> inhalt = KerndateiLesen(Pfad);
  if (!inhalt) return zeilen;
  static const QRegularExpression leer(QStringLiteral("\\s+"));
  for (const QByteArray& roh : inhalt->split('\n')) {
    const QString zeile = QString::fromLatin1(roh).trimmed();
    if (!zeile.isEmpty()) zeilen.append(zeile.split(leer, Qt::SkipEmptyParts));
  }
  return zeilen;
}

bool IstStandardrouteIpv4(const QStringList& s) {
  // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
  if (s.size() < 8 || s[0] == QLatin1String("Iface")) return false;
  bool ok = false;
  const unsigned flags = s[3].toUInt(&ok, 16);
  return ok && s[0] != QLatin1String("lo") && s[1].toUInt(nullptr, 16) == 0 && s[1].size() == 8 &&
         s[7].toUInt(nullptr, 16) == 0 && (flags & RTF_UP) && !(flags & RTF_REJECT);
}

bool IstStandardrouteIpv6(const QStringList& s) {
  // destination prefixlen source prefixlen next-hop metric refcnt use flags iface
  if (s.size() < 10) return false;
  bool ok = false;
  const unsigned flags = s[8].toUInt(&ok, 16);
  return ok && s[9] != QLatin1String("lo") && s[0] == QString(32, u'0') && s[1] == QLatin1String("00") &&
         (flags & RTF_UP) && !(flags & RTF_REJECT);
}
}  // namespace

bool InternetVerbunden(const QString& Ipv4Routen, const QString& Ipv6Routen) {
  for (const QStringList& s : Zeilen(Ipv4Routen))
    if (IstStandardrouteIpv4(s)) return true;
  for (const QStringList& s : Zeilen(Ipv6Routen))
    if (IstStandardrouteIpv6(s)) return true;
  return false;
}

}  // namespace kiro::platform
