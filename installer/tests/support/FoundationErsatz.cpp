// TEST DOUBLES, removed when the foundation's own file and drive routines are merged:
// minimal versions of the declared routines the window calls, so the window links and its
// tests run in this tree meanwhile. They follow the declarations' contracts closely enough for
// those tests (the free number counts any existing entry as taken; no drives are listed).
#include "foundation/Dateifunktionen.h"

#include <QDir>
#include <QFileInfo>

namespace kiro {

QStringList WechsellaufwerkeListe() { return {}; }

QString FreiesNummernverzeichnis(const QString& Basis, const QString& Praefix) {
  for (int i = 1; i <= 9999; ++i) {
    const QString pfad = Basis + Praefix + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
    if (QFileInfo(pfad).exists() || QFileInfo(pfad).isSymLink()) continue;
    if (QDir().mkdir(pfad)) return pfad + u'/';
  }
  return {};
}

}  // namespace kiro
