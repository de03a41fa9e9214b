#include "foundation/Dateifunktionen.h"
#include "foundation/Kern.h"

#include <cstring>

namespace kiro {

QString SystemFehlertext(int Fehlercode) {
  if (Fehlercode == 0) return {};
  char puffer[256];
  // GNU strerror_r returns the text, which may or may not live in the buffer.
  const char* text = ::strerror_r(Fehlercode, puffer, sizeof puffer);
  return QString::fromLocal8Bit(text).trimmed();
}

int VerzeichnisAnlegen(const QString& Pfad, bool BesitzVomOberen) {
  return VerzeichnisAnlegen(std::string(Pfad.toLocal8Bit().constData()), BesitzVomOberen);
}

}  // namespace kiro
