#include "platform/TempOrdner.h"

#include "foundation/Kern.h"

#include <QFile>

namespace kiro::platform {

QString TempVerzeichnis(QString* Fehler) {
  std::string fehler;
  const std::string pfad = BenutzerTempVerzeichnis(&fehler);
  if (pfad.empty() && Fehler) *Fehler = QString::fromStdString(fehler);
  return QFile::decodeName(QByteArray::fromStdString(pfad));
}

}  // namespace kiro::platform
