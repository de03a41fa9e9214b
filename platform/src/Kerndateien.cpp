#include "Kerndateien.h"

#include <QFile>

namespace kiro::platform {

std::optional<QByteArray> KerndateiLesen(const QString& Pfad) {
  QFile f(Pfad);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return std::nullopt;
  QByteArray inhalt;
  for (;;) {
    const QByteArray stueck = f.read(64 * 1024);
    if (stueck.isEmpty()) break;
    inhalt += stueck;
  }
  return inhalt;
}

}  // namespace kiro::platform
