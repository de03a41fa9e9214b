#include "foundation/Ordner.h"

namespace kiro {

QString Programmverzeichnis;
QString Datenverzeichnis;
QString DatenverzeichnisOffiziell;
QString ProgrammTitel;

QString OrdnerForm(const QString& Pfad) {
  if (Pfad.isEmpty() || Pfad.endsWith(u'/')) return Pfad;
  return Pfad + u'/';
}

}  // namespace kiro
