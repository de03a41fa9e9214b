#include "platform/DesktopOrdner.h"

#include <QStandardPaths>

namespace kiro::platform {

QString DesktopOrdner() {
  QString pfad = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  while (pfad.size() > 1 && pfad.endsWith(u'/')) pfad.chop(1);
  return pfad;
}

}  // namespace kiro::platform
